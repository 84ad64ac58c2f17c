#include "flows/main_actions.hpp"

#include <gtest/gtest.h>

#include <fstream>

#include "flows/open_flow.hpp"
#include "flows/total_data_flows.hpp"
#include "support/started_program.hpp"
#include "ui/program_version.hpp"
#include "support/program_in_folder.hpp"

namespace calvane {
namespace {

struct MainActions : ::testing::Test, testing::ProgramInFolder {
  MainForm& form = program.main_form;
  Workspace& ws = program.workspace;

  void add_phases(int count) {
    for (int p = 1; p <= count; ++p) {
      ws.phases.emplace_back();
      ws.phases.back().file_name = "phase_" + std::to_string(p) + ".cry";
      ws.phases.back().crystal.title = "crystal " + std::to_string(p);
      ws.phases.back().crystal.system_code = "CUBI";
    }
    ws.current_phase = 1;
  }
};

TEST(MainWindowCaption, NamesTheWorkspaceAndMarksItWhenModified) {
  const std::string base = "Multi Phases  version of Calvane  " + std::string(program_version());
  const struct { const char* file; bool modified; std::string caption; } cases[] = {
      {"", false, base}, {"", true, "Untitled* - " + base},
      {"quartz.cmp", false, "quartz.cmp - " + base}, {"quartz.cmp", true, "quartz.cmp* - " + base}};
  for (const auto& c : cases) EXPECT_EQ(main_window_caption(c.file, c.modified), c.caption) << c.file << c.modified;
}

// Opening, changing, saving and closing a workspace as the user does.
struct UnsavedWorkspace : ::testing::Test, testing::StartedProgram {
  Workspace& ws = program.workspace;
  std::string caption() {
    show_workspace_caption(program);
    return program.main_form.caption;
  }
  static constexpr const char* kQuestion = "Save the workspace before closing?";
};

TEST_F(UnsavedWorkspace, ANewPhaseIsOfferedForSavingAndCancelKeepsTheProgram) {
  EXPECT_TRUE(settle_unsaved_workspace(program));  // nothing changed: no question
  open_example("silicon.cry");
  ui.save_choices = {SaveChoice::Cancel};
  EXPECT_FALSE(settle_unsaved_workspace(program));
  EXPECT_EQ(ui.questions, std::vector<std::string>{kQuestion});

  // Save, but the save dialog cancelled: the program stays, still modified.
  ui.save_choices = {SaveChoice::Save};
  ui.cancel_file_dialog();
  EXPECT_FALSE(settle_unsaved_workspace(program));
  EXPECT_TRUE(program.workspace_modified);

  ui.save_choices = {SaveChoice::Discard};
  EXPECT_TRUE(settle_unsaved_workspace(program));
}

TEST_F(UnsavedWorkspace, SavingAndOpeningClearTheMarkAndLaterChangesSetItAgain) {
  open_example("silicon.cry");
  open_example("nacl.cry");
  ui.save_choices = {SaveChoice::Save};
  ui.choose_file((folder.path() / "work").string(), 2);
  EXPECT_TRUE(settle_unsaved_workspace(program));
  EXPECT_TRUE(settle_unsaved_workspace(program));  // saved: no second question
  EXPECT_EQ(ui.questions.size(), 1u);

  // The snapshot a deletion writes is not the user's save: the deletion marks the workspace.
  erase_phase_row(program, 2);
  ASSERT_EQ(ws.phase_count(), 1);
  EXPECT_EQ(caption().substr(0, 12), "work.cmp* - ");

  ui.choose_file((folder.path() / "work.cmp").string());
  ASSERT_TRUE(open_workspace_file(program, TotalDataSender::Menu).loaded);
  EXPECT_FALSE(program.workspace_modified);
  EXPECT_TRUE(restore_erased_phase(program).loaded);
  EXPECT_TRUE(program.workspace_modified);  // "Restore" changes the workspace opened

  delete_phases(program);
  EXPECT_TRUE(program.workspace_modified);
  // An empty workspace has nothing a workspace file could keep: no question.
  EXPECT_TRUE(settle_unsaved_workspace(program));
  EXPECT_EQ(ui.questions.size(), 1u);
}

using OpenMenu = UnsavedWorkspace;

// The kind rules are checked with the readers; here the entry falls back to the content.
TEST_F(OpenMenu, OpenCrystalStructureTellsTheKindByTheContentOfANameWithoutExtension) {
  ui.choose_file(folder.write("rutile_structure", "CELL  4.5937  4.5937  2.9587  90.000  90.000  90.000\n"
                                                  "Ti1  22  0.0 0.0 0.0  1.0  0.42\nO1    8  0.30478 0.30478 0.0  1.0  0.58\n"
                                                  "rgnr 136\n").string());
  open_crystal_structure(program);
  EXPECT_EQ(ws.crystal_file_kind, CrystalFileKind::PowderCell) << ui.last_warning();
  ui.choose_file(folder.write("notes", "nothing to read\n").string());
  open_crystal_structure(program);
  EXPECT_NE(ui.last_warning().find("notes is no crystal file that the program can tell"), std::string::npos);
}

TEST_F(MainActions, SelectorButtonsAndTheDisplayBoxMakeAPhaseCurrent) {
  add_phases(3);
  form.crystal.selector_index = 0;
  show_phase(program, 5);  // beyond the phases: only deselects
  EXPECT_EQ(std::tuple(form.crystal.selector_index, ws.current_phase), std::tuple(-1, 1));
  show_phase(program, 3);
  EXPECT_EQ(std::tuple(ws.crystal.title, form.phases.rows[2].display, form.crystal.apply_bar_caption),
            std::tuple("crystal 3", true, "Data for Phase3(phase_3)"));
  click_display(program, 2);
  EXPECT_EQ(std::tuple(form.page, form.crystal.selector_index), std::tuple(MainPage::CrystalData, 1));
  form.phases.rows[6].display = true;  // a row without a phase
  click_display(program, 7);
  EXPECT_EQ(std::tuple(form.phases.rows[6].display, ws.current_phase), std::tuple(false, 2));
}

TEST_F(MainActions, ErasingPhasesDeletesTheirScratchFilesAndEmptiesTheTable) {
  add_phases(2);
  const std::filesystem::path scratch = program.scratch.new_subfolder("workspace-") / "a.cry";
  std::ofstream(scratch) << "x";
  ws.phase(1).file_name = scratch.string();
  ws.phase(2).file_name = "a_mp.cry";  // the user's own file
  for (const char* name : {"a_mp.cry", "phase_2.cry", "phase1.out", "phase22.out"}) folder.write(name, "x");
  form.phases.rows[0].name = "a_mp";
  form.phases.rows[1].hkl = form.phases.rows[1].display = true;
  form.phases.rows[1].strain = "1.00";
  form.results = {"line"};
  ws.observed_peaks.emplace_back();
  delete_phases(program);
  EXPECT_EQ(std::tuple(ws.phase_count(), form.phases.rows[0].name), std::tuple(0, ""));
  // No stray tick or strain is left in the table.
  EXPECT_EQ(std::tuple(form.phases.rows[1].hkl, form.phases.rows[1].display, form.phases.rows[1].strain),
            std::tuple(false, false, ""));
  // The listings and the scratch copy go; the user's own files stay.
  EXPECT_EQ((std::vector{std::filesystem::exists(folder / "phase1.out"),
                         std::filesystem::exists(folder / "phase22.out"), std::filesystem::exists(scratch),
                         std::filesystem::exists(folder / "a_mp.cry"),
                         std::filesystem::exists(folder / "phase_2.cry")}),
            (std::vector{false, false, false, true, true}));
  EXPECT_EQ(ws.observed_peaks.size(), 1u);  // only "General" erases observed data
  erase_all(program);
  EXPECT_TRUE(ws.observed_peaks.empty());
}

TEST_F(MainActions, ErasingClosesTheDifferenceWindow) {
  for (void (*erase)(Program&) : {&delete_phases, &erase_all}) {
    add_phases(1);
    program.plot_state.difference_open = true;
    program.plot_state.difference = {1, 2, 3};
    erase(program);
    EXPECT_EQ(std::tuple(program.plot_state.difference_open, program.plot_state.difference.size()),
              std::tuple(false, 0u));
  }
}

TEST_F(MainActions, ActivationShowsTheCellAtFullPrecisionAndTheExperimentSettings) {
  add_phases(1);
  ws.crystal_file_name = "a.cry";
  ws.crystal.system_code = "TRIC";
  ws.crystal.cell = CellParameters{.a = 8.1372, .b = 12.787, .c = 7.1574, .alpha = 94.245, .beta = 116.605, .gamma = 87.809};
  ws.settings.wavelengths = {1.5406, 1.5444};
  ws.settings.fractions = {0.5, 0.5};
  reset_data(program);
  EXPECT_EQ(std::tuple(form.crystal.cell[3].text, *form.crystal.cell[3].unchanged_value(),
                       form.experiment.wavelength),
            std::tuple("94.25", 94.245, "Multiple"));
}

TEST_F(MainActions, SourceButtonsSwitchTheSourceAndFlagTheFollowUps) {
  const FollowUp neutrons = choose_neutrons(program);
  // No phase: nothing to compute.
  EXPECT_EQ(
      std::tuple(ws.settings.source, form.crystal.neutron_grid_visible, form.xray_button_active,
                 neutrons.reset_plot, neutrons.clear_plot, neutrons.recompute_all),
      std::tuple(RadiationSource::Neutrons, true, false, true, true, false));
  reset_data(program);  // activation writes the caption
  EXPECT_EQ(form.source_caption, "Source: Neutrons");
  add_phases(1);
  EXPECT_TRUE(choose_neutrons(program).recompute_all);

  const FollowUp xrays = choose_xrays(program);
  EXPECT_EQ(std::tuple(ws.settings.source, form.xray_button_active, form.crystal.neutron_grid_visible,
                       xrays.reset_plot),
            std::tuple(RadiationSource::XRays, true, false, true));
  EXPECT_EQ(ui.window_changes.back(), (std::pair<WindowId, bool>{WindowId::Polarisation, true}));
}

}  // namespace
}  // namespace calvane
