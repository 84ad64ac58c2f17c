#include "profile/phase_computation.hpp"

#include <algorithm>

#include "crystallography/composition.hpp"
#include "crystallography/crystal_checks.hpp"
#include "crystallography/phase_scattering.hpp"
#include "crystallography/site_weights.hpp"
#include "profile/pattern_corrections.hpp"
#include "util/message_sink.hpp"
#include "util/text.hpp"
#include "util/thread_pool.hpp"

namespace calvane {

namespace {

/// Puts back the f′ and f″ the user typed into the anomalous table, which
/// the preparation of the scattering data has just replaced by the table's
/// values, as long as the wavelengths they were typed for are still in use.
void restore_typed_anomalous_terms(Workspace& ws, const PhaseComposition& typed) {
  if (typed.typed_anomalous_wavelengths.empty()) return;
  if (typed.typed_anomalous_wavelengths != ws.settings.wavelengths) {
    ws.composition.typed_anomalous_wavelengths.clear();
    return;
  }
  std::vector<ScatteringType>& types = ws.crystal.scattering_types;
  for (ScatteringType& type : types)
    for (const AnomalousTerms& terms : typed.anomalous)
      if (terms.element == type.symbol) {
        type.f_prime = terms.f_prime;
        type.f_second = terms.f_second;
      }
  copy_anomalous_terms(types, ws.composition);
  ws.composition.typed_anomalous_wavelengths = typed.typed_anomalous_wavelengths;
}

bool valid_current_phase(const Workspace& ws) { return ws.current_phase >= 1 && ws.current_phase <= ws.phase_count(); }

/// The working copy made ready for the engine: scattering types with the
/// phase's anomalous table (terms the user typed for the same wavelengths
/// kept), site weights and composition. False after a warning.
bool prepare_working_phase(Workspace& ws, const std::filesystem::path& data_folder, MessageSink& messages) {
  if (!crystal_is_computable(ws.crystal, messages)) return false;
  const PhaseComposition typed = ws.composition;
  if (!prepare_scattering_types(ws.crystal, ws.composition, ws.settings.wavelengths, data_folder, messages))
    return false;
  restore_typed_anomalous_terms(ws, typed);
  site_weights(ws.crystal);
  if (std::string reason = compute_composition(ws.crystal, ws.settings.wavelengths, ws.composition);
      !reason.empty()) {
    messages.warning(reason);
    return false;
  }
  return true;
}

}  // namespace

bool crystal_is_computable(const CurrentCrystal& crystal, MessageSink& messages) {
  if (cell_product(crystal.cell) == 0) {
    messages.warning("Bad cell parameters!");
    return false;
  }
  if (std::string reason = impossible_cell_reason(crystal.cell); !reason.empty()) {
    messages.warning("Bad cell parameters! " + reason);
    return false;
  }
  if (trim_view(crystal.symbol).empty()) {
    messages.beep();
    messages.warning("No Space group!");
    return false;
  }
  if (crystal.atoms.empty()) {
    messages.warning("No atoms in the asymmetric unit");
    return false;
  }
  if (std::string reason = impossible_occupancy_in(crystal); !reason.empty()) {
    messages.warning("Bad occupancy: " + reason);
    return false;
  }
  if (scatters_nothing(crystal)) {
    messages.warning("The phase scatters nothing: every atom has the occupancy 0");
    return false;
  }
  return true;
}

std::optional<DeferredListing> compute_current_phase_lines(Workspace& ws, ComputationCaches& caches,
                                                           const std::filesystem::path& data_folder,
                                                           std::string_view shown_file_name, std::string date_time,
                                                           MessageSink& messages) {
  if (!valid_current_phase(ws) || !prepare_working_phase(ws, data_folder, messages)) return std::nullopt;
  compute_sample_absorption(ws);
  compute_derived_cell(ws.crystal.cell);  // B follows the cell as it is now

  const auto slot = static_cast<std::size_t>(ws.current_phase - 1);
  StructureFactorCache& sums = slot < caches.phase_sums.size() ? caches.phase_sums[slot] : caches.other_sums;
  const PhaseLinesRequest request{ws.crystal, ws.settings, ws.composition, ws.sample_absorption};
  PhaseLines lines = compute_phase_lines(request, caches.reflection_lists, sums, &ThreadPool::shared(), messages);

  store_current_phase(ws);
  PhaseData& phase = ws.phase(ws.current_phase);
  phase.scale_factor = lines.scale_factor;
  if (lines.reflections.empty()) {
    messages.warning("No reflection in the angular range for phase#" + std::to_string(ws.current_phase));
    return std::nullopt;
  }
  phase.reflections = std::move(lines.reflections);
  return DeferredListing{ws.crystal,
                         ws.settings,
                         ws.composition,
                         std::string(shown_file_name),
                         std::move(date_time),
                         std::move(lines.sections)};
}

ProfileStatus store_current_phase_profile(Workspace& ws, MessageSink& messages) {
  PhaseData& phase = ws.phase(ws.current_phase);
  const Broadening broadening{phase.crystal_size, phase.strain};
  const bool getspec_route = !ws.crystal.symmetry.hall_symbol.empty();
  // The lines as the sample shows them: shifted by the zero and the
  // displacement, weighted by texture and microabsorption (all off: unchanged).
  const double absorption = workspace_microabsorption_factors(ws)[static_cast<std::size_t>(ws.current_phase - 1)];
  const std::vector<Reflection> lines = corrected_reflections(phase.reflections, ws.corrections, ws.crystal,
                                                              phase.preferred_orientation, absorption);
  PhaseProfile profile = synthesise_profile(ws.settings, ws.crystal, lines, broadening, getspec_route, messages);
  ws.settings.profile_step = profile.grid.step();
  ws.profile_grid = profile.grid;
  const double factor = phase_weight_factor(ws.settings.percent_mode, phase.fraction, ws.composition.molecular_weight);
  phase.profile.resize(profile.y.size());
  std::transform(profile.y.begin(), profile.y.end(), phase.profile.begin(),
                 [factor](double y) { return static_cast<float>(y * factor); });
  return profile.status;
}

double phase_weight_factor(std::string_view percent_mode, double fraction, double molecular_weight) {
  if (percent_mode == "MOLEC") return fraction;
  return molecular_weight > 0 ? fraction / molecular_weight : 0.0;
}

AllPhasesResult compute_all_phases(Workspace& ws, ComputationCaches& caches, const std::filesystem::path& data_folder,
                                   const std::string& date_time, MessageSink& messages) {
  // The sample's absorption weighs every phase's composition: phases never
  // computed get theirs first (their messages come with their computation).
  for (int p = 1; p <= ws.phase_count(); ++p) {
    if (ws.phase(p).composition.molecular_weight > 0) continue;
    ws.current_phase = p;
    load_current_phase(ws);
    CollectedMessages later;
    if (prepare_working_phase(ws, data_folder, later)) {
      ws.phase(p).composition = ws.composition;
      ws.phase(p).crystal.scattering_types = ws.crystal.scattering_types;
    }
  }
  AllPhasesResult result;
  result.listings.resize(static_cast<std::size_t>(ws.phase_count()));
  for (int p = 1; p <= ws.phase_count(); ++p) {
    ws.current_phase = p;
    load_current_phase(ws);
    auto listing = compute_current_phase_lines(ws, caches, data_folder, ws.crystal_file_name, date_time, messages);
    if (!listing || store_current_phase_profile(ws, messages) != ProfileStatus::Completed) {
      result.all_computed = false;
      continue;
    }
    PhaseListingTexts& texts = result.listings[static_cast<std::size_t>(p - 1)];
    write_listing_headers(*listing, &texts.detailed, &texts.short_listing);
    write_sections(*listing, &texts.detailed, &texts.short_listing);
  }
  return result;
}

}  // namespace calvane
