#include "flows/crystal_page.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "crystallography/operators.hpp"
#include "crystallography/scattering.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "flows/program.hpp"

namespace calvane {

namespace {

enum CellIndex { kA = 0, kB, kC, kAlpha, kBeta, kGamma };

const char* const kCellNames[6] = {"a", "b", "c", "Alpha", "Beta", "Gamma"};

std::string crystal_name_for_caption(std::string_view file_name) {
  std::string name = file_name_of(file_name);
  return name.size() >= 4 ? name.substr(0, name.size() - 4) : std::string();
}

/// Whether the system leaves cell field `field` free for typing.
bool field_is_free(std::string_view code, int field) {
  switch (field) {
    case kA: return true;
    case kB: return code == "ORTH" || code == "MONO" || code == "TRIC";
    case kC: return code != "CUBI" && code != "RHOM";
    case kAlpha: return code == "RHOM" || code == "MONO" || code == "TRIC";
    default: return code == "MONO" || code == "TRIC";
  }
}

/// The value of a cell field: the number it was filled with while its text
/// is untouched, else its text parsed (0 when it does not parse).
double cell_field_value(const CellField& field) {
  if (auto kept = field.unchanged_value()) return *kept;
  return parse_double(field.text).value_or(0.0);
}

/// A field that copies another one (b = a in the cubic system) copies the
/// number behind the text too, so it keeps the precision of its source.
void copy_field(CellField& to, const CellField& from) {
  to.text = from.text;
  to.shown = from.shown;
}

void set_fixed_angle(CellField& field, const char* text) {
  field.text = text;
  field.shown.reset();
}

/// The value of numeric cell (row, column) of an atom or anomalous grid.
std::optional<double> grid_number(const TextGrid& grid, int row, int column) {
  if (auto kept = grid.unchanged_number(row, column)) return kept;
  return parse_double(normalise_number_text(grid.cell(row, column)));
}

/// Step 5 of the decoding: f′ and f″ of each anomalous element from its row
/// of the anomalous table (row = element number + 1, columns 2(j−1)+1 and
/// 2(j−1)+2 for wavelength j). An element the scattering tables lack stops it.
bool decode_anomalous_table(Program& program) {
  Workspace& ws = program.workspace;
  const TextGrid& grid = program.main_form.crystal.anomalous;
  PhaseComposition& composition = ws.composition;
  const int wavelengths = std::min(ws.settings.wavelength_count(), 4);
  bool edited = false;
  for (std::size_t e = 0; e < composition.anomalous.size(); ++e) {
    AnomalousTerms& terms = composition.anomalous[e];
    ScatteringType probe;
    probe.symbol = terms.element;
    if (std::string missing = lookup_form_factor(probe); !missing.empty()) {
      program.ui.beep();
      program.ui.warning(missing);
      return false;
    }
    // A table emptied since (keyboard capture, another phase shown) holds no
    // coefficient of this element: nothing was typed for it.
    const int row = static_cast<int>(e) + 2;
    if (trim(grid.cell(row, 0)) != trim(terms.element)) continue;
    for (int j = 0; j < wavelengths; ++j) {
      const auto k = static_cast<std::size_t>(j);
      for (auto [column, term] : {std::pair{2 * j + 1, &terms.f_prime[k]}, std::pair{2 * j + 2, &terms.f_second[k]}}) {
        if (trim_view(grid.cell(row, column)).empty()) continue;
        const std::optional<double> value = grid_number(grid, row, column);
        if (!value || *value == *term) continue;
        *term = *value;
        edited = true;
      }
    }
  }
  // Typed coefficients replace the table's at the next computation, as long
  // as the wavelengths they were typed for are still those in use.
  if (edited) composition.typed_anomalous_wavelengths = ws.settings.wavelengths;
  return true;
}

}  // namespace

int system_index_of(std::string_view code) {
  for (int i = 0; i < 7; ++i)
    if (code == kSystemCodes[i]) return i;
  return -1;
}

void apply_system_constraints(CrystalPageForm& page, std::string_view code) {
  auto& f = page.cell;
  for (CellField& field : f) field.greyed = false;
  auto grey = [&](std::initializer_list<int> fields) {
    for (int i : fields) f[static_cast<std::size_t>(i)].greyed = true;
  };
  auto right_angles = [&] {
    for (int i : {kAlpha, kBeta, kGamma}) set_fixed_angle(f[static_cast<std::size_t>(i)], "90.0");
  };
  if (code == "CUBI") {
    grey({kB, kC, kAlpha, kBeta, kGamma});
    copy_field(f[kB], f[kA]);
    copy_field(f[kC], f[kA]);
    right_angles();
  } else if (code == "TETR") {
    grey({kB, kAlpha, kBeta, kGamma});
    copy_field(f[kB], f[kA]);
    right_angles();
  } else if (code == "ORTH") {
    grey({kAlpha, kBeta, kGamma});
    right_angles();
  } else if (code == "HEXA") {
    grey({kB, kAlpha, kBeta, kGamma});
    copy_field(f[kB], f[kA]);
    set_fixed_angle(f[kAlpha], "90.0");
    set_fixed_angle(f[kBeta], "90.0");
    set_fixed_angle(f[kGamma], "120.0");
  } else if (code == "RHOM") {
    grey({kB, kC, kBeta, kGamma});
    copy_field(f[kB], f[kA]);
    copy_field(f[kC], f[kA]);
    copy_field(f[kBeta], f[kAlpha]);
    copy_field(f[kGamma], f[kAlpha]);
  }
}

void read_cell_field(Program& program, int field) {
  if (field < 0 || field > 5) return;
  CrystalPageForm& page = program.main_form.crystal;
  const std::string& code = program.workspace.crystal.system_code;
  if (!field_is_free(code, field)) return;
  const CellField& box = page.cell[static_cast<std::size_t>(field)];
  std::string text = box.text;
  if (field == kA) text = trim(text);
  if (trim_view(text).empty()) text = "0";
  std::optional<double> value = box.unchanged_value();
  if (!value) value = parse_double(text);
  if (!value) {
    program.ui.warning(std::string("Reading error on ") + kCellNames[field] + "!");
    return;
  }
  CellParameters& cell = program.workspace.crystal.cell;
  double* values[6] = {&cell.a, &cell.b, &cell.c, &cell.alpha, &cell.beta, &cell.gamma};
  *values[field] = *value;
  apply_system_constraints(page, code);
}

void choose_crystal_system(Program& program, int index) {
  if (index < 0 || index > 6) return;
  CrystalPageForm& page = program.main_form.crystal;
  page.system_index = index;
  program.workspace.crystal.system_code = kSystemCodes[index];
  page.hermann_mauguin.clear();
  page.hall.clear();
  page.space_group_number.clear();
  page.formula_units.clear();
  page.density.clear();
  apply_system_constraints(page, kSystemCodes[index]);
}

std::string normalise_number_text(std::string_view input) {
  std::string text(input);
  if (text.empty()) return "0";
  if (auto at = text.find(" ."); at != std::string::npos) text[at] = '0';
  if (auto at = text.find(". "); at != std::string::npos) text[at + 1] = '0';
  if (auto at = text.find("-."); at != std::string::npos) text.insert(at + 1, "0");
  if (text.back() == '.') text += "0";
  return text;
}

std::string grid_atom_type(std::string_view type) {
  std::string shown = to_lower(substring(type, 0, 2));
  if (!shown.empty()) shown[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(shown[0])));
  return shown;
}

