#include "crystal_io/csp_list.hpp"

#include "util/files.hpp"
#include "util/text.hpp"

namespace calvane {

std::optional<std::string> csp_symbol_of_number(const std::filesystem::path& list, int number) {
  auto lines = read_text_lines(list);
  if (!lines || number < 1 || number > static_cast<int>(lines->size())) return std::nullopt;
  NumberScanner scanner((*lines)[static_cast<std::size_t>(number - 1)]);
  if (!scanner.next_integer()) return std::nullopt;
  std::string_view rest = scanner.rest();
  // The symbol starts after the blank that ends the number.
  if (!rest.empty()) rest.remove_prefix(1);
  return trim(substring(rest, 0, 10));
}

}  // namespace calvane
