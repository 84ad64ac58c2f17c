#include "plot/plot_unit.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <numbers>

#include "model/experiment_settings.hpp"
#include "model/reflection.hpp"
#include "plot/plot_axis.hpp"
#include "plot/plot_state.hpp"
#include "profile/q_scale.hpp"

namespace calvane {

namespace {
constexpr double kDegree = std::numbers::pi / 180.0;
}  // namespace

PlotUnit plot_unit(const PlotState& state, const ExperimentSettings& settings) {
  switch (settings.angle_scale) {
    case AngleScale::Q:
      return PlotUnit::Q;
    case AngleScale::Theta:
      return state.d_axis ? PlotUnit::D : PlotUnit::Theta;
    case AngleScale::TwoTheta:
      break;
  }
  return state.d_axis ? PlotUnit::D : PlotUnit::TwoTheta;
}

double spacing_of_two_theta(double two_theta_deg, double wavelength_angstrom) {
  const double sine = std::sin(two_theta_deg * 0.5 * kDegree);
  if (!(sine > 0)) return std::numeric_limits<double>::infinity();
  return wavelength_angstrom / (2 * sine);
}

double two_theta_of_spacing(double d_angstrom, double wavelength_angstrom) {
  const double sine = wavelength_angstrom / (2 * d_angstrom);
  if (!(d_angstrom > 0) || !(sine < 1)) return 180.0;
  return 2 * std::asin(sine) / kDegree;
}

double displayed_of_two_theta(PlotUnit unit, const ExperimentSettings& settings, double two_theta) {
  switch (unit) {
    case PlotUnit::Theta:
      return two_theta * 0.5;
    case PlotUnit::Q:
      return q_of_two_theta(two_theta, axis_wavelength(settings));
    case PlotUnit::D:
      return spacing_of_two_theta(two_theta, axis_wavelength(settings));
    case PlotUnit::TwoTheta:
      break;
  }
  return two_theta;
}

double two_theta_of_displayed(PlotUnit unit, const ExperimentSettings& settings, double x) {
  switch (unit) {
    case PlotUnit::Theta:
      return x * 2;
    case PlotUnit::Q:
      return two_theta_of_q(x, axis_wavelength(settings));
    case PlotUnit::D:
      return two_theta_of_spacing(x, axis_wavelength(settings));
    case PlotUnit::TwoTheta:
      break;
  }
  return x;
}

double displayed_position(const PlotState& state, const ExperimentSettings& settings, const Reflection& reflection) {
  const PlotUnit unit = plot_unit(state, settings);
  if (unit == PlotUnit::Q) return q_of_reflection(reflection, settings);
  return displayed_of_two_theta(unit, settings, reflection.two_theta);
}

double displayed_range_width(const PlotState& state, const ExperimentSettings& settings) {
  if (plot_unit(state, settings) != PlotUnit::D) return displayed_width(state, static_cast<int>(settings.angle_scale));
  const double wavelength = axis_wavelength(settings);
  return std::abs(spacing_of_two_theta(std::max(state.theta2_min, kLowestDAxisTwoTheta), wavelength) -
                  spacing_of_two_theta(state.theta2_max, wavelength));
}

std::optional<std::size_t> nearest_point_descending(const std::vector<double>& abscissa, double position) {
  if (abscissa.empty() || position > abscissa.front() || position < abscissa.back()) return std::nullopt;
  // The first point not above `position`, and the one before it.
  const auto after = std::lower_bound(abscissa.begin(), abscissa.end(), position, std::greater<>());
  const auto index = static_cast<std::size_t>(after - abscissa.begin());
  if (index > 0 && abscissa[index - 1] - position <= position - *after) return index - 1;
  return index;
}

}  // namespace calvane
