// Writers of a phase's calculated reflections as a peak list (.prn, Bruker
// .dif, Philips .di) and as a powder CIF carrying structure and profile.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace calvane {

struct ExperimentSettings;
struct PhaseData;

/// Reflections past this count do not fit the 16-bit count of the binary layouts.
inline constexpr int kMaxBinaryReflections = 32767;

/// A written file and the number of reflections its layout could not hold
/// (past the 16-bit count, or a 2θ beyond the 16-bit .di field).
struct PeakFileContent {
  std::string bytes;
  int left_out = 0;
};

PeakFileContent write_prn_peaks(const PhaseData& phase);
PeakFileContent write_dif_peaks(const PhaseData& phase, const ExperimentSettings& settings);
PeakFileContent write_di_peaks(const PhaseData& phase, const ExperimentSettings& settings);
/// The powder CIF of the phase: cell, symmetry, atoms, calculated peaks and
/// the profile on the experiment's grid.
PeakFileContent write_powder_cif(const PhaseData& phase, const ExperimentSettings& settings);

/// The CIF name of a crystal system code ("CUBI" gives "Cubic").
std::string crystal_system_name(std::string_view code);

}  // namespace calvane
