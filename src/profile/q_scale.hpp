// The Q angle scale: the scattering vector Q = 4π·sin θ / λ in Å⁻¹, which by
// Bragg's law λ = 2d·sin θ is 2π/d and so places the lines of every
// wavelength of a spectrum at the same abscissa.
#pragma once

namespace calvane {

struct ExperimentSettings;
struct Reflection;

/// Q in Å⁻¹ of a 2θ in degrees at a wavelength in Å.
double q_of_two_theta(double two_theta_deg, double wavelength_angstrom);

/// 2θ in degrees of a Q in Å⁻¹ at a wavelength in Å; a Q beyond 4π/λ, which
/// has no angle, is taken as 4π/λ (2θ = 180°).
double two_theta_of_q(double q, double wavelength_angstrom);

/// True when Q·λ/4π lies within [−1, 1], so that the Q has an angle at λ.
bool q_has_angle(double q, double wavelength_angstrom);

/// The wavelengths that convert the two ends of the angle range between 2θ
/// and Q: the lower end with the longest wavelength of the spectrum, the upper
/// end with the shortest, so that the Q range holds every line of every
/// wavelength inside the 2θ range. Both are the one wavelength of a one-line
/// spectrum.
double low_end_wavelength(const ExperimentSettings& settings);
double high_end_wavelength(const ExperimentSettings& settings);

/// The Q range of the settings (q_low, q_high) from their 2θ range.
void update_q_range(ExperimentSettings& settings);

/// The wavelength that puts observed data and the mouse read-out on the Q
/// axis: the strongest line of the spectrum (the first of equal ones), as a
/// measured pattern's peaks are read at the main line.
double axis_wavelength(const ExperimentSettings& settings);

/// Q of a computed line: 2π/d, the same for every wavelength that produced it;
/// from its 2θ at the axis wavelength when the line has no d.
double q_of_reflection(const Reflection& reflection, const ExperimentSettings& settings);

}  // namespace calvane
