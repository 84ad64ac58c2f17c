#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../experiment_io/byte_layout.hpp"
#include "crystal_io/lazy_pulverix_reader.hpp"
#include "crystal_io/powdercell_reader.hpp"
#include "crystal_io/shelx_reader.hpp"
#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"
#include "util/files.hpp"
#include "util/text.hpp"

namespace calvane {
namespace {

using ::testing::DoubleNear;
using ::testing::ElementsAre;
using testing::ScriptedUi;

std::vector<std::string> fixture_lines(const std::string& name) {
  auto lines = read_text_lines(testing::source_folder("tests/crystal_io/fixtures") / name);
  EXPECT_TRUE(lines.has_value()) << name;
  return lines.value_or(std::vector<std::string>{});
}

using testing::lines_of;

struct ExpectedAtom {
  const char* type;
  const char* label;
  double x, y, z, b, population;
};

void expect_atoms(const CurrentCrystal& crystal, const std::vector<ExpectedAtom>& expected,
                  double b_tolerance) {
  ASSERT_EQ(crystal.atoms.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const AtomSite& atom = crystal.atoms[i];
    const ExpectedAtom& e = expected[i];
    EXPECT_EQ(atom.type + "|" + atom.label, std::string(e.type) + "|" + e.label) << i;
    EXPECT_NEAR(std::hypot(atom.x - e.x, atom.y - e.y, atom.z - e.z), 0, 1e-9) << i;
    EXPECT_NEAR(atom.b, e.b, b_tolerance) << i;
    EXPECT_NEAR(atom.population, e.population, 1e-12) << i;
  }
}

// --- SHELX instruction files -------------------------------------------------

TEST(ShelxInstructions, ReadFreeVariablesContinuationsAndRidingAtoms) {
  ScriptedUi ui;
  auto crystal = read_shelx_instructions(fixture_lines("zro2.ins"), "t.ins", ui);
  ASSERT_TRUE(crystal.has_value()) << ui.last_warning();
  EXPECT_EQ(std::tuple(ui.warnings.size(), crystal->title, crystal->system_code, crystal->cell.a,
                       crystal->cell.beta, crystal->symbol),
            std::tuple(0u, "zro2 in P2(1)/c", "MONO", 5.1505, 99.23, ""));
  // B values: 78.9567018248·U; ZR1's anisotropic Ueq from cctbx (0.0118820);
  // H1 rides on O1 with 1.2·Ueq(O1); OW1 takes its element from SFAC 2.
  expect_atoms(*crystal,
               {{"ZR", "1", 0.2754, 0.0395, 0.2083, 0.9381626, 1},
                {"O", "1", 0.07, 0.3317, 0.3447, 0.4895316, 1},
                {"H", "1", 0.1, 0.2, 0.3, 0.5874379, 1},
                {"O", "2", 0.4496, 0.7569, -0.5208, 0.0058 * 78.9567018248, 1},
                {"O", "1", 0.25, 0.5, 0.75, 0.7895670, 1}},
               2e-5);
}

TEST(ShelxInstructions, RefuseUnreadableFiles) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "Cell parameters not found!"},
      {"TITL only a title\n", "Cell parameters not found!"},
      {"CELL 1.54 5 5\n", "Cell parameters not found!"},
      {"CELL 1.54 5 5 5 90 90 90\nFVAR 1\nC1 1 0.1 zero 0.3 11 0.05\n", "read error"},
      {"CELL 1.54 5 5 5 90 90 90\nFVAR 1\nC1 1 0.1\n", "read error"},
      {"CELL 1.54 5 5 5 90 90 90\nFVAR 1\nC1 1 41.0 0.2 0.3 11 0.05\n", "read error"},  // no FV(4)
      {"CELL 1.54 5 5 5 90 90 90\nFVAR 1\nH1 1 0.1 0.2 0.3 11 -1.2\n", "read error"},   // rides on nothing
      {"CELL 1.54 5 5 5 90 90 90\nFVAR 1 x\n", "read error"},
  };
  for (auto [text, message] : cases) {
    ScriptedUi ui;
    EXPECT_FALSE(read_shelx_instructions(lines_of(text), "t.ins", ui).has_value()) << text;
    ASSERT_EQ(ui.warnings.size(), 1u) << text;
    EXPECT_EQ(ui.warnings[0].rfind(std::string(message) + " (t.ins", 0), 0u) << ui.warnings[0];
  }
}

