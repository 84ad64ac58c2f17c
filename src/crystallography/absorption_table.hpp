// The mass-absorption table ("muro.dat"): μ/ρ of each element at a set of
// wavelengths, and its interpolation.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "model/scattering_type.hpp"

namespace calvane {

/// Each element keeps at most this many (λ, μ/ρ) points.
inline constexpr std::size_t kMaxAbsorptionPointsPerElement = 30;

struct AbsorptionReadResult {
  bool ok = true;       // false: the file could not be used and the types are unchanged
  std::string message;  // why not, or a notice about points left out (may be set when ok)
};

/// Replaces every type's absorption points with the lines of `path` whose
/// symbol (first two characters, trimmed, capitals) equals the type's. A line
/// is the symbol, then λ (Å) and μ/ρ (cm²/g) separated by blanks; blank lines
/// are passed over. Points beyond the 30th of an element, or not above the
/// previous wavelength, are left out with a notice.
AbsorptionReadResult read_absorption_table(const std::filesystem::path& path,
                                           std::vector<ScatteringType>& types);

/// μ/ρ at `wavelength_angstrom`: linear between the last point below λ and the
/// first point at or above it; at or below the first point that point's value;
/// 0 beyond the last point or with no point.
double tabulated_absorption(const std::vector<std::pair<double, double>>& points, double wavelength_angstrom);

}  // namespace calvane
