#include "profile/peak_width.hpp"

#include <cmath>

#include "profile/angle_factors.hpp"

namespace calvane {

PeakWidth peak_width(const Resolution& resolution, const Broadening& broadening, double two_theta_deg,
                     double wavelength_angstrom) {
  using namespace angle_factor;
  const double theta = two_theta_deg * kTwoThetaDegreesToThetaRadians;
  const double t = static_cast<float>(std::tan(theta));
  PeakWidth width;
  width.instrumental = resolution.u * t * t + resolution.v * t + resolution.w;
  if (broadening.crystal_size_angstrom > 0)
    width.size = static_cast<float>(kRadiansToDegrees * wavelength_angstrom /
                                    (broadening.crystal_size_angstrom * std::cos(theta)));
  width.strain = static_cast<float>(kRadiansToDegrees * broadening.strain * t);
  width.total = std::sqrt(width.instrumental * width.instrumental + width.size * width.size +
                          width.strain * width.strain);
  return width;
}

}  // namespace calvane
