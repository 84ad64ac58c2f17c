#include "crystal_io/cif_reader.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <initializer_list>

#include "crystal_io/foreign_text.hpp"
#include "crystal_io/hall_symbol.hpp"
#include "crystal_io/reader_message.hpp"
#include "crystal_io/shelx_reader.hpp"
#include "crystal_io/space_group_names.hpp"
#include "crystallography/crystal_checks.hpp"
#include "crystal_io/xyz_operator.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "model/limits.hpp"

namespace calvane {

namespace {

// Each concept under its symCIF 1.0 name and its current core-dictionary name.
constexpr std::string_view kOperatorTags[] = {"_symmetry_equiv_pos_as_xyz",
                                              "_space_group_symop_operation_xyz"};
constexpr std::string_view kHermannMauguinTags[] = {"_symmetry_space_group_name_H-M",
                                                    "_space_group_name_H-M_alt"};
constexpr std::string_view kHallTags[] = {"_symmetry_space_group_name_Hall", "_space_group_name_Hall"};
constexpr std::string_view kNumberTags[] = {"_symmetry_Int_Tables_number", "_space_group_IT_number"};
constexpr std::string_view kFormulaTags[] = {"_chemical_formula_moiety", "_chemical_formula_structural",
                                             "_chemical_formula_analytical", "_chemical_formula_sum",
                                             "_chemical_formula_iupac"};

template <std::size_t N>
bool has_any(const CifBlock& block, const std::string_view (&tags)[N]) {
  return std::any_of(std::begin(tags), std::end(tags), [&](std::string_view tag) { return block.find(tag); });
}

template <std::size_t N>
const CifItem* find_any(const CifBlock& block, const std::string_view (&tags)[N], std::size_t& column) {
  for (std::string_view tag : tags) {
    if (const CifItem* item = block.find(tag, &column)) return item;
  }
  return nullptr;
}

std::string without_characters(std::string_view text, std::string_view removed) {
  std::string out;
  for (char c : text) {
    if (removed.find(c) == std::string_view::npos) out += c;
  }
  return out;
}

std::string first_nonempty_line(const std::string& text) {
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = trim(std::string_view(text).substr(start, end - start));
    if (!line.empty()) return line;
    start = end + 1;
  }
  return {};
}

std::string read_title(const CifBlock& block) {
  for (std::string_view tag : kFormulaTags) {
    const CifValue* value = block.value(tag);
    if (!value || value->null) continue;
    std::string title(substring(first_nonempty_line(value->text), 0, 40));
    if (title.empty() || title == "?") continue;
    for (char& c : title) {
      if (c == '\'' || c == ';' || c == '"') c = ' ';
    }
    return without_characters(title, " \t");
  }
  return {};
}

// A CIF number without its standard uncertainty: "5.4307(2)" gives 5.4307.
std::optional<double> cif_number(const CifValue& value) {
  if (value.null) return std::nullopt;
  return parse_double(value.text.substr(0, value.text.find('(')));
}

// The cell; empty on success, else the refusal.
std::string read_cell(const CifBlock& block, const std::string& file, CurrentCrystal& crystal) {
  CellParameters& cell = crystal.cell;
  double* lengths[] = {&cell.a, &cell.b, &cell.c};
  const char* length_tags[] = {"_cell_length_a", "_cell_length_b", "_cell_length_c"};
  for (std::size_t i = 0; i < 3; ++i) {
    const CifValue* value = block.value(length_tags[i]);
    auto number = value ? cif_number(*value) : std::nullopt;
    if (!number)
      return crystal_read_message("Cell parameters not found!", file, 0,
                                  std::string(length_tags[i]) + " is missing or not a number");
    *lengths[i] = *number;
  }
  // An angle left out or given as "?" is 90°, the core dictionary's default.
  double* angles[] = {&cell.alpha, &cell.beta, &cell.gamma};
  const char* angle_tags[] = {"_cell_angle_alpha", "_cell_angle_beta", "_cell_angle_gamma"};
  for (std::size_t i = 0; i < 3; ++i) {
    const CifValue* value = block.value(angle_tags[i]);
    if (!value || value->null) {
      *angles[i] = 90;
      continue;
    }
    auto number = cif_number(*value);
    if (!number)
      return crystal_read_message("Cell parameters not found!", file, 0,
                                  std::string(angle_tags[i]) + " is not a number");
    *angles[i] = *number;
  }
  std::vector<double> numbers = {cell.a, cell.b, cell.c, cell.alpha, cell.beta, cell.gamma};
  if (std::string reason = set_cell_from_numbers(crystal, numbers, 0); !reason.empty())
    return impossible_cell_message(file, 0, reason);
  return {};
}

// The operator list; false after a warning when an operator is unreadable.
bool read_operators(const CifBlock& block, SymmetryData& symmetry, MessageSink& ui) {
  std::size_t column = 0;
  const CifItem* item = find_any(block, kOperatorTags, column);
  if (!item) return true;
  for (const auto& row : item->rows) {
    const CifValue& value = row[column];
    if (value.null) continue;
    if (static_cast<int>(symmetry.operators.size()) >= kMaxOperators) {
      ui.warning("More than 192 symmetry operators in the data block");
      return false;
    }
    XyzDecoding decoding = decode_xyz_operator(value.text);
    if (!decoding.error.empty()) {
      ui.warning(decoding.error);
      return false;
    }
    symmetry.operators.push_back(decoding.op);
    symmetry.operator_texts.emplace_back(
        substring(without_characters(to_upper(value.text), " \t'\""), 0, 24));
  }
  return true;
}

bool is_one_of(std::string_view tag, std::initializer_list<std::string_view> tags) {
  return std::any_of(tags.begin(), tags.end(),
                     [&](std::string_view t) { return equals_ignoring_case(t, tag); });
}

// The first Hermann-Mauguin or Hall symbol of the block, in file order.
void read_symbol(const CifBlock& block, CurrentCrystal& crystal) {
  for (const CifItem& item : block.items) {
    if (item.tags.size() != 1 || item.rows.empty() || item.rows[0][0].null) continue;
    const std::string& text = item.rows[0][0].text;
    if (is_one_of(item.tags[0], {kHermannMauguinTags[0], kHermannMauguinTags[1]})) {
      if (auto standard = standard_symbol_of(text))
        crystal.symbol = fitted_symbol(*standard);
      else
        crystal.symbol = substring(to_upper(without_characters(text, "' \t()")), 0, 12);
    } else if (is_one_of(item.tags[0], {kHallTags[0], kHallTags[1]})) {
      // Hall symbols keep their case: "c" is a translation, "C" a lattice.
      const std::string hall = trim(without_characters(text, "'"));
      if (auto hermann_mauguin = hermann_mauguin_of_hall(hall)) {
        crystal.symbol = substring(*hermann_mauguin, 0, 12);
      } else {
        crystal.symmetry.hall_symbol = hall;
        crystal.symbol = substring(hall, 0, 12);
      }
    } else {
      continue;
    }
    if (!crystal.symbol.empty()) return;
  }
}

// Operators are the truth: the group is named from them, and a symbol that
// names another group is reported. Without operators or symbols, a
// space-group number gives the standard setting.
void settle_symmetry(const CifBlock& block, CurrentCrystal& crystal) {
  if (!crystal.symmetry.operators.empty()) {
    auto named = standard_symbol_of_operators(crystal.symmetry.operators);
    if (!named) {
      crystal.read_notes.push_back("The symmetry operators make no tabulated space group; they are used as listed");
      return;
    }
    const auto written = crystal.symbol.empty() ? std::nullopt : standard_symbol_of(crystal.symbol);
    if (!crystal.symbol.empty() && written != named)
      crystal.read_notes.push_back("The space-group symbol " + crystal.symbol +
                                   " disagrees with the symmetry operators, which are used (" + *named + ")");
    else if (crystal.symbol.empty())
      crystal.read_notes.push_back("Space group named from the symmetry operators: " + *named);
    crystal.symbol = fitted_symbol(*named);
    return;
  }
  if (!crystal.symbol.empty()) return;
  std::size_t column = 0;
  const CifItem* item = find_any(block, kNumberTags, column);
  if (!item || item->rows.empty()) return;
  auto number = parse_integer(trim(item->rows[0][column].text));
  if (!number) return;
  if (auto symbol = standard_symbol_of_number(static_cast<int>(*number))) {
    crystal.symbol = fitted_symbol(*symbol);
    crystal.read_notes.push_back("Space group " + std::to_string(*number) + " read in its standard setting " +
                                 *symbol);
  }
}

// A coordinate: a fraction "1/4" or a decimal with its uncertainty.
std::optional<double> cif_coordinate(const CifValue& value) {
  if (value.null) return std::nullopt;
  const std::string text = value.text.substr(0, value.text.find('('));
  const std::size_t slash = text.find('/');
  if (slash == std::string::npos) return parse_double(text);
  auto numerator = parse_double(text.substr(0, slash));
  auto denominator = parse_double(text.substr(slash + 1));
  if (!numerator || !denominator || *denominator == 0) return std::nullopt;
  return *numerator / *denominator;
}

struct AtomColumns {
  std::optional<std::size_t> label, type_symbol, x, y, z, u_iso, b_iso, occupancy;
};

std::optional<std::size_t> column_of(const CifItem& item, std::string_view tag) {
  for (std::size_t i = 0; i < item.tags.size(); ++i) {
    if (equals_ignoring_case(item.tags[i], tag)) return i;
  }
  return std::nullopt;
}

AtomColumns atom_columns(const CifItem& item) {
  return AtomColumns{
      column_of(item, "_atom_site_label"),          column_of(item, "_atom_site_type_symbol"),
      column_of(item, "_atom_site_fract_x"),        column_of(item, "_atom_site_fract_y"),
      column_of(item, "_atom_site_fract_z"),        column_of(item, "_atom_site_U_iso_or_equiv"),
      column_of(item, "_atom_site_B_iso_or_equiv"), column_of(item, "_atom_site_occupancy")};
}

const CifValue* cell_of(const std::vector<CifValue>& row, const std::optional<std::size_t>& column) {
  return column ? &row[*column] : nullptr;
}

// The element of an "_atom_site_type_symbol" value such as "Fe3+" or "O2-".
std::optional<std::string> element_of_type_symbol(const CifValue* value) {
  if (!value || value->null) return std::nullopt;
  std::string letters;
  for (char c : value->text) {
    if (!std::isalpha(static_cast<unsigned char>(c)) || letters.size() == 2) break;
    letters += c;
  }
  if (letters.size() == 2 && is_element_symbol(letters))
    return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(letters[0])))) +
           static_cast<char>(std::tolower(static_cast<unsigned char>(letters[1])));
  if (!letters.empty() && is_element_symbol(letters.substr(0, 1))) return to_upper(letters.substr(0, 1));
  return std::nullopt;
}

