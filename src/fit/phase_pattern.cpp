#include "fit/phase_pattern.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/workspace.hpp"
#include "profile/pattern_corrections.hpp"
#include "profile/pseudo_voigt.hpp"
#include "util/files.hpp"

namespace calvane {

namespace {

constexpr double kRadian = std::numbers::pi / 180.0;
constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;
// A pseudo-Voigt of η = 0.5 keeps about 0.6 % of its area beyond 50 half
// widths (the Lorentzian half: 2/(π·50)); the Gaussian half none.
constexpr double kWindowHalfWidths = 50;

// 2θ of a line of spacing d·scale for the wavelength that produced it; the
// line itself when the scale is 1.
double scaled_two_theta(const Reflection& line, double cell_scale, double wavelength) {
  if (cell_scale == 1 || !(wavelength > 0) || !(line.d > 0)) return line.two_theta;
  const double sine = wavelength / (2 * line.d * cell_scale);
  if (!(sine < 1)) return 180;
  return 2 * std::asin(sine) * kDegreesPerRadian;
}

}  // namespace

double fit_peak_width(const Resolution& resolution, double crystal_size_angstrom, double strain,
                      double two_theta_deg, double wavelength_angstrom) {
  const double theta = 0.5 * two_theta_deg * kRadian;
  const double t = std::tan(theta);
  const double instrumental = resolution.u * t * t + resolution.v * t + resolution.w;
  const double size =
      crystal_size_angstrom > 0 ? kDegreesPerRadian * wavelength_angstrom / (crystal_size_angstrom * std::cos(theta)) : 0;
  const double strained = kDegreesPerRadian * strain * t;
  return std::sqrt(instrumental * instrumental + size * size + strained * strained);
}

double march_dollase_of(std::span<const double> member_cos2, double ratio) {
  if (member_cos2.empty() || ratio == 1 || !(ratio > 0)) return 1;
  double sum = 0;
  for (double cos2 : member_cos2) sum += std::pow(ratio * ratio * cos2 + (1 - cos2) / ratio, -1.5);
  return sum / static_cast<double>(member_cos2.size());
}

FitPhase fit_phase_of(const Workspace& workspace, int number) {
  const PhaseData& data = workspace.phase(number);
  FitPhase phase;
  phase.name = file_name_of(data.file_name);
  phase.reflections = data.reflections;
  phase.formula_units = data.composition.formula_units;
  phase.molecular_weight = data.composition.molecular_weight;
  CellParameters cell = data.crystal.cell;
  compute_derived_cell(cell);
  phase.volume = cell.volume;
  phase.composition = data.composition;
  phase.particle_radius_um = data.particle_radius_um;
  phase.broadening = {data.crystal_size, data.strain};
  phase.orientation = data.preferred_orientation;
  const double per_cell = static_cast<double>(phase.formula_units) * phase.formula_units;
  for (Reflection& line : phase.reflections) line.intensity *= per_cell > 0 ? per_cell : 1.0;
  // The members of every family and their angles with the texture direction.
  phase.member_cos2.resize(phase.reflections.size());
  const MillerIndices& direction = phase.orientation.direction;
  if (direction[0] == 0 && direction[1] == 0 && direction[2] == 0) return phase;
  for (std::size_t i = 0; i < phase.reflections.size(); ++i) {
    const Reflection& line = phase.reflections[i];
    if (i > 0 && line.h == phase.reflections[i - 1].h && line.k == phase.reflections[i - 1].k &&
        line.l == phase.reflections[i - 1].l) {
      phase.member_cos2[i] = phase.member_cos2[i - 1];
      continue;
    }
    for (const MillerIndices& member : family_members(data.crystal.symmetry, {line.h, line.k, line.l})) {
      const double cosine = normal_cosine(cell, member, direction);
      phase.member_cos2[i].push_back(std::min(1.0, cosine * cosine));
    }
  }
  return phase;
}

void phase_pattern(const FitPhase& phase, const PhaseShape& shape, const InstrumentShape& instrument,
                   std::span<const double> x, std::span<double> y) {
  std::fill(y.begin(), y.end(), 0.0);
  if (x.empty()) return;
  for (std::size_t i = 0; i < phase.reflections.size(); ++i) {
    const Reflection& line = phase.reflections[i];
    const double wavelength = line.wavelength > 0 ? line.wavelength : instrument.fallback_wavelength;
    const double two_theta = scaled_two_theta(line, shape.cell_scale, wavelength);
    const double centre = two_theta + instrument.zero_shift_deg +
                          displacement_shift_deg(instrument.displacement_um, instrument.goniometer_radius_mm, two_theta);
    const double hwhm = fit_peak_width(instrument.resolution, shape.crystal_size_angstrom, phase.broadening.strain,
                                       two_theta, wavelength);
    if (!(hwhm > 0) || !std::isfinite(hwhm)) continue;
    const double area = line.intensity * march_dollase_of(phase.member_cos2[i], shape.orientation_ratio);
    const auto first = std::lower_bound(x.begin(), x.end(), centre - kWindowHalfWidths * hwhm);
    const auto last = std::upper_bound(first, x.end(), centre + kWindowHalfWidths * hwhm);
    const double height = area / hwhm, inverse = 1 / hwhm;
    for (auto point = first; point != last; ++point) {
      const double r = (*point - centre) * inverse;
      const double r2 = r * r;
      y[static_cast<std::size_t>(point - x.begin())] +=
          height * ((1 - kLorentzianShare) * std::exp2(-r2) + kLorentzianShare / (1 + r2));
    }
  }
}

}  // namespace calvane
