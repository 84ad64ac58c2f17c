#include "crystallography/crystal_checks.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "util/text.hpp"

namespace calvane {

namespace {

// Below this the cell's volume factor √(1 − cos²α − …) is under 10⁻⁴ of a
// rectangular cell's: the angles no longer close a three-dimensional cell
// (rounding makes the exact degenerate cases, such as 120/120/120, land on
// either side of 0).
constexpr double kSmallestVolumeFactorSquared = 1e-8;

std::string number_text(double value) {
  std::string text = trim(fixed(value, 0, 4));
  while (text.size() > 1 && text.back() == '0' && text.find('.') != std::string::npos) text.pop_back();
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

}  // namespace

std::string impossible_cell_reason(const CellParameters& cell) {
  const double lengths[] = {cell.a, cell.b, cell.c};
  const char* length_names[] = {"a", "b", "c"};
  for (std::size_t i = 0; i < 3; ++i) {
    if (!std::isfinite(lengths[i]) || !(lengths[i] > 0))
      return "the cell length " + std::string(length_names[i]) + " = " + number_text(lengths[i]) +
             " is not above 0";
  }
  const double angles[] = {cell.alpha, cell.beta, cell.gamma};
  const char* angle_names[] = {"alpha", "beta", "gamma"};
  for (std::size_t i = 0; i < 3; ++i) {
    if (!std::isfinite(angles[i]) || !(angles[i] > 0 && angles[i] < 180))
      return "the cell angle " + std::string(angle_names[i]) + " = " + number_text(angles[i]) +
             " is not between 0 and 180 degrees";
  }
  const double to_radians = std::numbers::pi / 180;
  const double ca = std::cos(cell.alpha * to_radians), cb = std::cos(cell.beta * to_radians),
               cg = std::cos(cell.gamma * to_radians);
  const double volume_factor_squared = 1 - ca * ca - cb * cb - cg * cg + 2 * ca * cb * cg;
  if (!(volume_factor_squared > kSmallestVolumeFactorSquared))
    return "the angles alpha = " + number_text(cell.alpha) + ", beta = " + number_text(cell.beta) +
           ", gamma = " + number_text(cell.gamma) +
           " do not close a cell (the metric tensor is not positive definite)";
  return {};
}

std::string impossible_occupancy_reason(double population) {
  if (!std::isfinite(population)) return "the occupancy is not a number";
  if (population < 0) return "the occupancy " + number_text(population) + " is negative";
  return {};
}

std::string impossible_occupancy_in(const CurrentCrystal& crystal) {
  for (std::size_t i = 0; i < crystal.atoms.size(); ++i) {
    const AtomSite& atom = crystal.atoms[i];
    if (std::string reason = impossible_occupancy_reason(atom.population); !reason.empty())
      return "atom " + std::to_string(i + 1) + " (" + trim(atom.type + " " + atom.label) + "): " + reason;
  }
  return {};
}

bool scatters_nothing(const CurrentCrystal& crystal) {
  return !crystal.atoms.empty() &&
         std::none_of(crystal.atoms.begin(), crystal.atoms.end(),
                      [](const AtomSite& atom) { return atom.population != 0; });
}

}  // namespace calvane
