// Finding a group of the space-group window's catalogue by what the user types.
#include <cctype>
#include <sstream>

#include "ui/space_group_form.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

// A catalogue item holds the symbol in characters 1-12, the Hall symbol in
// 13-29 and the number from 30 on.
std::string item_symbol(std::string_view item) { return std::string(trim_view(item.substr(0, 12))); }
std::string item_hall(std::string_view item) {
  return item.size() > 12 ? std::string(trim_view(item.substr(12, 17))) : std::string();
}
std::string item_number(std::string_view item) {
  return item.size() > 29 ? std::string(trim_view(item.substr(29))) : std::string();
}

// A symbol reduced to what every spelling shares: lower case, without
// blanks and subscript marks, and without the 1s a full symbol writes for
// the directions with no symmetry ("P 1 21/c 1" is "p21/c"). `drop_bars`
// also forgets the bars of the rotoinversions, as older texts omit them ("Fm3m").
std::string reduced(std::string_view symbol, bool drop_bars) {
  std::istringstream words{std::string(symbol)};
  std::vector<std::string> parts;
  for (std::string word; words >> word;) parts.push_back(to_lower(word));
  if (parts.size() > 2) std::erase(parts, "1");  // "P 1" itself keeps its 1
  std::string text;
  for (const std::string& part : parts)
    for (char c : part)
      if (c != '_' && !(drop_bars && c == '-')) text += c;
  return text;
}

}  // namespace

int find_catalogue_item(const std::vector<std::string>& items, std::string_view search) {
  const std::string wanted(trim_view(search));
  if (wanted.empty()) return -1;
  const bool number = std::all_of(wanted.begin(), wanted.end(), [](unsigned char c) { return std::isdigit(c); });
  const auto find = [&items](const auto& matches) {
    for (std::size_t i = 0; i < items.size(); ++i)
      if (matches(items[i])) return static_cast<int>(i);
    return -1;
  };
  if (number) return find([&wanted](const std::string& item) { return item_number(item) == wanted; });
  // A search written without blanks cannot tell "P21/c" from "P 1 21/c 1": compare without them.
  for (bool drop_bars : {false, true}) {
    const std::string key = reduced(wanted, drop_bars);
    if (int found = find([&](const std::string& item) { return reduced(item_symbol(item), drop_bars) == key; });
        found >= 0)
      return found;
  }
  const std::string start = reduced(wanted, false);
  return find([&start](const std::string& item) { return reduced(item_symbol(item), false).starts_with(start); });
}

std::string catalogue_item_description(std::string_view item) {
  std::string text = item_symbol(item);
  const std::string number = item_number(item);
  const std::string hall = item_hall(item);
  if (!number.empty() || !hall.empty()) {
    text += "  (";
    if (!number.empty()) text += "No. " + number;
    if (!hall.empty()) text += (number.empty() ? "" : ", ") + std::string("Hall ") + hall;
    text += ")";
  }
  return text;
}

}  // namespace calvane
