// Volume and reciprocal metric of oblique cells against gemmi.
#include <gtest/gtest.h>

#include <cmath>

#include "model/current_crystal.hpp"

namespace calvane {
namespace {

// Expected values from gemmi 0.5.7 (/usr/bin/python3):
// gemmi.UnitCell(a, b, c, α, β, γ).volume and .calculate_d([h, k, l]).
// The program converts degrees with 57.2957, which moves them by about 2e-6
// of their value.
TEST(DerivedCell, ObliqueCellsMatchGemmi) {
  const struct {
    const char* name;
    CellParameters cell;
    double volume;
    std::array<int, 3> h;
    double d;
  } cases[] = {
      {"low albite", {8.1372, 12.787, 7.1574, 94.245, 116.605, 87.809}, 664.037019, {1, 1, 1}, 3.773689},
      {"low albite", {8.1372, 12.787, 7.1574, 94.245, 116.605, 87.809}, 664.037019, {1, -2, 3}, 1.788369},
      {"bismuth, rhombohedral axes", {4.7236, 4.7236, 4.7236, 57.35, 57.35, 57.35}, 69.979687, {1, 1, 1},
       3.932248},
      {"bismuth, rhombohedral axes", {4.7236, 4.7236, 4.7236, 57.35, 57.35, 57.35}, 69.979687, {1, -2, 3},
       0.890326},
  };
  for (auto c : cases) {
    compute_derived_cell(c.cell);
    EXPECT_NEAR(c.cell.volume, c.volume, 5e-6 * c.volume) << c.name;
    double s2 = 0;
    for (const auto& row : c.cell.b_matrix) {
      const double s = row[0] * c.h[0] + row[1] * c.h[1] + row[2] * c.h[2];
      s2 += s * s;
    }
    EXPECT_NEAR(1 / std::sqrt(s2), c.d, 5e-6 * c.d) << c.name << " " << c.h[0] << c.h[1] << c.h[2];
  }
}

}  // namespace
}  // namespace calvane
