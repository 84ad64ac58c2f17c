#include "crystal_io/foreign_text.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

#include "crystallography/crystal_checks.hpp"
#include "util/text.hpp"

namespace calvane {

std::optional<std::vector<double>> read_number_list(std::string_view text) {
  std::string line(trim_view(text));
  std::replace(line.begin(), line.end(), ',', ' ');
  std::vector<double> numbers;
  NumberScanner scanner(line);
  while (!scanner.at_end()) {
    auto value = scanner.next();
    if (!value) return std::nullopt;
    numbers.push_back(*value);
  }
  return numbers;
}

std::string separate_run_together_numbers(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '-' && i > 0) {
      const char before = text[i - 1];
      if (std::isdigit(static_cast<unsigned char>(before)) || before == '.') out += ' ';
    }
    out += text[i];
  }
  return out;
}

SplitAtomName split_atom_name(std::string_view name) {
  std::string upper = to_upper(trim_view(name));
  if (upper.size() > 1 && std::isdigit(static_cast<unsigned char>(upper[1])))
    upper = upper.substr(0, 1) + ' ' + upper.substr(1);
  SplitAtomName split;
  split.type = trim(substring(upper, 0, 2));
  split.label = trim(substring(upper, 2, 2));
  return split;
}

namespace {
// Elements 1 (H) to 93 (Np) in atomic-number order, then deuterium and the
// dummy atom.
constexpr std::array<std::string_view, 95> kElements = {
    "H",  "HE", "LI", "BE", "B",  "C",  "N",  "O",  "F",  "NE", "NA", "MG", "AL", "SI", "P",  "S",
    "CL", "AR", "K",  "CA", "SC", "TI", "V",  "CR", "MN", "FE", "CO", "NI", "CU", "ZN", "GA", "GE",
    "AS", "SE", "BR", "KR", "RB", "SR", "Y",  "ZR", "NB", "MO", "TC", "RU", "RH", "PD", "AG", "CD",
    "IN", "SN", "SB", "TE", "I",  "XE", "CS", "BA", "LA", "CE", "PR", "ND", "PM", "SM", "EU", "GD",
    "TB", "DY", "HO", "ER", "TM", "YB", "LU", "HF", "TA", "W",  "RE", "OS", "IR", "PT", "AU", "HG",
    "TL", "PB", "BI", "PO", "AT", "RN", "FR", "RA", "AC", "TH", "PA", "U",  "NP", "D",  "DU"};

bool same_length(double first, double second) { return std::fabs(first - second) < 0.001; }
}  // namespace

std::string set_cell_from_numbers(CurrentCrystal& crystal, const std::vector<double>& numbers,
                                  std::size_t first) {
  if (numbers.size() < first + 6) return "six cell parameters are expected";
  CellParameters& cell = crystal.cell;
  cell.a = numbers[first];
  cell.b = numbers[first + 1];
  cell.c = numbers[first + 2];
  cell.alpha = numbers[first + 3];
  cell.beta = numbers[first + 4];
  cell.gamma = numbers[first + 5];
  if (std::string reason = impossible_cell_reason(cell); !reason.empty()) return reason;
  compute_derived_cell(cell);
  crystal.system_code = crystal_system_from_cell(cell);
  return {};
}

std::string join_names(const std::vector<std::string>& names, std::size_t shown) {
  std::string text;
  for (std::size_t i = 0; i < names.size() && i < shown; ++i) text += (i > 0 ? ", " : "") + names[i];
  if (names.size() > shown) text += " and " + std::to_string(names.size() - shown) + " more";
  return text;
}

bool is_element_symbol(std::string_view symbol) {
  const std::string upper = to_upper(symbol);
  return std::find(kElements.begin(), kElements.end(), upper) != kElements.end();
}

std::string crystal_system_from_cell(const CellParameters& cell) {
  const bool ab = same_length(cell.a, cell.b);
  const bool bc = same_length(cell.b, cell.c);
  const bool ac = same_length(cell.a, cell.c);
  if (cell.alpha == 90 && cell.beta == 90 && cell.gamma == 90) {
    if (ab && bc) return "CUBI";
    if (ab) return "TETR";
    // A cell with two equal lengths other than a = b is still rectangular:
    // orthorhombic in the program's terms.
    return "ORTH";
  }
  // The hexagonal and rhombohedral codes make the crystal page copy lengths
  // and angles into each other (b = a; β = γ = α), so a cell gets them only
  // when it already has that shape: else the copy would change the cell.
  if (ab && cell.alpha == 90 && cell.beta == 90 && cell.gamma == 120) return "HEXA";
  if (ab && bc && ac && cell.alpha == cell.beta && cell.beta == cell.gamma) return "RHOM";
  if (cell.alpha == 90 && cell.gamma == 90) return "MONO";
  if (cell.alpha == 90 && cell.beta == 90) return "MONO";
  return "TRIC";
}

}  // namespace calvane
