// The difference between the first observed pattern and the sum of the
// calculated profiles, and the grid point nearest a reflection.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "plot/plot_state.hpp"

namespace calvane {

struct Workspace;
struct MeasuredModel;

/// Index of the grid point nearest to a reflection at `position` (displayed
/// unit): among the points up to position + 0.5, the nearest, the earlier on a
/// tie; none when no point comes within 100. `ascending` allows bisection.
std::optional<std::size_t> nearest_grid_point(const std::vector<double>& abscissa, bool ascending,
                                              double position);

/// Recomputes the difference data from the display arrays and the first observed pattern.
void compute_difference(PlotState& state, const Workspace& workspace);

/// The difference on the measured points: measured counts less the
/// calculated pattern (the phases and the background), in pixels.
void compute_measured_difference(PlotState& state, const MeasuredModel& model);

}  // namespace calvane
