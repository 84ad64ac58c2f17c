#include "crystallography/phase_scattering.hpp"

#include <algorithm>

#include "crystallography/absorption_table.hpp"
#include "crystallography/anomalous_table.hpp"
#include "crystallography/scattering.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

constexpr std::size_t kGridWavelengths = 4;

std::size_t grid_wavelength_count(const std::vector<double>& wavelengths) {
  return std::min(wavelengths.size(), kGridWavelengths);
}

void refresh_anomalous_grid(Program& program) {
  fill_anomalous_grid(program.main_form.crystal.anomalous, program.workspace.crystal.scattering_types,
                      program.workspace.settings.wavelengths);
}

/// Calls `change` on the types (and composition) of every phase of `range`.
/// For the current phase that is the working copy, whose types and anomalous
/// table are then copied into the stored phase (only those: the rest of the
/// working copy is stored by the flows that commit it).
template <typename Change>
void for_each_phase_types(Workspace& workspace, PhaseRange range, Change change) {
  change(workspace.crystal.scattering_types, workspace.composition);
  if (workspace.current_phase >= 1 && workspace.current_phase <= workspace.phase_count()) {
    PhaseData& current = workspace.phase(workspace.current_phase);
    current.crystal.scattering_types = workspace.crystal.scattering_types;
    current.composition.anomalous = workspace.composition.anomalous;
    current.composition.anomalous_table = workspace.composition.anomalous_table;
  }
  if (range != PhaseRange::All) return;
  for (int p = 1; p <= workspace.phase_count(); ++p) {
    if (p == workspace.current_phase) continue;
    PhaseData& phase = workspace.phase(p);
    change(phase.crystal.scattering_types, phase.composition);
  }
}

}  // namespace

bool build_scattering_types(Program& program) {
  CurrentCrystal crystal = program.workspace.crystal;
  std::string error = assign_scattering_types(crystal);
  for (std::size_t t = 0; error.empty() && t < crystal.scattering_types.size(); ++t)
    error = lookup_form_factor(crystal.scattering_types[t]);
  if (!error.empty()) {
    program.ui.beep();
    program.ui.warning(error);
    return false;
  }
  AbsorptionReadResult absorption =
      read_absorption_table(program.data_file("muro.dat"), crystal.scattering_types);
  if (!absorption.message.empty()) program.ui.warning(absorption.message);
  program.workspace.crystal = std::move(crystal);
  copy_anomalous_terms(program.workspace.crystal.scattering_types, program.workspace.composition);
  refresh_anomalous_grid(program);
  // The phase keeps the table chosen for it (or none) from one computation to the next.
  const std::string table = program.workspace.composition.anomalous_table;
  if (table.empty()) {
    clear_anomalous_terms(program, PhaseRange::Current);
    return true;
  }
  return read_anomalous_table(program, table, PhaseRange::Current);
}

bool read_anomalous_table(Program& program, std::string_view file_name, PhaseRange range) {
  AnomalousTable table;
  std::string error = read_anomalous_file(program.data_file(file_name), table);
  if (!error.empty()) {
    program.ui.warning(error);
    return false;
  }
  const std::vector<double>& wavelengths = program.workspace.settings.wavelengths;
  for_each_phase_types(program.workspace, range,
                       [&](std::vector<ScatteringType>& types, PhaseComposition& values) {
                         apply_anomalous_table(table, wavelengths, types);
                         copy_anomalous_terms(types, values);
                         values.anomalous_table = std::string(file_name);
                       });
  refresh_anomalous_grid(program);
  return true;
}

void clear_anomalous_terms(Program& program, PhaseRange range) {
  for_each_phase_types(program.workspace, range,
                       [](std::vector<ScatteringType>& types, PhaseComposition& values) {
                         for (ScatteringType& type : types) {
                           type.f_prime.fill(0);
                           type.f_second.fill(0);
                         }
                         copy_anomalous_terms(types, values);
                         values.anomalous_table.clear();
                       });
  refresh_anomalous_grid(program);
}

void copy_anomalous_terms(const std::vector<ScatteringType>& types, PhaseComposition& composition) {
  composition.anomalous.clear();
  for (const ScatteringType& type : types)
    composition.anomalous.push_back(AnomalousTerms{type.symbol, type.f_prime, type.f_second});
}

void fill_anomalous_grid(TextGrid& grid, const std::vector<ScatteringType>& types,
                         const std::vector<double>& wavelengths) {
  grid.clear();
  grid.set_cell(1, 0, "Elem.");
  const std::size_t count = grid_wavelength_count(wavelengths);
  for (std::size_t j = 0; j < count; ++j) {
    const int column = 2 * static_cast<int>(j) + 1;
    grid.set_cell(0, column, fixed(wavelengths[j], 7, 4));
    grid.set_cell(0, column + 1, fixed(wavelengths[j], 7, 4));
    grid.set_cell(1, column, "f '");
    grid.set_cell(1, column + 1, "f \"");
  }
  for (std::size_t t = 0; t < types.size(); ++t) {
    const int row = static_cast<int>(t) + 2;
    grid.set_cell(row, 0, types[t].symbol);
    for (std::size_t j = 0; j < count; ++j) {
      const int column = 2 * static_cast<int>(j) + 1;
      grid.show_number(row, column, types[t].f_prime[j], fixed(types[t].f_prime[j], 6, 3));
      grid.show_number(row, column + 1, types[t].f_second[j], fixed(types[t].f_second[j], 6, 3));
    }
  }
}

}  // namespace calvane
