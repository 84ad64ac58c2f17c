// What the plot adds for reading it when the intensity axis is chosen: an
// axis with round ticks at the left, the legends above the curves' area, and
// headroom above the tallest peak.
#pragma once

#include "plot/canvas.hpp"
#include "plot/draw_plot.hpp"
#include "plot/intensity_axis.hpp"
#include "plot/plot_layout.hpp"
#include "plot/plot_state.hpp"

namespace calvane {

struct Workspace;

/// `layout` with a left margin for the axis' labels, the curves' area
/// starting below the titles, legends and top labels, and a twentieth of its
/// height left free above the tallest curve. The curves keep at least a
/// third of the surface.
PlotLayout with_reading_room(const PlotLayout& layout, const Workspace& workspace, const Canvas& canvas,
                             HklMode hkl_mode);

/// The axis of the last drawing: counts of the first drawn measured pattern
/// (the file's own counts where it kept them) when there is one, else the
/// calculated sum as 0 to 100.
IntensityAxis intensity_axis_of(const PlotState& state);

/// The axis line, its ticks and labels and its unit along the left margin.
void draw_intensity_axis(const PlotState& state, const PlotLayout& layout, Canvas& canvas);

}  // namespace calvane
