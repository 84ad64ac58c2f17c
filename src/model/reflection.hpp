// One computed line of one phase at one wavelength.
#pragma once

namespace calvane {

struct Reflection {
  int h = 0, k = 0, l = 0;
  int multiplicity = 0;
  double wavelength = 0;     // Å, the wavelength that produced the line
  double d = 0;              // Å
  double two_theta = 0;      // degrees
  double intensity = 0;      // integrated intensity × fraction of its wavelength
};

}  // namespace calvane