TEST(ShelxInstructions, StopAtFourHundredAtoms) {
  std::string text = "CELL 1.54 5 5 5 90 90 90\nFVAR 1\n";
  for (int i = 0; i < 400; ++i) text += "C1 1 0.1 0.2 0.3 11 0.05\n";
  ScriptedUi ui;
  auto crystal = read_shelx_instructions(lines_of(text), "t.ins", ui);
  EXPECT_EQ(crystal.value_or(CurrentCrystal{}).atoms.size(), 400u);
  text += "C1 1 0.1 0.2 0.3 11 0.05\n";
  EXPECT_FALSE(read_shelx_instructions(lines_of(text), "t.ins", ui).has_value());
  EXPECT_EQ(ui.last_warning(), "The number of atoms is > 400!");
}

// --- SHELX result listings ---------------------------------------------------

TEST(ShelxResults, ReadBothLayoutsAndTheInstructionLayoutAlike) {
  // Anisotropic B: 8π²·Ueq with Ueq from cctbx for the monoclinic cell.
  const std::vector<ExpectedAtom> expected = {{"ZR", "1", 0.2754, 0.0395, 0.2083, 0.9381642, 1},
                                              {"O", "1", 0.07, 0.3317, 0.3447, 0.4981504, 1},
                                              {"O", "2", 0.4496, 0.7569, 0.4792, 0.4660117, 0.5}};
  for (const char* file : {"zro2_layout_a.res", "zro2_layout_b.res"}) {
    ScriptedUi ui;
    auto crystal = read_shelx_result(fixture_lines(file), file, ui);
    ASSERT_TRUE(crystal.has_value()) << file << ": " << ui.last_warning();
    EXPECT_EQ(std::tuple(ui.warnings.size(), crystal->system_code, crystal->cell.c),
              std::tuple(0u, "MONO", 5.3173))
        << file;
    expect_atoms(*crystal, expected, 2e-5);
  }
  ScriptedUi ui;  // an instruction layout, as SHELXL writes it
  auto crystal = read_shelx_result(fixture_lines("zro2.ins"), "zro2.res", ui);
  ASSERT_TRUE(crystal.has_value()) << ui.last_warning();
  EXPECT_EQ(crystal->atoms.size(), 5u);
}

TEST(ShelxResults, NameTheFileWhenTheyCannotBeRead) {
  ScriptedUi ui;
  EXPECT_FALSE(read_shelx_result(lines_of("hello\nworld\n"), "x.res", ui).has_value());
  EXPECT_EQ(ui.last_warning(), "The file x.res Seems not to be a Shelx file");

  std::vector<std::string> lines = fixture_lines("zro2_layout_b.res");
  lines[5] =
      " ZR1    0.27540   0.0395O   0.20830   1.00000   0.01100   0.01200   0.01300  -0.00200   0.00300   "
      "0.00100";
  EXPECT_FALSE(read_shelx_result(lines, "b.res", ui).has_value());
  EXPECT_EQ(ui.last_warning(), "error " + trim(lines[5]) + " b.res");

  lines = fixture_lines("zro2_layout_b.res");
  lines[1] = " CELL  0.71073   5.1505";
  EXPECT_FALSE(read_shelx_result(lines, "b.res", ui).has_value());
  EXPECT_EQ(ui.last_warning(),
            "Cell parameters not found! (b.res, line 2: CELL needs the wavelength and six cell parameters)");
}

// --- PowderCell and Lazy-Pulverix ----------------------------------------------

struct NumberedGroups : ::testing::Test {
  std::filesystem::path list = testing::source_folder("data") / "csp.lst";
  ScriptedUi ui;
};

// The atom-line shapes are read against cctbx in file_reference_test.
TEST_F(NumberedGroups, PowderCellFindsTheGroupByNumberAndReplacesOneOfAnotherSystem) {
  auto crystal = read_powdercell(fixture_lines("rutile.cel"), "rutile.cel", list, ui);
  ASSERT_TRUE(crystal.has_value()) << ui.last_warning();
  EXPECT_EQ(std::tuple(crystal->symbol, crystal->symmetry.space_group_number), std::tuple("P42/MNM", 136));
  std::vector<std::string> lines = fixture_lines("rutile.cel");
  lines.back() = "rgnr 225";
  crystal = read_powdercell(lines, "rutile.cel", list, ui);
  ASSERT_TRUE(crystal.has_value());
  EXPECT_EQ(crystal->symbol, "P422");
  EXPECT_EQ(ui.last_warning(),
            "The Space Group FM-3M is not compatible with an Tetragonal cell. It has been  reset to P422");
}

