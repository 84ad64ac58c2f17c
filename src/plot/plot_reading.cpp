#include "plot/plot_reading.hpp"

#include <algorithm>

#include "plot/draw_plot.hpp"
#include "model/workspace.hpp"

namespace calvane {

namespace {

constexpr int kTickLength = 4;
constexpr int kMinTickGap = 28;  // pixels between two labelled ticks
const char* const kWidestLabel = "1000000";

// The lowest row the titles and legends reach, as the drawing places them.
int legend_bottom(const PlotLayout& layout, const Workspace& workspace) {
  const int row_height = layout.calc_legend_step;
  int bottom = layout.y_title_y + row_height;
  if (!workspace.phases.empty()) {
    // Hidden curves keep a grey entry: every phase and the sum of several count.
    const bool sum = workspace.phase_count() > 1 && workspace.settings.angle_scale != AngleScale::Q;
    const int entries = workspace.phase_count() + (sum ? 1 : 0);
    bottom = std::max({bottom, layout.calculated_title_y + row_height,
                       layout.calc_legend_start + layout.calc_legend_step * entries + row_height});
  }
  int observed = layout.obs_legend_start;
  bool any = false;
  if (!workspace.observed_patterns.empty() && workspace.settings.draw_observed) {
    observed += layout.obs_legend_step * static_cast<int>(workspace.observed_patterns.size());
    any = true;
  }
  if (!workspace.observed_peaks.empty()) {
    observed += layout.peaks_gap + layout.obs_legend_step * static_cast<int>(workspace.observed_peaks.size());
    any = true;
  }
  if (any) bottom = std::max(bottom, observed + row_height);
  return bottom;
}

bool labels_along_top(const Workspace& workspace, HklMode hkl_mode) {
  return hkl_mode == HklMode::AlongTop &&
         std::any_of(workspace.phases.begin(), workspace.phases.end(),
                     [](const PhaseData& p) { return p.draw && p.show_hkl && !p.reflections.empty(); });
}

}  // namespace

PlotLayout with_reading_room(const PlotLayout& layout, const Workspace& workspace, const Canvas& canvas,
                             HklMode hkl_mode) {
  PlotLayout room = layout;
  const int text_height = 2 * std::abs(layout.label_dx);
  room.x_left = layout.x_left + text_height + canvas.text_width(kWidestLabel) + kTickLength + 4;
  int top = legend_bottom(layout, workspace) + 4;
  // Labels stand on their row and rise by their length; along the top they get a band of their own.
  const int longest_label = canvas.text_width("-10-10-10");
  room.label_min_row = std::max(layout.label_min_row, top + longest_label + 4);
  room.label_too_high_row = room.label_min_row;
  if (labels_along_top(workspace, hkl_mode)) top = room.label_min_row + layout.label_tick_to + 2;
  const int lowest_top = layout.y_base - std::max(20, layout.y_base / 3);
  top = std::min(top, lowest_top);
  room.top = top + (layout.y_base - top) / 20;
  return room;
}

IntensityAxis intensity_axis_of(const PlotState& state) {
  IntensityAxis axis;
  axis.mode = state.axis_mode;
  if (state.measured_factor > 0) {
    axis.unit = state.measured_counts ? IntensityUnit::Counts : IntensityUnit::Relative;
    axis.linear_per_value = state.measured_per_count;
    axis.factor = state.measured_factor;
  } else {
    axis.unit = IntensityUnit::Relative;
    axis.linear_per_value = state.axis_linear_max > 0 ? state.axis_linear_max / 100.0 : 1.0;
  }
  return axis;
}

void draw_intensity_axis(const PlotState& state, const PlotLayout& layout, Canvas& canvas) {
  const PlotMapping& mapping = state.mapping;
  const int x = mapping.x_left;
  canvas.line({x, mapping.y_base}, {x, layout.top});
  const IntensityAxis axis = intensity_axis_of(state);
  const int half_height = std::abs(layout.label_dx);
  for (const AxisTick& tick : intensity_ticks(axis, mapping, layout.top, kMinTickGap)) {
    canvas.line({x - kTickLength, tick.row}, {x, tick.row});
    canvas.text({x - kTickLength - 2 - canvas.text_width(tick.label), tick.row - half_height}, tick.label);
  }
  const char* unit = axis.unit == IntensityUnit::Counts ? "counts" : "relative intensity";
  const int middle = (mapping.y_base + layout.top) / 2;
  write_turned_text(canvas, {1, middle + canvas.text_width(unit) / 2}, unit, 90);
}

}  // namespace calvane
