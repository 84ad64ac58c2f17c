// What the user does on the plot window: mouse read-out, rubber box and zoom,
// unzoom, click indexing, the scale and shift controls, Y modes, ticks, the
// difference window and erasing the observed data.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "plot/canvas.hpp"
#include "plot/draw_plot.hpp"
#include "plot/plot_state.hpp"

namespace calvane {

struct Program;
struct Workspace;

enum class MouseButton { Left, Right, Middle };

/// The plot window with what it reaches outside itself. The two actions are
/// the calculation driver's: `plot_phases` is the main window's plot action
/// (recompute every phase over the range in the angle fields, then redraw);
/// `recompute_full_range` rebuilds the wavelength set, reads the phase
/// options again and recomputes every phase in turn.
struct PlotSession {
  Program& program;
  PlotState& state;
  Canvas& image;  // the window image
  std::function<void()> plot_phases;
  std::function<void()> recompute_full_range;
};

/// hkl mode of the main window's "Phases Data" page.
HklMode hkl_mode_of(const Program& program);

/// Redraws the window image from the workspace.
void redraw(PlotSession& session);

/// The read-out text for the mouse at pixel (px, py).
std::string mouse_readout(const PlotState& state, const Workspace& workspace, int px, int py);

void on_mouse_down(PlotSession& session, MouseButton button, int x, int y);
/// Read-out and rubber box; the box outline is left in `rubber_box` for the window to paint.
void on_mouse_move(PlotSession& session, int x, int y, std::vector<Point>& rubber_box);
void on_mouse_up(PlotSession& session, MouseButton button, int x, int y);

/// Redraws and labels every reflection within 3 pixels of `click_x`,
/// selecting its line in the results list.
void index_reflections(PlotSession& session, int click_x);
void zoom(PlotSession& session, int release_x, int release_y);
void reset_zoom(PlotSession& session);

/// The scale control moved to `position` (10..500, step 5).
void change_intensity_scale(PlotSession& session, int position);
/// The shift control moved to `position`, the centre of the displayed range in the displayed unit.
void shift_plot(PlotSession& session, int position);

/// "&Linear", "L&ogarithmic", "&Square root".
void choose_y_mode(PlotSession& session, YMode mode);

/// "&d-spacing axis": the θ and 2θ plots drawn against d in Å (the ranges stay
/// in 2θ; the Q plot keeps Q). The default ticks follow the new unit.
void show_spacing_axis(PlotSession& session, bool shown);
/// "&User": shows the tick dialog with the default values beside the boxes.
void choose_user_ticks(PlotSession& session);
/// "&Default ".
void choose_default_ticks(PlotSession& session);
/// OK of the tick dialog; Cancel only hides it.
void read_user_ticks(PlotSession& session);
void cancel_ticks(PlotSession& session);

/// A line of the results list was selected: marks its angle on the plot.
void mark_results_line(PlotSession& session, int line_index);

/// "&Difference": shows or hides the difference window.
void show_difference(PlotSession& session);
/// Caption of the difference window.
std::string difference_caption(const Workspace& workspace);
/// The difference window's image.
void draw_difference(const PlotState& state, Canvas& canvas);

/// "&Erase" / "&Observed diagrams".
void erase_observed_patterns(PlotSession& session);

}  // namespace calvane
