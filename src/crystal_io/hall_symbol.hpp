// Hermann-Mauguin symbols of Hall symbols, from gemmi's space-group table.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace calvane {

/// The extended Hermann-Mauguin symbol ("P 63 m c", "F d -3 m:2") of the
/// group that a Hall symbol (Hall 1981, Acta Cryst. A37, 517; letters case
/// as written) generates; empty when the symbol cannot be parsed or its
/// group is not a tabulated setting.
std::optional<std::string> hermann_mauguin_of_hall(std::string_view hall);

}  // namespace calvane
