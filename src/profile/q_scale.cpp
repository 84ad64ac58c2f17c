#include "profile/q_scale.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/experiment_settings.hpp"
#include "model/reflection.hpp"

namespace calvane {

namespace {

constexpr double kFourPi = 4 * std::numbers::pi;
constexpr double kTwoThetaDegreesToThetaRadians = std::numbers::pi / 360;

// A spectrum not read yet (no wavelength) leaves the 1.5406 Å of the start.
double usable(double wavelength) { return wavelength > 0 ? wavelength : 1.5406; }

}  // namespace

double q_of_two_theta(double two_theta_deg, double wavelength_angstrom) {
  return kFourPi * std::sin(two_theta_deg * kTwoThetaDegreesToThetaRadians) / usable(wavelength_angstrom);
}

double two_theta_of_q(double q, double wavelength_angstrom) {
  const double sine = std::clamp(q * usable(wavelength_angstrom) / kFourPi, -1.0, 1.0);
  return std::asin(sine) / kTwoThetaDegreesToThetaRadians;
}

bool q_has_angle(double q, double wavelength_angstrom) {
  return std::abs(q * usable(wavelength_angstrom) / kFourPi) <= 1.0;
}

double low_end_wavelength(const ExperimentSettings& settings) {
  if (settings.longest_wavelength > 0) return settings.longest_wavelength;
  return axis_wavelength(settings);
}

double high_end_wavelength(const ExperimentSettings& settings) {
  if (settings.shortest_wavelength > 0) return settings.shortest_wavelength;
  return axis_wavelength(settings);
}

void update_q_range(ExperimentSettings& settings) {
  settings.q_low = q_of_two_theta(settings.two_theta_low, low_end_wavelength(settings));
  settings.q_high = q_of_two_theta(settings.two_theta_high, high_end_wavelength(settings));
}

double axis_wavelength(const ExperimentSettings& settings) {
  double wavelength = settings.single_wavelength, strongest = -1;
  for (std::size_t i = 0; i < settings.wavelengths.size(); ++i) {
    const double fraction = i < settings.fractions.size() ? settings.fractions[i] : 0.0;
    if (fraction > strongest && settings.wavelengths[i] > 0) {
      strongest = fraction;
      wavelength = settings.wavelengths[i];
    }
  }
  return usable(wavelength);
}

double q_of_reflection(const Reflection& reflection, const ExperimentSettings& settings) {
  if (reflection.d > 0) return 2 * std::numbers::pi / reflection.d;
  return q_of_two_theta(reflection.two_theta, reflection.wavelength > 0 ? reflection.wavelength
                                                                         : axis_wavelength(settings));
}

}  // namespace calvane
