// Checks a crystal's space-group symbol against its crystal system, using the
// space-group number list "csp.lst" (number, then the symbol in the next 10 characters).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace calvane {

class MessageSink;

/// International Tables number of `symbol` in csp.lst, compared upper-cased,
/// then ignoring blanks; nothing when the symbol is not in the list or the
/// list cannot be read.
std::optional<int> find_space_group_number(const std::filesystem::path& csp_list, std::string_view symbol);

/// When `number` is not a group of the system `system_code`, warns
/// "The Space Group <symbol> is not compatible with ..." and returns the
/// replacement symbol; nothing when they agree.
std::optional<std::string> check_system(std::string_view system_code, int number, std::string_view symbol,
                                        MessageSink& ui);

}  // namespace calvane
