#include "crystallography/operators.hpp"

#include <cctype>
#include <cmath>
#include <utility>

#include "util/text.hpp"
#include "model/limits.hpp"

namespace calvane {
namespace {

// Values exactly as the catalogues and listings have always written them.
constexpr TranslationText kTranslationTexts[] = {
    {"+1/2", 0.5},      {"+1/3", 0.3333333}, {"+2/3", 0.6666667}, {"+1/4", 0.25},       {"+3/4", 0.75},
    {"+1/6", 0.166667}, {"+5/6", 0.83333},   {"-1/2", -0.5},      {"-1/3", -0.3333333}, {"-2/3", -0.6666667},
    {"-1/4", -0.25},    {"-3/4", -0.75},     {"-1/6", -0.166667}, {"-5/6", -0.83333},
};

struct RowText {
  std::array<int, 3> coefficients;
  std::string_view decoded;  // the catalogue's spelling
  std::string_view encoded;  // the operator texts' spelling
};

constexpr RowText kRowTexts[] = {
    {{1, 0, 0}, "X", " X"},      {{0, 1, 0}, "Y", " Y"},       {{0, 0, 1}, "Z", " Z"},
    {{-1, 0, 0}, "-X", "-X"},    {{0, -1, 0}, "-Y", "-Y"},     {{0, 0, -1}, "-Z", "-Z"},
    {{1, -1, 0}, "X-Y", " X-Y"}, {{-1, 1, 0}, "-X+Y", " Y-X"},
};

// Centring translations of the lattice letters besides P (International Tables, Vol. A, Table 1.2.1).
std::vector<std::array<double, 3>> centring_of_letter(char letter) {
  if (letter == 'F') return {{0, 0.5, 0.5}, {0.5, 0, 0.5}, {0.5, 0.5, 0}};
  if (letter == 'I') return {{0.5, 0.5, 0.5}};
  if (letter == 'A') return {{0, 0.5, 0.5}};
  if (letter == 'B') return {{0.5, 0, 0.5}};
  if (letter == 'C') return {{0.5, 0.5, 0}};
  return {};
}

std::size_t operator_capacity() { return static_cast<std::size_t>(kMaxOperators); }

}  // namespace

std::span<const TranslationText> translation_texts() { return kTranslationTexts; }

char lattice_letter(std::string_view symbol, std::string_view system_code) {
  if (system_code == "HEXA") return 'P';
  if (!symbol.empty() && symbol.front() == '-') symbol.remove_prefix(1);
  return symbol.empty() ? ' ' : symbol.front();
}

bool add_centring(SymmetryData& symmetry, std::string_view symbol, std::string_view system_code) {
  constexpr double third = 1.0 / 3.0, two_thirds = 2.0 / 3.0;
  // A Hall symbol keeps its lattice letter after the "-" of the centre.
  if (!symbol.empty() && symbol.front() == '-') symbol.remove_prefix(1);
  const bool rhombohedral_on_hexagonal_axes = system_code == "HEXA" && !symbol.empty() &&
                                              std::toupper(static_cast<unsigned char>(symbol.front())) == 'R';
  std::vector<std::array<double, 3>> translations = centring_of_letter(symmetry.lattice_letter);
  if (rhombohedral_on_hexagonal_axes)
    translations = {{third, two_thirds, two_thirds}, {two_thirds, third, third}};
  const std::size_t primitive = symmetry.operators.size();
  if (primitive * (translations.size() + 1) > operator_capacity()) return false;
  for (const auto& tau : translations) {
    for (std::size_t i = 0; i < primitive; ++i) {
      SymmetryOperator op = symmetry.operators[i];
      for (int row = 0; row < 3; ++row) {
        double& t = op.m[static_cast<std::size_t>(row)][3];
        t += tau[static_cast<std::size_t>(row)];
        if (t >= 1) t -= 1;
      }
      symmetry.operators.push_back(op);
    }
  }
  symmetry.centring_translations = std::move(translations);
  return true;
}

bool add_inverse_operators(SymmetryData& symmetry) {
  const std::size_t n = symmetry.operators.size();
  if (2 * n > operator_capacity()) return false;
  for (std::size_t i = 0; i < n; ++i) {
    SymmetryOperator op = symmetry.operators[i];
    for (auto& row : op.m) {
      for (double& value : row) value = value == 0 ? 0.0 : -value;
      if (row[3] < 0) row[3] += 1;
    }
    symmetry.operators.push_back(op);
  }
  return true;
}

std::optional<OperatorRow> decode_component(std::string_view component) {
  std::string text = trim(component);
  OperatorRow row;
  // The four-blank entry stands for "no translation" and ends the search.
  if (text.find("    ") == std::string::npos) {
    for (const TranslationText& entry : kTranslationTexts) {
      std::size_t at = text.find(entry.text);
      if (at == std::string::npos) continue;
      row.translation = entry.value;
      text.erase(at, entry.text.size());
      break;
    }
  }
  for (const RowText& entry : kRowTexts) {
    if (text != entry.decoded) continue;
    for (std::size_t i = 0; i < 3; ++i) row.coefficients[i] = entry.coefficients[i];
    return row;
  }
  return std::nullopt;
}

std::string translation_text(double translation) {
  constexpr std::pair<double, std::string_view> table[] = {
      {0, "    "},    {0.5, "+1/2"},  {0.3333333, "+1/3"}, {0.6666667, "+2/3"},
      {0.25, "+1/4"}, {0.75, "+3/4"}, {0.166667, "+1/6"},  {0.83333, "+5/6"},
  };
  if (translation == 0) return {};
  if (translation < 0) translation += 1;
  if (translation >= 1) translation -= 1;
  for (const auto& [value, text] : table)
    if (std::abs(translation - value) <= 0.001) return std::string(text);
  return {};
}

std::string encode_row(const std::array<double, 3>& coefficients, double translation) {
  std::string text;
  for (const RowText& entry : kRowTexts) {
    bool same = true;
    for (std::size_t i = 0; i < 3; ++i) same = same && std::lround(coefficients[i]) == entry.coefficients[i];
    if (same) {
      text = entry.encoded;
      break;
    }
  }
  return to_upper(text + translation_text(translation));
}

std::string operator_text(const SymmetryOperator& op) {
  std::string text;
  for (std::size_t row = 0; row < 3; ++row) {
    if (row > 0) text += ',';
    text += encode_row({op.m[row][0], op.m[row][1], op.m[row][2]}, op.m[row][3]);
  }
  return text.substr(0, 24);
}

void rebuild_operator_texts(SymmetryData& symmetry) {
  symmetry.operator_texts.clear();
  for (const SymmetryOperator& op : symmetry.operators) symmetry.operator_texts.push_back(operator_text(op));
}

void build_symmetry_operators(CurrentCrystal& crystal, const std::filesystem::path& program_folder,
                              const std::filesystem::path& scratch_folder, MessageSink& messages) {
  if (crystal.symbol.empty()) return;
  // An empty "Hall" box selects the standard catalogues; a symbol they do not
  // hold (a non-standard setting) is asked of the generator, which knows them all.
  if (crystal.symmetry.hall_symbol.empty() && build_operators_pos(crystal, program_folder, messages)) return;
  build_operators_getspec(crystal, scratch_folder, messages);
}

}  // namespace calvane
