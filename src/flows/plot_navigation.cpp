#include "flows/plot_navigation.hpp"

#include <algorithm>
#include <cmath>

#include "flows/program.hpp"
#include "plot/plot_unit.hpp"
#include "profile/q_scale.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

constexpr double kLowestTwoTheta = 0.5, kHighestTwoTheta = 179.5;
constexpr double kNarrowestTwoTheta = 0.05;  // degrees on screen at the deepest wheel zoom
constexpr std::size_t kMaxViews = 50;

// The displayed unit of a 2θ and back; Q with the wavelength of its end of the range.
double displayed_of(const PlotState& state, const ExperimentSettings& settings, double two_theta, bool low_end) {
  if (settings.angle_scale == AngleScale::Q)
    return q_of_two_theta(two_theta, low_end ? low_end_wavelength(settings) : high_end_wavelength(settings));
  return displayed_of_two_theta(plot_unit(state, settings), settings, two_theta);
}

double two_theta_of(const PlotState& state, const ExperimentSettings& settings, double x, bool low_end) {
  if (settings.angle_scale == AngleScale::Q)
    return two_theta_of_q(x, low_end ? low_end_wavelength(settings) : high_end_wavelength(settings));
  return two_theta_of_displayed(plot_unit(state, settings), settings, x);
}

// Shows the 2θ range [low, high] at `scale` as a zoom does: the angle fields
// take it in the displayed unit and the phases are computed over it.
void show_view(PlotSession& session, const PlotView& view) {
  PlotState& state = session.state;
  const ExperimentSettings& settings = session.program.workspace.settings;
  state.theta2_min = std::max(kLowestTwoTheta, view.theta2_min);
  state.theta2_max = std::min(kHighestTwoTheta, view.theta2_max);
  set_displayed_q_range(state, settings);
  state.zoomed = true;
  state.intensity_scale = view.intensity_scale;
  state.scale_position = std::clamp(static_cast<int>(std::lround(10 * view.intensity_scale)), 10, 500);
  const bool q = settings.angle_scale == AngleScale::Q;
  // The angle fields keep the scale's unit whatever unit the plot draws.
  PlotState in_scale = state;
  in_scale.d_axis = false;
  const double low = q ? state.q_min : displayed_of(in_scale, settings, state.theta2_min, true);
  const double high = q ? state.q_max : displayed_of(in_scale, settings, state.theta2_max, false);
  state.range_width = q ? high - low
                        : displayed_of(state, settings, state.theta2_max, false) -
                              displayed_of(state, settings, state.theta2_min, true);
  auto& experiment = session.program.main_form.experiment;
  experiment.range_low = fixed(low, 8, q ? 6 : 3);
  experiment.range_high = fixed(high, 8, q ? 6 : 3);
  if (!session.program.workspace.phases.empty() && session.plot_phases)
    session.plot_phases();
  else
    redraw(session);
}

void keep_at_most(std::vector<PlotView>& views) {
  if (views.size() > kMaxViews) views.erase(views.begin(), views.end() - kMaxViews);
}

}  // namespace

PlotView current_view(const PlotState& state) {
  return {state.theta2_min, state.theta2_max, state.intensity_scale};
}

void record_view_change(PlotState& state, const PlotView& before) {
  if (current_view(state) == before) return;
  state.back_views.push_back(before);
  keep_at_most(state.back_views);
  state.forward_views.clear();
}

void zoom_around(PlotSession& session, int x, double factor) {
  const PlotState& state = session.state;
  const ExperimentSettings& settings = session.program.workspace.settings;
  const PlotMapping& mapping = state.mapping;
  if (mapping.sx == 0 || !std::isfinite(mapping.sx) || !(factor > 0)) return;  // below zero on the d axis
  double centre = 0, ignored = 0;
  to_data(mapping, x, mapping.y_base, centre, ignored);
  double low = centre - (centre - mapping.x_origin) * factor;
  double high = centre + (mapping.x_end - centre) * factor;
  PlotView view{two_theta_of(state, settings, low, true), two_theta_of(state, settings, high, false),
                state.intensity_scale};
  if (view.theta2_max - view.theta2_min < kNarrowestTwoTheta) return;
  show_view(session, view);
}

void pan_by(PlotSession& session, int dx) {
  const PlotState& state = session.state;
  const ExperimentSettings& settings = session.program.workspace.settings;
  const PlotMapping& mapping = state.mapping;
  if (mapping.sx == 0 || !std::isfinite(mapping.sx) || dx == 0) return;
  double shift = -dx / mapping.sx;
  // At either end of the angles the range stops rather than shrinks (on the
  // d axis the lowest angle is the largest shift).
  const double to_low = displayed_of(state, settings, kLowestTwoTheta, true) - mapping.x_origin;
  const double to_high = displayed_of(state, settings, kHighestTwoTheta, false) - mapping.x_end;
  shift = std::clamp(shift, std::min(to_low, to_high), std::max(to_low, to_high));
  if (shift == 0) return;
  show_view(session, {two_theta_of(state, settings, mapping.x_origin + shift, true),
                      two_theta_of(state, settings, mapping.x_end + shift, false), state.intensity_scale});
}

namespace {

// Shows the last view of `from`, the current one going onto `to`.
bool step_view(PlotSession& session, std::vector<PlotView>& from, std::vector<PlotView>& to) {
  if (from.empty()) return false;
  to.push_back(current_view(session.state));
  const PlotView view = from.back();
  from.pop_back();
  show_view(session, view);
  return true;
}

}  // namespace

bool go_back(PlotSession& session) { return step_view(session, session.state.back_views, session.state.forward_views); }

bool go_forward(PlotSession& session) {
  return step_view(session, session.state.forward_views, session.state.back_views);
}

}  // namespace calvane
