#include "experiment_io/measured_scan.hpp"

#include <cmath>
#include <limits>

#include "profile/angle_factors.hpp"
#include "util/text.hpp"

namespace calvane {

ScanAxis axis_from_name(std::string_view name) {
  const std::string lower = to_lower(trim(name));
  const auto has = [&lower](std::string_view word) { return lower.find(word) != std::string::npos; };
  if (has("tof") || has("time") || has("µs") || has("usec") || has("microsec")) return ScanAxis::TimeOfFlight;
  if (has("energy") || has("kev") || lower == "ev" || lower == "e") return ScanAxis::Energy;
  if (has("theta") || has("tth") || has("2th") || has("angle") || has("deg")) return ScanAxis::TwoTheta;
  if (lower == "d" || has("d-spacing") || has("dspacing") || has("d_spacing") || has("d (") || has("d(") ||
      has("d[") || has("d-value"))
    return ScanAxis::DSpacing;
  if (lower == "q" || has("q (") || has("q(") || has("q[") || has("1/a") || has("a^-1") || has("å⁻¹") ||
      has("a-1") || has("nm^-1"))
    return ScanAxis::Q;
  return ScanAxis::TwoTheta;
}

namespace {

// The same factor turns the calculated reflections' θ into 2θ, so a
// converted pattern lines up with them exactly.
double two_theta_of_sine(double sine) {
  if (!(sine > 0 && sine <= 1)) return std::numeric_limits<double>::quiet_NaN();
  return std::asin(sine) * angle_factor::kThetaRadiansToTwoThetaDegrees;
}

}  // namespace

double two_theta_of_d(double d, double wavelength) { return two_theta_of_sine(wavelength / (2 * d)); }

double measured_two_theta_of_q(double q, double wavelength) {
  return two_theta_of_sine(q * wavelength / angle_factor::kFourPi);
}

std::string_view axis_description(ScanAxis axis) {
  switch (axis) {
    case ScanAxis::TwoTheta:
      return "2theta";
    case ScanAxis::DSpacing:
      return "d-spacing";
    case ScanAxis::Q:
      return "Q";
    case ScanAxis::TimeOfFlight:
      return "time of flight";
    case ScanAxis::Energy:
      return "energy";
  }
  return "2theta";
}

}  // namespace calvane
