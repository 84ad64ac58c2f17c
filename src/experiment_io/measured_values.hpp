// Number lists and axes shared by the measured-pattern readers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace calvane {

/// Appends the blank-separated numbers of `text` to `out`; the reason when a
/// token is not a number, else empty.
std::string parse_number_list(std::string_view text, std::vector<double>& out);

/// `count` values from `first` to `last` in equal steps (one value: `first`).
void equally_spaced(double first, double last, std::size_t count, std::vector<double>& out);

/// The numbers of one text data line. Fields are separated by blanks, tabs,
/// semicolons or commas; with `decimal_comma` a comma inside a number is its
/// decimal separator ("12,5" is 12.5) and only the other characters separate.
/// Empty when a field is not a number.
bool parse_data_line(std::string_view line, bool decimal_comma, std::vector<double>& out);

/// True when the data lines of a text file write decimal commas: a comma
/// between two digits and no point in any number of the first lines.
bool uses_decimal_comma(const std::vector<std::string>& lines);

}  // namespace calvane
