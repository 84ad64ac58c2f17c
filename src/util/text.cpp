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

namespace {

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

/// Writes |value| rounded to `decimals` places (digits and point, no sign)
/// backwards so that it ends just before `end`, sets `rounded_to_zero`, and
/// returns its first character; nullptr when the value is too large or lies
/// too close to a rounding boundary for this short route to be sure of
/// printf's answer.
///
/// printf and std::to_chars round the exact binary value half-to-even. The
/// product |value|·10^d carries at most half an ulp of error, so when it lies
/// farther than that from every half-integer, rounding the product gives the
/// same integer as rounding the exact value; the rare values near a boundary
/// go the long way.
char* fixed_short_route(double value, int decimals, char* end, bool& rounded_to_zero) {
  if (decimals > 9) return nullptr;
  const double scaled = std::fabs(value) * kPowersOfTen[decimals];
  if (!(scaled < 1e15)) return nullptr;
  const auto whole = static_cast<unsigned long long>(scaled);  // floor: scaled is not negative
  const double fraction = scaled - static_cast<double>(whole);  // exact: both below 2^53
  const double error = scaled * 0x1p-52 + 0x1p-60;
  if (std::fabs(fraction - 0.5) <= error) return nullptr;
  unsigned long long digits = whole + (fraction > 0.5 ? 1 : 0);
  rounded_to_zero = digits == 0;
  char* first = end;
  for (int place = 0; place < decimals; ++place) {
    *--first = static_cast<char>('0' + digits % 10);
    digits /= 10;
  }
  if (decimals > 0) *--first = '.';
  do {
    *--first = static_cast<char>('0' + digits % 10);
    digits /= 10;
  } while (digits != 0);
  return first;
}

}  // namespace

void append_fixed(std::string& out, double value, int width, int decimals) {
  auto pad_and_append = [&out, width](const char* begin, const char* end) {
    const auto length = static_cast<int>(end - begin);
    if (length < width) out.append(static_cast<std::size_t>(width - length), ' ');
    out.append(begin, static_cast<std::size_t>(length));
  };
  if (!std::isfinite(value)) {
    const char* text = std::isnan(value) ? "Nan" : value > 0 ? "+Inf" : "-Inf";
    pad_and_append(text, text + std::char_traits<char>::length(text));
    return;
  }
  if (decimals < 0) decimals = 0;
  char field[64];  // the padded text, built backwards and appended at once
  char* const field_end = field + sizeof field;
  bool rounded_to_zero = false;
  if (char* begin = fixed_short_route(value, decimals, field_end, rounded_to_zero)) {
    // No negative zero: a value that rounds to zero is written without its sign.
    if (value < 0 && !rounded_to_zero) *--begin = '-';
    if (width > field_end - begin && width <= static_cast<int>(sizeof field)) {
      char* const padded = field_end - width;
      std::fill(padded, begin, ' ');
      begin = padded;
    }
    pad_and_append(begin, field_end);  // pads here only a field wider than the buffer
    return;
  }
  char buffer[400];
  // std::to_chars gives round-half-even on the exact binary value, as printf does.
  const char* end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals).ptr;
  const char* begin = buffer;
  // No negative zero: "-0.00" is written "0.00".
  if (buffer[0] == '-' && std::all_of<const char*>(buffer + 1, end, [](char c) { return c == '0' || c == '.'; }))
    ++begin;
  pad_and_append(begin, end);
}

void append_fixed(std::string& out, long long value, int width) {
  char buffer[24];
  const char* end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  const auto length = static_cast<int>(end - buffer);
  if (length < width) out.append(static_cast<std::size_t>(width - length), ' ');
  out.append(buffer, static_cast<std::size_t>(length));
}

std::string fixed(double value, int width, int decimals) {
  std::string text;
  append_fixed(text, value, width, decimals);
  return text;
}

std::string fixed(long long value, int width) {
  std::string text;
  append_fixed(text, value, width);
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

std::string fixed_to_precision(double value, int width, int decimals, int max_decimals) {
  std::string text = fixed(value, width, decimals);
  while (decimals < max_decimals && std::isfinite(value)) {
    const auto back = parse_double(text);
    if (back && std::fabs(*back - value) <= 1e-9 * std::fabs(value)) break;
    text = fixed(value, width, ++decimals);
  }
  return text;
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
