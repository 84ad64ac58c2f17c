#include "plot/plot_layout.hpp"

#include <cmath>

namespace calvane {

PlotLayout screen_layout(int width, int height) {
  PlotLayout layout;
  layout.surface_width = width;
  layout.surface_height = height;
  layout.x_left = 10;
  layout.x_right = width;
  layout.y_base = height - 35;
  layout.y_title_x = width / 2 - 20;
  layout.y_title_y = 2;
  layout.x_title_x = width - 95;
  layout.x_title_y = height - 23;
  layout.q_axis_title = "Q=4pisin(T)/lambda (1/A)";
  layout.obs_title_x = width - 100;
  layout.obs_symbol_x = width - 80;
  layout.peak_bar_x = width - 100;
  layout.peak_name_x = width - 85;
  return layout;
}

PlotLayout metafile_layout(int width, int height) {
  // 10 pixels of margin left and right, 28 above and below.
  PlotLayout layout = screen_layout(width + 20, height + 56);
  layout.x_left = 10;
  layout.x_right = width;
  layout.y_base = height;
  layout.y_title_x = 450;
  layout.y_title_y = 3;
  layout.x_title_x = layout.surface_width - 90;
  layout.x_title_y = layout.surface_height - 20;
  layout.obs_symbol_x = layout.surface_width - 90;
  layout.framed = true;
  layout.q_axis_title = "Q=4pisin(T)";
  return layout;
}

PlotLayout printer_layout(double width_cm, double height_cm) {
  const int w = static_cast<int>(std::lround(width_cm * kPrinterUnitsPerCm));
  const int h = static_cast<int>(std::lround(height_cm * kPrinterUnitsPerCm));
  PlotLayout layout;
  layout.surface_width = w + 120 + 60;
  layout.surface_height = h + 120 + 45 * 10;  // room for nine legend rows below the plot
  layout.x_left = 120;
  layout.x_right = w;
  layout.y_base = h;
  layout.top = 60;
  layout.y_title_x = 20;
  layout.y_title_y = 20;
  layout.x_title_x = w - 114;
  layout.x_title_y = h + 50;
  layout.calculated_title_x = 114;
  layout.calculated_title_y = h + 120;
  layout.calc_legend_start = h + 120;
  layout.calc_legend_step = 45;
  layout.calc_line_x0 = 114;
  layout.calc_line_x1 = 214;
  layout.calc_line_dy = 23;
  layout.calc_name_x = 229;
  const int column = w + 120 - static_cast<int>(std::lround(3.5 * kPrinterUnitsPerCm));
  layout.obs_title_x = column;
  layout.obs_legend_start = h + 120;
  layout.obs_legend_step = 45;
  layout.obs_symbol_x = column;
  layout.obs_symbol_dy = 23;
  layout.obs_square = 6;
  layout.obs_square_spacing = 20;
  layout.obs_line_length = 100;
  layout.obs_name_offset = 130;
  layout.peaks_gap = 65;
  layout.peak_bar_x = column;
  layout.peak_bar_dy = 20;
  layout.peak_bar_half_height = 15;
  layout.peak_bar_width = 2;
  layout.peak_name_x = column + 30;
  layout.crowding = 15;
  layout.label_min_row = 70;
  layout.label_dx = -20;
  layout.label_dy = -15;
  layout.label_tick_from = 15;
  layout.label_tick_to = 30;
  layout.label_too_high_row = 70;
  layout.axis_pen_width = 2;
  layout.major_tick_length = 20;
  layout.axis_label_dx = -30;
  layout.axis_label_dy = 20;
  layout.pen_factor = 3;
  layout.point_square = 6;
  layout.printed = true;
  layout.axis_last = true;
  return layout;
}

}  // namespace calvane