TEST_F(NumberedGroups, PowderCellSkipsUnreadableAtomsAndRefusesAMissingCell) {
  std::vector<std::string> lines = fixture_lines("rutile.cel");
  lines.insert(lines.begin() + 2, "Xx1  22  not numbers");
  lines.insert(lines.begin() + 2, "O2    8  0.5 0.5 0.5 0.9");  // five numbers: the fifth is the SOF
  auto crystal = read_powdercell(lines, "r.cel", list, ui);
  ASSERT_TRUE(crystal.has_value());
  ASSERT_EQ(crystal->atoms.size(), 3u);
  EXPECT_EQ(std::tuple(crystal->atoms[0].b, crystal->atoms[0].population), std::tuple(1.0, 0.9));
  EXPECT_EQ(crystal->read_notes, std::vector<std::string>{"B = 1.0 A^2 assumed (no B in the file) for O2"});

  // No CELL line at all.
  EXPECT_FALSE(read_powdercell(lines_of("natom 1\nTi1  22  0 0 0 1 0.4\n"), "r.cel", list, ui).has_value());
  EXPECT_EQ(ui.last_warning(), "Cell parameters not found! (r.cel: no CELL line)");
}

TEST_F(NumberedGroups, LazyPulverixReadsTitleCellSymbolAndAtoms) {
  auto crystal = read_lazy_pulverix(fixture_lines("rutile.lzy"), "rutile.lzy", list, ui);
  ASSERT_TRUE(crystal.has_value()) << ui.last_warning();
  EXPECT_EQ(std::tuple(ui.warnings.size(), crystal->title, crystal->symbol,
                       crystal->symmetry.space_group_number, crystal->system_code),
            std::tuple(0u, "Rutile TiO2", "P42/MNM", 136, "TETR"));
  expect_atoms(*crystal, {{"TI", "1", 0, 0, 0, 0.42, 1}, {"O", "1", 0.30478, 0.30478, 0, 0.58, 1}}, 1e-12);

  crystal = read_lazy_pulverix(lines_of("CELL 5 5 6 90 95 90\nSPCGRP P 21/C\nATOM O  1 0.1 0.2 0.3 1 1\n"),
                               "m.lzy", list, ui);
  ASSERT_TRUE(crystal.has_value());
  EXPECT_EQ(std::tuple(crystal->symbol, crystal->system_code), std::tuple("P21/C", "MONO"));
}

TEST_F(NumberedGroups, LazyPulverixRefusesUnreadableCellsAndAtoms) {
  const std::pair<const char*, const char*> cases[] = {
      {"CELL 5 5\n", "Cell not found"},
      {"TITLE no cell\nATOM O  1 0.1 0.2 0.3 1 1\n", "Cell not found"},
      {"CELL 5 5 5 90 90 90\nATOM O  1 0.1 0.2\n", "Read error"},
      {"CELL 5 5 5 90 90 90\nATOM O  1 0.1 0.2 0.3 one 1\n", "Read error"},
  };
  for (auto [text, message] : cases) {
    ui.warnings.clear();
    EXPECT_FALSE(read_lazy_pulverix(lines_of(text), "x.lzy", list, ui).has_value()) << text;
    ASSERT_EQ(ui.warnings.size(), 1u) << text;
    EXPECT_EQ(ui.warnings[0].rfind(std::string(message) + " (x.lzy", 0), 0u) << ui.warnings[0];
  }
}

TEST(ShelxInstructions, SiteOccupationFactorsFollowTheFreeVariables) {
  // FV(2) = 0.3: 21 gives 0.3, -21 gives 1 - 0.3 (the other writings are in
  // foreign_text_test); a line that stops after z is 11 (1).
  const std::string text = "CELL 1.54 5 5 5 90 90 90\nFVAR 1.0 0.3\nFE1 1 0.1 0.2 0.3 21.0 0.01\n"
                           "MN1 1 0.1 0.2 0.3 -21.0 0.01\nO3 1 0.4 0.4 0.4\nEND\n";
  ScriptedUi ui;
  auto crystal = read_shelx_instructions(lines_of(text), "fv.ins", ui);
  ASSERT_TRUE(crystal.has_value()) << ui.last_warning();
  std::vector<double> populations;
  for (const AtomSite& atom : crystal->atoms) populations.push_back(atom.population);
  EXPECT_THAT(populations, ElementsAre(0.3, DoubleNear(0.7, 1e-12), 1.0));

  // An occupancy on a free variable that FVAR does not give is refused with its line.
  ui.warnings.clear();
  EXPECT_FALSE(read_shelx_instructions(lines_of("CELL 1.54 5 5 5 90 90 90\nFVAR 1\nFE1 1 0 0 0 31 0.01\n"),
                                       "fv.ins", ui)
                   .has_value());
  EXPECT_EQ(ui.last_warning(),
            "read error (fv.ins, line 3: the occupancy of FE1 refers to a free variable that FVAR does not give)");
}

}  // namespace
}  // namespace calvane
