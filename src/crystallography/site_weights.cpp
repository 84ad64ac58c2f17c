#include "crystallography/site_weights.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace calvane {
namespace {

constexpr double kSamePosition = 0.001;

double wrapped(double coordinate) { return coordinate - std::floor(coordinate); }

// Distance between two coordinates on the unit circle of the cell edge.
double periodic_distance(double a, double b) {
  double d = std::abs(a - b);
  return std::min(d, 1 - d);
}

}  // namespace

int site_multiplicity(const std::vector<SymmetryOperator>& operators, double x, double y, double z) {
  std::vector<std::array<double, 3>> kept;
  kept.reserve(operators.size());
  for (const SymmetryOperator& op : operators) {
    std::array<double, 3> p{};
    for (std::size_t row = 0; row < 3; ++row)
      p[row] = wrapped(op.m[row][0] * x + op.m[row][1] * y + op.m[row][2] * z + op.m[row][3]);
    bool seen = false;
    for (const auto& q : kept) {
      if (periodic_distance(p[0], q[0]) <= kSamePosition && periodic_distance(p[1], q[1]) <= kSamePosition &&
          periodic_distance(p[2], q[2]) <= kSamePosition) {
        seen = true;
        break;
      }
    }
    if (!seen) kept.push_back(p);
  }
  return static_cast<int>(kept.size());
}

void site_weights(CurrentCrystal& crystal) {
  for (AtomSite& atom : crystal.atoms)
    atom.weight =
        std::abs(site_multiplicity(crystal.symmetry.operators, atom.x, atom.y, atom.z) * atom.population);
}

}  // namespace calvane
