#include "plot/plot_state.hpp"

#include <algorithm>
#include <cmath>

#include "workspace/experiment_settings.hpp"

namespace calvane {

double q_of_two_theta(double two_theta_deg) {
  return 12.566370614359172 * std::sin(two_theta_deg * 0.008726643139636761);
}

double two_theta_of_q(double q) { return 114.5914 * std::asin(std::clamp(q * 0.0795774715, -1.0, 1.0)); }

void sync_plot_range(PlotState& state, const ExperimentSettings& settings) {
  state.theta2_min = settings.two_theta_low;
  state.theta2_max = settings.two_theta_high;
  state.q_min = q_of_two_theta(state.theta2_min);
  state.q_max = q_of_two_theta(state.theta2_max);
  if (!state.zoomed) {
    state.theta2_full_min = state.theta2_min;
    state.theta2_full_max = state.theta2_max;
  }
}

}  // namespace calvane
