#include "ui/polarisation_form.hpp"

#include <gtest/gtest.h>

#include "crystallography/phase_scattering.hpp"
#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"
#include "ui/follow_up_steps.hpp"
#include "workspace/program.hpp"

namespace calvane {
namespace {

struct PolarisationFormTest : ::testing::Test {
  testing::ScriptedUi ui;
  Program program{ui, testing::source_folder("data")};
  PolarisationForm form;
  const ExperimentSettings& settings() const { return program.workspace.settings; }
};

TEST_F(PolarisationFormTest, SynchrotronPolarisationMustLieBetweenZeroAndOne) {
  struct Case {
    const char* typed;
    bool accepted;
    double p;
  };
  const Case cases[] = {
      {"0", true, 0},       {"1", true, 1},         {" 0.25 ", true, 0.25}, {"1.01", false, 0},
      {"-0.01", false, 0},  {"", false, 0},         {"abc", false, 0},      {"0.5x", false, 0},
  };
  for (const Case& c : cases) {
    program.workspace.settings = ExperimentSettings{};
    ui.warnings.clear();
    ui.beeps = 0;
    initialise(form);
    form.visible = true;
    onclick_event(form, XRaySource::Synchrotron);
    form.p_text = c.typed;
    sortie_lp(program, form);
    if (c.accepted) {
      EXPECT_TRUE(ui.warnings.empty()) << c.typed;
      EXPECT_EQ(settings().xray_source, XRaySource::Synchrotron) << c.typed;
      EXPECT_DOUBLE_EQ(settings().polarisation, c.p) << c.typed;
      EXPECT_FALSE(form.visible) << c.typed;
    } else {
      // Refused: one beep and message, the dialog stays open, the settings stay.
      EXPECT_EQ(ui.warnings, std::vector<std::string>{"Erreur de frappe!"}) << c.typed;
      EXPECT_EQ(ui.beeps, 1) << c.typed;
      EXPECT_TRUE(form.visible) << c.typed;
      EXPECT_TRUE(form.p_focused) << c.typed;
      EXPECT_EQ(settings().xray_source, XRaySource::Tube) << c.typed;
      EXPECT_DOUBLE_EQ(settings().polarisation, 0.5) << c.typed;
    }
  }
}

TEST_F(PolarisationFormTest, TubeBringsPolarisationBackToOneHalfWhateverWasTyped) {
  program.workspace.settings.xray_source = XRaySource::Synchrotron;
  program.workspace.settings.polarisation = 0.9;
  initialise(form);
  onclick_event(form, XRaySource::Synchrotron);
  EXPECT_TRUE(form.p_panel_visible);
  form.p_text = "7";  // not read for a tube
  onclick_event(form, XRaySource::Tube);
  EXPECT_FALSE(form.p_panel_visible);
  sortie_lp(program, form);
  EXPECT_TRUE(ui.warnings.empty());
  EXPECT_EQ(settings().xray_source, XRaySource::Tube);
  EXPECT_DOUBLE_EQ(settings().polarisation, 0.5);
  EXPECT_EQ(program.main_form.source_caption, "Source: X ray tube");
}

TEST_F(PolarisationFormTest, OkWithoutAChoiceKeepsTheSourceInForce) {
  program.workspace.settings.xray_source = XRaySource::Synchrotron;
  program.workspace.settings.polarisation = 0.8;
  program.workspace.phases.emplace_back();
  initialise(form);
  form.visible = true;
  const FollowUp follow_up = sortie_lp(program, form);
  EXPECT_FALSE(form.visible);
  EXPECT_EQ(settings().xray_source, XRaySource::Synchrotron);
  EXPECT_DOUBLE_EQ(settings().polarisation, 0.8);
  EXPECT_FALSE(follow_up.recompute_all);  // nothing changed
  ASSERT_FALSE(ui.window_changes.empty());
  EXPECT_EQ(ui.window_changes.back(), std::make_pair(WindowId::Polarisation, false));
}

TEST_F(PolarisationFormTest, AcceptedSourceRecomputesOnlyWhenThereIsAPhase) {
  initialise(form);
  onclick_event(form, XRaySource::Synchrotron);
  form.p_text = "0.3";
  EXPECT_FALSE(sortie_lp(program, form).recompute_all);
  // The caption carries p in 4 characters with 2 decimals.
  EXPECT_EQ(program.main_form.source_caption, "Source: X Synchr. p=0.30");

  program.workspace.phases.emplace_back();
  onclick_event(form, XRaySource::Synchrotron);
  form.p_text = "0.3";
  EXPECT_TRUE(sortie_lp(program, form).recompute_all);
}

TEST_F(PolarisationFormTest, NeutronCaptionIsNotOverwrittenByTheXraySetting) {
  program.workspace.settings.source = RadiationSource::Neutrons;
  program.main_form.source_caption = "Source: Neutrons";
  initialise(form);
  onclick_event(form, XRaySource::Tube);
  sortie_lp(program, form);
  EXPECT_EQ(program.main_form.source_caption, "Source: Neutrons");
}

TEST_F(PolarisationFormTest, FollowUpRefillsTheAnomalousGridFromTheWorkingCrystal) {
  PhaseData phase;
  phase.crystal.atoms.push_back(AtomSite{"Fe", "", 0, 0, 0, 0, 1, 0, 0, 0});
  program.workspace.phases.push_back(phase);
  program.workspace.current_phase = 1;
  load_current_phase(program.workspace);
  ASSERT_TRUE(build_scattering_types(program));
  program.main_form.crystal.anomalous.cells.clear();
  FollowUp follow_up;
  follow_up.refresh_anomalous_table = true;
  carry_out_follow_up(program, follow_up);
  // Row 0 the wavelength (7:4), row 2 the element.
  EXPECT_EQ(program.main_form.crystal.anomalous.cell(0, 1), " 1.5406");
  EXPECT_EQ(program.main_form.crystal.anomalous.cell(2, 0), "FE");
}

}  // namespace
}  // namespace calvane
