#include "crystallography/intensities.hpp"

#include <algorithm>
#include <cmath>

namespace calvane {

namespace {

constexpr double kThetaToTwoThetaDegrees = 114.5914;
constexpr double kLargestSinTheta = 0.99999;  // keeps cos θ away from 0 at 2θ = 180°
constexpr double kWeakestIntensity = 0.05;

std::vector<MillerIndex> indices_of(const std::vector<Reflection>& reflections) {
  std::vector<MillerIndex> indices;
  indices.reserve(reflections.size());
  for (const Reflection& r : reflections) indices.push_back({r.h, r.k, r.l});
  return indices;
}

// Z² and μ(λ) divide every intensity of the wavelength. A missing Z or
// absorption (0 or not a number) would turn every intensity into infinity,
// so such a factor is left out.
double common_factor(const IntensityContext& context, bool with_absorption, int absorption_index) {
  const int z = context.composition.formula_units;
  double factor = z > 0 ? 1.0 / (static_cast<double>(z) * z) : 1.0;
  if (with_absorption && absorption_index >= 1 && absorption_index <= 4) {
    const double mu = context.sample_absorption[static_cast<std::size_t>(absorption_index - 1)];
    if (mu > 0 && std::isfinite(mu)) factor /= mu;
  }
  return factor;
}

// Largest intensity (in single precision), K = 100 / it; an empty result when it is 0.
void scale(WavelengthIntensities& result) {
  float largest = 0;
  for (const ComputedLine& line : result.lines)
    largest = std::max(largest, static_cast<float>(line.reflection.intensity));
  if (!(largest > 0) || !std::isfinite(largest)) {
    result.lines.clear();
    result.scale_factor = 0;
    return;
  }
  result.scale_factor = 100.0 / static_cast<double>(largest);
}

struct Angles {
  double theta, s;
};

Angles bragg_angles(const IntensityContext& context, double d) {
  const double sin_theta = std::min(kLargestSinTheta, 0.5 * context.wavelength / d);
  return {std::asin(sin_theta), 1 / (2 * d)};
}

}  // namespace

double lorentz_polarisation_xray(double theta, XRaySource source, double polarisation) {
  const double sin_theta = std::sin(theta);
  const double denominator = std::cos(theta) * sin_theta * sin_theta;
  const double cos_2theta = std::cos(2 * theta);
  if (source == XRaySource::Synchrotron)
    return ((1 - polarisation) + polarisation * cos_2theta * cos_2theta) / denominator;
  return (cos_2theta * cos_2theta + 1) * 0.5 / denominator;
}

double lorentz_neutron(double theta) {
  const double sin_theta = std::sin(theta);
  return 1 / (std::cos(theta) * sin_theta * sin_theta);
}

int spectrum_entry_of(const ExperimentSettings& settings, double wavelength) {
  for (int j = 0; j < settings.wavelength_count(); ++j)
    if (std::abs(settings.wavelengths[static_cast<std::size_t>(j)] - wavelength) <= 0.001) return j + 1;
  return 0;
}

WavelengthIntensities intensities_xray(const IntensityContext& context,
                                       const std::vector<Reflection>& reflections,
                                       StructureFactorCache& cache) {
  WavelengthIntensities result;
  cache.prepare(context.crystal, indices_of(reflections));
  result.absorption_index = spectrum_entry_of(context.settings, context.wavelength);
  const double factor = common_factor(context, true, result.absorption_index);
  result.form_factors.reserve(reflections.size() * context.crystal.scattering_types.size());
  for (const Reflection& reflection : reflections) {
    ComputedLine line{reflection, 0, {}, {}};
    const Angles angles = bragg_angles(context, reflection.d);
    line.reflection.two_theta = kThetaToTwoThetaDegrees * angles.theta;
    const std::size_t first = result.form_factors.size();
    for (const ScatteringType& type : context.crystal.scattering_types)
      result.form_factors.push_back(scattering_factor(type, angles.s, context.wavelength_index));
    line.xray = structure_factor_xray(std::span(result.form_factors).subspan(first),
                                      cache.sums({reflection.h, reflection.k, reflection.l}));
    const XrayStructureFactor& f = line.xray;
    const double g =
        0.5 * (f.a_plus * f.a_plus + f.b_plus * f.b_plus + f.a_minus * f.a_minus + f.b_minus * f.b_minus);
    line.lorentz_polarisation =
        lorentz_polarisation_xray(angles.theta, context.settings.xray_source, context.settings.polarisation);
    const double intensity = 0.5 * g * reflection.multiplicity * line.lorentz_polarisation;
    line.reflection.intensity = std::max(intensity, kWeakestIntensity) * factor;
    result.lines.push_back(line);
  }
  scale(result);
  return result;
}

WavelengthIntensities intensities_neutron(const IntensityContext& context,
                                          const std::vector<Reflection>& reflections,
                                          StructureFactorCache& cache) {
  WavelengthIntensities result;
  cache.prepare(context.crystal, indices_of(reflections));
  result.absorption_index = spectrum_entry_of(context.settings, context.wavelength);
  // Neutron intensities carry 1/Z² like X-ray ones; no absorption correction.
  const double factor = common_factor(context, false, 0);
  for (const Reflection& reflection : reflections) {
    ComputedLine line{reflection, 0, {}, {}};
    const Angles angles = bragg_angles(context, reflection.d);
    line.reflection.two_theta = kThetaToTwoThetaDegrees * angles.theta;
    line.neutron = structure_factor_neutron(cache.sums({reflection.h, reflection.k, reflection.l}));
    line.lorentz_polarisation = lorentz_neutron(angles.theta);
    const double f2 = line.neutron.a * line.neutron.a + line.neutron.b * line.neutron.b;
    const double intensity = reflection.multiplicity * f2 * line.lorentz_polarisation;
    line.reflection.intensity = std::max(intensity, kWeakestIntensity) * factor;
    result.lines.push_back(line);
  }
  scale(result);
  return result;
}

}  // namespace calvane
