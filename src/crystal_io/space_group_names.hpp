// Space-group names as crystal files write them, brought to the extended
// Hermann-Mauguin symbols of gemmi's space-group table (International Tables
// for Crystallography, Vol. A, settings of Table 4.3.2.1).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/symmetry_operator.hpp"

namespace calvane {

/// The extended symbol of a written one in any common spelling: "P 21/n",
/// "P2(1)/c", "P 1 21/c 1", "R -3 c H", "F d -3 m:2", quotes and case aside.
/// Empty when the table has no such group.
std::optional<std::string> standard_symbol_of(std::string_view written);

/// The extended symbol of the standard setting of group `number` (1 to 230).
std::optional<std::string> standard_symbol_of_number(int number);

/// The extended symbol of the group that a complete operator list (centring
/// copies included) makes; empty when it makes no tabulated setting.
std::optional<std::string> standard_symbol_of_operators(const std::vector<SymmetryOperator>& operators);

/// A symbol that fits the crystal's 12 characters: the extended symbol, or
/// without its blanks when it is longer.
std::string fitted_symbol(const std::string& symbol);

}  // namespace calvane
