#include "crystal_io/lazy_pulverix_reader.hpp"

#include <algorithm>

#include "crystal_io/foreign_text.hpp"
#include "crystal_io/reader_message.hpp"
#include "crystallography/crystal_checks.hpp"
#include "crystal_io/system_check.hpp"
#include "util/text.hpp"
#include "model/limits.hpp"

namespace calvane {

namespace {

std::string_view after_first_blank(std::string_view line) {
  const std::size_t blank = line.find(' ');
  return blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1);
}

// "ATOM" and the character after it are dropped; the atom type is then the
// first two characters, the label the fourth and fifth, and the numbers
// x, y, z, population and B follow the fifth character.
std::optional<AtomSite> read_atom(std::string_view line) {
  const std::size_t keyword = line.find("ATOM");
  const std::string text = trim(substring(line, keyword + 5, std::string::npos));
  auto numbers = read_number_list(substring(text, 5, std::string::npos));
  if (!numbers || numbers->size() < 5) return std::nullopt;
  AtomSite atom;
  atom.type = trim(substring(text, 0, 2));
  atom.label = trim(substring(text, 3, 2));
  atom.x = (*numbers)[0];
  atom.y = (*numbers)[1];
  atom.z = (*numbers)[2];
  atom.population = (*numbers)[3];
  atom.b = (*numbers)[4];
  return atom;
}

}  // namespace

std::optional<CurrentCrystal> read_lazy_pulverix(const std::vector<std::string>& lines,
                                                 const std::string& name,
                                                 const std::filesystem::path& csp_list, MessageSink& ui) {
  CurrentCrystal crystal;
  bool cell_read = false;
  for (std::size_t index = 0; index < lines.size(); ++index) {
    const std::string_view line = substring(lines[index], 0, 80);
    if (contains(line, "TITLE")) {
      crystal.title = trim(after_first_blank(line));
    } else if (contains(line, "CELL")) {
      auto numbers = read_number_list(after_first_blank(line));
      std::string reason = numbers ? set_cell_from_numbers(crystal, *numbers, 0) : "a text that is not a number";
      if (!reason.empty()) {
        ui.warning(numbers && numbers->size() >= 6 ? impossible_cell_message(name, index + 1, reason)
                                                   : crystal_read_message("Cell not found", name, index + 1, reason));
        return std::nullopt;
      }
      cell_read = true;
    } else if (contains(line, "SPCGRP")) {
      std::string symbol(after_first_blank(line));
      symbol.erase(std::remove(symbol.begin(), symbol.end(), ' '), symbol.end());
      crystal.symbol = substring(symbol, 0, 12);
    } else if (contains(line, "ATOM")) {
      auto atom = read_atom(line);
      if (!atom) {
        ui.warning(crystal_read_message("Read error", name, index + 1,
                                        "an ATOM line needs type, label, x, y, z, population and B"));
        return std::nullopt;
      }
      if (std::string reason = impossible_occupancy_reason(atom->population); !reason.empty()) {
        ui.warning(crystal_read_message("Read error", name, index + 1, reason));
        return std::nullopt;
      }
      if (static_cast<int>(crystal.atoms.size()) >= kMaxAtoms) {
        ui.warning("The number of atoms is > 400!");
        return std::nullopt;
      }
      crystal.atoms.push_back(*atom);
    }
  }
  if (!cell_read) {
    ui.warning(crystal_read_message("Cell not found", name, 0, "no CELL line"));
    return std::nullopt;
  }
  if (crystal.atoms.empty()) {
    ui.warning("No detected atom in the file " + name);
    return std::nullopt;
  }
  if (auto number = find_space_group_number(csp_list, crystal.symbol)) {
    crystal.symmetry.space_group_number = *number;
    if (auto replacement = check_system(crystal.system_code, *number, crystal.symbol, ui))
      crystal.symbol = *replacement;
  }
  return crystal;
}

}  // namespace calvane
