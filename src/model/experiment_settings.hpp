// The experiment: radiation, wavelengths, angular range, resolution and display switches.
#pragma once

#include <string>
#include <vector>

namespace calvane {

enum class RadiationSource { XRays = 1, Neutrons = 2 };
enum class XRaySource { Tube, Synchrotron };
/// How the angle range is typed and shown: θ, 2θ or Q = 4π·sin θ.
enum class AngleScale { Theta = 0, TwoTheta = 1, Q = 2 };

struct ExperimentSettings {
  RadiationSource source = RadiationSource::XRays;
  XRaySource xray_source = XRaySource::Tube;
  double polarisation = 0.5;  // p of the Lorentz-polarisation factor

  // Spectrum: wavelengths (Å) and their weights; at most 10 entries.
  std::vector<double> wavelengths{1.5406};
  std::vector<double> fractions{1.0};
  double single_wavelength = 1.5406;  // 0 while the spectrum is "Multiple"
  double shortest_wavelength = 1.5406;
  double longest_wavelength = 1.5406;
  std::string anode_code;  // "Cu", "Mo", ... for the anomalous tables
  int chosen_line = -1;    // index in the line list; 0 is "Multiple W.L."

  double two_theta_low = 10, two_theta_high = 50;  // degrees
  double q_low = 0, q_high = 0;
  double entered_low = 10, entered_high = 50;      // 2θ as last typed
  AngleScale angle_scale = AngleScale::TwoTheta;

  // Caglioti resolution coefficients, degrees of 2θ. The fields "0", "0",
  // "0.08" replace these presets before the first computation.
  double u = 0.001, v = 0, w = 0.005;

  int profile_points = 1600;
  double profile_step = 0;

  std::string percent_mode = "POIDS";  // "POIDS" weight, "MOLEC" molar fractions
  bool draw_sum = true;
  bool draw_observed = true;

  int wavelength_count() const { return static_cast<int>(wavelengths.size()); }
};

}  // namespace calvane
