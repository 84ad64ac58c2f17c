#include "plot/draw_plot.hpp"

#include <algorithm>

#include "plot/draw_plot_steps.hpp"
#include "profile/q_scale.hpp"

namespace calvane {

using namespace plot_drawing;

namespace {

/// The height of the largest stick of all phases, and of the largest within the Q range shown.
std::pair<double, double> largest_sticks(const PlotState& state, const Workspace& workspace) {
  double largest = 0, largest_shown = 0;
  for (const auto& phase : workspace.phases) {
    for (const auto& reflection : phase.reflections) {
      const double height = reflection.intensity * phase.fraction;
      largest = std::max(largest, height);
      if (within(q_of_reflection(reflection, workspace.settings), state.q_min, state.q_max))
        largest_shown = std::max(largest_shown, height);
    }
  }
  return {largest, largest_shown};
}

/// Every phase's sticks within the range, and their labels.
void draw_sticks(Drawing& d) {
  const PlotState& state = d.state;
  const Workspace& workspace = d.workspace;
  std::vector<PendingLabel> labels;
  std::vector<LabelCandidate> candidates;
  for (std::size_t p = 0; p < workspace.phases.size(); ++p) {
    const PhaseData& phase = workspace.phases[p];
    if (!begin_phase(d, p)) continue;
    for (const auto& reflection : phase.reflections) {
      const double q = q_of_reflection(reflection, workspace.settings);
      if (!within(q, state.q_min, state.q_max)) continue;
      const Point top = d.pixel(q, reflection.intensity * phase.fraction);
      d.canvas.line(d.pixel(q, 0), top);
      if (!phase.show_hkl || rounds_to_zero(reflection.intensity, strongest_line(phase))) continue;
      std::string text = hkl_label(reflection.h, reflection.k, reflection.l);
      candidates.push_back({label_box(d, top, text), reflection.intensity * phase.fraction});
      labels.push_back({p, top, std::move(text)});
    }
  }
  // The sticks' labels, none over another: where two would meet, the stronger line's.
  for (std::size_t index : thin_labels(candidates)) {
    const PendingLabel& label = labels[index];
    const PhaseData& phase = workspace.phases[label.phase];
    use_curve_pen(d, phase.colour, phase.pen_width, phase.pen_style);
    write_turned_text(d.canvas, {label.anchor.x + d.layout.label_dx, label_row(d, label.anchor) + d.layout.label_dy},
                      label.text, 90);
  }
}

}  // namespace

namespace plot_drawing {

void draw_q_plot(Drawing& d) {
  PlotState& state = d.state;
  const Workspace& workspace = d.workspace;
  const PlotLayout& layout = d.layout;
  Canvas& canvas = d.canvas;
  if (state.default_ticks) compute_default_ticks(state, displayed_width(state, static_cast<int>(AngleScale::Q)));
  if (state.q_max == 0 || !(state.q_max > state.q_min)) {
    canvas.fill(d.palette.background);
    return;
  }
  begin_drawing(d, state.q_min, state.q_max);
  if (!layout.axis_last) draw_axis(state, layout, canvas, state.q_min, state.q_max);
  if (workspace.phase_count() >= 1) {
    const YMode mode = state.y_mode;
    state.y_mode = YMode::Linear;  // the Q variant is always linear
    write_titles(d, layout.q_axis_title);
    state.y_mode = mode;
  }
  // Sticks are scaled to the largest of the whole lists; observed data to the
  // largest stick on screen, so that they compare with what is shown.
  auto [largest, largest_shown] = largest_sticks(state, workspace);
  if (!(largest > 0)) largest = 100;
  state.display_max = largest;
  state.axis_linear_max = largest;
  state.axis_mode = YMode::Linear;
  state.mapping.sy = vertical_span(layout) * state.intensity_scale / largest;
  d.legend_row = layout.calc_legend_start;
  draw_sticks(d);
  reset_pen(d);
  const double saved_reference = state.reference_max;
  state.reference_max = workspace.phases.empty() ? 100.0 : (largest_shown > 0 ? largest_shown : largest);
  d.legend_row = layout.obs_legend_start;
  draw_observed_patterns(d);
  draw_observed_peaks(d);
  state.reference_max = saved_reference;
  state.measured_factor = 0;  // observed data here follow the sticks: the axis stays relative
  finish_drawing(d);
}

}  // namespace plot_drawing
}  // namespace calvane