// What the atom rows left to say once the block is read.
struct AtomNotes {
  std::vector<std::string> labels;      // every row's label as written
  std::vector<std::string> unknown;     // labels that name no element
  std::vector<std::string> ions;        // type symbols with a charge
  bool element_from_label = false;
};

bool has_charge(const std::string& type_symbol) {
  return type_symbol.find_first_of("+-") != std::string::npos;
}

// One row of the atom loop; false after a warning when a number is unreadable.
// A label that names no element is kept as its type and noted.
bool read_atom(const std::vector<CifValue>& row, const AtomColumns& columns, AtomSite& atom,
               AtomNotes& notes, MessageSink& ui) {
  const CifValue* label_value = cell_of(row, columns.label);
  const std::string label = label_value && !label_value->null ? label_value->text : std::string();
  notes.labels.push_back(label);
  const DecodedLabel decoded = decode_atom_label(label);
  atom.label = decoded.label;
  const CifValue* type_symbol = cell_of(row, columns.type_symbol);
  if (auto element = element_of_type_symbol(type_symbol)) {
    atom.type = *element;
    if (has_charge(type_symbol->text) &&
        std::find(notes.ions.begin(), notes.ions.end(), type_symbol->text) == notes.ions.end())
      notes.ions.push_back(type_symbol->text);
  } else {
    notes.element_from_label = true;
    const std::string& unknown = decoded.element_part;
    std::vector<std::string>& list = notes.unknown;
    atom.type = decoded.type;
    if (!decoded.known) list.push_back(label.empty() ? unknown : label);
    if (has_charge(label) && decoded.known &&
        std::find(notes.ions.begin(), notes.ions.end(), label) == notes.ions.end())
      notes.ions.push_back(label);
  }
  auto x = cif_coordinate(row[*columns.x]);
  auto y = cif_coordinate(row[*columns.y]);
  auto z = cif_coordinate(row[*columns.z]);
  if (!x || !y || !z) {
    ui.warning("Cannot read the coordinates of the atom site " + label);
    return false;
  }
  atom.x = *x;
  atom.y = *y;
  atom.z = *z;
  const CifValue* u = cell_of(row, columns.u_iso);
  const CifValue* b = cell_of(row, columns.b_iso);
  auto u_number = u ? cif_number(*u) : std::nullopt;
  auto b_number = b ? cif_number(*b) : std::nullopt;
  atom.b = u_number ? kUToB * *u_number : b_number ? *b_number : -1.0;  // -1: not given here
  const CifValue* occupancy = cell_of(row, columns.occupancy);
  auto occupancy_number = occupancy ? cif_number(*occupancy) : std::nullopt;
  atom.population = occupancy_number ? *occupancy_number : 1.0;
  if (std::string reason = impossible_occupancy_reason(atom.population); !reason.empty()) {
    ui.warning("Cannot read the atom site " + label + ": " + reason);
    return false;
  }
  return true;
}

