// The "X ray source" dialog: choosing the source and typing p.
#include <gtest/gtest.h>

#include "../support/scripted_ui.hpp"
#include "flows/polarisation_window.hpp"
#include "util/text.hpp"
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

TEST(PolarisationForm, TypedPolarisation) {
  struct Case { const char* text; bool accepted; double p; };
  for (const Case& c :
       {Case{"0.3", true, 0.3}, Case{" 1 ", true, 1.0}, Case{"1.01", false, 0}, Case{"-0.1", false, 0},
       Case{"", false, 0}, Case{"0,5", false, 0}}) {
    testing::ScriptedUi ui;
    Program program(ui, ".");
    program.workspace.phases.resize(1);
    program.workspace.settings.polarisation = 0.5;
    PolarisationForm form;
    onclick_event(form, PolarisationForm::kSynchrotron);
    form.polarisation_text = c.text;
    const PolarisationExit exit = accept_polarisation(program, form);
    const ExperimentSettings& s = program.workspace.settings;
    if (c.accepted)
      EXPECT_EQ(std::tuple(exit, s.xray_source, s.polarisation, program.main_form.source_caption),
                std::tuple(PolarisationExit::ClosedRecompute, XRaySource::Synchrotron, c.p,
                           "Source: X Synchr. p=" + fixed(c.p, 4, 2)))
          << c.text;
    else
      EXPECT_EQ(std::tuple(exit, ui.warnings, s.polarisation),
                std::tuple(PolarisationExit::StaysOpen, std::vector<std::string>{"Erreur de frappe!"}, 0.5))
          << c.text;
  }
}

TEST(PolarisationForm, TubeSetsHalfAndOkWithoutChoiceKeepsTheSource) {
  for (bool tube : {true, false}) {  // the tube without a phase, no choice with two
    testing::ScriptedUi ui;
    Program program(ui, ".");
    program.workspace.phases.resize(tube ? 0 : 2);
    program.workspace.settings.xray_source = XRaySource::Synchrotron;
    program.workspace.settings.polarisation = 0.8;
    PolarisationForm form;
    reset_polarisation_form(form);
    if (tube) onclick_event(form, PolarisationForm::kTube);
    form.polarisation_text = "garbage is ignored for the tube";
    program.main_form.source_caption = "Source: Neutrons";  // back from neutrons: the caption follows
    EXPECT_EQ(accept_polarisation(program, form), PolarisationExit::Closed) << tube;
    EXPECT_EQ(std::tuple(program.workspace.settings.xray_source, program.workspace.settings.polarisation,
                         program.main_form.source_caption),
              std::tuple(tube ? XRaySource::Tube : XRaySource::Synchrotron, tube ? 0.5 : 0.8,
                         tube ? "Source: X ray tube" : "Source: X Synchr. p=0.80"));
  }
}

}  // namespace
}  // namespace calvane
