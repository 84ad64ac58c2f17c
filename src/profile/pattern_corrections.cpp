#include "profile/pattern_corrections.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

#include "model/workspace.hpp"

namespace calvane {

namespace {

using Matrix3 = std::array<std::array<double, 3>, 3>;

constexpr double kRadian = std::numbers::pi / 180.0;

Matrix3 direct_metric(const CellParameters& cell) {
  const double ca = std::cos(cell.alpha * kRadian), cb = std::cos(cell.beta * kRadian);
  const double cg = std::cos(cell.gamma * kRadian);
  return {{{cell.a * cell.a, cell.a * cell.b * cg, cell.a * cell.c * cb},
           {cell.a * cell.b * cg, cell.b * cell.b, cell.b * cell.c * ca},
           {cell.a * cell.c * cb, cell.b * cell.c * ca, cell.c * cell.c}}};
}

// G* = G⁻¹ by the adjugate; G is symmetric.
Matrix3 reciprocal_metric(const CellParameters& cell) {
  const Matrix3 g = direct_metric(cell);
  Matrix3 inverse{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const auto r1 = static_cast<std::size_t>((j + 1) % 3), r2 = static_cast<std::size_t>((j + 2) % 3);
      const auto c1 = static_cast<std::size_t>((i + 1) % 3), c2 = static_cast<std::size_t>((i + 2) % 3);
      inverse[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] = g[r1][c1] * g[r2][c2] - g[r1][c2] * g[r2][c1];
    }
  const double determinant = g[0][0] * inverse[0][0] + g[0][1] * inverse[1][0] + g[0][2] * inverse[2][0];
  for (auto& row : inverse)
    for (double& value : row) value /= determinant;
  return inverse;
}

double metric_product(const Matrix3& metric, const MillerIndices& u, const MillerIndices& v) {
  double sum = 0;
  for (std::size_t i = 0; i < 3; ++i)
    for (std::size_t j = 0; j < 3; ++j) sum += u[i] * metric[i][j] * v[j];
  return sum;
}

double march_dollase_term(double ratio, double cosine) {
  const double cos2 = std::min(1.0, cosine * cosine);
  return std::pow(ratio * ratio * cos2 + (1 - cos2) / ratio, -1.5);
}

}  // namespace

double displacement_shift_deg(double displacement_um, double radius_mm, double two_theta_deg) {
  if (displacement_um == 0 || !(radius_mm > 0)) return 0;
  const double theta = 0.5 * two_theta_deg * kRadian;
  return -2.0 * (displacement_um * 1e-3) * std::cos(theta) / radius_mm / kRadian;
}

double line_shift_deg(const SampleCorrections& corrections, double two_theta_deg) {
  return corrections.zero_shift_deg +
         displacement_shift_deg(corrections.displacement_um, corrections.goniometer_radius_mm, two_theta_deg);
}

std::vector<MillerIndices> family_members(const SymmetryData& symmetry, const MillerIndices& hkl) {
  std::vector<MillerIndices> members{hkl};
  for (const SymmetryOperator& op : symmetry.operators) {
    MillerIndices image{};
    for (int j = 0; j < 3; ++j) {
      double sum = 0;
      for (int i = 0; i < 3; ++i) sum += hkl[static_cast<std::size_t>(i)] * op.r(i, j);
      image[static_cast<std::size_t>(j)] = static_cast<int>(std::lround(sum));
    }
    members.push_back(image);
  }
  std::sort(members.begin(), members.end());
  members.erase(std::unique(members.begin(), members.end()), members.end());
  return members;
}

double normal_cosine(const CellParameters& cell, const MillerIndices& first, const MillerIndices& second) {
  const Matrix3 metric = reciprocal_metric(cell);
  const double norms = metric_product(metric, first, first) * metric_product(metric, second, second);
  return norms > 0 ? metric_product(metric, first, second) / std::sqrt(norms) : 1.0;
}

double march_dollase_factor(const CellParameters& cell, std::span<const MillerIndices> members,
                            const PreferredOrientation& orientation) {
  if (members.empty() || !(orientation.ratio > 0)) return 1;
  const Matrix3 metric = reciprocal_metric(cell);
  const double direction_norm = metric_product(metric, orientation.direction, orientation.direction);
  double sum = 0;
  for (const MillerIndices& member : members) {
    const double norms = metric_product(metric, member, member) * direction_norm;
    const double cosine = norms > 0 ? metric_product(metric, member, orientation.direction) / std::sqrt(norms) : 1.0;
    sum += march_dollase_term(orientation.ratio, cosine);
  }
  return sum / static_cast<double>(members.size());
}

std::vector<double> orientation_factors(const CurrentCrystal& crystal, std::span<const Reflection> reflections,
                                        const PreferredOrientation& orientation) {
  std::vector<double> factors(reflections.size(), 1.0);
  if (!orientation.active()) return factors;
  std::map<MillerIndices, double> known;
  for (std::size_t i = 0; i < reflections.size(); ++i) {
    const MillerIndices hkl{reflections[i].h, reflections[i].k, reflections[i].l};
    auto found = known.find(hkl);
    if (found == known.end()) {
      const std::vector<MillerIndices> members = family_members(crystal.symmetry, hkl);
      found = known.emplace(hkl, march_dollase_factor(crystal.cell, members, orientation)).first;
    }
    factors[i] = found->second;
  }
  return factors;
}

double brindley_factor(double contrast) {
  const double x = contrast;
  // Near 0 the closed form loses digits to cancellation: its series to x⁴.
  if (std::abs(x) < 0.01) return 1 + x * (-1.5 + x * (1.6 + x * (-4.0 / 3.0 + x * (32.0 / 35.0))));
  const double a = 4 * x;
  const double moment = (1 - (1 + a) * std::exp(-a)) / (a * a);  // ∫₀¹ u e^(−au) du
  return 3.0 / (4.0 * x) * (0.5 - moment);
}

double linear_absorption_per_cm(const PhaseComposition& composition) {
  return composition.mass_absorption[0] * composition.density;
}

std::vector<double> microabsorption_factors(std::span<const double> weight_fractions,
                                            std::span<const PhaseComposition* const> compositions,
                                            std::span<const double> radii_um) {
  const std::size_t count = weight_fractions.size();
  std::vector<double> factors(count, 1.0);
  double volume = 0, absorbed = 0;
  for (std::size_t p = 0; p < count; ++p) {
    const double density = compositions[p]->density;
    if (!(density > 0)) continue;
    const double share = weight_fractions[p] / density;
    volume += share;
    absorbed += share * linear_absorption_per_cm(*compositions[p]);
  }
  const double mean = volume > 0 ? absorbed / volume : 0;
  for (std::size_t p = 0; p < count; ++p) {
    if (!(radii_um[p] > 0)) continue;
    const double contrast = (linear_absorption_per_cm(*compositions[p]) - mean) * radii_um[p] * 1e-4;
    factors[p] = brindley_factor(contrast);
  }
  return factors;
}

std::vector<double> workspace_weight_fractions(const Workspace& workspace) {
  std::vector<double> weights;
  double total = 0;
  for (const PhaseData& phase : workspace.phases) {
    const double weight = workspace.settings.percent_mode == "MOLEC"
                              ? phase.fraction * phase.composition.molecular_weight
                              : phase.fraction;
    weights.push_back(weight);
    total += weight;
  }
  if (total > 0)
    for (double& weight : weights) weight /= total;
  return weights;
}

std::vector<double> workspace_microabsorption_factors(const Workspace& workspace) {
  std::vector<const PhaseComposition*> compositions;
  std::vector<double> radii;
  for (const PhaseData& phase : workspace.phases) {
    compositions.push_back(&phase.composition);
    radii.push_back(phase.particle_radius_um);
  }
  const std::vector<double> weights = workspace_weight_fractions(workspace);
  return microabsorption_factors(weights, compositions, radii);
}

void chebyshev_terms(double x, double low, double high, std::span<double> terms) {
  if (terms.empty()) return;
  const double t = high > low ? (2 * x - low - high) / (high - low) : 0.0;
  terms[0] = 1;
  if (terms.size() > 1) terms[1] = t;
  for (std::size_t k = 2; k < terms.size(); ++k) terms[k] = 2 * t * terms[k - 1] - terms[k - 2];
}

double chebyshev_background(std::span<const double> coefficients, double x, double low, double high) {
  std::array<double, 13> terms{};
  const std::size_t count = std::min(coefficients.size(), terms.size());
  chebyshev_terms(x, low, high, std::span<double>(terms.data(), count));
  double sum = 0;
  for (std::size_t k = 0; k < count; ++k) sum += coefficients[k] * terms[k];
  return sum;
}

std::vector<Reflection> corrected_reflections(std::span<const Reflection> reflections,
                                              const SampleCorrections& corrections, const CurrentCrystal& crystal,
                                              const PreferredOrientation& orientation, double absorption_factor) {
  const std::vector<double> factors = orientation_factors(crystal, reflections, orientation);
  std::vector<Reflection> corrected(reflections.begin(), reflections.end());
  for (std::size_t i = 0; i < corrected.size(); ++i) {
    corrected[i].two_theta += line_shift_deg(corrections, reflections[i].two_theta);
    corrected[i].intensity *= factors[i] * absorption_factor;
  }
  return corrected;
}

}  // namespace calvane
