// The "X ray source" dialog: choosing the source and typing p.
#include <gtest/gtest.h>

#include "../support/scripted_ui.hpp"
#include "flows/polarisation_window.hpp"
#include "flows/program.hpp"

namespace calvane {
namespace {

TEST(PolarisationForm, InitialiseClearsTheChoiceAndOnlyASynchrotronShowsThePanel) {
  PolarisationForm form{.chosen_item = 1, .panel_visible = true, .polarisation_text = "0.3", .focus_in_polarisation = false};
  reset_polarisation_form(form);
  EXPECT_EQ(std::tuple(form.chosen_item, form.panel_visible, form.polarisation_text), std::tuple(-1, false, ""));
  onclick_event(form, PolarisationForm::kTube);
  EXPECT_FALSE(form.panel_visible);
  onclick_event(form, PolarisationForm::kSynchrotron);
  EXPECT_TRUE(form.panel_visible && form.focus_in_polarisation);
}

// The typed p is read only for a synchrotron; the tube sets 0.5; OK without a choice keeps the source.
TEST(PolarisationForm, OkReadsTheChoiceAndTheTypedPolarisation) {
  struct Case { int item; const char* text; PolarisationExit exit; XRaySource source; double p; const char* caption; };
  const auto synchrotron = PolarisationForm::kSynchrotron;
  const Case cases[] = {
      {synchrotron, "0.3", PolarisationExit::ClosedRecompute, XRaySource::Synchrotron, 0.3, "Source: X Synchr. p=0.30"},
      {synchrotron, " 1 ", PolarisationExit::ClosedRecompute, XRaySource::Synchrotron, 1.0, "Source: X Synchr. p=1.00"},
      {synchrotron, "1.01", PolarisationExit::StaysOpen, XRaySource::Synchrotron, 0.8, "Source: Neutrons"},
      {synchrotron, "-0.1", PolarisationExit::StaysOpen, XRaySource::Synchrotron, 0.8, "Source: Neutrons"},
      {synchrotron, "0,5", PolarisationExit::StaysOpen, XRaySource::Synchrotron, 0.8, "Source: Neutrons"},
      {PolarisationForm::kTube, "garbage", PolarisationExit::Closed, XRaySource::Tube, 0.5, "Source: X ray tube"},
      {-1, "garbage", PolarisationExit::Closed, XRaySource::Synchrotron, 0.8, "Source: X Synchr. p=0.80"}};
  for (const Case& c : cases) {
    testing::ScriptedUi ui;
    Program program(ui, ".");
    program.workspace.phases.resize(c.item == PolarisationForm::kTube ? 0 : 2);
    ExperimentSettings& s = program.workspace.settings;
    std::tie(s.xray_source, s.polarisation) = std::pair(XRaySource::Synchrotron, 0.8);
    program.main_form.source_caption = "Source: Neutrons";  // back from neutrons: the caption follows
    PolarisationForm form;
    reset_polarisation_form(form);
    if (c.item >= 0) onclick_event(form, c.item);
    form.polarisation_text = c.text;
    const PolarisationExit exit = accept_polarisation(program, form);
    EXPECT_EQ(std::tuple(exit, s.xray_source, s.polarisation, program.main_form.source_caption, ui.warnings.size()),
              std::tuple(c.exit, c.source, c.p, c.caption, c.exit == PolarisationExit::StaysOpen ? 1u : 0u))
        << c.text;
  }
}

}  // namespace
}  // namespace calvane
