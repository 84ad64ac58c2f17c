// What every measured-pattern reader returns: the scans of one file with
// their x axis as written, their counts and the radiation the file states.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace calvane {

/// The quantity on a scan's x axis, as the file writes it.
enum class ScanAxis { TwoTheta, DSpacing, Q, TimeOfFlight, Energy };

struct MeasuredScan {
  std::string name;  // how the scan is listed when a file holds several
  ScanAxis axis = ScanAxis::TwoTheta;
  std::vector<double> x;          // 2θ in degrees, d in Å or Q in Å⁻¹
  std::vector<double> counts;     // as stored
  double alpha1 = 0, alpha2 = 0;  // Å, 0 when the file gives none
  double ratio = 0;               // Kα2/Kα1 intensity ratio, 0 when absent
  std::string anode;              // element symbol, empty when not given
};

/// The scans one reader found, or the reason it could not read the file.
struct MeasuredReading {
  std::vector<MeasuredScan> scans;
  std::string title;  // sample identification
  std::string error;  // empty on success: why this reader failed
  bool ok() const { return error.empty() && !scans.empty(); }
};

inline MeasuredReading measured_failure(std::string why) {
  MeasuredReading reading;
  reading.error = std::move(why);
  return reading;
}

/// The axis a column heading or unit names ("2Theta", "d", "Q", "TOF",
/// "keV"...); 2θ when it names none of them.
ScanAxis axis_from_name(std::string_view name);

/// 2θ in degrees of a d-spacing or a Q at `wavelength` (Å), by Bragg's law
/// λ = 2d sin θ and Q = 4π sin θ / λ; NaN when no angle reflects it.
double two_theta_of_d(double d, double wavelength);
double measured_two_theta_of_q(double q, double wavelength);

/// Lower-case name of an axis for messages ("time of flight").
std::string_view axis_description(ScanAxis axis);

}  // namespace calvane
