#include "crystallography/space_group_from_operators.hpp"

#include <gtest/gtest.h>

#include "crystallography/space_group_catalogue.hpp"
#include "crystallography/symmetry_reference.hpp"
#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"
#include "util/files.hpp"
#include "util/text.hpp"

namespace calvane {
namespace {

struct Import {
  testing::TempFolder folder;
  testing::ScriptedUi ui;
  CurrentCrystal crystal;

  bool run(const char* system, const std::string& instructions) {
    crystal.system_code = system;
    return space_group_from_file(
        crystal, folder.write("phase.ins", "TITL test\nCELL 1.54 5 5 5 90 90 90\n" + instructions),
        testing::source_folder("data"), ui);
  }
};

TEST(DecodeOperator, ReadsTheTextsSymmCardsUse) {
  struct Case {
    const char* text;
    std::array<double, 12> numbers;
  };
  const Case cases[] = {
      {"1/2-X,-Y,1/2+Z", {-1, 0, 0, 0.5, 0, -1, 0, 0, 0, 0, 1, 0.5}},
      {"-X+1/2,Y-1/2,-Z", {-1, 0, 0, 0.5, 0, 1, 0, -0.5, 0, 0, -1, 0}},
      {"Y-X,-X,Z+1/3", {-1, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0.3333333}},
      {"X-Y,X+Y,-Z+2/3", {1, -1, 0, 0, 1, 1, 0, 0, 0, 0, -1, 0.6666667}},
      {"-Y+X,0.25+Y,Z-0.75", {1, -1, 0, 0, 0, 1, 0, 0.25, 0, 0, 1, -0.75}},
      {"x+1/8,y,z", {1, 0, 0, 0.125, 0, 1, 0, 0, 0, 0, 1, 0}},  // fractions beyond the table
      {" -x , .5+y , z", {-1, 0, 0, 0, 0, 1, 0, 0.5, 0, 0, 1, 0}},
  };
  for (const Case& c : cases) {
    auto op = decode_operator(c.text);
    ASSERT_TRUE(op.has_value()) << c.text;
    double worst = 0;
    for (std::size_t i = 0; i < 12; ++i)
      worst = std::max(worst, std::abs(op->m[i / 4][i % 4] - c.numbers[i]));
    EXPECT_LT(worst, 1e-12) << c.text;
  }
  for (const char* bad :
       {"X,Y", "X,Y,Z+Q", "1/2,Y,Z", "X,Y,Z+1/0", "", "X,,Z", "2X,Y,Z", "X,Y2,Z", "X,Y,0.5Z"})
    EXPECT_FALSE(decode_operator(bad).has_value()) << '"' << bad << '"';
  // Encoding adds the sum row to the catalogue's rows.
  EXPECT_EQ(encode_row_import({1, 1, 0}, 0.5) + encode_row_import({-1, 1, 0}, -1.0 / 3) +
                encode_row_import({0, 0, -1}, 0),
            "X+Y+1/2 Y-X+2/3-Z");
}

// Writings the catalogue records below do not use; every standard record is
// named back at the end of this file.
TEST(SpaceGroupFromFile, NamesCommonStructures) {
  struct Case {
    const char *system, *instructions, *symbol;
    std::size_t operators;
  };
  const Case cases[] = {
      // No LATT: centrosymmetric and primitive.
      {"MONO", "SYMM -X, 1/2+Y, 1/2-Z\n", "P 1 21/c 1", 4},
      // A translation written as -1/2 still finds its group.
      {"MONO", "LATT 1\nSYMM -X, -1/2+Y, -1/2-Z\n", "P 1 21/c 1", 4},
      // The common non-standard setting P 21/n.
      {"MONO", "LATT 1\nSYMM 1/2-X, 1/2+Y, 1/2-Z\n", "P 1 21/n 1", 4},
      // Body-centred tetragonal, written with leading blanks and lower case.
      {"TETR", " latt -2\n symm -x, -y, z\n symm -y, x, z\n symm y, -x, z\n", "I 4", 8},
  };
  for (const Case& c : cases) {
    Import import;
    ASSERT_TRUE(import.run(c.system, c.instructions)) << c.symbol << ": " << import.ui.last_warning();
    const SymmetryData& s = import.crystal.symmetry;
    EXPECT_EQ(std::tuple(import.ui.warnings.size(), import.crystal.symbol, s.operators.size(),
                         s.operator_texts.size(), s.operator_texts.front()),
              std::tuple(0u, c.symbol, c.operators, c.operators, "X,Y,Z"));
  }
}

TEST(SpaceGroupFromFile, IdentityIsNotAddedTwiceAndAnUnknownSetIsLeftUnnamed) {
  Import import;
  ASSERT_TRUE(import.run("TRIC", "LATT -1\nSYMM x, y , z\n"));
  EXPECT_EQ(std::tuple(import.crystal.symmetry.operators.size(), import.crystal.symbol),
            std::tuple(std::size_t{1}, std::string("P 1")));

  Import unknown;  // a monoclinic two-fold on an orthorhombic phase
  unknown.crystal.symbol = "old";
  ASSERT_TRUE(unknown.run("ORTH", "LATT -1\nSYMM -X, Y, -Z\n"));
  EXPECT_EQ(std::tuple(unknown.ui.warnings.size(), unknown.crystal.symbol,
                       unknown.crystal.symmetry.operators.size()),
            std::tuple(0u, "", 2u));
}

TEST(SpaceGroupFromFile, UndecodedOperatorStopsTheImportAndChangesNothing) {
  Import import;
  import.crystal.symbol = "P 1";
  import.crystal.symmetry.operators = {SymmetryOperator::identity()};
  EXPECT_FALSE(import.run("MONO", "LATT 1\nSYMM -X, 1/2+Y, 1/2-Z\nSYMM 2X, Y, Z\n"));
  EXPECT_EQ(std::tuple(import.ui.warnings, import.crystal.symbol, import.crystal.symmetry.operators.size()),
            std::tuple(std::vector<std::string>{"Non decoded position: 2X,Y,Z"}, "P 1", 1u));

  Import lattice;
  EXPECT_FALSE(lattice.run("MONO", "LATT 9\n"));
  EXPECT_EQ(lattice.ui.last_warning(), "Non decoded lattice: 9");
  Import missing;
  missing.crystal.system_code = "MONO";
  EXPECT_FALSE(space_group_from_file(missing.crystal, missing.folder / "none.ins",
                                     testing::source_folder("data"), missing.ui));
  EXPECT_EQ(missing.ui.last_warning(), "Cannot read none.ins");
}

TEST(MatchCatalogue, ReportsAMalformedCountAndStopsAtTheSectionEnd) {
  testing::TempFolder program;
  testing::ScriptedUi ui;
  SymmetryData symmetry;
  symmetry.operators = {SymmetryOperator::identity()};
  program.write("spgr.peq",
                "TRIC\n P 1          x\n   1 0 0 0 0 1 0 0 0 0 1 0\nMONO\n P 1 2 1        1\n   1 0 0 0 0 1 "
                "0 0 0 0 1 0\n");
  EXPECT_FALSE(match_catalogue(symmetry, "TRIC", program.path(), ui).has_value());
  EXPECT_EQ(ui.last_warning(), "Erreur dans P 1          x");
  program.write("spgr.peq", "TRIC\nMONO\n P 1 2 1        1\n   1 0 0 0 0 1 0 0 0 0 1 0\n");
  EXPECT_FALSE(
      match_catalogue(symmetry, "TRIC", program.path(), ui).has_value());  // the next section is not searched
  EXPECT_FALSE(match_catalogue(symmetry, "CUBI", program.path(), ui).has_value());  // no section at all
  EXPECT_EQ(ui.warnings.size(), 1u);
}

// Every standard record written as SHELX instructions (LATT from its lattice
// letter, negative when the record lists no centre at the origin; one SYMM per
// listed position) comes back with its own symbol and gemmi's operator set.
TEST(SpaceGroupFromFile, EveryStandardRecordIsNamedBackFromItsOperators) {
  const std::string codes = " PIRFABC";
  int named = 0;
  for (const char* system : {"TRIC", "MONO", "ORTH", "TETR", "HEXA", "RHOM", "CUBI"}) {
    auto path = find_file_ignoring_case(testing::source_folder("data"), pos_file_name(system));
    ASSERT_TRUE(path.has_value());
    const std::vector<std::string> lines = *read_text_lines(*path);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
      if (!trim(lines[i]).empty()) continue;
      const std::string symbol = trim(lines[i + 1]);
      const long long flag = *parse_integer(lines[i + 2]);
      const long long count = *parse_integer(lines[i + 3]);
      const long long code = static_cast<long long>(codes.find(symbol.front()));
      std::string instructions = "LATT " + std::to_string(flag == 1 ? code : -code) + "\n";
      for (long long k = 0; k < count; ++k)
        instructions += "SYMM " + lines[i + 4 + static_cast<std::size_t>(k)] + "\n";
      Import import;
      ASSERT_TRUE(import.run(system, instructions)) << symbol;
      EXPECT_EQ(import.crystal.symbol, symbol);
      const gemmi::SpaceGroup* sg = testing::gemmi_entry(symbol);
      ASSERT_NE(sg, nullptr);
      EXPECT_EQ(testing::operator_keys(import.crystal.symmetry.operators), testing::gemmi_keys(*sg))
          << symbol;
      ++named;
    }
  }
  EXPECT_EQ(named, 261);
}

}  // namespace
}  // namespace calvane
