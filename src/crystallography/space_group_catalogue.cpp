#include "crystallography/space_group_catalogue.hpp"

#include "model/crystal_system.hpp"

#include <gemmi/symmetry.hpp>

#include <algorithm>
#include <array>
#include <utility>

#include "util/files.hpp"
#include "util/text.hpp"

namespace calvane {
namespace {

std::string without_blanks(std::string_view text) {
  std::string result;
  for (char c : text)
    if (c != ' ' && c != '\t') result += c;
  return to_upper(result);
}

// gemmi takes a symbol without suffix as hexagonal axes unless the cell angles
// say otherwise; angles of 90° say rhombohedral.
const gemmi::SpaceGroup* resolve(std::string_view symbol, std::string_view system_code) {
  std::string name = trim(symbol);
  if (name.empty() || name.front() == '-') return nullptr;
  const double angle = system_code == "RHOM" ? 90.0 : 0.0;
  return gemmi::find_spacegroup_by_name(name, angle, angle);
}

}  // namespace

std::optional<CatalogueRange> catalogue_range(std::string_view system_code) {
  if (const CrystalSystem* system = crystal_system(system_code))
    return CatalogueRange{system->first_catalogue_entry, system->last_catalogue_entry};
  return std::nullopt;
}

std::string catalogue_item(std::string_view line) {
  std::string hermann_mauguin = trim(substring(line, 5, 12));
  if (hermann_mauguin.empty()) return {};
  return pad_right(hermann_mauguin, 12) + pad_right(trim(substring(line, 26, 20)), 17) +
         pad_right(trim(substring(line, 46, 3)), 3);
}

CatalogueFields catalogue_fields(std::string_view item) {
  return {trim(substring(item, 0, 12)), trim(substring(item, 12, 13)), trim(substring(item, 29, 3))};
}

std::optional<std::vector<std::string>> read_catalogue_items(const std::filesystem::path& program_folder,
                                                             std::string_view system_code) {
  auto path = find_file_ignoring_case(program_folder, "spgr2.dat");
  if (!path) return std::nullopt;
  auto lines = read_text_lines(*path);
  if (!lines) return std::nullopt;
  std::vector<std::string> items;
  auto range = catalogue_range(system_code);
  if (!range) return items;
  for (int number = range->first; number <= range->last && number <= static_cast<int>(lines->size());
       ++number) {
    std::string item = catalogue_item((*lines)[static_cast<std::size_t>(number - 1)]);
    if (!item.empty()) items.push_back(std::move(item));
  }
  return items;
}

std::string pos_file_name(std::string_view system_code) {
  const CrystalSystem* system = crystal_system(system_code);
  return system ? std::string(system->positions_file) : std::string();
}

std::vector<std::string> standard_symbols(const std::vector<std::string>& pos_lines) {
  std::vector<std::string> symbols;
  for (std::size_t i = 0; i + 1 < pos_lines.size(); ++i)
    if (trim_right(pos_lines[i]).empty()) symbols.push_back(trim(pos_lines[i + 1]));
  return symbols;
}

bool same_space_group(std::string_view a, std::string_view b, std::string_view system_code) {
  if (without_blanks(a) == without_blanks(b)) return true;
  const gemmi::SpaceGroup* first = resolve(a, system_code);
  return first != nullptr && first == resolve(b, system_code);
}

std::optional<std::size_t> find_same_space_group(const std::vector<std::string>& symbols,
                                                 std::string_view symbol, std::string_view system_code) {
  const std::string bare = without_blanks(symbol);
  const gemmi::SpaceGroup* group = resolve(symbol, system_code);
  for (std::size_t i = 0; i < symbols.size(); ++i) {
    if (without_blanks(symbols[i]) == bare) return i;
    if (group != nullptr && resolve(symbols[i], system_code) == group) return i;
  }
  return std::nullopt;
}

std::optional<std::size_t> find_pos_record(const std::vector<std::string>& pos_lines, std::string_view symbol,
                                           std::string_view system_code) {
  std::vector<std::size_t> symbol_lines;
  for (std::size_t i = 0; i + 1 < pos_lines.size(); ++i)
    if (trim_right(pos_lines[i]).empty()) symbol_lines.push_back(i + 1);
  for (std::size_t line : symbol_lines)
    if (trim_right(pos_lines[line]) == symbol) return line;
  std::vector<std::string> symbols;
  for (std::size_t line : symbol_lines) symbols.push_back(trim(pos_lines[line]));
  if (auto found = find_same_space_group(symbols, symbol, system_code)) return symbol_lines[*found];
  return std::nullopt;
}

std::optional<CatalogueSymbol> find_catalogue_symbol(const std::vector<std::string>& catalogue_items,
                                                     const std::vector<std::string>& symbols,
                                                     std::string_view symbol, std::string_view system_code) {
  auto from_item = [&](std::size_t i) {
    CatalogueFields fields = catalogue_fields(catalogue_items[i]);
    return CatalogueSymbol{true, i, fields.hermann_mauguin, fields.hall, fields.number};
  };
  auto from_standard = [&](std::size_t i) { return CatalogueSymbol{false, i, symbols[i], {}, {}}; };

  const std::string upper = to_upper(symbol);
  const std::string bare = without_blanks(symbol);
  for (std::size_t i = 0; i < catalogue_items.size(); ++i) {
    const std::string& item = catalogue_items[i];
    if (to_upper(trim(substring(item, 0, 12))) == upper || without_blanks(substring(item, 12, 13)) == bare)
      return from_item(i);
  }
  for (std::size_t i = 0; i < symbols.size(); ++i)
    if (to_upper(trim(symbols[i])) == upper) return from_standard(i);

  std::vector<std::string> catalogue_symbols;
  for (const std::string& item : catalogue_items) catalogue_symbols.push_back(trim(substring(item, 0, 12)));
  if (auto i = find_same_space_group(catalogue_symbols, symbol, system_code)) return from_item(*i);
  if (auto i = find_same_space_group(symbols, symbol, system_code)) return from_standard(*i);
  return std::nullopt;
}

std::optional<CatalogueSymbol> find_catalogue_symbol(const std::filesystem::path& program_folder,
                                                     std::string_view symbol, std::string_view system_code) {
  auto items = read_catalogue_items(program_folder, system_code);
  std::vector<std::string> symbols;
  if (auto path = find_file_ignoring_case(program_folder, pos_file_name(system_code)))
    if (auto lines = read_text_lines(*path)) symbols = standard_symbols(*lines);
  return find_catalogue_symbol(items ? *items : std::vector<std::string>{}, symbols, symbol, system_code);
}

}  // namespace calvane
