#include "workspace/main_actions.hpp"

#include <gtest/gtest.h>

#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"
#include "workspace/program.hpp"

namespace calvane {
namespace {

using testing::ScriptedUi;
using testing::TempFolder;

struct MainActions : ::testing::Test {
  TempFolder folder;
  ScriptedUi ui;
  Program program{ui, folder.path()};

  void add_phases(int count) {
    for (int p = 1; p <= count; ++p) {
      program.workspace.phases.emplace_back();
      PhaseData& phase = program.workspace.phases.back();
      phase.file_name = "phase_" + std::to_string(p) + ".cry";
      phase.crystal.title = "crystal " + std::to_string(p);
      phase.crystal.system_code = "CUBI";
    }
    program.workspace.current_phase = 1;
  }
};

TEST_F(MainActions, SelectorButtonBeyondThePhasesOnlyDeselects) {
  add_phases(3);
  program.main_form.crystal.selector_index = 0;
  affiche_phases(program, 5);
  EXPECT_EQ(program.main_form.crystal.selector_index, -1);
  EXPECT_EQ(program.workspace.current_phase, 1);
  affiche_phases(program, 3);
  EXPECT_EQ(program.workspace.current_phase, 3);
  EXPECT_EQ(program.workspace.crystal.title, "crystal 3");
  EXPECT_TRUE(program.main_form.phases.rows[2].display);
  EXPECT_FALSE(program.main_form.phases.rows[0].display);
  EXPECT_EQ(program.main_form.crystal.apply_bar_caption, "Data for Phase3(phase_3)");
}

TEST_F(MainActions, DisplayBoxMakesThePhaseCurrentAndShowsItsPage) {
  add_phases(2);
  click_display(program, 2);
  EXPECT_EQ(program.workspace.current_phase, 2);
  EXPECT_EQ(program.main_form.page, MainPage::CrystalData);
  EXPECT_EQ(program.main_form.crystal.selector_index, 1);
  program.main_form.phases.rows[6].display = true;
  click_display(program, 7);
  EXPECT_FALSE(program.main_form.phases.rows[6].display);
  EXPECT_EQ(program.workspace.current_phase, 2);
}

TEST_F(MainActions, ErasingPhasesDeletesTemporaryFilesAndEmptiesTheTable) {
  add_phases(2);
  program.workspace.phase(1).file_name = "a_mp.cry";
  for (const char* name : {"a_mp.cry", "phase_2.cry", "phase1.out", "phase22.out"}) folder.write(name, "x");
  program.main_form.phases.rows[0].name = "a_mp";
  program.main_form.results = {"line"};
  program.workspace.observed_peaks.emplace_back();
  delete_phases(program);
  EXPECT_EQ(program.workspace.phase_count(), 0);
  EXPECT_EQ(program.workspace.current_phase, 0);
  EXPECT_TRUE(program.main_form.phases.rows[0].name.empty());
  EXPECT_TRUE(program.main_form.results.empty());
  for (const char* gone : {"a_mp.cry", "phase1.out", "phase22.out"}) EXPECT_FALSE(std::filesystem::exists(folder / gone));
  EXPECT_TRUE(std::filesystem::exists(folder / "phase_2.cry"));
  EXPECT_EQ(program.workspace.observed_peaks.size(), 1u);  // only "General" erases observed data

  rase_general(program);
  EXPECT_TRUE(program.workspace.observed_peaks.empty());
  EXPECT_EQ(program.main_form.status, "Data");
  EXPECT_GE(ui.redraws, 1);
}

TEST_F(MainActions, UncheckingTheSumBoxPressesTheSumToggle) {
  add_phases(2);
  program.main_form.phases.rows[1].draw = false;
  program.main_form.phases.rows[0].draw = true;
  program.main_form.phases.sum_draw = false;
  click_draw(program);
  EXPECT_TRUE(program.main_form.phases.sum_toggle_pressed);
  EXPECT_FALSE(program.workspace.settings.draw_sum);
  EXPECT_FALSE(program.workspace.phase(2).draw);
  program.main_form.phases.sum_draw = true;
  click_draw(program);
  EXPECT_FALSE(program.main_form.phases.sum_toggle_pressed);
}

TEST_F(MainActions, PageChangesHideTheEmptyCrystalPageAndShowColoursWithData) {
  change_volet(program, static_cast<int>(MainPage::CrystalData));
  EXPECT_FALSE(program.main_form.crystal.panel_visible);
  change_volet(program, static_cast<int>(MainPage::StyleOptions));
  const std::pair<WindowId, bool> colours_shown{WindowId::Colours, true};
  EXPECT_TRUE(ui.window_changes.empty() || ui.window_changes.back() != colours_shown);
  add_phases(1);
  change_volet(program, static_cast<int>(MainPage::StyleOptions));
  EXPECT_EQ(ui.window_changes.back(), colours_shown);
  EXPECT_TRUE(program.main_form.crystal.apply_bar_visible);
  // During keyboard capture the crystal page is forced.
  program.workspace.keyboard_capture = true;
  change_volet(program, static_cast<int>(MainPage::PhasesData));
  EXPECT_EQ(program.main_form.page, MainPage::CrystalData);
}

TEST_F(MainActions, ActivationWritesTheSourceCaption) {
  program.workspace.settings.xray_source = XRaySource::Synchrotron;
  program.workspace.settings.polarisation = 0.95;
  reset_donnees(program);
  EXPECT_EQ(program.main_form.source_caption, "Source: X Synchr. p=0.95");
  program.workspace.settings.source = RadiationSource::Neutrons;
  reset_donnees(program);
  EXPECT_EQ(program.main_form.source_caption, "Source: Neutrons");
  aide(program);
  EXPECT_EQ(ui.help_topics, std::vector<int>{14});
}

TEST_F(MainActions, SourceButtonsSwitchTheSourceAndFlagTheFollowUps) {
  FollowUp neutrons = choixN(program);
  EXPECT_EQ(program.workspace.settings.source, RadiationSource::Neutrons);
  EXPECT_EQ(program.main_form.source_caption, "Source: Neutrons");
  EXPECT_TRUE(program.main_form.crystal.neutron_grid_visible);
  EXPECT_FALSE(program.main_form.xray_button_active);
  EXPECT_TRUE(neutrons.reset_plot && neutrons.clear_plot);
  EXPECT_FALSE(neutrons.recompute_all);  // no phase: nothing to compute
  add_phases(1);
  EXPECT_TRUE(choixN(program).recompute_all);

  FollowUp xrays = optionX(program);
  EXPECT_EQ(program.workspace.settings.source, RadiationSource::XRays);
  EXPECT_TRUE(program.main_form.xray_button_active);
  EXPECT_FALSE(program.main_form.crystal.neutron_grid_visible);
  EXPECT_EQ(ui.window_changes.back(), (std::pair<WindowId, bool>{WindowId::Polarisation, true}));
  EXPECT_TRUE(xrays.reset_plot);
}

}  // namespace
}  // namespace calvane
