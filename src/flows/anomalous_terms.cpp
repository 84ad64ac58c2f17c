#include "flows/anomalous_terms.hpp"

#include "crystallography/anomalous_table.hpp"
#include "crystallography/phase_scattering.hpp"
#include "flows/program.hpp"
#include "ui/anomalous_grid.hpp"

namespace calvane {

namespace {

void refresh_anomalous_grid(Program& program) {
  fill_anomalous_grid(program.main_form.crystal.anomalous, program.workspace.crystal.scattering_types,
                      program.workspace.settings.wavelengths);
}

/// The working copy's types and anomalous table into the stored current
/// phase (only those: the rest of the working copy is stored by the flows
/// that commit it).
void store_current_types(Workspace& workspace) {
  if (workspace.current_phase < 1 || workspace.current_phase > workspace.phase_count()) return;
  PhaseData& current = workspace.phase(workspace.current_phase);
  current.crystal.scattering_types = workspace.crystal.scattering_types;
  current.composition.anomalous = workspace.composition.anomalous;
  current.composition.anomalous_table = workspace.composition.anomalous_table;
}

/// Calls `change` on the types (and composition) of every phase of `range`;
/// for the current phase that is the working copy.
template <typename Change>
void for_each_phase_types(Workspace& workspace, PhaseRange range, Change change) {
  change(workspace.crystal.scattering_types, workspace.composition);
  store_current_types(workspace);
  if (range != PhaseRange::All) return;
  for (int p = 1; p <= workspace.phase_count(); ++p) {
    if (p == workspace.current_phase) continue;
    PhaseData& phase = workspace.phase(p);
    change(phase.crystal.scattering_types, phase.composition);
  }
}

}  // namespace

bool build_phase_scattering_types(Program& program) {
  Workspace& ws = program.workspace;
  const bool built =
      prepare_scattering_types(ws.crystal, ws.composition, ws.settings.wavelengths, program.program_folder, program.ui);
  store_current_types(ws);
  refresh_anomalous_grid(program);
  return built;
}

bool read_phase_anomalous_table(Program& program, std::string_view file_name, PhaseRange range) {
  // Read once; a bad file changes no phase.
  AnomalousTable table;
  if (std::string error = read_anomalous_file(program.data_file(file_name), table); !error.empty()) {
    program.ui.warning(error);
    return false;
  }
  const std::vector<double>& wavelengths = program.workspace.settings.wavelengths;
  for_each_phase_types(program.workspace, range, [&](std::vector<ScatteringType>& types, PhaseComposition& values) {
    apply_anomalous_table(table, wavelengths, types);
    copy_anomalous_terms(types, values);
    values.anomalous_table = std::string(file_name);
  });
  refresh_anomalous_grid(program);
  return true;
}

void clear_phase_anomalous_terms(Program& program, PhaseRange range) {
  for_each_phase_types(program.workspace, range, [](std::vector<ScatteringType>& types, PhaseComposition& values) {
    clear_anomalous_terms(types, values);
  });
  refresh_anomalous_grid(program);
}

}  // namespace calvane