void set_atom_grid_headings(CrystalPageForm& page) {
  const char* headings[] = {"Atom", "Lab.", "X", "Y", "Z", "B", "Pop", "B Fermi"};
  for (int c = 0; c < 7; ++c) page.xray_atoms.set_cell(0, c, headings[c]);
  for (int c = 0; c < 8; ++c) page.neutron_atoms.set_cell(0, c, headings[c]);
  page.absorption.set_cell(0, 0, "l");
  page.absorption.set_cell(0, 1, "m/r");
}

void show_cell_fields(CrystalPageForm& page, const CellParameters& cell, std::string_view system_code) {
  const double values[6] = {cell.a, cell.b, cell.c, cell.alpha, cell.beta, cell.gamma};
  for (int i = 0; i < 6; ++i)
    page.cell[static_cast<std::size_t>(i)].show_number(values[i], trim(fixed(values[i], 8, i < 3 ? 4 : 2)));
  apply_system_constraints(page, system_code);
}

namespace {

// Both atom grids, one row per atom; the neutron grid's "B Fermi" comes from
// the element table when the phase is shown. An element the table lacks
// keeps 0 rather than ending the display there: the atoms below it would be
// lost at the next commit.
void show_atom_grids(CrystalPageForm& page, std::vector<AtomSite>& atoms) {
  page.xray_atoms.clear_below_heading();
  page.neutron_atoms.clear_below_heading();
  set_atom_grid_headings(page);
  int row = 1;
  for (AtomSite& atom : atoms) {
    atom.fermi_length = neutron_length(scattering_symbol(atom.type)).value_or(0.0);
    for (TextGrid* grid : {&page.xray_atoms, &page.neutron_atoms}) {
      grid->set_cell(row, 0, grid_atom_type(atom.type));
      grid->set_cell(row, 1, atom.label);
      const std::pair<double, std::string> numbers[5] = {
          {atom.x, fixed(atom.x, 9, 5)}, {atom.y, fixed(atom.y, 9, 5)}, {atom.z, fixed(atom.z, 9, 5)},
          {atom.b, fixed(atom.b, 6, 2)}, {atom.population, fixed(atom.population, 5, 2)}};
      for (int n = 0; n < 5; ++n) grid->show_number(row, n + 2, numbers[n].first, trim(numbers[n].second));
    }
    page.neutron_atoms.show_number(row, 7, atom.fermi_length, trim(fixed(atom.fermi_length, 8, 3)));
    ++row;
  }
}

// The composition, absorption and anomalous terms of the phase.
void show_composition(CrystalPageForm& page, const PhaseComposition& composition,
                      const ExperimentSettings& settings) {
  page.formula_units = composition.formula_units > 0 ? std::to_string(composition.formula_units) : "";
  page.molecular_weight = trim(fixed(composition.molecular_weight, 7, 2));
  page.density = trim(fixed(composition.density, 7, 2));
  page.formula = composition.formula;
  page.absorption.clear_below_heading();
  for (int j = 0; j < settings.wavelength_count() && j < 4; ++j) {
    page.absorption.set_cell(j + 1, 0, trim(fixed(settings.wavelengths[static_cast<std::size_t>(j)], 8, 5)));
    page.absorption.set_cell(j + 1, 1, trim(fixed(composition.mass_absorption[static_cast<std::size_t>(j)], 8, 2)));
  }
  page.anomalous.clear();
  for (std::size_t e = 0; e < composition.anomalous.size(); ++e) {
    const AnomalousTerms& terms = composition.anomalous[e];
    const int element_row = static_cast<int>(e) + 2;
    page.anomalous.set_cell(element_row, 0, terms.element);
    for (int j = 0; j < settings.wavelength_count() && j < 4; ++j) {
      const double f_prime = terms.f_prime[static_cast<std::size_t>(j)];
      const double f_second = terms.f_second[static_cast<std::size_t>(j)];
      page.anomalous.show_number(element_row, 2 * j + 1, f_prime, trim(fixed(f_prime, 7, 3)));
      page.anomalous.show_number(element_row, 2 * j + 2, f_second, trim(fixed(f_second, 7, 3)));
    }
  }
}

}  // namespace