// Anisotropic displacements by label: U11 U22 U33 U23 U13 U12 in Å² (B_ij
// are divided by 8π²).
std::vector<std::pair<std::string, std::array<double, 6>>> anisotropic_u(const CifBlock& block) {
  std::vector<std::pair<std::string, std::array<double, 6>>> result;
  const CifItem* item = block.find("_atom_site_aniso_label");
  if (!item) return result;
  const auto label = column_of(*item, "_atom_site_aniso_label");
  static constexpr const char* kIndices[] = {"11", "22", "33", "23", "13", "12"};
  for (const char* prefix : {"_atom_site_aniso_U_", "_atom_site_aniso_B_"}) {
    std::array<std::optional<std::size_t>, 6> columns;
    bool complete = true;
    for (std::size_t i = 0; i < 6; ++i) {
      columns[i] = column_of(*item, std::string(prefix) + kIndices[i]);
      complete = complete && columns[i].has_value();
    }
    if (!complete) continue;
    const double scale = prefix[17] == 'B' ? 1 / kUToB : 1.0;
    for (const auto& row : item->rows) {
      std::array<double, 6> u{};
      bool read = true;
      for (std::size_t i = 0; i < 6 && read; ++i) {
        auto value = cif_number(row[*columns[i]]);
        read = value.has_value();
        if (read) u[i] = scale * *value;
      }
      if (read) result.emplace_back(row[*label].text, u);
    }
    break;
  }
  return result;
}

