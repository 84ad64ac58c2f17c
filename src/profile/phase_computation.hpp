// Computing a phase of the workspace: from its crystal and the experiment to
// its merged lines, its listings and its weighted profile. The desktop, the
// command line and scripts all compute through these functions.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crystallography/engine.hpp"
#include "crystallography/reflection_list_cache.hpp"
#include "crystallography/structure_factor.hpp"
#include "model/limits.hpp"
#include "model/workspace.hpp"
#include "profile/profile_synthesis.hpp"

namespace calvane {

class MessageSink;

/// What a computation keeps from one run to the next: the phases' reflection
/// lists, enumerated again only when their inputs change, and each phase's
/// symmetry sums, kept while its atoms, symmetry and cell stay as they were
/// (the cache checks that itself).
struct ComputationCaches {
  ReflectionListCache reflection_lists;
  std::array<StructureFactorCache, kMaxPhases> phase_sums;
  StructureFactorCache other_sums;  // for a phase outside the table
};

/// Whether the crystal can be computed; if not, a warning says why ("Bad
/// cell parameters!", "No Space group!", ...).
bool crystal_is_computable(const CurrentCrystal& crystal, MessageSink& messages);

/// The working copy of the current phase made ready and its lines computed:
/// scattering types with the phase's anomalous table (terms the user typed
/// for the same wavelengths kept), site weights, composition and the
/// sample's absorption, then the lines at every wavelength. The working copy
/// is stored into the phase with its merged lines and scale factor. Empty
/// after a warning when the phase cannot be computed or has no line in the
/// range; it then keeps its old lines and profile. The listing names the phase's file `shown_file_name`
/// and is dated `date_time`.
std::optional<DeferredListing> compute_current_phase_lines(Workspace& workspace, ComputationCaches& caches,
                                                           const std::filesystem::path& data_folder,
                                                           std::string_view shown_file_name, std::string date_time,
                                                           MessageSink& messages);

/// The profile of the current phase from its merged lines, stored in the
/// phase weighted by its share (by weight: the share over the molecular
/// weight; molar: the share). The workspace's profile grid becomes the
/// settings' grid. Returns the synthesis status (its message given).
ProfileStatus store_current_phase_profile(Workspace& workspace, MessageSink& messages);

/// The weight of a phase's profile in the sum: its share in the "MOLEC"
/// percent mode, else its share over its molecular weight (0 without one).
double phase_weight_factor(std::string_view percent_mode, double fraction, double molecular_weight);

/// Both listings of a computed phase: the detailed and the short text.
struct PhaseListingTexts {
  std::string detailed, short_listing;
};

/// Computes every phase of the workspace in turn (each becomes current for
/// its computation; the last stays current at the end). Returns the
/// listings of each phase, empty for a phase that could not be computed, and
/// whether every phase was computed.
struct AllPhasesResult {
  std::vector<PhaseListingTexts> listings;
  bool all_computed = true;
};
AllPhasesResult compute_all_phases(Workspace& workspace, ComputationCaches& caches,
                                   const std::filesystem::path& data_folder, const std::string& date_time,
                                   MessageSink& messages);

}  // namespace calvane
