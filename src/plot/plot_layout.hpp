// Where each part of the plot goes on one kind of surface: the window image,
// an enhanced metafile of a chosen size, or a printed page.
#pragma once

#include <optional>
#include <string>

#include "model/colour.hpp"

namespace calvane {

struct PlotLayout {
  int surface_width = 0, surface_height = 0;
  int x_left = 10, x_right = 0;
  int y_base = 0;
  int top = 0;  // rows above the plot that the tallest curve does not enter

  // Titles.
  int y_title_x = 0, y_title_y = 2;
  int x_title_x = 0, x_title_y = 0;
  int calculated_title_x = 2, calculated_title_y = 18;
  // Abscissa title of the Q variant: the window says the unit; the exported
  // metafile and the printout keep the title they have always had.
  std::string q_axis_title = "Q=4pisin(T)";

  // Calculated legend, left: a line from (line_x0, row + line_dy) to (line_x1, ...), name at (name_x, row).
  int calc_legend_start = 20, calc_legend_step = 15;
  int calc_line_x0 = 2, calc_line_x1 = 18, calc_line_dy = 7, calc_name_x = 20;

  // Observed legends, right.
  int obs_title_x = 0;
  int obs_legend_start = 15, obs_legend_step = 15;
  int obs_symbol_x = 0, obs_symbol_dy = 8;
  int obs_square = 2, obs_square_spacing = 7, obs_line_length = 14, obs_name_offset = 26;
  int peaks_gap = 20;
  int peak_bar_x = 0, peak_bar_dy = 8, peak_bar_half_height = 7, peak_bar_width = 2, peak_name_x = 0;

  // hkl labels.
  int crowding = 5, label_min_row = 25;
  int label_dx = -7, label_dy = -3, label_tick_from = 5, label_tick_to = 10;
  int label_too_high_row = 20;

  // Axis.
  int axis_pen_width = 1, major_tick_length = 7, minor_tick_length = 4;
  int axis_label_dx = -10, axis_label_dy = 7;

  int pen_factor = 1;      // every curve pen width is multiplied by it
  int point_square = 2;    // observed points drawn as points
  bool printed = false;    // white background, black text, observed data at their fixed maximum
  bool white_background = false;  // an exported picture on white, its text and curves in their colours
  bool axis_last = false;  // the printout draws the axis over the curves
  bool framed = false;     // a rectangle along the four edges in the text colour
  int font_points = 8;
};

/// The window image of `width` × `height` pixels.
PlotLayout screen_layout(int width, int height);

/// A metafile asked as `width` × `height` pixels: the surface is 20 wider and 56 higher.
PlotLayout metafile_layout(int width, int height);

/// A printed plot of `width_cm` × `height_cm` at 117.66 units per centimetre.
/// The surface also holds the margins and the legends below the plot.
PlotLayout printer_layout(double width_cm, double height_cm);

inline constexpr double kPrinterUnitsPerCm = 117.66;

}  // namespace calvane
