#include "flows/polarisation_window.hpp"

#include "util/text.hpp"
#include "flows/main_actions.hpp"
#include "flows/program.hpp"

namespace calvane {

void reset_polarisation_form(PolarisationForm& form) {
  form.chosen_item = -1;
  form.panel_visible = false;
  form.polarisation_text.clear();
  form.focus_in_polarisation = false;
}

void onclick_event(PolarisationForm& form, int item) {
  form.chosen_item = item;
  if (item == PolarisationForm::kSynchrotron) {
    form.panel_visible = true;
    form.focus_in_polarisation = true;
  }
}

PolarisationExit accept_polarisation(Program& program, PolarisationForm& form) {
  ExperimentSettings& settings = program.workspace.settings;
  if (form.chosen_item != PolarisationForm::kTube && form.chosen_item != PolarisationForm::kSynchrotron) {
    program.main_form.source_caption = source_caption(settings);
    program.ui.show_window(WindowId::Polarisation, false);
    return PolarisationExit::Closed;
  }
  double polarisation = 0.5;
  if (form.chosen_item == PolarisationForm::kSynchrotron) {
    const auto typed = parse_double(form.polarisation_text);
    if (!typed || *typed > 1 || *typed < 0) {
      program.ui.beep();
      program.ui.warning("Erreur de frappe!");
      return PolarisationExit::StaysOpen;
    }
    polarisation = *typed;
  }
  settings.xray_source =
      form.chosen_item == PolarisationForm::kSynchrotron ? XRaySource::Synchrotron : XRaySource::Tube;
  settings.polarisation = polarisation;
  // The caption follows at once, not only when the main window is next
  // activated (a window manager does that as the dialog closes; not every
  // desktop does).
  program.main_form.source_caption = source_caption(settings);
  program.ui.show_window(WindowId::Polarisation, false);
  return program.workspace.phase_count() > 0 ? PolarisationExit::ClosedRecompute : PolarisationExit::Closed;
}

}  // namespace calvane
