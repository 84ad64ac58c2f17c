// The fit between the workspace and the fitting code: what a fit of the
// workspace's phases to its first measured pattern starts from, and how the
// workspace takes its results.
#pragma once

#include <optional>
#include <string>

#include "fit/pattern_fit.hpp"

namespace calvane {

struct Workspace;

/// The first measured pattern of the workspace as counts in ascending 2θ:
/// the file's own counts and σ when kept, else the drawn intensities.
MeasuredPoints measured_points_of(const Workspace& workspace);

/// The engine's range widened to the measured pattern's, one degree beyond
/// each end (clamped to 0.5..179.5), so that every line that can reach a
/// measured point is computed. False when there is no measured point.
bool cover_measured_range(Workspace& workspace);

/// The request of a fit of every computed phase to the first measured
/// pattern, starting from the workspace's corrections and phase values.
FitRequest workspace_fit_request(const Workspace& workspace, const FitChoices& choices);

/// The pattern the computed phases give a measurement on `x` (ascending 2θ)
/// at their present weight shares: each phase scaled by w·τ/(Z·M·V), with the
/// zero shift, displacement, texture and microabsorption of the workspace,
/// without background; the fit's model at known values.
std::vector<double> workspace_pattern(const Workspace& workspace, const std::vector<double>& x);

/// The calculation laid on the first measured pattern's own points, in its
/// counts: each computed phase at its present share (as `workspace_pattern`)
/// times one overall scale, solved by weighted least squares against the
/// counts less the workspace's background, and that background. After a fit
/// this is the fitted pattern; before one, the best single scale.
struct MeasuredModel {
  std::vector<double> two_theta;  // ascending
  std::vector<double> counts;
  std::vector<std::vector<double>> phases;  // per phase of the workspace
  std::vector<double> background;           // zeros without a background

  bool empty() const { return two_theta.empty(); }
  /// The phases and the background summed: the calculated pattern.
  std::vector<double> calculated() const;
};

/// Empty when there is no measured point or no phase with lines.
MeasuredModel measured_model(const Workspace& workspace);

/// The workspace takes what the fit found: the zero shift, displacement and
/// background; each phase's texture ratio, crystallite size and cell (its
/// lengths times the fitted scale) where they were fitted, and the fitted
/// fractions as its share (weight or molar by the percent mode). The phases
/// must then be computed again.
void apply_fit_result(Workspace& workspace, const FitResult& result, const FitChoices& choices);

}  // namespace calvane
