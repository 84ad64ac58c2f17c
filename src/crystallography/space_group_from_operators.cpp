#include "crystallography/space_group_from_operators.hpp"

#include <cctype>
#include <cmath>
#include <utility>
#include <vector>

#include "crystallography/operators.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "model/limits.hpp"

namespace calvane {
namespace {

struct RotationText {
  std::string_view text;
  std::array<double, 3> coefficients;
};

// Searched as substrings in this order, so that "-X+Y" is not read as "-X".
constexpr RotationText kRotations[] = {
    {"-Y+X", {1, -1, 0}}, {"-X+Y", {-1, 1, 0}}, {"X+Y", {1, 1, 0}}, {"X-Y", {1, -1, 0}}, {"Y-X", {-1, 1, 0}},
    {"-X", {-1, 0, 0}},   {"-Y", {0, -1, 0}},   {"-Z", {0, 0, -1}}, {"+X", {1, 0, 0}},   {"+Y", {0, 1, 0}},
    {"+Z", {0, 0, 1}},    {"X", {1, 0, 0}},     {"Y", {0, 1, 0}},   {"Z", {0, 0, 1}},
};

// An R group on rhombohedral axes is primitive, and SHELX says so with LATT 1.
bool same_lattice(char entry_letter, char phase_letter, std::string_view system_code) {
  entry_letter = static_cast<char>(std::toupper(static_cast<unsigned char>(entry_letter)));
  return entry_letter == phase_letter ||
         (system_code == "RHOM" && entry_letter == 'R' && phase_letter == 'P');
}

bool is_number_character(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '/';
}

// "p/q" with an optional sign, for translations the table does not list.
std::optional<double> parse_fraction(std::string_view text) {
  const std::size_t slash = text.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  auto numerator = parse_double(text.substr(0, slash));
  auto denominator = parse_double(text.substr(slash + 1));
  if (!numerator || !denominator || *denominator == 0) return std::nullopt;
  return *numerator / *denominator;
}

std::optional<double> parse_translation(std::string_view text) {
  if (text.empty()) return 0.0;
  for (const TranslationText& entry : translation_texts()) {
    if (text == entry.text) return entry.value;
    if (entry.text.front() == '+' && text == entry.text.substr(1)) return entry.value;
  }
  if (auto value = parse_double(text)) return value;
  return parse_fraction(text);
}

std::optional<OperatorRow> decode_import_component(std::string_view component) {
  std::string text = to_upper(trim(component));
  if (std::size_t at = text.find(" ."); at != std::string::npos) text[at] = '0';
  if (std::size_t at = text.find(". "); at != std::string::npos) text[at + 1] = '0';
  OperatorRow row;
  bool rotation_found = false;
  for (const RotationText& rotation : kRotations) {
    const std::size_t at = text.find(rotation.text);
    if (at == std::string::npos) continue;
    // A number written against the letter ("2X", "X2") is a coefficient, not a translation.
    const std::size_t after = at + rotation.text.size();
    if ((at > 0 && rotation.text.front() != '+' && rotation.text.front() != '-' &&
         is_number_character(text[at - 1])) ||
        (after < text.size() && is_number_character(text[after])))
      return std::nullopt;
    row.coefficients = rotation.coefficients;
    text.erase(at, rotation.text.size());
    if (!text.empty() && text.back() == '+') text.pop_back();
    rotation_found = true;
    break;
  }
  auto translation = parse_translation(trim(text));
  if (!rotation_found || !translation) return std::nullopt;
  row.translation = *translation;
  return row;
}

std::string import_operator_text(const SymmetryOperator& op) {
  std::string text;
  for (std::size_t row = 0; row < 3; ++row) {
    if (row > 0) text += ',';
    text += encode_row_import({op.m[row][0], op.m[row][1], op.m[row][2]}, op.m[row][3]);
  }
  return text.substr(0, 24);
}

// SHELX instructions begin the line; a leading blank is tolerated.
std::pair<std::string, std::string> keyword_and_rest(std::string_view line) {
  std::string text = trim_left(line);
  return {to_upper(substring(text, 0, 4)), std::string(substring(text, 4, std::string::npos))};
}

struct Lattice {
  char letter = 'P';
  bool centrosymmetric = true;
};

std::optional<Lattice> read_lattice(const std::vector<std::string>& lines, MessageSink& ui) {
  Lattice lattice;
  for (const std::string& line : lines) {
    auto [keyword, rest] = keyword_and_rest(line);
    if (keyword != "LATT") continue;
    NumberScanner scanner(rest);
    auto code = scanner.next_integer();
    if (!code || *code < -7 || *code > 7) {
      ui.warning("Non decoded lattice: " + trim(rest));
      return std::nullopt;
    }
    constexpr char letters[] = " PIRFABC";
    lattice.letter = *code == 0 ? 'P' : letters[std::abs(*code)];
    lattice.centrosymmetric = *code >= 1 || *code == 0;
  }
  return lattice;
}

std::optional<SymmetryData> read_operators(const std::vector<std::string>& lines, MessageSink& ui) {
  SymmetryData symmetry;
  symmetry.operators = {SymmetryOperator::identity()};
  for (const std::string& line : lines) {
    auto [keyword, rest] = keyword_and_rest(line);
    if (keyword != "SYMM") continue;
    std::string text;
    for (char c : to_upper(trim(rest)))
      if (c != ' ' && c != '\t') text += c;
    if (text == "X,Y,Z") continue;
    auto op = decode_operator(text);
    if (!op) {
      ui.warning("Non decoded position: " + text);
      return std::nullopt;
    }
    if (symmetry.operators.size() == static_cast<std::size_t>(kMaxOperators)) {
      ui.warning("Too many symmetry operators");
      return std::nullopt;
    }
    symmetry.operators.push_back(*op);
  }
  return symmetry;
}

double periodic_difference(double a, double b) {
  const double d = std::abs(a - b);
  const double wrapped = d - std::floor(d);
  return std::min(wrapped, 1 - wrapped);
}

bool same_operator(const SymmetryOperator& a, const SymmetryOperator& b) {
  double total = 0;
  for (std::size_t row = 0; row < 3; ++row) {
    for (std::size_t column = 0; column < 3; ++column) total += std::abs(a.m[row][column] - b.m[row][column]);
    total += periodic_difference(a.m[row][3], b.m[row][3]);
  }
  return total < 0.01;
}

bool same_operator_set(const std::vector<SymmetryOperator>& candidates,
                       const std::vector<SymmetryOperator>& phase) {
  for (const SymmetryOperator& candidate : candidates) {
    bool partner = false;
    for (const SymmetryOperator& op : phase) partner = partner || same_operator(candidate, op);
    if (!partner) return false;
  }
  return true;
}

std::optional<SymmetryOperator> read_catalogue_operator(std::string_view line) {
  NumberScanner scanner(line);
  SymmetryOperator op;
  for (std::size_t i = 0; i < 12; ++i) {
    auto value = scanner.next();
    if (!value) return std::nullopt;
    op.m[i / 4][i % 4] = *value;
  }
  return op;
}

}  // namespace

std::optional<SymmetryOperator> decode_operator(std::string_view text) {
  const std::size_t first = text.find(',');
  const std::size_t second = first == std::string_view::npos ? first : text.find(',', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  const std::string_view components[] = {text.substr(0, first), text.substr(first + 1, second - first - 1),
                                         text.substr(second + 1)};
  SymmetryOperator op;
  for (std::size_t row = 0; row < 3; ++row) {
    auto decoded = decode_import_component(components[row]);
    if (!decoded) return std::nullopt;
    for (std::size_t column = 0; column < 3; ++column) op.m[row][column] = decoded->coefficients[column];
    op.m[row][3] = decoded->translation;
  }
  return op;
}

std::string encode_row_import(const std::array<double, 3>& coefficients, double translation) {
  if (std::lround(coefficients[0]) == 1 && std::lround(coefficients[1]) == 1 &&
      std::lround(coefficients[2]) == 0)
    return "X+Y" + translation_text(translation);
  return encode_row(coefficients, translation);
}

std::optional<std::string> match_catalogue(const SymmetryData& symmetry, std::string_view system_code,
                                           const std::filesystem::path& program_folder, MessageSink& ui) {
  auto path = find_file_ignoring_case(program_folder, "spgr.peq");
  auto lines = path ? read_text_lines(*path) : std::nullopt;
  if (!lines) {
    ui.warning("File spgr.peq not found");
    return std::nullopt;
  }
  std::size_t i = 0;
  while (i < lines->size() && trim((*lines)[i]) != system_code) ++i;
  const std::size_t blocks = symmetry.centring_translations.size() + 1;
  for (++i; i < lines->size(); ++i) {
    const std::string& line = (*lines)[i];
    if (line.empty() || line.front() != ' ') return std::nullopt;  // end of the system's section
    const std::string entry = trim(line);
    if (entry.empty() || !same_lattice(entry.front(), symmetry.lattice_letter, system_code)) continue;
    auto count = parse_integer(trim(substring(entry, entry.size() < 4 ? 0 : entry.size() - 4, 4)));
    if (!count || *count < 0 || i + static_cast<std::size_t>(*count) >= lines->size()) {
      ui.warning("Erreur dans " + entry);
      return std::nullopt;
    }
    const std::size_t operator_lines = static_cast<std::size_t>(*count);
    if (operator_lines * blocks != symmetry.operators.size()) {
      i += operator_lines;
      continue;
    }
    std::vector<SymmetryOperator> candidates;
    for (std::size_t k = 1; k <= operator_lines; ++k) {
      auto op = read_catalogue_operator((*lines)[i + k]);
      if (!op) {
        ui.warning("Erreur dans " + trim((*lines)[i + k]));
        return std::nullopt;
      }
      candidates.push_back(*op);
    }
    for (const auto& tau : symmetry.centring_translations) {
      for (std::size_t k = 0; k < operator_lines; ++k) {
        SymmetryOperator copy = candidates[k];
        for (std::size_t row = 0; row < 3; ++row) copy.m[row][3] += tau[row];
        candidates.push_back(copy);
      }
    }
    i += operator_lines;
    if (same_operator_set(candidates, symmetry.operators)) return trim(substring(entry, 0, 12));
  }
  return std::nullopt;
}

bool space_group_from_file(CurrentCrystal& crystal, const std::filesystem::path& file,
                           const std::filesystem::path& program_folder, MessageSink& ui) {
  auto lines = read_text_lines(file);
  if (!lines) {
    ui.warning("Cannot read " + file.filename().string());
    return false;
  }
  auto lattice = read_lattice(*lines, ui);
  if (!lattice) return false;
  auto symmetry = read_operators(*lines, ui);
  if (!symmetry) return false;
  symmetry->lattice_letter = lattice->letter;
  symmetry->centrosymmetric = lattice->centrosymmetric;
  if (!add_centring(*symmetry, std::string(1, lattice->letter), crystal.system_code) ||
      (lattice->centrosymmetric && !add_inverse_operators(*symmetry))) {
    ui.warning("Too many symmetry operators");
    return false;
  }
  for (const SymmetryOperator& op : symmetry->operators)
    symmetry->operator_texts.push_back(import_operator_text(op));
  symmetry->operator_texts.front() = "X,Y,Z";
  auto symbol = match_catalogue(*symmetry, crystal.system_code, program_folder, ui);
  crystal.symmetry = std::move(*symmetry);
  crystal.symbol = symbol ? symbol->substr(0, kSymbolLength) : std::string();
  return true;
}

}  // namespace calvane
