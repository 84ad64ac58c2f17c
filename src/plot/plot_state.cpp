#include "plot/plot_state.hpp"

#include <algorithm>
#include <cmath>

#include "profile/q_scale.hpp"
#include "model/experiment_settings.hpp"

namespace calvane {

double transform_value(double value, YMode mode) {
  switch (mode) {
    case YMode::Logarithmic:
      return std::log10(std::max(value, 0.0) + 1.0);
    case YMode::SquareRoot:
      return std::sqrt(std::max(value, 0.0));
    case YMode::Linear:
      break;
  }
  return value;
}


void set_displayed_q_range(PlotState& state, const ExperimentSettings& settings) {
  state.q_min = q_of_two_theta(state.theta2_min, low_end_wavelength(settings));
  state.q_max = q_of_two_theta(state.theta2_max, high_end_wavelength(settings));
}

void sync_plot_range(PlotState& state, const ExperimentSettings& settings) {
  state.theta2_min = settings.two_theta_low;
  state.theta2_max = settings.two_theta_high;
  set_displayed_q_range(state, settings);
  if (!state.zoomed) {
    state.theta2_full_min = state.theta2_min;
    state.theta2_full_max = state.theta2_max;
  }
}

}  // namespace calvane
