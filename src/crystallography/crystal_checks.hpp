// Checks that a crystal read from a file, typed on the page or restored from a
// workspace can be computed at all: a cell that exists and occupancies that
// are physical.
#pragma once

#include <string>

#include "model/current_crystal.hpp"

namespace calvane {

/// Why a, b, c (Å), α, β, γ (degrees) cannot be a unit cell; empty when they
/// can. A cell needs positive finite lengths, angles strictly between 0° and
/// 180°, and a positive definite metric tensor (Gram determinant
/// a²b²c²(1 − cos²α − cos²β − cos²γ + 2 cosα cosβ cosγ) above 0), which
/// fails for instance for α = β = γ = 120° or α = 30°, β = 40°, γ = 100°.
std::string impossible_cell_reason(const CellParameters& cell);

/// Why an occupancy cannot be a site's; empty for a finite value ≥ 0.
std::string impossible_occupancy_reason(double population);

/// The first atom whose occupancy is impossible, as "atom N (TYPE LABEL):
/// reason"; empty when every occupancy is possible.
std::string impossible_occupancy_in(const CurrentCrystal& crystal);

/// True when the crystal has atoms but none of them occupies its site: every
/// structure factor is 0 and the phase has no pattern to draw.
bool scatters_nothing(const CurrentCrystal& crystal);

}  // namespace calvane
