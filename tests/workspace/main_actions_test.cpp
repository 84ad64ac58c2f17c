#include "workspace/main_actions.hpp"

#include <gtest/gtest.h>

#include <fstream>

#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"
#include "workspace/program.hpp"

namespace calvane {
namespace {

struct MainActions : ::testing::Test {
  testing::TempFolder folder;
  testing::ScriptedUi ui;
  Program program{ui, folder.path()};
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

TEST_F(MainActions, SelectorButtonsAndTheDisplayBoxMakeAPhaseCurrent) {
  add_phases(3);
  form.crystal.selector_index = 0;
  affiche_phases(program, 5);  // beyond the phases: only deselects
  EXPECT_EQ(form.crystal.selector_index, -1);
  EXPECT_EQ(ws.current_phase, 1);
  affiche_phases(program, 3);
  EXPECT_EQ(ws.current_phase, 3);
  EXPECT_EQ(ws.crystal.title, "crystal 3");
  EXPECT_TRUE(form.phases.rows[2].display);
  EXPECT_FALSE(form.phases.rows[0].display);
  EXPECT_EQ(form.crystal.apply_bar_caption, "Data for Phase3(phase_3)");

  click_display(program, 2);
  EXPECT_EQ(ws.current_phase, 2);
  EXPECT_EQ(form.page, MainPage::CrystalData);
  EXPECT_EQ(form.crystal.selector_index, 1);
  form.phases.rows[6].display = true;  // a row without a phase
  click_display(program, 7);
  EXPECT_FALSE(form.phases.rows[6].display);
  EXPECT_EQ(ws.current_phase, 2);
}

TEST_F(MainActions, ErasingPhasesDeletesTheirScratchFilesAndEmptiesTheTable) {
  add_phases(2);
  const std::filesystem::path scratch = program.scratch.new_subfolder("workspace-") / "a.cry";
  std::ofstream(scratch) << "x";
  ws.phase(1).file_name = scratch.string();
  ws.phase(2).file_name = "a_mp.cry";  // the user's own file
  for (const char* name : {"a_mp.cry", "phase_2.cry", "phase1.out", "phase22.out"}) folder.write(name, "x");
  form.phases.rows[0].name = "a_mp";
  form.results = {"line"};
  ws.observed_peaks.emplace_back();
  delete_phases(program);
  EXPECT_EQ(ws.phase_count(), 0);
  EXPECT_EQ(ws.current_phase, 0);
  EXPECT_TRUE(form.phases.rows[0].name.empty());
  EXPECT_TRUE(form.results.empty());
  for (const char* gone : {"phase1.out", "phase22.out"}) EXPECT_FALSE(std::filesystem::exists(folder / gone));
  EXPECT_FALSE(std::filesystem::exists(scratch));
  for (const char* kept : {"a_mp.cry", "phase_2.cry"}) EXPECT_TRUE(std::filesystem::exists(folder / kept)) << kept;
  EXPECT_EQ(ws.observed_peaks.size(), 1u);  // only "General" erases observed data
  rase_general(program);
  EXPECT_TRUE(ws.observed_peaks.empty());
  EXPECT_EQ(form.crystal.data_caption, "Data");
  EXPECT_GE(ui.redraws, 1);
}

TEST_F(MainActions, ErasingClosesTheDifferenceWindow) {
  for (void (*erase)(Program&) : {&delete_phases, &rase_general}) {
    add_phases(1);
    program.plot_state.difference_open = true;
    program.plot_state.difference = {1, 2, 3};
    erase(program);
    EXPECT_FALSE(program.plot_state.difference_open);
    EXPECT_TRUE(program.plot_state.difference.empty());
  }
}

TEST_F(MainActions, ActivationShowsTheCellAtFullPrecisionAndTheExperimentSettings) {
  add_phases(1);
  ws.crystal_file_name = "a.cry";
  ws.crystal.system_code = "TRIC";
  ws.crystal.cell = CellParameters{.a = 8.1372, .b = 12.787, .c = 7.1574, .alpha = 94.245, .beta = 116.605, .gamma = 87.809};
  ws.settings.wavelengths = {1.5406, 1.5444};
  ws.settings.fractions = {0.5, 0.5};
  reset_donnees(program);
  EXPECT_EQ(form.crystal.cell[3].text, "94.25");
  EXPECT_EQ(*form.crystal.cell[3].unchanged_value(), 94.245);
  EXPECT_EQ(form.experiment.wavelength, "Multiple");
}

TEST_F(MainActions, UncheckingTheSumBoxPressesTheSumToggle) {
  add_phases(2);
  form.phases.rows[0].draw = true;
  form.phases.sum_draw = false;
  click_draw(program);
  EXPECT_TRUE(form.phases.sum_toggle_pressed);
  EXPECT_FALSE(ws.settings.draw_sum);
  EXPECT_FALSE(ws.phase(2).draw);
  form.phases.sum_draw = true;
  click_draw(program);
  EXPECT_FALSE(form.phases.sum_toggle_pressed);
}

TEST_F(MainActions, PageChangesHideTheEmptyCrystalPageAndShowColoursWithData) {
  change_volet(program, static_cast<int>(MainPage::CrystalData));
  EXPECT_FALSE(form.crystal.panel_visible);
  change_volet(program, static_cast<int>(MainPage::StyleOptions));
  const std::pair<WindowId, bool> colours_shown{WindowId::Colours, true};
  EXPECT_TRUE(ui.window_changes.empty() || ui.window_changes.back() != colours_shown);
  add_phases(1);
  change_volet(program, static_cast<int>(MainPage::StyleOptions));
  EXPECT_EQ(ui.window_changes.back(), colours_shown);
  EXPECT_TRUE(form.crystal.apply_bar_visible);
  program.workspace.keyboard_capture = true;  // during keyboard capture the crystal page is forced
  change_volet(program, static_cast<int>(MainPage::PhasesData));
  EXPECT_EQ(form.page, MainPage::CrystalData);
}

TEST_F(MainActions, SourceButtonsSwitchTheSourceAndFlagTheFollowUps) {
  const FollowUp neutrons = choixN(program);
  EXPECT_EQ(ws.settings.source, RadiationSource::Neutrons);
  EXPECT_EQ(form.source_caption, "Source: Neutrons");
  EXPECT_TRUE(form.crystal.neutron_grid_visible);
  EXPECT_FALSE(form.xray_button_active);
  EXPECT_TRUE(neutrons.reset_plot && neutrons.clear_plot);
  EXPECT_FALSE(neutrons.recompute_all);  // no phase: nothing to compute
  reset_donnees(program);  // activation writes the caption again
  EXPECT_EQ(form.source_caption, "Source: Neutrons");
  add_phases(1);
  EXPECT_TRUE(choixN(program).recompute_all);

  const FollowUp xrays = optionX(program);
  EXPECT_EQ(ws.settings.source, RadiationSource::XRays);
  EXPECT_TRUE(form.xray_button_active);
  EXPECT_FALSE(form.crystal.neutron_grid_visible);
  EXPECT_EQ(ui.window_changes.back(), (std::pair<WindowId, bool>{WindowId::Polarisation, true}));
  EXPECT_TRUE(xrays.reset_plot);
}

}  // namespace
}  // namespace calvane
