#include "ui/anomalous_grid.hpp"

#include <algorithm>

#include "util/text.hpp"

namespace calvane {

namespace {

constexpr std::size_t kGridWavelengths = 4;

std::size_t grid_wavelength_count(const std::vector<double>& wavelengths) {
  return std::min(wavelengths.size(), kGridWavelengths);
}

}  // namespace

void fill_anomalous_grid(TextGrid& grid, const std::vector<ScatteringType>& types,
                         const std::vector<double>& wavelengths) {
  grid.clear();
  grid.set_cell(1, 0, "Elem.");
  const std::size_t count = grid_wavelength_count(wavelengths);
  for (std::size_t j = 0; j < count; ++j) {
    const int column = 2 * static_cast<int>(j) + 1;
    grid.set_cell(0, column, fixed(wavelengths[j], 7, 4));
    grid.set_cell(0, column + 1, fixed(wavelengths[j], 7, 4));
    grid.set_cell(1, column, "f '");
    grid.set_cell(1, column + 1, "f \"");
  }
  for (std::size_t t = 0; t < types.size(); ++t) {
    const int row = static_cast<int>(t) + 2;
    grid.set_cell(row, 0, types[t].symbol);
    for (std::size_t j = 0; j < count; ++j) {
      const int column = 2 * static_cast<int>(j) + 1;
      grid.show_number(row, column, types[t].f_prime[j], fixed(types[t].f_prime[j], 6, 3));
      grid.show_number(row, column + 1, types[t].f_second[j], fixed(types[t].f_second[j], 6, 3));
    }
  }
}

}  // namespace calvane
