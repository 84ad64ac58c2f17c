// Drawing the whole workspace on a canvas: calculated profiles, their sum,
// hkl labels, observed patterns and peak lists, axis, titles and legends.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "plot/canvas.hpp"
#include "plot/plot_layout.hpp"
#include "plot/plot_state.hpp"

namespace calvane {

struct Workspace;

/// hkl drawing mode of the main window: labels along the top or at the profile.
enum class HklMode { AlongTop = 0, AtProfile = 1 };

/// Redraws the plot of `workspace` on `canvas` with `layout`. In Q scale the
/// Q variant is drawn. The state keeps the mapping, the display arrays, the
/// reference height, the difference data and the control strip of this
/// drawing; exports draw with a copy of the state.
void draw_plot(PlotState& state, const Workspace& workspace, HklMode hkl_mode, Canvas& canvas,
             const PlotLayout& layout);

/// The window image: `draw_plot` with the screen layout of the canvas size.
void draw_plot(PlotState& state, const Workspace& workspace, HklMode hkl_mode, Canvas& canvas);

/// The Q variant: reflections as sticks, observed data converted to Q, no sum.
void draw_q_plot(PlotState& state, const Workspace& workspace, HklMode hkl_mode, Canvas& canvas,
               const PlotLayout& layout);

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

/// Name shown in the calculated legend: the crystal-file name less its
/// extension (and a "_mp" of a rebuilt phase), without folder.
std::string legend_name(const std::string& file_name);

/// The label of a reflection: its three indices one after the other ("1-10").
std::string hkl_label(int h, int k, int l);

/// Index of the grid point nearest to a reflection at `position` (displayed
/// unit): among the points up to position + 0.5, the nearest, the earlier on a
/// tie; none when no point comes within 100. `ascending` allows bisection.
std::optional<std::size_t> nearest_grid_point(const std::vector<double>& abscissa, bool ascending,
                                              double position);

/// Recomputes the difference data from the display arrays and the first observed pattern.
void compute_difference(PlotState& state, const Workspace& workspace);

}  // namespace calvane
