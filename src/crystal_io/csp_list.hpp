// The space-group number list "csp.lst" (one line per group: the number, then
// the symbol within the next 10 characters) and the check of a group number
// against the crystal system.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "crystal_io/current_crystal.hpp"
#include "ui/ui_port.hpp"

namespace calvane {

/// The number of the first line whose symbol equals `symbol` (compared in
/// upper case); empty when the list or the symbol is missing.
std::optional<int> csp_number_of_symbol(const std::filesystem::path& list, std::string_view symbol);

/// The symbol on line `number` of the list; empty when there is no such line.
std::optional<std::string> csp_symbol_of_number(const std::filesystem::path& list, int number);

/// When the International Tables number `number` does not belong to the
/// crystal's system, warns and replaces the symbol by the simplest group of
/// the system (P1, P2/M, P222, P422, P6, P23 or R3).
void check_group_against_system(Ui& ui, CurrentCrystal& crystal, int number);

}  // namespace calvane
