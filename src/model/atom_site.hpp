// One atom of an asymmetric unit.
#pragma once

#include <string>

namespace calvane {

struct AtomSite {
  std::string type;   // element symbol with optional charge or suffix, at most 4 characters
  std::string label;  // at most 2 characters
  double x = 0, y = 0, z = 0;  // fractional coordinates
  double b = 0;                // isotropic displacement factor B, Å²
  double population = 1;       // site occupancy
  double fermi_length = 0;     // neutron scattering length, 10⁻¹² cm
  int type_index = 0;          // 1-based index into the phase's scattering types
  double weight = 0;           // site multiplicity × population
};

}  // namespace calvane
