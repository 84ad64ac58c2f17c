// Text helpers: fixed-width number texts, free-format number parsing, trimming and case.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace calvane {

/// The "w:d" number text used throughout the program: `value` with `decimals`
/// digits after a point, right-aligned in `width` characters. A number that
/// needs more room widens its field; a negative `decimals` writes the value in
/// exponent form ("1.50000000000000E+0000" style is not needed by any caller).
std::string fixed(double value, int width, int decimals);

/// `fixed(value, width, decimals)`, with as many more decimals (up to
/// `max_decimals`) as it takes to give the value back to a relative 1e-9:
/// a share of 0.0625 is "0.0625" where two decimals would write "0.06",
/// while 1 stays "1.00". Free-format readers read either.
std::string fixed_to_precision(double value, int width, int decimals, int max_decimals);

/// Whole number right-aligned in `width` characters (the "w" integer texts).
std::string fixed(long long value, int width);

/// The same texts appended to `out`, for writers of long listings that build
/// their text in one buffer without a temporary string per number.
void append_fixed(std::string& out, double value, int width, int decimals);
void append_fixed(std::string& out, long long value, int width);

/// Parses a whole text as a number in free format: leading and trailing blanks
/// are allowed, a leading "+" is accepted, the decimal separator is a point.
/// Nothing else may follow the number. Never depends on the C locale.
std::optional<double> parse_double(std::string_view text);
std::optional<long long> parse_integer(std::string_view text);

/// Reads blank-separated numbers one after the other from a line, as a
/// free-format read of reals does: `next` skips blanks and tabs, takes the
/// next token and converts it. A token that is not a number makes `next`
/// fail and leaves the scanner on that token.
class NumberScanner {
public:
  explicit NumberScanner(std::string_view line) : rest_(line) {}
  std::optional<double> next();
  std::optional<long long> next_integer();
  /// What is left of the line, blanks included.
  std::string_view rest() const { return rest_; }
  /// True when only blanks remain.
  bool at_end() const;

private:
  std::string_view take_token();
  std::string_view rest_;
};

std::string_view trim_view(std::string_view text);
std::string trim(std::string_view text);
std::string trim_left(std::string_view text);
std::string trim_right(std::string_view text);
std::string to_upper(std::string_view text);
std::string to_lower(std::string_view text);
bool equals_ignoring_case(std::string_view a, std::string_view b);
bool contains(std::string_view text, std::string_view part);
bool contains_ignoring_case(std::string_view text, std::string_view part);
/// Characters [first, first + count) of `text`, 0-based, cut at its end.
std::string_view substring(std::string_view text, std::size_t first, std::size_t count);
/// `text` padded with blanks on the right to `width`, never cut.
std::string pad_right(std::string_view text, std::size_t width);
/// Removes a trailing carriage return (a CR LF file read line by line).
void strip_line_end(std::string& line);

}  // namespace calvane
