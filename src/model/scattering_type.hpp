// One chemical element of a phase, with what the engine needs to weigh it.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace calvane {

struct ScatteringType {
  std::string symbol;                 // first two characters of the atoms' type, capitals ("FE", "O")
  std::array<double, 4> a{}, b{};     // form-factor coefficients (International Tables C, 6.1.1.4)
  double c = 0;
  std::array<double, 4> f_prime{};    // f′ per wavelength index (0-based here)
  std::array<double, 4> f_second{};   // f″ per wavelength index
  std::vector<std::pair<double, double>> absorption;  // (λ Å ascending, μ/ρ), at most 30
  int count_per_formula = 0;
};

}  // namespace calvane
