// "Fit to measured pattern": the workspace's phases fitted to its first
// measured pattern, and the fitted values taken into the workspace.
#pragma once

#include <atomic>
#include <functional>

#include "fit/pattern_fit.hpp"
#include "flows/program.hpp"

namespace calvane {

/// How a fit runs: `run` calls fit_pattern with the request, on this thread
/// or another (the window runs it beside a progress dialog); the request is a
/// copy, so the fit touches nothing of the program while it runs.
using FitRunner = std::function<FitResult(const FitRequest&)>;

/// Widens the range to the measured pattern, computes every phase, fits with
/// `choices`, takes the fitted values into the workspace (corrections, phase
/// texture, size, cell and shares), has the plot draw on the measured points
/// and computes the phases again. A fit that
/// is refused or cancelled changes nothing but the range and says why.
FitResult fit_to_measured_pattern(Program& program, const FitChoices& choices, const FitRunner& run);

}  // namespace calvane
