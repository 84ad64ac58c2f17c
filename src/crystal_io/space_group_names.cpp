#include "crystal_io/space_group_names.hpp"

#include <gemmi/symmetry.hpp>

#include <algorithm>
#include <cmath>

#include "util/text.hpp"
#include "model/limits.hpp"

namespace calvane {

std::optional<std::string> standard_symbol_of(std::string_view written) {
  std::string text;
  for (char c : written)
    if (c != '(' && c != ')' && c != '\'' && c != '"') text += c;
  text = trim(text);
  // A trailing H or R after a blank names the axes, as ":H" or ":R" does.
  if (text.size() > 2 && text[text.size() - 2] == ' ' &&
      (std::toupper(static_cast<unsigned char>(text.back())) == 'H' ||
       std::toupper(static_cast<unsigned char>(text.back())) == 'R'))
    text = trim(text.substr(0, text.size() - 2)) + ":" +
           static_cast<char>(std::toupper(static_cast<unsigned char>(text.back())));
  if (text.empty()) return std::nullopt;
  if (const gemmi::SpaceGroup* group = gemmi::find_spacegroup_by_name(text)) return group->xhm();
  return std::nullopt;
}

std::optional<std::string> standard_symbol_of_number(int number) {
  if (number < 1 || number > 230) return std::nullopt;
  if (const gemmi::SpaceGroup* group = gemmi::find_spacegroup_by_number(number)) return group->xhm();
  return std::nullopt;
}

std::optional<std::string> standard_symbol_of_operators(const std::vector<SymmetryOperator>& operators) {
  constexpr int den = gemmi::Op::DEN;  // translations in 24ths
  try {
    std::vector<gemmi::Op> ops;
    for (const SymmetryOperator& op : operators) {
      gemmi::Op converted;
      for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column)
          converted.rot[row][column] = static_cast<int>(std::lround(op.m[row][column] * den));
        converted.tran[row] = static_cast<int>(std::lround(op.m[row][3] * den));
      }
      ops.push_back(converted.wrap());
    }
    gemmi::GroupOps group = gemmi::split_centering_vectors(ops);
    if (const gemmi::SpaceGroup* found = gemmi::find_spacegroup_by_ops(group)) return found->xhm();
  } catch (const std::exception&) {
    // An operator list that is no group names none.
  }
  return std::nullopt;
}

std::string fitted_symbol(const std::string& symbol) {
  if (static_cast<int>(symbol.size()) <= kSymbolLength) return symbol;
  std::string compact = symbol;
  compact.erase(std::remove(compact.begin(), compact.end(), ' '), compact.end());
  return std::string(substring(compact, 0, static_cast<std::size_t>(kSymbolLength)));
}

}  // namespace calvane
