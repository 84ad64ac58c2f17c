#include "crystal_io/xyz_operator.hpp"

#include <cmath>
#include <optional>
#include <vector>

#include "util/text.hpp"

namespace calvane {

namespace {

std::optional<double> read_constant(std::string_view text) {
  const std::size_t slash = text.find('/');
  if (slash == std::string_view::npos) return parse_double(text);
  auto numerator = parse_double(text.substr(0, slash));
  auto denominator = parse_double(text.substr(slash + 1));
  if (!numerator || !denominator || *denominator == 0) return std::nullopt;
  return *numerator / *denominator;
}

// One expression into a row of the operator; the message on failure.
std::string decode_expression(const std::string& expression, std::array<double, 4>& row) {
  row = {0, 0, 0, 0};
  if (expression.find_first_of("XYZ") == std::string::npos) return "cannot decode position " + expression;
  bool has_variable = false;
  std::size_t start = 0;
  while (start < expression.size()) {
    std::size_t end = start + 1;
    while (end < expression.size() && expression[end] != '+' && expression[end] != '-') ++end;
    std::string_view term(expression.data() + start, end - start);
    start = end;
    double sign = 1;
    if (term.front() == '+' || term.front() == '-') {
      sign = term.front() == '-' ? -1 : 1;
      term.remove_prefix(1);
    }
    if (term.empty()) return "cannot decode position " + expression;
    const char last = term.back();
    if (last == 'X' || last == 'Y' || last == 'Z') {
      std::string_view factor = term.substr(0, term.size() - 1);
      if (!factor.empty() && factor.back() == '*') factor.remove_suffix(1);
      auto coefficient = factor.empty() ? std::optional<double>(1.0) : parse_double(factor);
      if (!coefficient || *coefficient != std::round(*coefficient)) return "cannot decode position " + expression;
      row[static_cast<std::size_t>(last - 'X')] += sign * *coefficient;
      has_variable = true;
    } else {
      auto constant = read_constant(term);
      if (!constant) return "Cannot decode translation " + std::string(term);
      row[3] += sign * *constant;
    }
  }
  if (!has_variable) return "cannot decode position " + expression;
  for (std::size_t i = 0; i < 3; ++i) {
    if (std::fabs(row[i]) > 1) return "cannot decode position " + expression;
  }
  return {};
}

}  // namespace

XyzDecoding decode_xyz_operator(std::string_view text) {
  std::string cleaned;
  for (char c : to_upper(text)) {
    if (c != ' ' && c != '\t' && c != '\'' && c != '"') cleaned += c;
  }
  XyzDecoding decoding;
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t comma = cleaned.find(','); comma != std::string::npos; comma = cleaned.find(',', start)) {
    parts.push_back(cleaned.substr(start, comma - start));
    start = comma + 1;
  }
  parts.push_back(cleaned.substr(start));
  if (parts.size() != 3) {
    decoding.error = "cannot decode position " + cleaned;
    return decoding;
  }
  for (std::size_t i = 0; i < 3 && decoding.error.empty(); ++i) decoding.error = decode_expression(parts[i], decoding.op.m[i]);
  return decoding;
}

}  // namespace calvane