void show_phase_page(Program& program) {
  Workspace& ws = program.workspace;
  CrystalPageForm& page = program.main_form.crystal;
  const CurrentCrystal& crystal = ws.crystal;
  page.panel_visible = true;
  page.apply_bar_caption =
      "Data for Phase" + std::to_string(ws.current_phase) + "(" + crystal_name_for_caption(ws.crystal_file_name) + ")";
  page.system_index = system_index_of(crystal.system_code);
  page.title = crystal.title;
  const CellParameters& c = crystal.cell;
  show_cell_fields(page, c, crystal.system_code);
  page.hermann_mauguin = crystal.symbol;
  page.hall = crystal.symmetry.hall_symbol;
  page.space_group_number =
      crystal.symmetry.space_group_number > 0 ? std::to_string(crystal.symmetry.space_group_number) : "";

  show_atom_grids(page, ws.crystal.atoms);
  show_composition(page, ws.composition, ws.settings);
  page.selector_visible = ws.phase_count() > 0;
  page.selector_index = ws.current_phase - 1;
}

void build_symmetry_operators(Program& program) {
  CurrentCrystal& crystal = program.workspace.crystal;
  if (crystal.symbol.empty()) return;
  // An empty "Hall" box selects the standard catalogues; a symbol they do not
  // hold (a non-standard setting) is asked of the generator, which knows them all.
  if (crystal.symmetry.hall_symbol.empty() && build_operators_pos(crystal, program.program_folder, program.ui)) return;
  // The generator's "scfs.dat" is a scratch file of this run: two programs
  // sharing a program folder must not read each other's.
  const std::filesystem::path& scratch = program.scratch.path();
  if (scratch.empty()) {
    program.ui.warning("Cannot write scfs.dat: " + program.scratch.problem());
    return;
  }
  build_operators_getspec(crystal, scratch, program.ui);
}

