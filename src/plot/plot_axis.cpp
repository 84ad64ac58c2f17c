#include "plot/plot_axis.hpp"

#include <algorithm>
#include <cmath>

#include "model/experiment_settings.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {
constexpr std::size_t kMaxTicks = 5000;  // a tick spacing far too small for the range draws no ticks
}  // namespace

Point to_pixels(const PlotMapping& mapping, double x, double y) {
  const double px = std::round((x - mapping.x_origin) * mapping.sx + mapping.x_left);
  const double py = std::round(mapping.y_base - y * mapping.sy);
  // Keep far-off points representable; a surface clips them anyway.
  constexpr double limit = 1.0e6;
  return {static_cast<int>(std::clamp(px, -limit, limit)), static_cast<int>(std::clamp(py, -limit, limit))};
}

void to_data(const PlotMapping& mapping, int px, int py, double& x, double& y) {
  x = (px - mapping.x_left) / mapping.sx + mapping.x_origin;
  y = (mapping.y_base - py) / mapping.sy;
}

std::optional<TickSpacing> default_tick_spacing(double width) {
  struct Row {
    double upper, major, minor;
  };
  static constexpr Row rows[] = {{1, 0.1, 0.01}, {10, 1.0, 0.1}, {50, 5.0, 0.5}, {100, 10.0, 1.0}};
  if (width < 0.1) return TickSpacing{0.01, 0.001};
  if (width <= 0.5) return std::nullopt;
  for (const Row& row : rows)
    if (width <= row.upper) return TickSpacing{row.major, row.minor};
  return TickSpacing{20.0, 2.0};
}

void compute_default_ticks(PlotState& state, double width) {
  if (const auto spacing = default_tick_spacing(width)) {
    state.major_tick = spacing->major;
    state.minor_tick = spacing->minor;
  }
  state.tick_dialog.minor_text = fixed(state.minor_tick, 7, 2);
  state.tick_dialog.major_text = fixed(state.major_tick, 7, 2);
}

double displayed_width(const PlotState& state, int angle_scale) {
  if (angle_scale == static_cast<int>(AngleScale::Q)) return std::abs(state.q_max - state.q_min);
  const double width = std::abs(state.theta2_max - state.theta2_min);
  return angle_scale == static_cast<int>(AngleScale::Theta) ? width * 0.5 : width;
}

void draw_axis(const PlotState& state, const PlotLayout& layout, Canvas& canvas, double from, double to) {
  const PlotMapping& mapping = state.mapping;
  canvas.line(to_pixels(mapping, from, 0), to_pixels(mapping, to, 0));
  auto ticks = [&](double spacing, int length, bool labelled) {
    if (!(spacing > 0) || (to - from) / spacing > static_cast<double>(kMaxTicks)) return;
    double first = std::round(from / spacing) * spacing;
    if (first < from) first += spacing;
    for (std::size_t i = 0;; ++i) {
      const double tick = first + static_cast<double>(i) * spacing;
      if (tick > to) break;
      const Point at = to_pixels(mapping, tick, 0);
      canvas.line(at, {at.x, at.y + length});
      if (labelled) {
        // The last label is kept whole inside the image rather than cut at its edge.
        const std::string label = fixed(tick, 5, 1);
        const int x = std::min(at.x + layout.axis_label_dx, canvas.width() - canvas.text_width(label) - 2);
        canvas.text({x, at.y + layout.axis_label_dy}, label);
      }
    }
  };
  ticks(state.major_tick, layout.major_tick_length, true);
  if (state.minor_tick != 0) ticks(state.minor_tick, layout.minor_tick_length, false);
}

}  // namespace calvane
