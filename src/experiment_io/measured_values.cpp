#include "experiment_io/measured_values.hpp"

#include <cctype>

#include "util/text.hpp"

namespace calvane {

std::string parse_number_list(std::string_view text, std::vector<double>& out) {
  NumberScanner scanner(text);
  while (!scanner.at_end()) {
    auto value = scanner.next();
    if (!value) {
      std::string_view rest = trim_view(scanner.rest());
      return "\"" + std::string(rest.substr(0, std::min<std::size_t>(rest.find(' '), 20))) +
             "\" is not a number";
    }
    out.push_back(*value);
  }
  return {};
}

void equally_spaced(double first, double last, std::size_t count, std::vector<double>& out) {
  const double step = count > 1 ? (last - first) / static_cast<double>(count - 1) : 0.0;
  out.reserve(out.size() + count);
  for (std::size_t i = 0; i < count; ++i) out.push_back(first + step * static_cast<double>(i));
}

bool parse_data_line(std::string_view line, bool decimal_comma, std::vector<double>& out) {
  out.clear();
  auto separator = [decimal_comma](char c) {
    return c == ' ' || c == '\t' || c == ';' || (!decimal_comma && c == ',') || c == '\r';
  };
  std::size_t i = 0;
  std::string field;
  while (i < line.size()) {
    while (i < line.size() && separator(line[i])) ++i;
    std::size_t start = i;
    while (i < line.size() && !separator(line[i])) ++i;
    if (i == start) break;
    field.assign(line.substr(start, i - start));
    if (decimal_comma)
      for (char& c : field)
        if (c == ',') c = '.';
    auto value = parse_double(field);
    if (!value) return false;
    out.push_back(*value);
  }
  return true;
}

bool uses_decimal_comma(const std::vector<std::string>& lines) {
  bool comma_between_digits = false;
  std::size_t looked = 0;
  for (const std::string& line : lines) {
    std::string_view text = trim_view(line);
    if (text.empty() ||
        !(std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '-' || text[0] == '+'))
      continue;
    // "10,200" is two integers in a CSV file; "10,5 200" a decimal comma.
    if (text.find_first_of(" \t;") == std::string_view::npos) continue;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
      const bool digits_around = std::isdigit(static_cast<unsigned char>(text[i - 1])) &&
                                 std::isdigit(static_cast<unsigned char>(text[i + 1]));
      if (text[i] == '.' && digits_around) return false;
      if (text[i] == ',' && digits_around) comma_between_digits = true;
    }
    if (++looked == 20) break;
  }
  return comma_between_digits;
}

}  // namespace calvane
