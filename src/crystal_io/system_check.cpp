#include "crystal_io/system_check.hpp"

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

struct SystemRule {
  const char* code;
  bool (*accepts)(int number);
  const char* text;
  const char* replacement;
};

// International Tables, Vol. A: group numbers of each crystal system. The
// rhombohedral cell takes only the R-centred trigonal groups.
const std::array<SystemRule, 7> kRules{{
    {"TRIC", [](int n) { return n >= 1 && n <= 2; },
     " is not compatible with a Triclinic cell. It has been  reset to P1", "P1"},
    {"MONO", [](int n) { return n >= 3 && n <= 15; },
     " is not compatible with a Monoclinic cell. It has been  reset to P2/M", "P2/M"},
    {"ORTH", [](int n) { return n >= 16 && n <= 74; },
     " is not compatible with an Orthorhombic cell. It has been  reset to P222", "P222"},
    {"TETR", [](int n) { return n >= 75 && n <= 142; },
     " is not compatible with an Tetragonal cell. It has been  reset to P422", "P422"},
    {"HEXA", [](int n) { return n >= 143 && n <= 194; },
     " is not compatible with an Hexagonal cell. It has been  reset to P6", "P6"},
    {"CUBI", [](int n) { return n >= 195 && n <= 230; },
     " is not compatible with a Cubic cell. It has been  reset to P23", "P23"},
    {"RHOM",
     [](int n) {
       constexpr std::array<int, 7> rhombohedral{146, 148, 155, 160, 161, 166, 167};
       return std::find(rhombohedral.begin(), rhombohedral.end(), n) != rhombohedral.end();
     },
     " is not compatible with a Rhomboedral cell. It has been  reset to R3", "R3"},
}};

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
  for (const SystemRule& rule : kRules) {
    if (system_code != rule.code) continue;
    if (rule.accepts(number)) return std::nullopt;
    ui.warning("The Space Group " + std::string(symbol) + rule.text);
    return std::string(rule.replacement);
  }
  return std::nullopt;
}

}  // namespace calvane
