// Angle conversion factors of the spectrum and profile code, used exactly as
// the program has always used them: each is slightly larger than the exact
// value (π/180 = 0.0174532925..., π/360 = 0.0087266462...), and the profile
// abscissae and the Q range depend on these very numbers.
#pragma once

namespace calvane::angle_factor {

/// Degrees of θ to radians.
inline constexpr double kThetaDegreesToRadians = 0.017453316741;
/// Degrees of 2θ to radians of θ.
inline constexpr double kTwoThetaDegreesToThetaRadians = 0.0087266583705;
/// Radians to degrees (the Scherrer and strain widths).
inline constexpr double kRadiansToDegrees = 57.2957;
/// Radians of θ to degrees of 2θ.
inline constexpr double kThetaRadiansToTwoThetaDegrees = 114.5914;
inline constexpr double kFourPi = 12.566370614359172;

}  // namespace calvane::angle_factor
