// Presentation model of the plot window "Diffraction diagram": displayed and
// full ranges, scales, ticks, the screen mapping, the display arrays, the
// control strip, the tick dialog and the mouse interaction state.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/colour.hpp"

namespace calvane {

struct ExperimentSettings;

enum class YMode { Linear = 0, Logarithmic = 1, SquareRoot = 2 };

/// Pixel mapping of one drawing: data (abscissa in the displayed unit,
/// intensity in display units) to surface pixels and back.
struct PlotMapping {
  int x_left = 10;
  int x_right = 0;
  int y_base = 0;       // pixel row of intensity 0
  double x_origin = 0;  // abscissa at x_left
  double x_end = 0;
  double sx = 1;  // pixels per abscissa unit
  double sy = 1;  // pixels per intensity unit
};

struct Point;
Point to_pixels(const PlotMapping& mapping, double x, double y);
void to_data(const PlotMapping& mapping, int px, int py, double& x, double& y);

inline const std::string kPlotHelpText =
    "Click on a peak to index it, or click on a line of the list.   Click and drag a box to \"zoom\".  "
    "Click on the right button to \"unzoom\".";

struct StatusLine {
  bool visible = false;
  std::string text = kPlotHelpText;
  bool red = false;
};

/// The tick panel "Change the tick marks  values".
struct TickDialog {
  bool visible = false;
  std::string minor_text, major_text;                    // "Minor tick mark", "Major tick mark" boxes
  std::string minor_default_label, major_default_label;  // "(Default: 0.50)"
  std::string error;                                     // "Error!" after a bad number
};

/// The range and scale on screen, as Back and Forward keep them.
struct PlotView {
  double theta2_min = 0, theta2_max = 0;
  double intensity_scale = 1;
  friend bool operator==(const PlotView&, const PlotView&) = default;
};

/// A legend entry of the last drawing and the curve it names.
enum class LegendItem { Phase, Sum, Background, Pattern, PeakList };
struct LegendEntry {
  LegendItem item = LegendItem::Phase;
  std::size_t index = 0;  // of the phase, pattern or peak list
  int left = 0, top = 0, right = 0, bottom = 0;
};

struct PlotState {
  // Ranges, always 2θ degrees except the Q range.
  double theta2_min = 10, theta2_max = 50;
  double theta2_full_min = 10, theta2_full_max = 50;
  double q_min = 0, q_max = 0;  // Å⁻¹
  double range_width = 40;  // in the displayed unit

  YMode y_mode = YMode::Linear;
  double intensity_scale = 1.0;
  /// With a measured pattern: the calculation is drawn on its points and in
  /// its counts, with the background, instead of on the calculation's grid
  /// scaled to the window (2θ and θ scales only).
  bool on_measured_points = false;
  std::array<double, 10> pattern_scales{1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

  double major_tick = 5.0, minor_tick = 0.5;  // displayed unit; minor 0 = none
  bool default_ticks = true;
  TickDialog tick_dialog;

  // "&Intensity axis": an axis with round ticks, the legends above the
  // curves and headroom; off, the plot keeps its original look.
  bool intensity_axis = false;
  bool sum_under_phases = false;  // the sum drawn first, so that no phase is hidden by it
  // The abscissa in d (Å), falling to the right, instead of θ or 2θ.
  bool d_axis = false;
  // The intensity axis of the last drawing.
  double axis_linear_max = 0;     // largest calculated sum before the Y transform
  double measured_factor = 0;     // display units per transformed measured value; 0: none drawn
  double measured_per_count = 1;  // drawn measured value per count of the file
  bool measured_counts = false;   // the file's counts are known: the axis reads in them
  YMode axis_mode = YMode::Linear;
  int label_band_bottom = 35;
  std::vector<LegendEntry> legend_entries;
  std::vector<PlotView> back_views, forward_views;  // views left by zoom, pan and unzoom  // lowest row of the labels along the top in the last drawing

  double reference_max = 0;  // largest sum when last drawn at intensity scale 1
  double display_max = 0;    // largest sum of the last drawing
  PlotMapping mapping;

  // Display arrays of the last screen drawing, one value per grid point.
  std::vector<double> abscissa;                   // displayed unit
  std::vector<std::vector<double>> phase_values;  // per phase, after the Y transform
  std::vector<float> sum;
  std::vector<int> sum_rows;    // pixel row of the sum
  std::vector<int> difference;  // observed row − calculated row, pixels

  // Control strip.
  int scale_position = 10;  // 10..500 step 5; intensity_scale = position × 0.1
  int shift_position = 0;   // 0..180, centre of the displayed range in the displayed unit
  StatusLine status;
  std::string readout;  // the aqua box under the image

  // Mouse interaction.
  bool pressed = false;
  int press_x = 0, press_y = 0;
  bool zoomed = false;
  bool difference_open = false;
  int previous_shift_position = 0;
};

/// An intensity in the plot's Y mode: log10(I + 1), √I or I (negatives as 0).
double transform_value(double value, YMode mode);

/// Takes the displayed range from the settings after a computation; the full
/// range follows it unless a zoom is in force. The driver runs it after every
/// computation, before the plot is redrawn, so that zoom and unzoom find the
/// range the phases were computed over.
void sync_plot_range(PlotState& state, const ExperimentSettings& settings);

/// The displayed Q range of the displayed 2θ range, each end at its wavelength (low_end_wavelength).
void set_displayed_q_range(PlotState& state, const ExperimentSettings& settings);

}  // namespace calvane
