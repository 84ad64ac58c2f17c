// Symmetry operator: a 3×3 rotation and a translation acting on fractional coordinates.
#pragma once

#include <array>

namespace calvane {

/// Twelve numbers in row order r11 r12 r13 t1, r21 r22 r23 t2, r31 r32 r33 t3:
/// (x, y, z) maps to (r11·x + r12·y + r13·z + t1, ...). Rotation entries are
/// whole numbers (−1, 0, 1).
struct SymmetryOperator {
  std::array<std::array<double, 4>, 3> m{};  // m[row][0..2] rotation, m[row][3] translation

  double r(int row, int column) const { return m[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]; }
  double t(int row) const { return m[static_cast<std::size_t>(row)][3]; }
  static SymmetryOperator identity() {
    SymmetryOperator op;
    op.m[0][0] = op.m[1][1] = op.m[2][2] = 1;
    return op;
  }
};

}  // namespace calvane
