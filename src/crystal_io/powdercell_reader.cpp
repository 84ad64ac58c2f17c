#include "crystal_io/powdercell_reader.hpp"

#include <cctype>

#include "crystal_io/csp_list.hpp"
#include "crystal_io/foreign_file.hpp"
#include "crystal_io/foreign_text.hpp"
#include "crystal_io/system_check.hpp"
#include "util/text.hpp"
#include "workspace/limits.hpp"
#include "workspace/program.hpp"

namespace calvane {

namespace {

// The keyword of a PowderCell line is its first five characters.
std::string keyword_of(const std::string& line) { return to_upper(trim_view(substring(line, 0, 5))); }
std::string_view rest_of(const std::string& line) { return substring(line, 5, std::string::npos); }

std::optional<int> leading_integer(std::string_view text) {
  text = trim_view(text);
  std::size_t digits = 0;
  while (digits < text.size() && digits < 4 && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
  if (digits == 0) return std::nullopt;
  return static_cast<int>(*parse_integer(text.substr(0, digits)));
}

// An atom line: name, atomic number Z, x, y, z, then the site occupation
// factor and B as PowderCell writes them; with five numbers the fifth is B.
std::optional<AtomSite> read_atom(const std::string& line) {
  auto numbers = read_number_list(rest_of(line));
  if (!numbers || numbers->size() < 5) return std::nullopt;
  AtomSite atom;
  const SplitAtomName split = split_atom_name(substring(keyword_of(line), 0, 4));
  atom.type = split.type;
  atom.label = split.label;
  atom.x = (*numbers)[1];
  atom.y = (*numbers)[2];
  atom.z = (*numbers)[3];
  if (numbers->size() >= 6) {
    atom.population = (*numbers)[4];
    atom.b = (*numbers)[5];
  } else {
    atom.population = 1.0;
    atom.b = (*numbers)[4];
  }
  return atom;
}

}  // namespace

std::optional<CurrentCrystal> read_powdercell(const std::vector<std::string>& lines, const std::string& name,
                                              const std::filesystem::path& csp_list, Ui& ui) {
  CurrentCrystal crystal;
  bool cell_read = false;
  for (const std::string& line : lines) {
    if (keyword_of(line) != "CELL") continue;
    auto numbers = read_number_list(rest_of(line));
    cell_read = numbers && set_cell_from_numbers(crystal, *numbers, 0);
    break;
  }
  if (!cell_read) {
    ui.warning("Cell parameters not found!");
    return std::nullopt;
  }
  std::optional<int> group_number;
  for (const std::string& line : lines) {
    const std::string keyword = keyword_of(line);
    if (keyword.empty() || keyword == "CELL" || keyword == "NATOM") continue;
    if (contains(keyword, "RGNR")) {
      group_number = leading_integer(rest_of(line));
      break;
    }
    auto atom = read_atom(line);
    if (!atom) continue;
    if (static_cast<int>(crystal.atoms.size()) >= kMaxAtoms) {
      ui.warning("The number of atoms is > 400!");
      return std::nullopt;
    }
    crystal.atoms.push_back(*atom);
  }
  if (crystal.atoms.empty()) {
    ui.warning("No detected atom in the file " + name);
    return std::nullopt;
  }
  if (group_number) {
    if (auto symbol = csp_symbol_of_number(csp_list, *group_number)) {
      crystal.symbol = substring(*symbol, 0, 12);
      crystal.symmetry.space_group_number = *group_number;
      if (auto replacement = check_system(crystal.system_code, *group_number, crystal.symbol, ui))
        crystal.symbol = *replacement;
    }
  }
  return crystal;
}

int read_powdercell_file(Program& program) {
  const auto csp_list = program.data_file("csp.lst");
  return read_foreign_file(program, [&](const std::vector<std::string>& lines, const std::string& name, Ui& ui) {
    return read_powdercell(lines, name, csp_list, ui);
  });
}

}  // namespace calvane
