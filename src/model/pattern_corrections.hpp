// Corrections of the calculated pattern for the sample and the instrument:
// zero shift, sample displacement, preferred orientation, background and
// microabsorption. Each is off by default.
#pragma once

#include <array>
#include <vector>

namespace calvane {

/// March–Dollase texture of one phase: the plane normal (h k l) the
/// crystallites align and the ratio r (1: no texture; below 1 platelets
/// lying flat on the holder, above 1 needles).
struct PreferredOrientation {
  std::array<int, 3> direction{0, 0, 1};
  double ratio = 1;

  bool active() const { return ratio != 1 && (direction[0] != 0 || direction[1] != 0 || direction[2] != 0); }
  friend bool operator==(const PreferredOrientation&, const PreferredOrientation&) = default;
};

/// Corrections common to every phase of the pattern.
struct SampleCorrections {
  double zero_shift_deg = 0;          // Δ2θ₀ added to every line, degrees 2θ
  double displacement_um = 0;         // s, sample surface above the focusing circle, µm
  double goniometer_radius_mm = 240;  // R
  /// Chebyshev coefficients of the background over the measured range,
  /// order 0 first; empty: no background.
  std::vector<double> background;

  friend bool operator==(const SampleCorrections&, const SampleCorrections&) = default;
};

}  // namespace calvane
