// Presentation model and handlers of the main window's panel "Anomalous
// diffusion correction": which table to apply, to which phases, or none.
#pragma once

#include <functional>

#include "flows/program.hpp"

namespace calvane {

struct AnomalousPanelForm {
  bool visible = false;
  /// Radio group "According to": 0 "Brenann and Cowan" ("Brcow.an"), 1 "Sasaki" ("Sasaki.an"), -1 none.
  int table_choice = -1;
  /// Radio group "Apply to": 0 "The current phase", 1 "All the phases".
  int apply_to = 0;
};

/// What the panel's handlers hand on to other parts of the program.
struct AnomalousPanelActions {
  /// Clears the results after a change of spectrum (the wavelength field's reset).
  std::function<void(Program&)> reset_spectrum_results;
  /// Recomputes and redraws all phases.
  std::function<void(Program&)> recompute_phases;
};

/// Opens the panel after reading the wavelength field into the spectrum.
void open_anomalous_panel(Program& program, AnomalousPanelForm& panel, const AnomalousPanelActions& actions);
/// "Apply": reads f′ and f″ from the chosen table for the chosen phases.
void apply_chosen_anomalous_table(Program& program, AnomalousPanelForm& panel, const AnomalousPanelActions& actions);
/// "Suppress correction": f′ = f″ = 0 for the chosen phases.
void remove_anomalous_correction(Program& program, AnomalousPanelForm& panel, const AnomalousPanelActions& actions);
/// "Cancel".
void cancel_anomalous_panel(AnomalousPanelForm& panel);

}  // namespace calvane
