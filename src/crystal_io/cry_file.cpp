#include "crystal_io/cry_file.hpp"

#include <optional>

#include "crystal_io/reader_message.hpp"
#include "crystallography/crystal_checks.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "model/limits.hpp"

namespace calvane {

namespace {

std::string line_error(const std::filesystem::path& path, std::size_t line_number, std::string_view what) {
  return "Read error in " + path.filename().string() + ", line " + std::to_string(line_number) + ": " +
         std::string(what);
}

bool read_numbers(std::string_view text, double* values, int count) {
  NumberScanner scanner(text);
  for (int i = 0; i < count; ++i) {
    auto value = scanner.next();
    if (!value) return false;
    values[i] = *value;
  }
  return true;
}

// An atom line: type (4 columns), label (2), then x, y, z, B and the population.
std::optional<AtomSite> read_atom_line(const std::filesystem::path& path, const std::string& line,
                                       std::size_t number, std::string& message) {
  AtomSite atom;
  atom.type = trim(substring(line, 0, 4));
  atom.label = trim(substring(line, 4, 2));
  double values[5];
  if (!read_numbers(substring(line, 6, std::string::npos), values, 5)) {
    message = line_error(path, number, "an atom line needs x, y, z, B and the population");
    return std::nullopt;
  }
  atom.x = values[0];
  atom.y = values[1];
  atom.z = values[2];
  atom.b = values[3];
  atom.population = values[4];
  if (std::string reason = impossible_occupancy_reason(atom.population); !reason.empty()) {
    message = line_error(path, number, reason);
    return std::nullopt;
  }
  return atom;
}

}  // namespace

CryReadResult read_cry_file(const std::filesystem::path& path, CurrentCrystal& crystal) {
  CryReadResult result;
  auto lines = read_text_lines(path);
  if (!lines) {
    result.message = "Cannot open the file " + path.string();
    return result;
  }
  // Blank lines after the last atom are left by many editors; they end the file.
  while (!lines->empty() && trim_view(lines->back()).empty()) lines->pop_back();
  if (lines->size() < 4) {
    result.message = line_error(path, lines->size() + 1, "the file ends before the cell line");
    return result;
  }

  CurrentCrystal read;
  read.title = (*lines)[0];
  read.system_code = to_upper(substring((*lines)[1], 0, 4));
  if (read.system_code == "QUAD") read.system_code = "TETR";
  read.symbol = trim(substring((*lines)[2], 0, kSymbolLength));

  double cell[6];
  if (!read_numbers((*lines)[3], cell, 6)) {
    result.message = line_error(path, 4, "six cell parameters are expected");
    return result;
  }
  read.cell.a = cell[0];
  read.cell.b = cell[1];
  read.cell.c = cell[2];
  read.cell.alpha = cell[3];
  read.cell.beta = cell[4];
  read.cell.gamma = cell[5];
  if (std::string reason = impossible_cell_reason(read.cell); !reason.empty()) {
    result.message = impossible_cell_message(path.filename().string(), 4, reason);
    return result;
  }
  compute_derived_cell(read.cell);

  for (std::size_t i = 4; i < lines->size(); ++i) {
    if (read.atoms.size() == static_cast<std::size_t>(kMaxAtoms)) {
      result.too_many_atoms = true;
      result.message = "The number of atoms is > 400!";
      return result;
    }
    std::optional<AtomSite> atom = read_atom_line(path, (*lines)[i], i + 1, result.message);
    if (!atom) return result;
    read.atoms.push_back(std::move(*atom));
  }
  crystal = std::move(read);
  result.ok = true;
  return result;
}

std::string format_cry_file(const CurrentCrystal& crystal) {
  std::string text;
  text += crystal.title + "\n";
  text += crystal.system_code + "\n";
  text += crystal.symbol + "\n";
  const CellParameters& c = crystal.cell;
  text += fixed(c.a, 9, 4) + fixed(c.b, 9, 4) + fixed(c.c, 9, 4) + fixed(c.alpha, 8, 3) + fixed(c.beta, 8, 3) +
          fixed(c.gamma, 8, 3) + "\n";
  for (const AtomSite& atom : crystal.atoms) {
    text += pad_right(substring(atom.type, 0, 4), 4);
    text += pad_right(substring(atom.label, 0, 2), 2);
    text += " ";
    text += fixed(atom.x, 10, 6) + fixed(atom.y, 10, 6) + fixed(atom.z, 10, 6);
    text += fixed(atom.b, 9, 3) + fixed(atom.population, 9, 4) + "\n";
  }
  return text;
}

std::string write_cry_file(const std::filesystem::path& path, const CurrentCrystal& crystal) {
  return write_file_atomically(path, format_cry_file(crystal));
}

}  // namespace calvane
