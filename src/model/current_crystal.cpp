#include "model/current_crystal.hpp"

#include <cmath>

namespace calvane {

namespace {
// Exact: the rounded factor 57.2957 (4 ppm short) shifts the d-spacings of
// an oblique cell by parts in 10⁶, hundredths of a degree at high angles.
constexpr double kDegreesPerRadian = 180 / 3.141592653589793;

// cos and sin of an angle in degrees, exact at 90° and 120°: the lines of a
// family then have exactly equal d, so which member names the family depends
// on the enumeration order alone, never on rounding noise.
double cos_degrees(double degrees) {
  if (degrees == 90) return 0;
  if (degrees == 120) return -0.5;
  return std::cos(degrees / kDegreesPerRadian);
}
double sin_degrees(double degrees) { return degrees == 90 ? 1 : std::sin(degrees / kDegreesPerRadian); }
}

void compute_derived_cell(CellParameters& cell) {
  const double ca = cos_degrees(cell.alpha), cb = cos_degrees(cell.beta), cg = cos_degrees(cell.gamma);
  const double sa = sin_degrees(cell.alpha), sb = sin_degrees(cell.beta), sg = sin_degrees(cell.gamma);
  // Triclinic cell volume, e.g. Giacovazzo, Fundamentals of Crystallography, eq. 2.A.
  cell.volume = cell.a * cell.b * cell.c * std::sqrt(1 - ca * ca - cb * cb - cg * cg + 2 * ca * cb * cg);
  cell.a_star = cell.b * cell.c * sa / cell.volume;
  cell.b_star = cell.c * cell.a * sb / cell.volume;
  cell.c_star = cell.a * cell.b * sg / cell.volume;
  const double cos_alpha_star = (cb * cg - ca) / (sb * sg);
  const double cos_beta_star = (cg * ca - cb) / (sg * sa);
  const double cos_gamma_star = (ca * cb - cg) / (sa * sb);
  cell.alpha_star = std::acos(cos_alpha_star) * kDegreesPerRadian;
  cell.beta_star = std::acos(cos_beta_star) * kDegreesPerRadian;
  cell.gamma_star = std::acos(cos_gamma_star) * kDegreesPerRadian;
  const double sin_gamma_star = std::sqrt(1 - cos_gamma_star * cos_gamma_star);
  const double sin_beta_star = std::sqrt(1 - cos_beta_star * cos_beta_star);
  // Busing & Levy (1967), Acta Cryst. 22, 457: B matrix of the reciprocal cell.
  cell.b_matrix = {{{cell.a_star, cell.b_star * cos_gamma_star, cell.c_star * cos_beta_star},
                    {0.0, cell.b_star * sin_gamma_star, -cell.c_star * sin_beta_star * ca},
                    {0.0, 0.0, 1.0 / cell.c}}};
}

double cell_product(const CellParameters& cell) {
  return cell.a * cell.b * cell.c * cell.alpha * cell.beta * cell.gamma;
}

}  // namespace calvane
