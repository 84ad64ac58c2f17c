#include "crystal_io/csp_list.hpp"

#include <algorithm>
#include <array>

#include "util/files.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

struct ListEntry {
  int number = 0;
  std::string symbol;
};

std::optional<ListEntry> read_entry(std::string_view line) {
  NumberScanner scanner(line);
  auto number = scanner.next_integer();
  if (!number) return std::nullopt;
  std::string_view rest = scanner.rest();
  // The symbol starts after the blank that ends the number.
  if (!rest.empty()) rest.remove_prefix(1);
  return ListEntry{static_cast<int>(*number), trim(substring(rest, 0, 10))};
}

struct SystemRule {
  std::string_view code;
  std::string_view text;
  std::string_view reset_symbol;
  bool (*accepts)(int number);
};

const std::array<SystemRule, 7> kRules = {{
    {"TRIC", " is not compatible with a Triclinic cell. It has been  reset to P1", "P1",
     [](int n) { return n >= 1 && n <= 2; }},
    {"MONO", " is not compatible with a Monoclinic cell. It has been  reset to P2/M", "P2/M",
     [](int n) { return n >= 3 && n <= 15; }},
    {"ORTH", " is not compatible with an Orthorhombic cell. It has been  reset to P222", "P222",
     [](int n) { return n >= 16 && n <= 74; }},
    {"TETR", " is not compatible with an Tetragonal cell. It has been  reset to P422", "P422",
     [](int n) { return n >= 75 && n <= 142; }},
    {"HEXA", " is not compatible with an Hexagonal cell. It has been  reset to P6", "P6",
     [](int n) { return n >= 143 && n <= 194; }},
    {"CUBI", " is not compatible with a Cubic cell. It has been  reset to P23", "P23",
     [](int n) { return n >= 195 && n <= 230; }},
    // The rhombohedral groups of International Tables.
    {"RHOM", " is not compatible with a Rhomboedral cell. It has been  reset to R3", "R3",
     [](int n) { return n == 146 || n == 148 || n == 155 || n == 160 || n == 161 || n == 166 || n == 167; }},
}};

}  // namespace

std::optional<int> csp_number_of_symbol(const std::filesystem::path& list, std::string_view symbol) {
  const std::string wanted = to_upper(trim_view(symbol));
  if (wanted.empty()) return std::nullopt;
  auto lines = read_text_lines(list);
  if (!lines) return std::nullopt;
  for (const std::string& line : *lines) {
    auto entry = read_entry(line);
    if (entry && to_upper(entry->symbol) == wanted) return entry->number;
  }
  return std::nullopt;
}

std::optional<std::string> csp_symbol_of_number(const std::filesystem::path& list, int number) {
  auto lines = read_text_lines(list);
  if (!lines || number < 1 || number > static_cast<int>(lines->size())) return std::nullopt;
  auto entry = read_entry((*lines)[static_cast<std::size_t>(number - 1)]);
  if (!entry) return std::nullopt;
  return entry->symbol;
}

void check_group_against_system(Ui& ui, CurrentCrystal& crystal, int number) {
  auto rule = std::find_if(kRules.begin(), kRules.end(),
                           [&](const SystemRule& r) { return r.code == crystal.system_code; });
  if (rule == kRules.end() || rule->accepts(number)) return;
  ui.warning("The Space Group " + crystal.symbol + std::string(rule->text));
  crystal.symbol = rule->reset_symbol;
}

}  // namespace calvane
