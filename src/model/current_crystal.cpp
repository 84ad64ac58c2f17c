#include "model/current_crystal.hpp"

#include <cmath>

namespace calvane {

namespace {
constexpr double kDegreesPerRadian = 57.2957;
}

void compute_derived_cell(CellParameters& cell) {
  const double alpha = cell.alpha / kDegreesPerRadian;
  const double beta = cell.beta / kDegreesPerRadian;
  const double gamma = cell.gamma / kDegreesPerRadian;
  const double ca = std::cos(alpha), cb = std::cos(beta), cg = std::cos(gamma);
  const double sa = std::sin(alpha), sb = std::sin(beta), sg = std::sin(gamma);
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
  const double gamma_star = cell.gamma_star / kDegreesPerRadian;
  const double beta_star = cell.beta_star / kDegreesPerRadian;
  // Busing & Levy (1967), Acta Cryst. 22, 457: B matrix of the reciprocal cell.
  cell.b_matrix = {{{cell.a_star, cell.b_star * std::cos(gamma_star), cell.c_star * std::cos(beta_star)},
                    {0.0, cell.b_star * std::sin(gamma_star), -cell.c_star * std::sin(beta_star) * ca},
                    {0.0, 0.0, 1.0 / cell.c}}};
}

double cell_product(const CellParameters& cell) {
  return cell.a * cell.b * cell.c * cell.alpha * cell.beta * cell.gamma;
}

}  // namespace calvane
