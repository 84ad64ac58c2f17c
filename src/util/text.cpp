#include "util/text.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <system_error>

namespace calvane {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

}  // namespace

std::string fixed(double value, int width, int decimals) {
  if (!std::isfinite(value)) {
    std::string text = std::isnan(value) ? "Nan" : value > 0 ? "+Inf" : "-Inf";
    if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
  }
  if (decimals < 0) decimals = 0;
  char buffer[400];
  // std::to_chars gives round-half-even on the exact binary value, as printf does.
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  const char* begin = buffer;
  // No negative zero: "-0.00" is written "0.00".
  if (buffer[0] == '-' && std::all_of(buffer + 1, result.ptr, [](char c) { return c == '0' || c == '.'; })) ++begin;
  const auto length = static_cast<int>(result.ptr - begin);
  std::string text;
  text.reserve(static_cast<std::size_t>(std::max(width, length)));
  if (length < width) text.append(static_cast<std::size_t>(width - length), ' ');
  text.append(begin, static_cast<std::size_t>(length));
  return text;
}

std::string fixed(long long value, int width) {
  std::string text = std::to_string(value);
  if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
  return text;
}

std::optional<double> parse_double(std::string_view text) {
  text = trim_view(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<long long> parse_integer(std::string_view text) {
  text = trim_view(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  long long value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string_view NumberScanner::take_token() {
  std::size_t start = 0;
  while (start < rest_.size() && is_blank(rest_[start])) ++start;
  std::size_t stop = start;
  while (stop < rest_.size() && !is_blank(rest_[stop])) ++stop;
  return rest_.substr(start, stop - start);
}

std::optional<double> NumberScanner::next() {
  std::string_view token = take_token();
  auto value = parse_double(token);
  if (value) rest_.remove_prefix(static_cast<std::size_t>(token.data() - rest_.data()) + token.size());
  return value;
}

std::optional<long long> NumberScanner::next_integer() {
  std::string_view token = take_token();
  auto value = parse_integer(token);
  if (value) rest_.remove_prefix(static_cast<std::size_t>(token.data() - rest_.data()) + token.size());
  return value;
}

bool NumberScanner::at_end() const { return trim_view(rest_).empty(); }

std::string_view trim_view(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return text;
}

std::string trim(std::string_view text) { return std::string(trim_view(text)); }

std::string trim_left(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  return std::string(text);
}

std::string trim_right(std::string_view text) {
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

std::string to_upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string to_lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool equals_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && to_lower(a) == to_lower(b);
}

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

bool contains_ignoring_case(std::string_view text, std::string_view part) {
  return to_lower(text).find(to_lower(part)) != std::string::npos;
}

std::string_view substring(std::string_view text, std::size_t first, std::size_t count) {
  if (first >= text.size()) return {};
  return text.substr(first, count);
}

std::string pad_right(std::string_view text, std::size_t width) {
  std::string out(text);
  if (out.size() < width) out.append(width - out.size(), ' ');
  return out;
}

void strip_line_end(std::string& line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
}

}  // namespace calvane
