#include "plot/intensity_axis.hpp"

#include <algorithm>
#include <cmath>

#include "plot/canvas.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

double inverse_transform(double display, YMode mode) {
  switch (mode) {
    case YMode::Logarithmic:
      return std::pow(10.0, display) - 1.0;
    case YMode::SquareRoot:
      return display > 0 ? display * display : 0.0;
    case YMode::Linear:
      break;
  }
  return display;
}

}  // namespace

std::vector<double> round_ticks(double top, int max_ticks) {
  if (!(top > 0) || !std::isfinite(top) || max_ticks < 1) return {0.0};
  // top / max_ticks lies within [magnitude, 10 × magnitude): one of 1, 2, 5 or 10 × magnitude fits.
  const double magnitude = std::pow(10.0, std::floor(std::log10(top / max_ticks)));
  double step = magnitude;
  for (double multiple : {1.0, 2.0, 5.0, 10.0}) {
    step = multiple * magnitude;
    if (std::floor(top / step + 1e-9) <= max_ticks) break;
  }
  std::vector<double> ticks;
  const auto count = static_cast<int>(std::floor(top / step + 1e-9));
  for (int i = 0; i <= count; ++i) ticks.push_back(i * step);
  return ticks;
}

std::vector<double> decade_ticks(double top) {
  std::vector<double> ticks{0.0};
  if (!(top >= 1) || !std::isfinite(top)) return ticks;
  const int decades = static_cast<int>(std::floor(std::log10(top) + 1e-9));
  const bool fine = decades < 3;
  for (int n = 0; n <= decades; ++n) {
    const double power = std::pow(10.0, n);
    for (double multiple : {1.0, 2.0, 5.0}) {
      if (multiple > 1 && !fine) continue;
      if (power * multiple <= top * (1 + 1e-9)) ticks.push_back(power * multiple);
    }
  }
  return ticks;
}

std::string tick_label(double value) {
  for (int decimals = 0; decimals < 6; ++decimals) {
    const double scale = std::pow(10.0, decimals);
    if (std::abs(std::round(value * scale) - value * scale) < 1e-6 * scale) return fixed(value, 0, decimals);
  }
  return fixed(value, 0, 6);
}

double display_of(const IntensityAxis& axis, double value) {
  return transform_value(value * axis.linear_per_value, axis.mode) * axis.factor;
}

double value_of(const IntensityAxis& axis, double display) {
  if (!(axis.factor > 0) || !(axis.linear_per_value > 0)) return 0;
  return inverse_transform(display / axis.factor, axis.mode) / axis.linear_per_value;
}

std::vector<AxisTick> intensity_ticks(const IntensityAxis& axis, const PlotMapping& mapping, int top_row,
                                      int min_gap) {
  std::vector<AxisTick> ticks;
  if (!(mapping.sy > 0) || top_row >= mapping.y_base) return ticks;
  const double top_value = value_of(axis, (mapping.y_base - top_row) / mapping.sy);
  // As many round values as the height holds at the gap; the square-root mode
  // crowds its upper ticks together, and those that come too close are left out.
  const int room = std::max(1, (mapping.y_base - top_row) / std::max(1, min_gap));
  const std::vector<double> values =
      axis.mode == YMode::Logarithmic ? decade_ticks(top_value) : round_ticks(top_value, std::min(room, 10));
  for (double value : values) {
    const int row = to_pixels(mapping, 0, display_of(axis, value)).y;
    if (row < top_row) break;
    if (!ticks.empty() && ticks.back().row - row < min_gap) continue;
    ticks.push_back({value, row, tick_label(value)});
  }
  return ticks;
}

}  // namespace calvane
