// The plot's x axis: its ticks, their default spacings, and the mapping
// between data and pixels.
#pragma once

#include <optional>

#include "plot/canvas.hpp"
#include "plot/plot_layout.hpp"
#include "plot/plot_state.hpp"

namespace calvane {

/// The x axis over [from, to] (displayed unit) with its major and minor ticks.
void draw_axis(const PlotState& state, const PlotLayout& layout, Canvas& canvas, double from, double to);

struct TickSpacing {
  double major = 0, minor = 0;
};
/// The default spacings for a displayed width; none from 0.1 to 0.5, where the ticks in force stay.
std::optional<TickSpacing> default_tick_spacing(double displayed_width);

/// Default tick spacings for the displayed width of the range, written into the tick dialog's boxes.
void compute_default_ticks(PlotState& state, double displayed_width);

/// The displayed width of the range for the default ticks, by angle scale.
double displayed_width(const PlotState& state, int angle_scale);

}  // namespace calvane
