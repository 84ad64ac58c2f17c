// The crystal page as the flows use it: what it shows goes back into the
// phase without loss, its edits reach the phase, and each flow writes into
// the phase it means to.
#include "flows/crystal_page.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "flows/open_flow.hpp"
#include "flows/total_data_flows.hpp"
#include "program_with_data.hpp"
#include "flows/cif_block_window.hpp"
#include "flows/space_group_window.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "flows/driver.hpp"
#include "flows/main_actions.hpp"
#include "flows/program.hpp"

namespace calvane {
namespace {

struct CrystalPage : ::testing::Test, testing::ProgramWithData {
  Workspace& ws = program.workspace;
  CrystalPageForm& page = program.main_form.crystal;
  // Opens fixture crystal files as .cry phases; true when each became a phase.
  bool open_fixtures(std::initializer_list<const char*> names) {
    const int before = ws.phase_count();
    for (const char* name : names) open(name, testing::crystal_fixture(name));
    return ws.phase_count() == before + static_cast<int>(names.size());
  }
  // A cubic SrO-like crystal typed during the keyboard capture.
  void type_strontium_crystal() {
    start_keyboard_capture(program);
    choose_crystal_system(program, 0);
    page.title = "typed";
    page.cell[0].text = "3.905";
    apply_system_constraints(page, "CUBI");
    page.hermann_mauguin = "P m -3 m";
    ws.crystal.symbol = "P m -3 m";
    for (int column = 0; column < 7; ++column)
      page.xray_atoms.set_cell(1, column, std::vector<std::string>{"Sr", "", "0", "0", "0", "0.5", "1"}[column]);
    leave_xray_atom_row(program, 1, 1);
  }
};

/// The line 1 1 1 (or −1 −1 −1, its Friedel mate) of a phase.
const Reflection* line_111(const PhaseData& phase) {
  auto found = std::find_if(phase.reflections.begin(), phase.reflections.end(), [](const Reflection& r) {
    return std::abs(r.h) == 1 && r.h == r.k && r.k == r.l;
  });
  return found == phase.reflections.end() ? nullptr : &*found;
}

// Low albite's triclinic cell (a = 8.1372, b = 12.787, c = 7.1574 Å,
// α = 94.245°, β = 116.605°, γ = 87.809°) gives d(111) = 3.773689 Å
// (gemmi 0.5.7, UnitCell.calculate_d); with the angles rounded to the page's
// two decimals it would be 3.773312 Å, with the degree factor 1/57.2957
// 3.773676 Å.
TEST_F(CrystalPage, ACellReadFromAFileIsComputedAndSavedAtFullPrecision) {
  open("albite.cry", testing::crystal_fixture("low_albite.cry"));
  open("albite.cif", testing::crystal_fixture("low_albite.cif"), CrystalFileKind::Cif);
  ASSERT_EQ(ws.phase_count(), 2) << ui.last_warning();
  EXPECT_EQ(page.cell[4].text, "116.61");  // shown rounded
  recompute_all_phases(program);  // commits the untouched page again
  for (int p = 1; p <= 2; ++p) {
    const Reflection* line = line_111(ws.phase(p));
    ASSERT_NE(line, nullptr);
    EXPECT_NEAR(line->d, 3.773689, 1e-6);
    EXPECT_NE(read_file_bytes(folder / ("phase" + std::to_string(p) + ".out"))->find(" 3.7737"),
              std::string::npos);
  }
  EXPECT_EQ(std::count_if(program.main_form.results.begin(), program.main_form.results.end(),
                          [](const std::string& row) { return row.substr(3, 16) == "  1  1  1  3.774"; }),
            2);

  ui.choose_file((folder / "saved.cry").string());
  save_current_crystal(program);
  const auto saved = read_text_lines(folder / "saved.cry");
  ASSERT_TRUE(saved && saved->size() >= 6);
  EXPECT_EQ(std::tuple((*saved)[3], (*saved)[5].substr(7)),
            std::tuple(std::string("   8.1372  12.7870   7.1574  94.245 116.605  87.809"),
                       std::string("  0.008900  0.168400  0.208800    0.625   1.0000")));
}

TEST_F(CrystalPage, OnlyTheFieldsTheUserChangedAreReadFromTheirText) {
  ASSERT_TRUE(open_fixtures({"low_albite.cry"})) << ui.last_warning();
  page.cell[3].text = "94.3";              // α typed
  page.xray_atoms.set_cell(2, 5, "0.7");  // B of Al typed
  read_cell_field(program, 3);
  EXPECT_DOUBLE_EQ(ws.crystal.cell.alpha, 94.3);
  commit_crystal_page(program);
  const PhaseData& phase = ws.phase(1);
  EXPECT_EQ(std::tuple(phase.crystal.cell.alpha, phase.crystal.cell.beta, phase.crystal.atoms[1].b),
            std::tuple(94.3, 116.605, 0.7));
  // A field that copies another copies its value: cubic b and c take a whole.
  choose_crystal_system(program, 0);
  commit_crystal_page(program);
  EXPECT_DOUBLE_EQ(phase.crystal.cell.c, 8.1372);
}

TEST_F(CrystalPage, TypedAnomalousCoefficientsReachTheComputationAndAnUnknownElementIsNamed) {
  ASSERT_TRUE(open_fixtures({"nacl.cry"})) << ui.last_warning();
  ASSERT_EQ(page.anomalous.cell(2, 0), ws.composition.anomalous[0].element);
  const double table_value = ws.composition.anomalous[0].f_prime[0];
  page.anomalous.set_cell(2, 1, "1.5");
  recompute_current_phase(program);
  EXPECT_NE(table_value, 1.5);
  EXPECT_EQ(std::tuple(ui.warnings.size(), ws.phase(1).composition.anomalous[0].f_prime[0]),
            std::tuple(0u, 1.5));

  ws.composition.anomalous[0].element = "XQ";
  EXPECT_FALSE(decode_crystal_page(program));
  EXPECT_EQ(ui.last_warning(), "element XQ not found!");
}

// The phase keeps its structure-factor sums from one computation to the
// next: after an edited occupancy and B, Apply must give what a fresh
// program gives for a file holding the edited values (each input of the
// caches is changed in structure_factor_test and reflection_list_test).
TEST_F(CrystalPage, AnEditedOccupancyAndBGiveTheIntensitiesOfAFreshComputation) {
  ASSERT_TRUE(open_fixtures({"nacl.cry"})) << ui.last_warning();
  auto expect_fresh = [this](const std::string& file) {
    testing::ProgramWithData fresh;
    fresh.open("edited.cry", file);
    const auto& edited = ws.phase(1).reflections;
    const auto& expected = fresh.program.workspace.phase(1).reflections;
    ASSERT_EQ(edited.size(), expected.size()) << fresh.ui.last_warning();
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_DOUBLE_EQ(edited[i].d, expected[i].d) << i;
      EXPECT_NEAR(edited[i].intensity, expected[i].intensity, 1e-9 * expected[i].intensity) << i;
    }
  };
  page.xray_atoms.set_cell(2, 6, "0.5");  // Cl occupancy
  page.xray_atoms.set_cell(1, 5, "1.5");  // Na B
  recompute_current_phase(program);
  expect_fresh("NaCl\nCUBI\nF m -3 m\n5.6402 5.6402 5.6402 90 90 90\nNa  1 0 0 0 1.5 1\nCl  1 0.5 0.5 0.5 0.98 0.5\n");
}

TEST_F(CrystalPage, AFailedComputationLeavesEachPhaseItsOwnProfile) {
  ASSERT_TRUE(open_fixtures({"nacl.cry"})) << ui.last_warning();
  const std::vector<float> weighted = ws.phase(1).profile;
  ASSERT_FALSE(weighted.empty());
  page.cell[0].text = "0";
  recompute_current_phase(program);
  EXPECT_EQ(std::tuple(ui.last_warning(), ws.phase(1).profile),
            std::tuple(std::string("Bad cell parameters!"), weighted));
  save_current_crystal(program);  // no file chosen: only the commit
  EXPECT_EQ(ws.phase(1).profile, weighted);
  // A cell of 1 Å has no line between 10° and 50° at 1.5406 Å.
  open("tiny.cry", "tiny\nCUBI\nP m -3 m\n1.0 1.0 1.0 90 90 90\nNa  1  0 0 0 1 1\n");
  ASSERT_EQ(ws.phase_count(), 2);
  EXPECT_EQ(std::tuple(ui.last_warning(), ws.phase(2).profile.size()),
            std::tuple(std::string("No reflection in the angular range for phase#2"), std::size_t{0}));
}

TEST_F(CrystalPage, DeletingTheCurrentPhaseShowsThePhaseThatTakesItsPlace) {
  ASSERT_TRUE(open_fixtures({"nacl.cry", "rutile.cry", "zno.cry"})) << ui.last_warning();
  show_phase(program, 2);
  const CurrentCrystal zno = ws.phase(3).crystal;
  erase_phase_row(program, 2);
  EXPECT_EQ(page.hermann_mauguin, zno.symbol);
  recompute_current_phase(program);
  EXPECT_DOUBLE_EQ(ws.phase(2).crystal.cell.c, zno.cell.c);
}

TEST_F(CrystalPage, SavingDuringKeyboardCaptureLeavesTheCurrentPhaseAlone) {
  ASSERT_TRUE(open_fixtures({"nacl.cry"})) << ui.last_warning();
  const CurrentCrystal nacl = ws.phase(1).crystal;
  const std::string nacl_file = ws.phase(1).file_name;
  type_strontium_crystal();
  ui.choose_file((folder / "typed.cry").string());
  save_current_crystal(program);
  const auto typed = read_text_lines(folder / "typed.cry");
  ASSERT_TRUE(typed) << ui.last_warning();
  EXPECT_EQ(std::tuple((*typed)[0], ws.phase(1).crystal.cell.a, ws.phase(1).file_name),
            std::tuple("typed", nacl.cell.a, nacl_file));
}

// Apply during the capture, the save declined: the new phase reads its file
// from the scratch folder, and nothing is written in the user's folders.
TEST_F(CrystalPage, ATypedPhaseNotSavedIsWrittenOnlyToTheScratchFolder) {
  ASSERT_TRUE(open_fixtures({"nacl.cry"})) << ui.last_warning();
  type_strontium_crystal();
  ui.answer(Answer::No);
  compute_current_phase(program);
  ASSERT_EQ(ws.phase_count(), 2) << ui.last_warning();
  EXPECT_EQ(std::filesystem::path(ws.phase(2).file_name).parent_path(), program.scratch.path());
  EXPECT_FALSE(std::filesystem::exists(folder / "phase2.cry"));
}

TEST_F(CrystalPage, RestoringACifPhaseReadsItsOwnBlock) {
  open("two.cif", testing::crystal_fixture("low_albite.cif") + "\n" + testing::crystal_fixture("triclinic_test.cif"), CrystalFileKind::Cif);
  program.cif_block_form.selected = 1;  // "triclinic_test"
  accept_cif_block(program);
  ASSERT_EQ(ws.phase_count(), 1) << ui.last_warning();
  open("rutile.cif", testing::crystal_fixture("rutile_old_dictionary.cif"), CrystalFileKind::Cif);
  ASSERT_EQ(ws.phase_count(), 2) << ui.last_warning();
  show_phase(program, 1);
  restore_data(program);
  EXPECT_DOUBLE_EQ(ws.phase(1).crystal.cell.a, 5.1);
}

TEST_F(CrystalPage, AClickInTheAtomGridDoesNotStopALaterShelxFileFromBeingAdded) {
  open("zro2.ins", testing::crystal_fixture("zro2.ins"), CrystalFileKind::Shelx);
  ASSERT_EQ(ws.phase_count(), 1) << ui.last_warning();
  leave_xray_atom_row(program, 1, 2);
  EXPECT_TRUE(ws.crystal_changed);
  recompute_current_phase(program);
  EXPECT_FALSE(ws.crystal_changed);  // the computation commits the page and clears it

  leave_xray_atom_row(program, 1, 2);
  std::string text = testing::crystal_fixture("zro2.ins");
  text.replace(text.find("SYMM -X, 0.5+Y, 0.5-Z"), 21, "SYMM -X, 0.5+Y, 0.3-Z");
  open("odd.ins", text, CrystalFileKind::Shelx);
  EXPECT_EQ(ui.last_warning(), "CalvaneMP can't find the space group symbol");
  ASSERT_EQ(ui.window_changes.back(), std::make_pair(WindowId::SpaceGroup, true));
  SpaceGroupForm form;
  ws.crystal.symbol = page.hermann_mauguin = "P 1 21/c 1";
  EXPECT_TRUE(accept_space_group(form, program, [this] { add_loaded_phase(program); }));
  EXPECT_EQ(ws.phase_count(), 2) << ui.last_warning();
}

}  // namespace
}  // namespace calvane
