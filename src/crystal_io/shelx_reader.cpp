#include "crystal_io/shelx_reader.hpp"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "crystal_io/foreign_file.hpp"
#include "crystal_io/foreign_text.hpp"
#include "util/text.hpp"
#include "workspace/limits.hpp"

namespace calvane {

namespace {

constexpr double kDegreesPerRadian = 57.2957;

// SHELXL instructions (SHELXL manual, 2018 edition, and SHELX-76/86 cards):
// lines beginning with one of these are never atoms.
constexpr std::string_view kInstructions[] = {
    "TITL", "CELL", "ZERR", "LATT", "SYMM", "SFAC", "DISP", "UNIT", "LAUE", "REM",  "MORE", "TIME",
    "OMIT", "SHEL", "BASF", "TWIN", "EXTI", "SWAT", "HOPE", "MERG", "SPEC", "RESI", "MOVE", "ANIS",
    "AFIX", "HFIX", "FRAG", "FEND", "EXYZ", "EADP", "EQIV", "CONN", "BIND", "FREE", "DFIX", "DANG",
    "BUMP", "SAME", "SADI", "CHIV", "FLAT", "DELU", "SIMU", "DEFS", "ISOR", "NCSY", "SUMP", "L.S.",
    "CGLS", "BLOC", "DAMP", "STIR", "WGHT", "FVAR", "BOND", "CONF", "MPLA", "RTAB", "HTAB", "LIST",
    "ACTA", "SIZE", "TEMP", "WPDB", "FMAP", "GRID", "PLAN", "MOLE", "PART", "UNDO", "RIGU", "ABIN",
    "ANSC", "ANSR", "NEUT", "PRIG", "XNPD", "FLAP", "EGEN", "DELU", "TRIA", "ISOR", "BEDE", "LONE",
    "END",  "HKLF", "COND"};

bool is_instruction(const std::string& keyword) {
  return std::find(std::begin(kInstructions), std::end(kInstructions), keyword) != std::end(kInstructions);
}

std::string without_comment(std::string_view line) {
  // "!" starts a comment on SHELXL lines.
  return std::string(line.substr(0, line.find('!')));
}

struct KeywordLine {
  std::string keyword;  // first token, upper case, at most 4 characters
  std::string name;     // first token as written
  std::string rest;
};

KeywordLine split_keyword(std::string_view line) {
  KeywordLine split;
  if (line.empty() || line.front() == ' ' || line.front() == '\t') return split;
  const std::size_t end = line.find_first_of(" \t");
  split.name = std::string(line.substr(0, end));
  split.keyword = to_upper(substring(split.name, 0, 4));
  if (end != std::string_view::npos) split.rest = std::string(line.substr(end));
  return split;
}

// SFAC element names in order; the long form (element then 14 numbers) and
// the short form (several elements) both give one name per scattering factor.
void add_scattering_factor_names(std::string_view rest, std::vector<std::string>& names) {
  std::string text(rest);
  std::replace(text.begin(), text.end(), '=', ' ');
  std::replace(text.begin(), text.end(), '\t', ' ');
  std::size_t start = text.find_first_not_of(' ');
  while (start != std::string::npos) {
    const std::size_t end = text.find(' ', start);
    const std::string token = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!parse_double(token)) names.push_back(to_upper(token));
    start = text.find_first_not_of(' ', end);
  }
}

struct InstructionState {
  CurrentCrystal crystal;
  std::vector<double> free_variables;
  std::vector<std::string> scattering_names;
  double last_free_u_equivalent = -1;  // Ueq of the last atom whose U was not riding
  bool cell_read = false;
};

std::optional<double> u_equivalent_of(const std::vector<double>& numbers, InstructionState& state) {
  if (numbers.size() == 11) {
    std::array<double, 6> u{};
    for (std::size_t i = 0; i < 6; ++i) {
      auto value = resolve_free_variable(numbers[5 + i], state.free_variables);
      if (!value) return std::nullopt;
      u[i] = *value;
    }
    return b_from_anisotropic_u(state.crystal.cell, u, 1.0);
  }
  // SHELXL's default Uiso is 0.05 Å² when the line stops before it.
  const double written = numbers.size() >= 6 ? numbers[5] : 0.05;
  // -5 < U < -0.5: riding on the previous atom, Uiso = |U|·Ueq(previous).
  if (written < -0.5 && written > -5) {
    if (state.last_free_u_equivalent < 0) return std::nullopt;
    return -written * state.last_free_u_equivalent;
  }
  return resolve_free_variable(written, state.free_variables);
}

// One atom line (continuations already joined); false on a read error.
bool read_instruction_atom(const KeywordLine& line, InstructionState& state) {
  auto numbers = read_number_list(separate_run_together_numbers(line.rest));
  if (!numbers || numbers->size() < 4 || (numbers->size() > 7 && numbers->size() != 11)) return false;
  AtomSite atom;
  double* coordinates[] = {&atom.x, &atom.y, &atom.z};
  for (std::size_t i = 0; i < 3; ++i) {
    auto value = resolve_free_variable((*numbers)[i + 1], state.free_variables);
    if (!value) return false;
    *coordinates[i] = *value;
  }
  auto u_equivalent = u_equivalent_of(*numbers, state);
  if (!u_equivalent) return false;
  const bool riding = numbers->size() >= 6 && numbers->size() <= 7 && (*numbers)[5] < -0.5 && (*numbers)[5] > -5;
  if (!riding) state.last_free_u_equivalent = *u_equivalent;
  atom.b = kEightPiSquaredInstructions * *u_equivalent;
  atom.population = 1.0;
  const SplitAtomName split = split_atom_name(line.name);
  atom.type = split.type;
  atom.label = split.label;
  // The SFAC number names the element when the atom's name does not.
  const double sfac = (*numbers)[0];
  if (!is_element_symbol(atom.type) && sfac >= 1 && sfac <= static_cast<double>(state.scattering_names.size())) {
    const std::string& element = state.scattering_names[static_cast<std::size_t>(sfac) - 1];
    if (is_element_symbol(element)) atom.type = element;
  }
  state.crystal.atoms.push_back(atom);
  return true;
}

// Joins "=" continuations: the "=" is removed and the next line appended.
std::string joined_line(const std::vector<std::string>& lines, std::size_t& index) {
  std::string line = without_comment(lines[index]);
  while (line.find('=') != std::string::npos) {
    line.erase(line.find('='), 1);
    if (index + 1 >= lines.size()) break;
    line += ' ' + without_comment(lines[++index]);
  }
  return line;
}

bool read_title_and_cell(const std::vector<std::string>& lines, InstructionState& state) {
  for (const std::string& raw : lines) {
    KeywordLine line = split_keyword(raw);
    if (line.keyword == "TITL" && state.crystal.title.empty()) state.crystal.title = trim(line.rest);
    if (line.keyword != "CELL") continue;
    auto numbers = read_number_list(line.rest);
    if (!numbers || numbers->size() < 7) return false;
    return set_cell_from_numbers(state.crystal, *numbers, 1);
  }
  return false;
}

}  // namespace

