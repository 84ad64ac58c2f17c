#include "flows/anomalous_panel.hpp"

#include "flows/anomalous_terms.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

PhaseRange chosen_range(const AnomalousPanelForm& panel) {
  return panel.apply_to == 1 ? PhaseRange::All : PhaseRange::Current;
}

void set_single_wavelength(ExperimentSettings& settings, double wavelength) {
  settings.wavelengths = {wavelength};
  settings.fractions = {1.0};
  settings.single_wavelength = wavelength;
  settings.shortest_wavelength = wavelength;
  settings.longest_wavelength = wavelength;
}

/// Coefficients typed into the anomalous table give way to the table chosen
/// (or to none) for the phases the panel acts on.
void forget_typed_terms(Workspace& workspace, PhaseRange range) {
  workspace.composition.typed_anomalous_wavelengths.clear();
  for (int p = 1; p <= workspace.phase_count(); ++p)
    if (range == PhaseRange::All || p == workspace.current_phase)
      workspace.phase(p).composition.typed_anomalous_wavelengths.clear();
}

void close_and_recompute(Program& program, AnomalousPanelForm& panel, const AnomalousPanelActions& actions) {
  panel.visible = false;
  program.ui.refresh();
  if (program.workspace.phase_count() > 0 && actions.recompute_phases) actions.recompute_phases(program);
}

}  // namespace

void open_anomalous_panel(Program& program, AnomalousPanelForm& panel, const AnomalousPanelActions& actions) {
  const std::string text = trim(program.main_form.experiment.wavelength);
  if (text != "Multiple") {
    auto wavelength = parse_double(text);
    if (text.empty() || (wavelength && *wavelength == 0)) {
      program.ui.warning("No WaveLength!");
      return;
    }
    // A wavelength must be positive: the tables are read at E = 12400 / λ.
    if (!wavelength || *wavelength < 0) {
      program.ui.warning("Error on WaveLength!");
      return;
    }
    set_single_wavelength(program.workspace.settings, *wavelength);
  }
  if (actions.reset_spectrum_results) actions.reset_spectrum_results(program);
  if (program.workspace.crystal.atoms.empty()) {
    program.ui.beep();
    program.ui.warning("No atom in the asymmetric unit!");
    return;
  }
  panel.visible = true;
  program.ui.refresh();
}

void apply_chosen_anomalous_table(Program& program, AnomalousPanelForm& panel, const AnomalousPanelActions& actions) {
  if (panel.table_choice != 0 && panel.table_choice != 1) {
    program.ui.warning("Select the File!");
    return;
  }
  if (program.workspace.crystal.scattering_types.empty()) {
    panel.visible = false;
    program.ui.refresh();
    return;
  }
  const char* file_name = panel.table_choice == 0 ? "Brcow.an" : "Sasaki.an";
  if (!read_phase_anomalous_table(program, file_name, chosen_range(panel))) return;
  forget_typed_terms(program.workspace, chosen_range(panel));
  close_and_recompute(program, panel, actions);
}

void remove_anomalous_correction(Program& program, AnomalousPanelForm& panel, const AnomalousPanelActions& actions) {
  clear_phase_anomalous_terms(program, chosen_range(panel));
  forget_typed_terms(program.workspace, chosen_range(panel));
  close_and_recompute(program, panel, actions);
}

void cancel_anomalous_panel(AnomalousPanelForm& panel) { panel.visible = false; }

}  // namespace calvane