// Atoms without an isotropic value take U_eq of their anisotropic one, else
// the default B = 1 Å²; both are noted.
void complete_displacements(const CifBlock& block, const std::vector<std::string>& labels,
                            CurrentCrystal& crystal) {
  const auto anisotropic = anisotropic_u(block);
  std::vector<std::string> from_anisotropic, defaulted;
  for (std::size_t i = 0; i < crystal.atoms.size(); ++i) {
    AtomSite& atom = crystal.atoms[i];
    if (atom.b >= 0) continue;
    auto found = std::find_if(anisotropic.begin(), anisotropic.end(),
                              [&](const auto& entry) { return entry.first == labels[i]; });
    if (found != anisotropic.end()) {
      atom.b = b_from_anisotropic_u(crystal.cell, found->second, kUToB);
      from_anisotropic.push_back(labels[i]);
    } else {
      atom.b = 1.0;
      defaulted.push_back(labels[i].empty() ? atom.type : labels[i]);
    }
  }
  if (!from_anisotropic.empty())
    crystal.read_notes.push_back("B from the equivalent isotropic U of the anisotropic U for " +
                                 join_names(from_anisotropic));
  if (!defaulted.empty())
    crystal.read_notes.push_back("B = 1.0 A^2 assumed (no displacement in the file) for " + join_names(defaulted));
}

