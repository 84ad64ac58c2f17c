#include "crystallography/operators.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "crystallography/operator_generator.hpp"
#include "crystallography/symmetry_reference.hpp"
#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"
#include "util/files.hpp"
#include "util/text.hpp"

namespace calvane {
namespace {

SymmetryOperator make_operator(std::array<double, 12> numbers) {
  SymmetryOperator op;
  for (std::size_t i = 0; i < 12; ++i) op.m[i / 4][i % 4] = numbers[i];
  return op;
}

CurrentCrystal crystal_with(const char* system, const char* symbol) {
  CurrentCrystal crystal;
  crystal.system_code = system;
  crystal.symbol = symbol;
  return crystal;
}

TEST(DecodeComponent, ReadsTheCatalogueGrammar) {
  struct Case {
    const char* text;
    std::array<double, 3> coefficients;
    double translation;
  };
  const Case cases[] = {
      // The writings of every catalogue record are decoded against gemmi in
      // catalogue_test; these are the ones the records do not use.
      {" Z ", {0, 0, 1}, 0},
      {"+1/2-X", {-1, 0, 0}, 0.5},
      {"Y-1/4", {0, 1, 0}, -0.25},
  };
  for (const Case& c : cases) {
    auto row = decode_component(c.text);
    ASSERT_TRUE(row.has_value()) << c.text;
    EXPECT_EQ(std::tuple(row->coefficients, row->translation), std::tuple(c.coefficients, c.translation))
        << c.text;
  }
  // Outside the grammar: other rows, decimals, two translations, nothing at all.
  for (const char* bad : {"", "Y-X", "X+Y", "2X", "X+0.5", "X+1/2+1/2", "x", "W", "X+1/8"})
    EXPECT_FALSE(decode_component(bad).has_value()) << '"' << bad << '"';
}

TEST(EncodeRow, WritesRowsAndTranslationsAsTheGridShowsThem) {
  struct Case {
    std::array<double, 3> coefficients;
    double translation;
    const char* text;
  };
  const Case cases[] = {
      {{1, 0, 0}, 0, " X"},
      {{0, -1, 0}, 0.5, "-Y+1/2"},
      {{-1, 1, 0}, -1.0 / 3, " Y-X+2/3"},  // a negative translation is shown within the cell
      {{1, -1, 0}, 0.6666667, " X-Y+2/3"},
      {{0, 0, -1}, 0.75, "-Z+3/4"},
      {{0, 0, 1}, 1.0, " Z    "},  // a whole translation reduces to 0, written as four blanks
      {{1, 0, 0}, 0.83333, " X+5/6"},
      {{1, 0, 0}, 0.1667, " X+1/6"},  // within 0.001 of 1/6
      {{1, 0, 0}, 0.125, " X"},       // 1/8 has no text
      {{1, 1, 0}, 0.5, "+1/2"},       // a row outside the list keeps only its translation
      {{-0.0, 1, 0}, 0, " Y"},        // negative zero reads as zero
  };
  for (const Case& c : cases) EXPECT_EQ(encode_row(c.coefficients, c.translation), c.text) << c.text;
}

TEST(AddCentring, AppendsOneBlockOfThePrimitiveOperatorsPerTranslationAfterTheLatticeLetter) {
  // The lattice letter is the first letter of the symbol except on hexagonal axes.
  for (auto [symbol, system, letter] : {std::tuple{"F m -3 m", "CUBI", 'F'},
                                        {"-I 4 2", "TETR", 'I'},
                                        {"R -3 m:H", "HEXA", 'P'},
                                        {"R -3 m:R", "RHOM", 'R'}})
    EXPECT_EQ(lattice_letter(symbol, system), letter) << symbol;
  struct Case {
    const char *symbol, *system;
    std::vector<std::array<double, 3>> translations;
  };
  const double third = 1.0 / 3, two_thirds = 2.0 / 3;
  const Case cases[] = {
      {"F m -3 m", "CUBI", {{0, 0.5, 0.5}, {0.5, 0, 0.5}, {0.5, 0.5, 0}}},
      {"I 4/m m m", "TETR", {{0.5, 0.5, 0.5}}},
      {"A m m 2", "ORTH", {{0, 0.5, 0.5}}},
      {"B 1 1 2", "MONO", {{0.5, 0, 0.5}}},
      {"C 1 2/c 1", "MONO", {{0.5, 0.5, 0}}},
      {"R -3 m:H", "HEXA", {{third, two_thirds, two_thirds}, {two_thirds, third, third}}},
      {"-R 3 2\"", "HEXA", {{third, two_thirds, two_thirds}, {two_thirds, third, third}}},  // Hall symbol
      {"R -3 m:R", "RHOM", {}},
      {"P 63/m m c", "HEXA", {}},
  };
  for (const Case& c : cases) {
    SymmetryData symmetry;
    symmetry.lattice_letter = lattice_letter(c.symbol, c.system);
    symmetry.operators = {SymmetryOperator::identity(),
                          make_operator({-1, 0, 0, 0.75, 0, -1, 0, 0.5, 0, 0, 1, 0})};
    ASSERT_TRUE(add_centring(symmetry, c.symbol, c.system));
    ASSERT_EQ(symmetry.centring_translations, c.translations) << c.symbol;
    // Each translation adds one block of the primitive operators; their
    // composition is checked against gemmi (modulo whole cells) for every
    // centred setting in catalogue_test.
    EXPECT_EQ(symmetry.operators.size(), 2 * (c.translations.size() + 1)) << c.symbol;
    for (const SymmetryOperator& op : symmetry.operators)  // translations kept within the cell
      EXPECT_LT(std::max({op.t(0), op.t(1), op.t(2)}), 1.0) << c.symbol;
  }
}

TEST(AddInverseOperators, AppendsTheTrueInversionPartnerAndNeitherAdditionGrowsPast192Operators) {
  // 4_1 screw axis of I 41/a (origin 1): (-y, x+1/2, z+1/4). Its partner under the
  // centre at the origin is (y, -x-1/2, -z-1/4) = (y, -x+1/2, -z+3/4); copying the
  // translation unchanged would give the operation (y, -x+1/2, -z+1/4), which is
  // not in the group.
  SymmetryData symmetry;
  symmetry.operators = {SymmetryOperator::identity(),
                        make_operator({0, -1, 0, 0, 1, 0, 0, 0.5, 0, 0, 1, 0.25})};
  ASSERT_TRUE(add_inverse_operators(symmetry));
  ASSERT_EQ(symmetry.operators.size(), 4u);
  EXPECT_EQ(testing::operator_key(symmetry.operators[3]),
            testing::operator_key(make_operator({0, 1, 0, 0, -1, 0, 0, 0.5, 0, 0, -1, 0.75})));
  EXPECT_EQ(testing::operator_key(symmetry.operators[2]),
            testing::operator_key(make_operator({-1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0})));
  symmetry.lattice_letter = 'F';
  symmetry.operators.assign(49, SymmetryOperator::identity());
  EXPECT_EQ((std::tuple{add_centring(symmetry, "F", "CUBI"), symmetry.operators.size()}),
            std::tuple(false, std::size_t{49}));
  symmetry.operators.resize(97);
  EXPECT_EQ((std::tuple{add_inverse_operators(symmetry), symmetry.operators.size()}),
            std::tuple(false, std::size_t{97}));
}

TEST(GetspecRoute, ArgumentLayoutAndAnUnknownSymbolLeavesNoOperators) {
  EXPECT_EQ(getspec_argument("-P 2ybc"),
            (GetspecSymbol{'-', 'P', ' ', '2', 'y', 'b', 'c', 32, 32, 32, 32, 32, 32, 32, 32, 32}));
  EXPECT_EQ(getspec_argument("0123456789abcdefXYZ")[15], 'f');
  testing::TempFolder scratch;
  ASSERT_EQ(getspec(getspec_argument("P 1 21/c 1"), scratch.path()), GetspecStatus::Written);
  EXPECT_EQ(getspec(getspec_argument("nonsense"), scratch.path()), GetspecStatus::UnknownSymbol);
  testing::ScriptedUi ui;
  CurrentCrystal crystal = crystal_with("CUBI", "Q 42 z");
  crystal.symmetry.operators.assign(4, SymmetryOperator::identity());
  EXPECT_TRUE(build_operators_getspec(crystal, scratch.path(), ui));
  EXPECT_EQ(
      std::tuple(ui.warnings, crystal.symmetry.operators.size(), crystal.symmetry.operator_texts.size()),
      std::tuple(std::vector<std::string>{"Q 42 z unknown space group"}, 0u, 0u));
}

TEST(PosRoute, BuildsTheRecordThroughAnySpellingAndKeepsOldOperatorsOtherwise) {
  testing::ScriptedUi ui;
  CurrentCrystal crystal = crystal_with("MONO", "P21/c");  // the catalogue writes "P 1 21/c 1"
  ASSERT_TRUE(build_operators_pos(crystal, testing::source_folder("data"), ui));
  const std::vector<std::string>& texts = crystal.symmetry.operator_texts;
  EXPECT_EQ(
      std::tuple(crystal.symmetry.operators.size(), crystal.symmetry.centrosymmetric,
                 std::vector(texts.begin() + 1, texts.end())),
      std::tuple(4u, true, std::vector<std::string>{"-X, Y+1/2,-Z+1/2", "-X,-Y,-Z", " X,-Y+1/2, Z+1/2"}));

  const auto before = crystal.symmetry.operators;
  crystal.symbol = "P 21/x";
  EXPECT_FALSE(build_operators_pos(crystal, testing::source_folder("data"), ui));
  EXPECT_EQ(testing::operator_keys(crystal.symmetry.operators), testing::operator_keys(before));
  EXPECT_TRUE(ui.warnings.empty());
}

TEST(PosRoute, MalformedRecordIsReportedAndChangesNothing) {
  testing::TempFolder program;
  testing::ScriptedUi ui;
  program.write("t.pos", "\nP 1\n0\n1\nX,Y,Z\n0\n\nP -1\n1\n2\nX,Y\n0\n\nP 2\nno\n");
  for (const char* symbol : {"P -1", "P 2"}) {
    CurrentCrystal crystal = crystal_with("TRIC", symbol);
    crystal.symmetry.operators.assign(3, SymmetryOperator::identity());
    EXPECT_FALSE(build_operators_pos(crystal, program.path(), ui)) << symbol;
    EXPECT_EQ(crystal.symmetry.operators.size(), 3u);
  }
  EXPECT_EQ(ui.warnings,
            (std::vector<std::string>{"Error in T.pos for P -1: X,Y", "Error in T.pos for P 2"}));
  CurrentCrystal missing = crystal_with("CUBI", "P 2 3");
  EXPECT_FALSE(build_operators_pos(missing, program.path(), ui));
  EXPECT_EQ(ui.last_warning(), "File C.pos not found");
}

}  // namespace
}  // namespace calvane
