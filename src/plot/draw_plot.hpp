// Drawing the whole workspace on a canvas: calculated profiles, their sum,
// hkl labels, observed patterns and peak lists, axis, titles and legends.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "plot/canvas.hpp"
#include "plot/plot_layout.hpp"
#include "plot/plot_axis.hpp"
#include "plot/plot_difference.hpp"
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

/// Name shown in the calculated legend: the crystal-file name less its
/// extension (and a "_mp" of a rebuilt phase), without folder.
std::string legend_name(const std::string& file_name);

/// The label of a reflection: its three indices one after the other ("1-10").
std::string hkl_label(int h, int k, int l);

}  // namespace calvane
