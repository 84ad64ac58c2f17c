#include "crystal_io/shelx_reader.hpp"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "crystal_io/foreign_text.hpp"
#include "crystal_io/reader_message.hpp"
#include "crystallography/crystal_checks.hpp"
#include "util/text.hpp"
#include "model/limits.hpp"

namespace calvane {

namespace {

constexpr double kDegreesPerRadian = 57.2957;

// SHELXL instructions (SHELXL manual, 2018 edition, and SHELX-76/86 cards):
// lines beginning with one of these are never atoms.
constexpr std::string_view kInstructions[] = {
    "ABIN", "ACTA", "AFIX", "ANIS", "ANSC", "ANSR", "BASF", "BEDE", "BIND", "BLOC", "BOND", "BUMP", "CELL",
    "CGLS", "CHIV", "COND", "CONF", "CONN", "DAMP", "DANG", "DEFS", "DELU", "DFIX", "DISP", "EADP", "EGEN",
    "END",  "EQIV", "EXTI", "EXYZ", "FEND", "FLAP", "FLAT", "FMAP", "FRAG", "FREE", "FVAR", "GRID", "HFIX",
    "HKLF", "HOPE", "HTAB", "ISOR", "L.S.", "LATT", "LAUE", "LIST", "LONE", "MERG", "MOLE", "MORE", "MOVE",
    "MPLA", "NCSY", "NEUT", "OMIT", "PART", "PLAN", "PRIG", "REM",  "RESI", "RIGU", "RTAB", "SADI", "SAME",
    "SFAC", "SHEL", "SIMU", "SIZE", "SPEC", "STIR", "SUMP", "SWAT", "SYMM", "TEMP", "TIME", "TITL", "TRIA",
    "TWIN", "UNDO", "UNIT", "WGHT", "WPDB", "XNPD", "ZERR"};

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
  double last_heavy_u_equivalent = -1;  // Ueq of the last atom that is not a hydrogen
};

bool is_hydrogen(const std::string& type) { return type == "H" || type == "D"; }

// Ueq of an atom line: six Uij, one Uiso, a riding Uiso or SHELXL's default.
std::optional<double> u_equivalent_of(const std::vector<double>& numbers, InstructionState& state,
                                      std::string& reason) {
  if (numbers.size() == 11) {
    std::array<double, 6> u{};
    for (std::size_t i = 0; i < 6; ++i) {
      auto value = resolve_free_variable(numbers[5 + i], state.free_variables);
      if (!value) {
        reason = "U" + std::to_string(i + 1) + " refers to a free variable that FVAR does not give";
        return std::nullopt;
      }
      u[i] = *value;
    }
    return b_from_anisotropic_u(state.crystal.cell, u, 1.0);
  }
  // SHELXL's default Uiso is 0.05 Å² when the line stops before it.
  const double written = numbers.size() >= 6 ? numbers[5] : 0.05;
  // -5 < U < -0.5: riding, Uiso = |U|·Ueq of the previous atom that is not a
  // hydrogen (SHELXL manual, atom lists).
  if (written < -0.5 && written > -5) {
    if (state.last_heavy_u_equivalent < 0) {
      reason = "a riding Uiso (" + trim(fixed(written, 0, 2)) + ") follows no atom to ride on";
      return std::nullopt;
    }
    return -written * state.last_heavy_u_equivalent;
  }
  auto value = resolve_free_variable(written, state.free_variables);
  if (!value) reason = "Uiso refers to a free variable that FVAR does not give";
  return value;
}

// One atom line (continuations already joined); empty on success, else why
// it cannot be read.
std::string read_instruction_atom(const KeywordLine& line, InstructionState& state) {
  auto numbers = read_number_list(separate_run_together_numbers(line.rest));
  if (!numbers) return "the atom " + line.name + " holds a text that is not a number";
  if (numbers->size() < 4 || (numbers->size() > 7 && numbers->size() != 11))
    return "the atom " + line.name + " needs SFAC number, x, y, z, then occupancy and U (1 or 6 values)";
  AtomSite atom;
  double* coordinates[] = {&atom.x, &atom.y, &atom.z};
  for (std::size_t i = 0; i < 3; ++i) {
    auto value = resolve_free_variable((*numbers)[i + 1], state.free_variables);
    if (!value) return "a coordinate of " + line.name + " refers to a free variable that FVAR does not give";
    *coordinates[i] = *value;
  }
  // The site occupation factor: 11.0 (fixed 1) when the line stops before it.
  auto occupancy = resolve_free_variable(numbers->size() >= 5 ? (*numbers)[4] : 11.0, state.free_variables);
  if (!occupancy) return "the occupancy of " + line.name + " refers to a free variable that FVAR does not give";
  if (std::string reason = impossible_occupancy_reason(*occupancy); !reason.empty())
    return line.name + ": " + reason;
  atom.population = *occupancy;
  std::string reason;
  auto u_equivalent = u_equivalent_of(*numbers, state, reason);
  if (!u_equivalent) return line.name + ": " + reason;
  atom.b = kEightPiSquaredInstructions * *u_equivalent;
  const SplitAtomName split = split_atom_name(line.name);
  atom.type = split.type;
  atom.label = split.label;
  // The SFAC number names the element, as SHELXL reads it ("CA1 1" is carbon
  // when SFAC begins with C); the atom's name does when there is no SFAC.
  const double sfac = (*numbers)[0];
  if (sfac >= 1 && sfac <= static_cast<double>(state.scattering_names.size())) {
    const std::string& element = state.scattering_names[static_cast<std::size_t>(sfac) - 1];
    if (is_element_symbol(element)) atom.type = element;
  }
  if (!is_hydrogen(atom.type)) state.last_heavy_u_equivalent = *u_equivalent;
  state.crystal.atoms.push_back(atom);
  return {};
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

// Title and cell; empty on success, else the message that refuses the file.
std::string read_title_and_cell(const std::vector<std::string>& lines, const std::string& name,
                                InstructionState& state) {
  for (std::size_t index = 0; index < lines.size(); ++index) {
    KeywordLine line = split_keyword(lines[index]);
    if (line.keyword == "TITL" && state.crystal.title.empty()) state.crystal.title = trim(line.rest);
    if (line.keyword != "CELL") continue;
    auto numbers = read_number_list(line.rest);
    if (!numbers) return crystal_read_message("Cell parameters not found!", name, index + 1, "a text that is not a number");
    std::string reason = set_cell_from_numbers(state.crystal, *numbers, 1);
    if (reason.empty()) return {};
    if (numbers->size() < 7) return crystal_read_message("Cell parameters not found!", name, index + 1, "CELL needs the wavelength and six cell parameters");
    return impossible_cell_message(name, index + 1, reason);
  }
  return crystal_read_message("Cell parameters not found!", name, 0, "no CELL line");
}

}  // namespace

double b_from_anisotropic_u(const CellParameters& cell, const std::array<double, 6>& u, double factor) {
  const double cos_alpha = std::cos(cell.alpha / kDegreesPerRadian);
  const double cos_beta = std::cos(cell.beta / kDegreesPerRadian);
  const double cos_gamma = std::cos(cell.gamma / kDegreesPerRadian);
  const double aa = cell.a_star * cell.a, bb = cell.b_star * cell.b, cc = cell.c_star * cell.c;
  const double u_equivalent =
      (u[0] * aa * aa + u[1] * bb * bb + u[2] * cc * cc + 2 * u[5] * aa * bb * cos_gamma +
       2 * u[4] * aa * cc * cos_beta + 2 * u[3] * bb * cc * cos_alpha) /
      3.0;
  return factor * u_equivalent;
}

std::optional<double> resolve_free_variable(double value, const std::vector<double>& free_variables) {
  const double magnitude = std::fabs(value);
  if (magnitude < 5) return value;
  const double tens = std::floor((magnitude + 5) / 10);
  if (tens > static_cast<double>(std::max<std::size_t>(free_variables.size(), 1))) return std::nullopt;
  const int m = static_cast<int>(tens);
  const double p = magnitude - 10.0 * m;
  if (m == 1) return value > 0 ? p : -p;
  if (m > static_cast<int>(free_variables.size())) return std::nullopt;
  const double variable = free_variables[static_cast<std::size_t>(m - 1)];
  return value > 0 ? p * variable : p * (1 - variable);
}

std::optional<CurrentCrystal> read_shelx_instructions(const std::vector<std::string>& lines,
                                                      const std::string& name, MessageSink& ui) {
  InstructionState state;
  if (std::string message = read_title_and_cell(lines, name, state); !message.empty()) {
    ui.warning(message);
    return std::nullopt;
  }
  for (std::size_t index = 0; index < lines.size(); ++index) {
    const std::size_t line_number = index + 1;
    // SHELXL reads "+file" lines as the contents of another file; that file
    // is not read here, so the structure would be incomplete.
    if (!lines[index].empty() && lines[index].front() == '+') {
      ui.warning(crystal_read_message("read error", name, line_number,
                                      "an '+include' line asks for another file, which is not read"));
      return std::nullopt;
    }
    // Remarks and titles may hold "=" as text; they never continue.
    const std::string first_keyword = split_keyword(lines[index]).keyword;
    if (first_keyword == "REM" || first_keyword == "TITL") continue;
    KeywordLine line = split_keyword(joined_line(lines, index));
    if (line.keyword.empty()) continue;
    if (line.keyword == "END" || line.keyword == "HKLF" || line.keyword == "COND") break;
    if (line.keyword == "FVAR") {
      auto numbers = read_number_list(line.rest);
      if (!numbers) {
        ui.warning(crystal_read_message("read error", name, line_number, "FVAR holds a text that is not a number"));
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
    if (std::string reason = read_instruction_atom(line, state); !reason.empty()) {
      ui.warning(crystal_read_message("read error", name, line_number, reason));
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

// The cell of the " CELL" line; empty on success, else the refusal.
std::string read_listing_cell(const std::vector<std::string>& lines, const std::string& name,
                              CurrentCrystal& crystal) {
  for (std::size_t index = 0; index < lines.size(); ++index) {
    const std::string& line = lines[index];
    if (substring(line, 0, 5) != " CELL") continue;
    auto numbers = read_number_list(substring(line, 5, std::string::npos));
    if (!numbers || numbers->size() < 7)
      return crystal_read_message("Cell parameters not found!", name, index + 1,
                                  "CELL needs the wavelength and six cell parameters");
    if (std::string reason = set_cell_from_numbers(crystal, *numbers, 1); !reason.empty())
      return impossible_cell_message(name, index + 1, reason);
    return {};
  }
  return crystal_read_message("Cell parameters not found!", name, 0, "no CELL line");
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

std::optional<CurrentCrystal> read_shelx_result(const std::vector<std::string>& lines,
                                                const std::string& name, MessageSink& ui) {
  CurrentCrystal crystal;
  auto layout = listing_layout(lines);
  if (!layout) {
    if (looks_like_instruction_file(lines)) return read_shelx_instructions(lines, name, ui);
    ui.warning("The file " + name + " Seems not to be a Shelx file");
    return std::nullopt;
  }
  if (std::string message = read_listing_cell(lines, name, crystal); !message.empty()) {
    ui.warning(message);
    return std::nullopt;
  }
  const std::string_view header = *layout == ListingLayout::A ? kHeaderA : kHeaderB;
  auto found =
      std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return contains(l, header); });
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
    if (std::string reason = impossible_occupancy_reason(atom->population); !reason.empty()) {
      ui.warning(crystal_read_message("error " + trim(line), name, index + 1, reason));
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

}  // namespace calvane
