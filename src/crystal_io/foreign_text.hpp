// Text rules shared by the readers of other programs' crystal files: number
// lists, atom-name splitting, the element table and the crystal system that a
// cell implies.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/current_crystal.hpp"

namespace calvane {

/// Blank- or comma-separated decimal numbers, in order; empty optional when
/// any token is not a number.
std::optional<std::vector<double>> read_number_list(std::string_view text);

/// Puts a blank before every "-" that directly follows a digit or a point,
/// so that fixed-column numbers written without a gap ("0.1230-0.4560") read
/// as two numbers. An exponent sign ("1.0E-3") is left alone.
std::string separate_run_together_numbers(std::string_view text);

struct SplitAtomName {
  std::string type;   // element part, upper case, at most 2 characters
  std::string label;  // at most 2 characters
};

/// SHELX and PowderCell atom names: "O12" gives O and 12, "SI3" gives SI and
/// 3, "C12A" gives C and 12. The name is upper-cased; a digit in second place
/// means a one-letter element.
SplitAtomName split_atom_name(std::string_view name);

/// Sets a, b, c, α, β, γ from numbers[first..first + 5], then the derived
/// cell and the crystal system. Empty on success; otherwise why the numbers
/// are no cell (too few of them, or a cell that cannot exist), with the
/// crystal's cell left unusable.
std::string set_cell_from_numbers(CurrentCrystal& crystal, const std::vector<double>& numbers,
                                  std::size_t first);

/// Names joined by ", " for a message, the first `shown` of them then "and N more".
std::string join_names(const std::vector<std::string>& names, std::size_t shown = 8);

/// True for the element symbols H to Np and for D (deuterium) and DU (dummy),
/// compared without regard to case.
bool is_element_symbol(std::string_view symbol);

/// The crystal system a cell implies: "CUBI", "TETR", "ORTH", "HEXA", "RHOM",
/// "MONO" or "TRIC". Lengths are equal within 0.001 Å; the angles are
/// compared with 90° and 120° (and, for "RHOM", with each other) as written.
std::string crystal_system_from_cell(const CellParameters& cell);

}  // namespace calvane
