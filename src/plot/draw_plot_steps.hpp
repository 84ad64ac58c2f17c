// The steps of a drawing that the 2θ and the Q plots share: the state of one
// drawing, its colours, the titles and legends, the hkl labels waiting for
// thinning and the observed data. Internal to the plot's drawing files.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "plot/canvas.hpp"
#include "plot/draw_plot.hpp"
#include "plot/hkl_label_layout.hpp"
#include "plot/plot_unit.hpp"
#include "model/workspace.hpp"

namespace calvane {

struct MeasuredModel;

namespace plot_drawing {

// Colours of one drawing: the printout is always black on white.
struct Palette {
  Rgb background, text;
};

// Everything one drawing shares between its steps.
struct Drawing {
  PlotState& state;
  const Workspace& workspace;
  PlotUnit unit;
  HklMode hkl_mode;
  Canvas& canvas;
  const PlotLayout& layout;
  Palette palette;
  int legend_row = 0;
  /// The calculation on the measured points, when the plot draws it there.
  const MeasuredModel* model = nullptr;
  std::vector<double> background_values;  // after the Y transform

  Point pixel(double x, double y) const { return to_pixels(state.mapping, x, y); }
  double abscissa_of(double two_theta) const { return displayed_of_two_theta(unit, workspace.settings, two_theta); }
};

// A label that the crowding rule lets through, waiting for the overlap test.
struct PendingLabel {
  std::size_t phase;
  Point anchor;
  std::string text;
};

constexpr Rgb kHiddenGrey{150, 150, 150};

inline bool within(double value, double low, double high) { return value >= low && value <= high; }

Palette palette_of(const Workspace& workspace, const PlotLayout& layout);
/// The layout of one drawing: with the intensity axis chosen, room for it and for the legends.
PlotLayout reading_layout(const PlotState& state, const Workspace& workspace, HklMode hkl_mode,
                          const Canvas& canvas, const PlotLayout& given);
/// Mapping, control strip, background, font and frame.
void begin_drawing(Drawing& d, double x_origin, double x_end);
void write_titles(Drawing& d, const std::string& x_title);
void reset_pen(Drawing& d);
void use_curve_pen(Drawing& d, Rgb colour, int width, int style);
/// The legend entry of a phase, grey for a hidden one; a drawn phase's pen. False when the phase is hidden.
bool begin_phase(Drawing& d, std::size_t index);
double strongest_line(const PhaseData& phase);
int label_row(const Drawing& d, Point anchor);
PixelBox label_box(const Drawing& d, Point anchor, const std::string& text);
void draw_observed_patterns(Drawing& d);
void draw_observed_peaks(Drawing& d);
/// The intensity axis and, when drawn last, the x axis.
void finish_drawing(Drawing& d);

/// The Q variant of the drawing begun in `d`: reflections as sticks,
/// observed data converted to Q, no sum.
void draw_q_plot(Drawing& d);
double vertical_span(const PlotLayout& layout);

}  // namespace plot_drawing
}  // namespace calvane
