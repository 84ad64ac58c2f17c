// The two routes that build a crystal's operator list (declared in operators.hpp).
#include <string>
#include <vector>

#include "crystallography/operator_generator.hpp"
#include "crystallography/operators.hpp"
#include "crystallography/space_group_catalogue.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "model/limits.hpp"

namespace calvane {
namespace {

// Numbers such as " .5" or " -.5" get their leading zero, and commas separate
// like blanks.
std::string readable_numbers(std::string line) {
  for (std::size_t at = line.find(" ."); at != std::string::npos; at = line.find(" .", at + 2))
    line.insert(at + 1, "0");
  for (std::size_t at = line.find(" -."); at != std::string::npos; at = line.find(" -.", at + 3))
    line.insert(at + 2, "0");
  for (char& c : line)
    if (c == ',') c = ' ';
  return line;
}

std::optional<SymmetryOperator> read_operator_numbers(const std::string& line) {
  const std::string text = readable_numbers(" " + line);
  NumberScanner scanner(text);
  SymmetryOperator op;
  for (int i = 0; i < 12 && !scanner.at_end(); ++i) {
    auto value = scanner.next();
    if (!value) return std::nullopt;
    op.m[static_cast<std::size_t>(i / 4)][static_cast<std::size_t>(i % 4)] = *value;
  }
  return op;
}

// Everything "scfs.dat" holds: the operator block, then the x,y,z texts that
// tell whether the centre lies at the origin.
std::optional<std::string> read_generator_file(const std::vector<std::string>& lines,
                                               SymmetryData& symmetry) {
  std::size_t line = 1;
  for (; line < lines.size() && !trim(lines[line]).empty(); ++line) {
    auto op = read_operator_numbers(lines[line]);
    if (!op) return "Error in scfs.dat: " + trim(lines[line]);
    if (symmetry.operators.size() == static_cast<std::size_t>(kMaxOperators))
      return std::string("Too many symmetry operators in scfs.dat");
    symmetry.operators.push_back(*op);
  }
  line += 5;  // the empty line and four information lines
  for (std::size_t i = 0; i < symmetry.operators.size() && line < lines.size(); ++i, ++line) {
    if (trim(lines[line]).empty()) break;
    if (contains(to_upper(substring(lines[line], 7, std::string::npos)), "-X,-Y,-Z")) {
      symmetry.centrosymmetric = true;
      break;
    }
  }
  return std::nullopt;
}

SymmetryData cleared_symmetry(const CurrentCrystal& crystal) {
  SymmetryData symmetry;
  symmetry.hall_symbol = crystal.symmetry.hall_symbol;
  symmetry.space_group_number = crystal.symmetry.space_group_number;
  symmetry.lattice_letter = lattice_letter(crystal.symbol, crystal.system_code);
  return symmetry;
}

// One ".pos" record from its symbol line: flag, count and positions.
std::optional<std::string> read_pos_record(const std::vector<std::string>& lines, std::size_t line,
                                           const std::string& file_name, SymmetryData& symmetry) {
  const std::string error = "Error in " + file_name + " for " + trim(lines[line]);
  auto flag = line + 1 < lines.size() ? parse_integer(lines[line + 1]) : std::nullopt;
  auto count = line + 2 < lines.size() ? parse_integer(lines[line + 2]) : std::nullopt;
  if (!flag || !count || *count < 0 || *count > kMaxOperators ||
      line + 2 + static_cast<std::size_t>(*count) >= lines.size())
    return error;
  symmetry.centrosymmetric = *flag == 1;
  for (std::size_t i = 0; i < static_cast<std::size_t>(*count); ++i) {
    const std::string text = to_upper(trim(lines[line + 3 + i]));
    const std::size_t first = text.find(',');
    const std::size_t second = first == std::string::npos ? first : text.find(',', first + 1);
    if (second == std::string::npos) return error + ": " + text;
    const std::string_view view(text);
    const std::string_view components[] = {view.substr(0, first), view.substr(first + 1, second - first - 1),
                                           view.substr(second + 1)};
    SymmetryOperator op;
    for (std::size_t row = 0; row < 3; ++row) {
      auto decoded = decode_component(components[row]);
      if (!decoded) return error + ": " + text;
      for (std::size_t column = 0; column < 3; ++column) op.m[row][column] = decoded->coefficients[column];
      op.m[row][3] = decoded->translation;
    }
    symmetry.operators.push_back(op);
  }
  return std::nullopt;
}

}  // namespace

bool build_operators_getspec(CurrentCrystal& crystal, const std::filesystem::path& current_folder, MessageSink& ui) {
  SymmetryData symmetry = cleared_symmetry(crystal);
  switch (getspec(getspec_argument(crystal.symbol), current_folder)) {
    case GetspecStatus::NotWritten:
      ui.warning("Cannot write scfs.dat in " + current_folder.string());
      return false;
    case GetspecStatus::UnknownSymbol:
      ui.warning(trim(crystal.symbol) + " unknown space group");
      break;
    case GetspecStatus::Written:
      break;
  }
  auto lines = read_text_lines(current_folder / "scfs.dat");
  if (!lines) {
    ui.warning("File scfs.dat not found");
    return false;
  }
  if (auto error = read_generator_file(*lines, symmetry)) {
    ui.warning(*error);
    return false;
  }
  if (!add_centring(symmetry, crystal.symbol, crystal.system_code)) {
    ui.warning("Too many symmetry operators for " + trim(crystal.symbol));
    return false;
  }
  rebuild_operator_texts(symmetry);
  crystal.symmetry = std::move(symmetry);
  return true;
}

bool build_operators_pos(CurrentCrystal& crystal, const std::filesystem::path& program_folder, MessageSink& ui) {
  const std::string file_name = pos_file_name(crystal.system_code);
  if (file_name.empty()) return false;
  auto path = find_file_ignoring_case(program_folder, file_name);
  auto lines = path ? read_text_lines(*path) : std::nullopt;
  if (!lines) {
    ui.warning("File " + file_name + " not found");
    return false;
  }
  auto line = find_pos_record(*lines, crystal.symbol, crystal.system_code);
  if (!line) return false;
  SymmetryData symmetry = cleared_symmetry(crystal);
  if (auto error = read_pos_record(*lines, *line, file_name, symmetry)) {
    ui.warning(*error);
    return false;
  }
  if ((symmetry.centrosymmetric && !add_inverse_operators(symmetry)) ||
      !add_centring(symmetry, crystal.symbol, crystal.system_code)) {
    ui.warning("Too many symmetry operators for " + trim(crystal.symbol));
    return false;
  }
  rebuild_operator_texts(symmetry);
  crystal.symmetry = std::move(symmetry);
  return true;
}

}  // namespace calvane