// The atom loop; false after a warning.
bool read_atoms(const CifBlock& block, CurrentCrystal& crystal, MessageSink& ui) {
  const CifItem* item = block.find("_atom_site_fract_x");
  if (!item || item->rows.empty()) {
    ui.warning("No atom site found");
    return false;
  }
  const AtomColumns columns = atom_columns(*item);
  if (!columns.x || !columns.y || !columns.z) {
    ui.warning("No atom site found");
    return false;
  }
  if (item->rows.size() > static_cast<std::size_t>(kMaxAtoms)) {
    ui.warning("The number of atoms is > 400!");
    return false;
  }
  AtomNotes notes;
  for (const auto& row : item->rows) {
    AtomSite atom;
    if (!read_atom(row, columns, atom, notes, ui)) return false;
    crystal.atoms.push_back(atom);
  }
  if (!notes.unknown.empty()) {
    ui.warning("cannot decode Label " + join_names(notes.unknown) + " (no element is named by the label)");
    return false;
  }
  if (notes.element_from_label) crystal.read_notes.push_back("Elements taken from the atom labels");
  if (!notes.ions.empty())
    crystal.read_notes.push_back("Ions scattered as neutral atoms: " + join_names(notes.ions));
  complete_displacements(block, notes.labels, crystal);
  return true;
}

}  // namespace

bool is_valuable_block(const CifBlock& block) {
  const bool symmetry = has_any(block, kOperatorTags) || has_any(block, kHermannMauguinTags) ||
                        has_any(block, kHallTags) || has_any(block, kNumberTags);
  if (!block.find("_cell_length_a") || !symmetry) return false;
  // A "global" block is a structure block only when it holds the atoms too
  // (as every file of the American Mineralogist database does).
  return to_upper(block.name) != "GLOBAL" || block.find("_atom_site_fract_x");
}

std::vector<CifBlockEntry> valuable_blocks(const CifFile& file) {
  std::vector<CifBlockEntry> entries;
  for (std::size_t i = 0; i < file.blocks.size(); ++i) {
    if (is_valuable_block(file.blocks[i])) entries.push_back({file.blocks[i].name, static_cast<int>(i)});
  }
  return entries;
}

DecodedLabel decode_atom_label(std::string_view label) {
  const std::string text = trim(label);
  DecodedLabel decoded;
  const bool one_letter = text.size() > 1 && std::isdigit(static_cast<unsigned char>(text[1]));
  const std::size_t element_length = one_letter ? 1 : 2;
  decoded.element_part = std::string(substring(text, 0, element_length));
  std::string rest(substring(text, element_length, std::string::npos));
  decoded.label = std::string(substring(rest, 0, 2));
  std::string element = to_upper(decoded.element_part);
  if (is_element_symbol(element)) {
    decoded.known = true;
  } else if (element.size() == 2 && is_element_symbol(element.substr(0, 1))) {
    element.resize(1);
    decoded.known = true;
  }
  if (element.size() == 2)
    element[1] = static_cast<char>(std::tolower(static_cast<unsigned char>(element[1])));
  decoded.type = decoded.known ? element : decoded.element_part;
  return decoded;
}

std::optional<CurrentCrystal> read_cif_block(const CifBlock& block, MessageSink& ui, const std::string& file) {
  CurrentCrystal crystal;
  crystal.title = read_title(block);
  if (std::string message = read_cell(block, file.empty() ? "data_" + block.name : file, crystal);
      !message.empty()) {
    ui.warning(message);
    return std::nullopt;
  }
  if (!read_operators(block, crystal.symmetry, ui)) return std::nullopt;
  read_symbol(block, crystal);
  settle_symmetry(block, crystal);
  if (crystal.symmetry.operators.empty() && crystal.symbol.empty()) {
    ui.warning("Lumiso cannot find symmetry operators or Space group");
    return std::nullopt;
  }
  if (!read_atoms(block, crystal, ui)) return std::nullopt;
  return crystal;
}

