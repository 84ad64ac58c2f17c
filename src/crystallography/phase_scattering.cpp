#include "crystallography/phase_scattering.hpp"

#include "crystallography/absorption_table.hpp"
#include "crystallography/anomalous_table.hpp"
#include "crystallography/scattering.hpp"
#include "util/files.hpp"
#include "util/message_sink.hpp"
#include "util/text.hpp"

namespace calvane {

bool prepare_scattering_types(CurrentCrystal& crystal, PhaseComposition& composition,
                              const std::vector<double>& wavelengths, const std::filesystem::path& data_folder,
                              MessageSink& messages) {
  CurrentCrystal typed = crystal;
  std::string error = assign_scattering_types(typed);
  for (std::size_t t = 0; error.empty() && t < typed.scattering_types.size(); ++t)
    error = lookup_form_factor(typed.scattering_types[t]);
  if (!error.empty()) {
    messages.beep();
    messages.warning(error);
    return false;
  }
  AbsorptionReadResult absorption = read_absorption_table(data_file_in(data_folder, "muro.dat"), typed.scattering_types);
  if (!absorption.message.empty()) messages.warning(absorption.message);
  crystal = std::move(typed);
  copy_anomalous_terms(crystal.scattering_types, composition);
  // The phase keeps the table chosen for it (or none) from one computation to the next.
  const std::string table = composition.anomalous_table;
  if (table.empty()) {
    clear_anomalous_terms(crystal.scattering_types, composition);
    return true;
  }
  return apply_anomalous_file(data_file_in(data_folder, table), table, wavelengths, crystal.scattering_types,
                              composition, messages);
}

bool apply_anomalous_file(const std::filesystem::path& path, std::string_view table_name,
                          const std::vector<double>& wavelengths, std::vector<ScatteringType>& types,
                          PhaseComposition& composition, MessageSink& messages) {
  // The blocks are looked up as apply_anomalous_table does: by the first two
  // characters of the trimmed symbol.
  std::vector<std::string> symbols;
  for (const ScatteringType& type : types) symbols.emplace_back(substring(trim(type.symbol), 0, 2));
  AnomalousTable table;
  if (std::string error = read_anomalous_elements(path, symbols, table); !error.empty()) {
    messages.warning(error);
    return false;
  }
  apply_anomalous_table(table, wavelengths, types);
  copy_anomalous_terms(types, composition);
  composition.anomalous_table = std::string(table_name);
  return true;
}

void clear_anomalous_terms(std::vector<ScatteringType>& types, PhaseComposition& composition) {
  for (ScatteringType& type : types) {
    type.f_prime.fill(0);
    type.f_second.fill(0);
  }
  copy_anomalous_terms(types, composition);
  composition.anomalous_table.clear();
}

void copy_anomalous_terms(const std::vector<ScatteringType>& types, PhaseComposition& composition) {
  composition.anomalous.clear();
  for (const ScatteringType& type : types)
    composition.anomalous.push_back(AnomalousTerms{type.symbol, type.f_prime, type.f_second});
}

}  // namespace calvane