double b_from_anisotropic_u(const CellParameters& cell, const std::array<double, 6>& u, double factor) {
  const double cos_alpha = std::cos(cell.alpha / kDegreesPerRadian);
  const double cos_beta = std::cos(cell.beta / kDegreesPerRadian);
  const double cos_gamma = std::cos(cell.gamma / kDegreesPerRadian);
  const double aa = cell.a_star * cell.a, bb = cell.b_star * cell.b, cc = cell.c_star * cell.c;
  const double u_equivalent = (u[0] * aa * aa + u[1] * bb * bb + u[2] * cc * cc +
                               2 * u[5] * aa * bb * cos_gamma + 2 * u[4] * aa * cc * cos_beta +
                               2 * u[3] * bb * cc * cos_alpha) / 3.0;
  return factor * u_equivalent;
}

std::optional<double> resolve_free_variable(double value, const std::vector<double>& free_variables) {
  const double magnitude = std::fabs(value);
  if (magnitude < 5) return value;
  const int m = static_cast<int>((magnitude + 5) / 10);
  const double p = magnitude - 10.0 * m;
  if (m == 1) return value > 0 ? p : -p;
  if (m > static_cast<int>(free_variables.size())) return std::nullopt;
  const double variable = free_variables[static_cast<std::size_t>(m - 1)];
  return value > 0 ? p * variable : p * (1 - variable);
}

std::optional<CurrentCrystal> read_shelx_instructions(const std::vector<std::string>& lines, Ui& ui) {
  InstructionState state;
  if (!read_title_and_cell(lines, state)) {
    ui.warning("Cell parameters not found!");
    return std::nullopt;
  }
  for (std::size_t index = 0; index < lines.size(); ++index) {
    // Remarks and titles may hold "=" as text; they never continue.
    const std::string first_keyword = split_keyword(lines[index]).keyword;
    if (first_keyword == "REM" || first_keyword == "TITL") continue;
    KeywordLine line = split_keyword(joined_line(lines, index));
    if (line.keyword.empty()) continue;
    if (line.keyword == "END" || line.keyword == "HKLF" || line.keyword == "COND") break;
    if (line.keyword == "FVAR") {
      auto numbers = read_number_list(line.rest);
      if (!numbers) {
        ui.warning("read error");
        return std::nullopt;
      }
      state.free_variables.insert(state.free_variables.end(), numbers->begin(), numbers->end());
      continue;
    }
    if (line.keyword == "SFAC") add_scattering_factor_names(line.rest, state.scattering_names);
    if (is_instruction(line.keyword)) continue;
    if (static_cast<int>(state.crystal.atoms.size()) >= kMaxAtoms) {
      ui.warning("The number of atoms is > 400!");
      return std::nullopt;
    }
    if (!read_instruction_atom(line, state)) {
      ui.warning("read error");
      return std::nullopt;
    }
  }
  return state.crystal;
}

