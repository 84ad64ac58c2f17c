#include "plot/plot_difference.hpp"

#include <algorithm>
#include <cmath>

#include "fit/workspace_fit.hpp"
#include "model/workspace.hpp"
#include "plot/plot_axis.hpp"

namespace calvane {

// Index of the grid point nearest to `position`, scanning from the first and
// stopping past position + 0.5; none when no point comes within 100. A tie
// keeps the earlier point.
namespace {

std::optional<std::size_t> nearest_grid_point_scan(const std::vector<double>& abscissa,
                                                          double position) {
  double best = 100.0;
  std::optional<std::size_t> found;
  for (std::size_t k = 0; k < abscissa.size(); ++k) {
    if (abscissa[k] > position + 0.5) break;
    const double distance = std::abs(abscissa[k] - position);
    if (distance < best) {
      best = distance;
      found = k;
    }
  }
  return found;
}

}  // namespace

// The same answer on an ascending grid by bisection: only the two points
// around `position` can be nearest.
std::optional<std::size_t> nearest_grid_point(const std::vector<double>& abscissa, bool ascending,
                                              double position) {
  if (!ascending) return nearest_grid_point_scan(abscissa, position);
  const auto after = std::lower_bound(abscissa.begin(), abscissa.end(), position);
  std::optional<std::size_t> found;
  double best = 100.0;
  if (after != abscissa.begin() && position - *(after - 1) < best) {
    best = position - *(after - 1);
    // The first of equal abscissae, as a scan from the start would find.
    const auto first_equal = std::lower_bound(abscissa.begin(), after - 1, *(after - 1));
    found = static_cast<std::size_t>(first_equal - abscissa.begin());
  }
  if (after != abscissa.end() && *after <= position + 0.5 && *after - position < best)
    found = static_cast<std::size_t>(after - abscissa.begin());
  return found;
}

void compute_difference(PlotState& state, const Workspace& workspace) {
  const std::size_t count = state.sum.size();
  state.sum_rows.assign(count, 0);
  state.difference.assign(count, 0);
  if (workspace.observed_patterns.empty() || workspace.observed_patterns.front().points.empty()) return;
  const auto& points = workspace.observed_patterns.front().points;
  const std::vector<double> grid = workspace.profile_grid.abscissae();
  const bool ascending = std::is_sorted(
      points.begin(), points.end(),
      [](const ObservedPoint& a, const ObservedPoint& b) { return a.two_theta < b.two_theta; });
  std::vector<double> observed(count);
  for (std::size_t k = 0; k < count; ++k) {
    state.sum_rows[k] = to_pixels(state.mapping, state.abscissa[k], state.sum[k]).y;
    const double two_theta = grid[k];
    // The first point whose 2θ is not below the grid point's.
    std::size_t scan = 0;
    if (ascending) {
      scan = static_cast<std::size_t>(
          std::lower_bound(points.begin(), points.end(), two_theta,
                           [](const ObservedPoint& point, double value) { return point.two_theta < value; }) -
          points.begin());
    } else {
      while (scan < points.size() && points[scan].two_theta < two_theta) ++scan;
    }
    if (scan == points.size()) {
      observed[k] = points.back().intensity;
    } else if (scan == 0) {
      observed[k] = points.front().intensity;
    } else {
      const double after = points[scan].two_theta - two_theta;
      const double before = two_theta - points[scan - 1].two_theta;
      observed[k] = before < after ? points[scan - 1].intensity : points[scan].intensity;
    }
  }
  double largest = 0;
  for (double value : observed) largest = std::max(largest, value);
  for (std::size_t k = 0; k < count; ++k) {
    const double scaled = largest > 0 ? observed[k] * state.display_max / largest : 0.0;
    state.difference[k] = to_pixels(state.mapping, state.abscissa[k], scaled).y - state.sum_rows[k];
  }
}

void compute_measured_difference(PlotState& state, const MeasuredModel& model) {
  const std::size_t count = std::min(state.sum.size(), model.counts.size());
  state.sum_rows.assign(count, 0);
  state.difference.assign(count, 0);
  for (std::size_t k = 0; k < count; ++k) {
    state.sum_rows[k] = to_pixels(state.mapping, state.abscissa[k], state.sum[k]).y;
    const double observed = transform_value(model.counts[k], state.y_mode);
    state.difference[k] = to_pixels(state.mapping, state.abscissa[k], observed).y - state.sum_rows[k];
  }
}

}  // namespace calvane
