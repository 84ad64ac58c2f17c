// Presentation model and handlers of the X-ray source dialog (`TFLP`): an
// X-ray tube, or a synchrotron with the polarisation p of the
// Lorentz-polarisation factor (1 − p) + p·cos²2θ.
#pragma once

#include <optional>
#include <string>

#include "profile/follow_up.hpp"
#include "workspace/experiment_settings.hpp"

namespace calvane {

struct Program;

struct PolarisationForm {
  std::string caption = "X ray source";
  std::string heading = "P=1- p + p.cos(2theta)^^2";
  std::string tube_item = "X Rays tube (p=0.5)";
  std::string synchrotron_item = "Synchrotron source";
  std::string p_caption = "p =";
  /// The radio group's choice; none until the user picks one.
  std::optional<XRaySource> choice;
  bool p_panel_visible = false;
  bool p_focused = false;
  std::string p_text;
  bool visible = false;
};

/// On activation: no item chosen, the p panel hidden and its box empty.
void initialise(PolarisationForm& form);

/// A click in the radio group: the synchrotron shows the p panel and puts the
/// focus in its box; the tube hides it.
void onclick_event(PolarisationForm& form, XRaySource chosen);

/// OK: stores the chosen source and p (0.5 for a tube; the typed p, from 0 to
/// 1, for a synchrotron) and closes the dialog. A p that is not a number or
/// lies outside [0, 1] gives a beep and "Erreur de frappe!" and the dialog
/// stays open with nothing changed. OK with no item chosen keeps the source
/// and p in force and closes. The follow-up asks for every phase to be
/// recomputed when the settings changed and there is a phase.
FollowUp sortie_lp(Program& program, PolarisationForm& form);

/// The main window's source caption for the X-ray settings in force.
std::string xray_source_caption(const ExperimentSettings& settings);

}  // namespace calvane
