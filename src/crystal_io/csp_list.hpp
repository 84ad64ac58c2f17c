// Space-group symbols by number from the list "csp.lst" (one line per group:
// the number, then the symbol within the next 10 characters).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace calvane {

/// The symbol on line `number` of the list, trimmed; empty when there is no
/// such line or it does not begin with a number.
std::optional<std::string> csp_symbol_of_number(const std::filesystem::path& list, int number);

}  // namespace calvane
