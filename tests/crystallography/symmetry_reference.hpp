// Operator sets compared with gemmi's space-group table, the independent reference.
#pragma once

#include <gemmi/symmetry.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "model/symmetry_operator.hpp"

namespace calvane::testing {

/// An operator as whole numbers: rotation, and translation in 24ths modulo 1.
using OperatorKey = std::array<int, 12>;

inline OperatorKey operator_key(const SymmetryOperator& op) {
  OperatorKey key{};
  for (std::size_t row = 0; row < 3; ++row) {
    for (std::size_t column = 0; column < 3; ++column)
      key[row * 4 + column] = static_cast<int>(std::lround(op.m[row][column]));
    int t = static_cast<int>(std::lround(op.m[row][3] * 24)) % 24;
    key[row * 4 + 3] = t < 0 ? t + 24 : t;
  }
  return key;
}

inline std::multiset<OperatorKey> operator_keys(const std::vector<SymmetryOperator>& operators) {
  std::multiset<OperatorKey> keys;
  for (const SymmetryOperator& op : operators) keys.insert(operator_key(op));
  return keys;
}

/// Every operation of a gemmi setting, centring included.
inline std::multiset<OperatorKey> gemmi_keys(const gemmi::SpaceGroup& sg) {
  std::multiset<OperatorKey> keys;
  for (const gemmi::Op& op : sg.operations()) {
    SymmetryOperator as_ours;
    for (std::size_t i = 0; i < 12; ++i)
      as_ours.m[i / 4][i % 4] = (i % 4 == 3 ? op.tran[i / 4] : op.rot[i / 4][i % 4]) / double(gemmi::Op::DEN);
    keys.insert(operator_key(as_ours));
  }
  return keys;
}

inline bool gemmi_inversion_at_origin(const gemmi::SpaceGroup& sg) {
  for (const gemmi::Op& op : sg.operations().sym_ops)
    if (op.triplet() == "-x,-y,-z") return true;
  return false;
}

/// The gemmi entry whose extended symbol is exactly `symbol`.
inline const gemmi::SpaceGroup* gemmi_entry(const std::string& symbol) {
  for (const gemmi::SpaceGroup& sg : gemmi::spacegroup_tables::main)
    if (sg.xhm() == symbol) return &sg;
  return nullptr;
}

}  // namespace calvane::testing
