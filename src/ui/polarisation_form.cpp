#include "ui/polarisation_form.hpp"

#include "util/text.hpp"
#include "workspace/program.hpp"

namespace calvane {

namespace {

void close(Program& program, PolarisationForm& form) {
  form.visible = false;
  form.p_focused = false;
  program.ui.show_window(WindowId::Polarisation, false);
}

}  // namespace

void initialise(PolarisationForm& form) {
  form.choice.reset();
  form.p_panel_visible = false;
  form.p_focused = false;
  form.p_text.clear();
}

void onclick_event(PolarisationForm& form, XRaySource chosen) {
  form.choice = chosen;
  form.p_panel_visible = chosen == XRaySource::Synchrotron;
  form.p_focused = form.p_panel_visible;
}

FollowUp sortie_lp(Program& program, PolarisationForm& form) {
  // Without a choice there is no valid kind to store: the settings in force stay.
  if (!form.choice) {
    close(program, form);
    return {};
  }
  double polarisation = 0.5;
  if (*form.choice == XRaySource::Synchrotron) {
    const auto typed = parse_double(form.p_text);
    if (!typed || *typed < 0 || *typed > 1) {
      program.ui.beep();
      program.ui.warning("Erreur de frappe!");
      form.p_focused = true;
      return {};
    }
    polarisation = *typed;
  }
  ExperimentSettings& settings = program.workspace.settings;
  settings.xray_source = *form.choice;
  settings.polarisation = polarisation;
  if (settings.source == RadiationSource::XRays) program.main_form.source_caption = xray_source_caption(settings);
  close(program, form);
  FollowUp follow_up;
  follow_up.recompute_all = program.workspace.phase_count() > 0;
  return follow_up;
}

std::string xray_source_caption(const ExperimentSettings& settings) {
  if (settings.xray_source == XRaySource::Synchrotron)
    return "Source: X Synchr. p=" + fixed(settings.polarisation, 4, 2);
  return "Source: X ray tube";
}

}  // namespace calvane
