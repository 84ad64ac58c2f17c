#include "crystal_io/system_check.hpp"

#include "model/crystal_system.hpp"

#include <algorithm>
#include <array>

#include "util/message_sink.hpp"
#include "util/files.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

std::string without_blanks(std::string_view text) {
  std::string out;
  for (char c : text)
    if (c != ' ' && c != '\t') out.push_back(c);
  return out;
}


}  // namespace

std::optional<int> find_space_group_number(const std::filesystem::path& csp_list, std::string_view symbol) {
  auto lines = read_text_lines(csp_list);
  if (!lines) return std::nullopt;
  const std::string wanted = to_upper(trim(symbol));
  const std::string wanted_compact = without_blanks(wanted);
  std::optional<int> loose_match;
  for (const std::string& line : *lines) {
    NumberScanner scanner(line);
    auto number = scanner.next_integer();
    if (!number) continue;
    // The symbol is the next 10 characters after the number.
    std::string listed = to_upper(trim(substring(scanner.rest(), 0, 10)));
    if (listed == wanted) return static_cast<int>(*number);
    if (!loose_match && !wanted_compact.empty() && without_blanks(listed) == wanted_compact)
      loose_match = static_cast<int>(*number);
  }
  return loose_match;
}

std::optional<std::string> check_system(std::string_view system_code, int number, std::string_view symbol,
                                        MessageSink& ui) {
  const CrystalSystem* system = crystal_system(system_code);
  if (system == nullptr || system->takes_group(number)) return std::nullopt;
  ui.warning("The Space Group " + std::string(symbol) + std::string(system->mismatch_text));
  return std::string(system->replacement_symbol);
}

}  // namespace calvane
