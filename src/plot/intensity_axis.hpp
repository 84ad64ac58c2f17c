// The plot's intensity axis: round tick values, and the mapping between an
// intensity in the axis' unit (counts of a measured pattern, or relative
// intensity 0-100 of the calculated sum) and the plot's display units, for
// the linear, logarithmic and square-root Y modes.
#pragma once

#include <string>
#include <vector>

#include "plot/plot_state.hpp"

namespace calvane {

/// Round values from 0 to `top`: multiples of a step of 1, 2 or 5 × 10^n,
/// the smallest step that gives at most `max_ticks` ticks above 0.
std::vector<double> round_ticks(double top, int max_ticks);

/// 0 and the powers of ten up to `top`, with 2 and 5 times them while there are fewer than three decades.
std::vector<double> decade_ticks(double top);

/// A tick value written without needless decimals ("0", "2.5", "12000").
std::string tick_label(double value);

enum class IntensityUnit { Relative, Counts };

/// An axis value v is drawn at display y = transform(v × linear_per_value) × factor.
struct IntensityAxis {
  IntensityUnit unit = IntensityUnit::Relative;
  YMode mode = YMode::Linear;
  double linear_per_value = 1;
  double factor = 1;
};

double display_of(const IntensityAxis& axis, double value);
double value_of(const IntensityAxis& axis, double display);

struct AxisTick {
  double value = 0;
  int row = 0;
  std::string label;
};

/// The ticks between the axis' zero row and `top_row`: round values for the
/// linear and square-root modes, decades for the logarithmic one, none closer
/// than `min_gap` rows to the one below it.
std::vector<AxisTick> intensity_ticks(const IntensityAxis& axis, const PlotMapping& mapping, int top_row,
                                      int min_gap);

}  // namespace calvane