namespace {

// The line number in a parser message "name:LINE:COLUMN: ...", 0 when none.
std::size_t error_line(const std::string& error, const std::string& name) {
  const std::size_t start = error.find(name + ":");
  if (start == std::string::npos) return 0;
  auto number = parse_integer(error.substr(start + name.size() + 1, error.find(':', start + name.size() + 1) -
                                                                         start - name.size() - 1));
  return number && *number > 0 ? static_cast<std::size_t>(*number) : 0;
}

// Mends one line the strict parser stopped at: a tag whose value holds
// unquoted blanks gets the value quoted; a stray line outside any item is
// left out. False when the line is neither.
bool mend_line(std::string& line, std::string& what) {
  const std::string trimmed = trim(line);
  if (trimmed.empty()) return false;
  if (trimmed.front() == '_') {
    const std::size_t blank = trimmed.find_first_of(" \t");
    if (blank == std::string::npos) return false;
    const std::string value = trim(trimmed.substr(blank));
    if (value.find_first_of(" \t") == std::string::npos) return false;
    const char quote = value.find('\'') == std::string::npos ? '\'' : '"';
    line = trimmed.substr(0, blank) + " " + quote + value + quote;
    what = "a value with blanks and no quotes is read whole";
    return true;
  }
  if (trimmed.front() == '#' || trimmed.front() == ';' || trimmed.front() == '\'' || trimmed.front() == '"' ||
      to_lower(substring(trimmed, 0, 5)) == "data_" || to_lower(trimmed) == "loop_")
    return false;
  line = "# " + line;
  what = "a line outside the items is left out";
  return true;
}

// Parses the text; where the strict parser stops, mends the line it names
// (at most 20 lines) and says so in `mended`.
std::optional<CifFile> parse_cif_tolerantly(const std::string& bytes, const std::string& name, std::string& error,
                                            std::vector<std::string>& mended) {
  auto file = parse_cif(bytes, name, error);
  if (file) return file;
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    lines.push_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  const std::string first_error = error;
  for (int attempt = 0; attempt < 20; ++attempt) {
    const std::size_t line = error_line(error, name);
    std::string what;
    if (line == 0 || line > lines.size() || !mend_line(lines[line - 1], what)) break;
    mended.push_back("CIF syntax defect skipped (" + file_line_reason(name, line, what) + ")");
    std::string text;
    for (const std::string& each : lines) text += each + "\n";
    file = parse_cif(text, name, error);
    if (file) return file;
  }
  error = first_error;
  mended.clear();
  return std::nullopt;
}

std::optional<CifFile> parse_cif_file(const std::filesystem::path& path, const std::string& shown_name,
                                      MessageSink& messages, std::vector<std::string>& mended) {
  auto bytes = read_file_bytes(path);
  if (!bytes) {
    messages.warning("Cannot open the file " + shown_name);
    return std::nullopt;
  }
  std::string error;
  auto file = parse_cif_tolerantly(*bytes, file_name_of(shown_name), error, mended);
  if (!file) messages.warning("The file " + file_name_of(shown_name) + " is not a readable CIF file: " + error);
  return file;
}

}  // namespace

std::optional<std::vector<CifBlockEntry>> scan_cif_file(const std::filesystem::path& path,
                                                        const std::string& shown_name, MessageSink& messages) {
  std::vector<std::string> mended;
  auto file = parse_cif_file(path, shown_name, messages, mended);
  if (!file) return std::nullopt;
  std::vector<CifBlockEntry> blocks = valuable_blocks(*file);
  if (blocks.empty()) {
    messages.warning("Calvane cannot find any valid block");
    return std::nullopt;
  }
  if (blocks.size() > static_cast<std::size_t>(kMaxCifBlocks)) {
    messages.warning("The CIF file holds more than 10 structure blocks; only the first 10 are offered");
    blocks.resize(kMaxCifBlocks);
  }
  return blocks;
}

std::optional<CurrentCrystal> read_cif_file_block(const std::filesystem::path& path, const std::string& shown_name,
                                                  const CifBlockEntry& entry, MessageSink& messages) {
  std::vector<std::string> mended;
  auto file = parse_cif_file(path, shown_name, messages, mended);
  if (!file) return std::nullopt;
  const std::size_t index = static_cast<std::size_t>(entry.document_index);
  if (index >= file->blocks.size() || file->blocks[index].name != entry.name) {
    messages.warning("The data block " + entry.name + " is no longer in the file");
    return std::nullopt;
  }
  auto crystal = read_cif_block(file->blocks[index], messages, shown_name);
  if (!crystal) return std::nullopt;
  crystal->read_notes.insert(crystal->read_notes.begin(), mended.begin(), mended.end());
  return crystal;
}

}  // namespace calvane
