// The abscissae a profile is computed on.
#pragma once

#include <vector>

namespace calvane {

/// `points` abscissae equally spaced in 2θ from `low` to `high`.
struct ProfileGrid {
  double low = 0, high = 0;  // degrees 2θ
  int points = 0;
  double step() const { return points > 1 ? (high - low) / (points - 1) : 0.0; }
  /// x(i) = low + i·step, i = 0..points−1.
  std::vector<double> abscissae() const {
    std::vector<double> x(static_cast<std::size_t>(points > 0 ? points : 0));
    const double spacing = step();
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = static_cast<double>(i) * spacing + low;
    return x;
  }

  friend bool operator==(const ProfileGrid&, const ProfileGrid&) = default;
};

}  // namespace calvane