bool decode_crystal_page(Program& program) {
  Workspace& ws = program.workspace;
  CrystalPageForm& page = program.main_form.crystal;
  CurrentCrystal& crystal = ws.crystal;
  if (page.system_index < 0 || page.system_index > 6) {
    program.ui.warning("No system");
    return false;
  }
  crystal.system_code = kSystemCodes[page.system_index];
  crystal.title = page.title;
  CellParameters& cell = crystal.cell;
  double* values[6] = {&cell.a, &cell.b, &cell.c, &cell.alpha, &cell.beta, &cell.gamma};
  for (int i = 0; i < 6; ++i) *values[i] = cell_field_value(page.cell[static_cast<std::size_t>(i)]);
  if (cell_product(cell) != 0) compute_derived_cell(cell);

  // The operators are rebuilt only when the symbol boxes changed: a list read
  // from a file's symmetry cards, or chosen in the space-group window, stays.
  const std::string old_symbol = crystal.symbol;
  const std::string old_hall = crystal.symmetry.hall_symbol;
  crystal.symbol.clear();
  const std::string hm = trim(page.hermann_mauguin);
  if (!hm.empty()) crystal.symbol = hm.substr(0, std::min<std::size_t>(hm.size(), kSymbolLength));
  crystal.symmetry.hall_symbol = trim(page.hall);
  if (crystal.symbol != old_symbol || crystal.symmetry.hall_symbol != old_hall || crystal.symmetry.operators.empty())
    build_symmetry_operators(program);

  const bool neutrons = ws.settings.source == RadiationSource::Neutrons;
  const TextGrid& grid = neutrons ? page.neutron_atoms : page.xray_atoms;
  const int numeric_columns = neutrons ? 6 : 5;
  crystal.atoms.clear();
  for (int r = 1; r < grid.row_count(); ++r) {
    std::string type = to_upper(trim(grid.cell(r, 0)));
    if (type.empty()) continue;
    if (static_cast<int>(crystal.atoms.size()) >= kMaxAtoms) break;
    AtomSite atom;
    atom.type = type.substr(0, std::min<std::size_t>(type.size(), 4));
    atom.label = std::string(substring(trim_left(grid.cell(r, 1)), 0, 2));
    double numbers[6] = {0, 0, 0, 0, 0, 0};
    for (int n = 0; n < numeric_columns; ++n) {
      const std::optional<double> value = grid_number(grid, r, n + 2);
      if (!value) {
        program.ui.beep();
        program.ui.warning("Type error at row " + std::to_string(r) + " colon " + std::to_string(n + 3));
        return false;
      }
      numbers[n] = *value;
    }
    // Coordinates are kept in the cell: the integer part is removed toward zero.
    atom.x = numbers[0] - std::trunc(numbers[0]);
    atom.y = numbers[1] - std::trunc(numbers[1]);
    atom.z = numbers[2] - std::trunc(numbers[2]);
    atom.b = numbers[3];
    atom.population = numbers[4];
    if (neutrons) atom.fermi_length = numbers[5];
    crystal.atoms.push_back(std::move(atom));
  }
  return decode_anomalous_table(program);
}

void commit_crystal_page(Program& program) {
  decode_crystal_page(program);
  store_current_phase(program.workspace);
}

void clear_crystal_page(Program& program) {
  CrystalPageForm& page = program.main_form.crystal;
  page.xray_atoms.clear_below_heading();
  page.neutron_atoms.clear_below_heading();
  page.anomalous.clear();
  for (CellField& field : page.cell) field = CellField{};
  page.hermann_mauguin.clear();
  page.hall.clear();
  page.space_group_number.clear();
  page.system_index = -1;
  page.selector_index = -1;
}

}  // namespace calvane
