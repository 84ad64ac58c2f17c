#include "crystal_io/powdercell_reader.hpp"

#include <cctype>

#include "crystal_io/csp_list.hpp"
#include "crystal_io/foreign_text.hpp"
#include "crystal_io/reader_message.hpp"
#include "crystallography/crystal_checks.hpp"
#include "crystal_io/system_check.hpp"
#include "util/text.hpp"
#include "model/limits.hpp"

namespace calvane {

namespace {

// The keyword of a PowderCell line is its first five characters.
std::string keyword_of(const std::string& line) { return to_upper(trim_view(substring(line, 0, 5))); }
std::string_view rest_of(const std::string& line) { return substring(line, 5, std::string::npos); }

std::optional<int> leading_integer(std::string_view text) {
  text = trim_view(text);
  std::size_t digits = 0;
  while (digits < text.size() && digits < 4 && std::isdigit(static_cast<unsigned char>(text[digits])))
    ++digits;
  if (digits == 0) return std::nullopt;
  return static_cast<int>(*parse_integer(text.substr(0, digits)));
}

// An atom line: name, atomic number Z, x, y, z, then the site occupation
// factor and B when given.
std::optional<AtomSite> read_atom(const std::string& line) {
  auto numbers = read_number_list(rest_of(line));
  if (!numbers || numbers->size() < 4) return std::nullopt;
  AtomSite atom;
  const SplitAtomName split = split_atom_name(substring(keyword_of(line), 0, 4));
  atom.type = split.type;
  atom.label = split.label;
  atom.x = (*numbers)[1];
  atom.y = (*numbers)[2];
  atom.z = (*numbers)[3];
  atom.population = numbers->size() >= 5 ? (*numbers)[4] : 1.0;
  atom.b = numbers->size() >= 6 ? (*numbers)[5] : 1.0;
  return atom;
}

// The first CELL line's a, b, c, α, β, γ into `crystal`; the message of a
// missing or impossible cell, else an empty text.
std::string read_cell_line(const std::vector<std::string>& lines, const std::string& name, CurrentCrystal& crystal) {
  for (std::size_t index = 0; index < lines.size(); ++index) {
    if (keyword_of(lines[index]) != "CELL") continue;
    auto numbers = read_number_list(rest_of(lines[index]));
    std::string reason = numbers ? set_cell_from_numbers(crystal, *numbers, 0) : "a text that is not a number";
    if (reason.empty()) return {};
    if (numbers && numbers->size() >= 6) return impossible_cell_message(name, index + 1, reason);
    return crystal_read_message("Cell parameters not found!", name, index + 1, reason);
  }
  return crystal_read_message("Cell parameters not found!", name, 0, "no CELL line");
}

}  // namespace

std::optional<CurrentCrystal> read_powdercell(const std::vector<std::string>& lines, const std::string& name,
                                              const std::filesystem::path& csp_list, MessageSink& ui) {
  CurrentCrystal crystal;
  if (std::string cell_message = read_cell_line(lines, name, crystal); !cell_message.empty()) {
    ui.warning(cell_message);
    return std::nullopt;
  }
  std::optional<int> group_number;
  std::vector<std::string> default_b;
  for (std::size_t index = 0; index < lines.size(); ++index) {
    const std::string& line = lines[index];
    const std::string keyword = keyword_of(line);
    if (keyword.empty() || keyword == "CELL" || keyword == "NATOM") continue;
    if (contains(keyword, "RGNR")) {
      group_number = leading_integer(rest_of(line));
      auto numbers = read_number_list(rest_of(line));
      if (group_number && numbers && numbers->size() >= 2 && (*numbers)[1] != 1)
        crystal.read_notes.push_back("Setting " + trim(fixed((*numbers)[1], 0, 0)) + " of space group " +
                                     std::to_string(*group_number) + " read as the group's symbol in csp.lst");
      break;
    }
    auto atom = read_atom(line);
    if (!atom) continue;
    if (std::string reason = impossible_occupancy_reason(atom->population); !reason.empty()) {
      ui.warning(crystal_read_message("Read error", name, index + 1, reason));
      return std::nullopt;
    }
    if (static_cast<int>(crystal.atoms.size()) >= kMaxAtoms) {
      ui.warning("The number of atoms is > 400!");
      return std::nullopt;
    }
    if (read_number_list(rest_of(line))->size() < 6) default_b.push_back(trim(substring(line, 0, 5)));
    crystal.atoms.push_back(*atom);
  }
  if (crystal.atoms.empty()) {
    ui.warning("No detected atom in the file " + name);
    return std::nullopt;
  }
  if (!default_b.empty())
    crystal.read_notes.push_back("B = 1.0 A^2 assumed (no B in the file) for " + join_names(default_b));
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

}  // namespace calvane