namespace {

enum class ListingLayout { A, B };

constexpr std::string_view kHeaderA = "ATOM           x         y         z";
constexpr std::string_view kHeaderB = "ATOM      X/A";

std::optional<ListingLayout> listing_layout(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    if (!contains(line, "ATOM")) continue;
    if (contains(line, "x         y         z")) return ListingLayout::A;
    if (contains(line, "X/A")) return ListingLayout::B;
  }
  return std::nullopt;
}

bool looks_like_instruction_file(const std::vector<std::string>& lines) {
  bool cell = false, fvar = false;
  for (const std::string& line : lines) {
    const std::string keyword = split_keyword(line).keyword;
    cell = cell || keyword == "CELL";
    fvar = fvar || keyword == "FVAR";
  }
  return cell && fvar;
}

bool read_listing_cell(const std::vector<std::string>& lines, CurrentCrystal& crystal) {
  for (const std::string& line : lines) {
    if (substring(line, 0, 5) != " CELL") continue;
    auto numbers = read_number_list(substring(line, 5, std::string::npos));
    if (!numbers || numbers->size() < 7) return false;
    return set_cell_from_numbers(crystal, *numbers, 1);
  }
  return false;
}

std::optional<AtomSite> read_listing_atom(const std::string& line, const CellParameters& cell) {
  auto numbers = read_number_list(separate_run_together_numbers(substring(line, 5, std::string::npos)));
  if (!numbers || (numbers->size() != 5 && numbers->size() < 10)) return std::nullopt;
  AtomSite atom;
  const SplitAtomName split = split_atom_name(substring(line, 1, 4));
  atom.type = split.type;
  atom.label = split.label;
  atom.x = (*numbers)[0];
  atom.y = (*numbers)[1];
  atom.z = (*numbers)[2];
  atom.population = (*numbers)[3];
  if (numbers->size() == 5) {
    atom.b = kEightPiSquared * (*numbers)[4];
  } else {
    std::array<double, 6> u{};
    std::copy_n(numbers->begin() + 4, 6, u.begin());
    atom.b = b_from_anisotropic_u(cell, u, kEightPiSquared);
  }
  return atom;
}

}  // namespace

std::optional<CurrentCrystal> read_shelx_result(const std::vector<std::string>& lines, const std::string& name,
                                                Ui& ui) {
  CurrentCrystal crystal;
  auto layout = listing_layout(lines);
  if (!layout) {
    if (looks_like_instruction_file(lines)) return read_shelx_instructions(lines, ui);
    ui.warning("The file " + name + " Seems not to be a Shelx file");
    return std::nullopt;
  }
  if (!read_listing_cell(lines, crystal)) {
    ui.warning("Cell parameters not found!");
    return std::nullopt;
  }
  const std::string_view header = *layout == ListingLayout::A ? kHeaderA : kHeaderB;
  auto found = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return contains(l, header); });
  if (found == lines.end()) {
    ui.warning("No detected atom in the file " + name);
    return std::nullopt;
  }
  const std::size_t skipped_after_atom = *layout == ListingLayout::A ? 2 : 1;
  std::size_t index = static_cast<std::size_t>(found - lines.begin()) + 2;
  while (index < lines.size()) {
    const std::string& line = lines[index];
    if (trim_view(substring(line, 0, 5)).empty()) break;
    if (static_cast<int>(crystal.atoms.size()) >= kMaxAtoms) {
      ui.warning("The number of atoms is > 400!");
      return std::nullopt;
    }
    auto atom = read_listing_atom(line, crystal.cell);
    if (!atom) {
      ui.warning("error " + trim(line) + " " + name);
      return std::nullopt;
    }
    crystal.atoms.push_back(*atom);
    index += 1 + skipped_after_atom;
  }
  if (crystal.atoms.empty()) {
    ui.warning("No detected atom in the file " + name);
    return std::nullopt;
  }
  return crystal;
}

int read_shelx_instruction_file(Program& program) {
  return read_foreign_file(program, [](const std::vector<std::string>& lines, const std::string&, Ui& ui) {
    return read_shelx_instructions(lines, ui);
  });
}

int read_shelx_result_file(Program& program) { return read_foreign_file(program, read_shelx_result); }

}  // namespace calvane
