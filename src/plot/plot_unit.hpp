// The unit of the plot's abscissa: the angle scale's (θ, 2θ or Q), or the
// interplanar spacing d in Å when the plot window shows d. The plot keeps its
// ranges in 2θ; these conversions place a 2θ on the axis and read it back.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace calvane {

struct ExperimentSettings;
struct PlotState;
struct Reflection;

enum class PlotUnit { Theta, TwoTheta, Q, D };

/// The unit drawn: d when chosen in the plot window and the angle scale is θ
/// or 2θ (the Q plot draws sticks in Q whatever is chosen), else the scale's.
PlotUnit plot_unit(const PlotState& state, const ExperimentSettings& settings);

/// Bragg's law λ = 2d·sin θ: d in Å of a 2θ in degrees; infinite at 2θ = 0.
double spacing_of_two_theta(double two_theta_deg, double wavelength_angstrom);

/// 2θ in degrees of a d in Å; a d below λ/2, which has no angle, gives 180°.
double two_theta_of_spacing(double d_angstrom, double wavelength_angstrom);

/// A 2θ on the axis of `unit` and back, Q and d at the axis wavelength.
double displayed_of_two_theta(PlotUnit unit, const ExperimentSettings& settings, double two_theta);
double two_theta_of_displayed(PlotUnit unit, const ExperimentSettings& settings, double x);

/// Where a computed line stands on the axis drawn: in Q at 2π/d, the same for
/// every wavelength; otherwise at its own 2θ, as its profile is drawn.
double displayed_position(const PlotState& state, const ExperimentSettings& settings, const Reflection& reflection);

/// The width of the displayed range in the unit drawn, for the default ticks.
double displayed_range_width(const PlotState& state, const ExperimentSettings& settings);

/// The lowest 2θ the d axis starts at: below it d grows without bound.
inline constexpr double kLowestDAxisTwoTheta = 0.5;

/// Index of the point of a falling abscissa (d of a rising 2θ grid) nearest
/// to `position`, the earlier on a tie; none outside the abscissa's span.
std::optional<std::size_t> nearest_point_descending(const std::vector<double>& abscissa, double position);

}  // namespace calvane
