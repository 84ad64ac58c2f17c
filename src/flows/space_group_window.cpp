#include "flows/space_group_window.hpp"

#include "crystallography/operators.hpp"
#include "crystallography/space_group_catalogue.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "model/limits.hpp"
#include "flows/program.hpp"

namespace calvane {
namespace {

void close_window(SpaceGroupForm& form, Program& program) {
  form.visible = false;
  program.ui.show_window(WindowId::SpaceGroup, false);
}

bool fill_lists(SpaceGroupForm& form, Program& program) {
  const std::string& system = program.workspace.crystal.system_code;
  auto items = read_catalogue_items(program.program_folder, system);
  if (!items) {
    program.ui.warning("File spgr2.dat not found");
    return false;
  }
  form.catalogue_items = std::move(*items);
  const std::string file_name = pos_file_name(system);
  auto path = find_file_ignoring_case(program.program_folder, file_name);
  auto lines = path ? read_text_lines(*path) : std::nullopt;
  if (!lines) {
    program.ui.warning("File " + file_name + " not found");
    return false;
  }
  form.standard_symbols = standard_symbols(*lines);
  const std::string& symbol = program.workspace.crystal.symbol;
  for (std::size_t i = 0; i < form.standard_symbols.size(); ++i) {
    if (!symbol.empty() && form.standard_symbols[i] == symbol) {
      form.standard_selected = static_cast<int>(i);
      break;
    }
  }
  return true;
}

void show_current_symbol(SpaceGroupForm& form, Program& program) {
  CurrentCrystal& crystal = program.workspace.crystal;
  if (trim(crystal.symbol).empty()) return;
  auto found =
      find_catalogue_symbol(form.catalogue_items, form.standard_symbols, crystal.symbol, crystal.system_code);
  if (!found) {
    program.ui.warning((crystal.symbol + " unknown space group").substr(0, 32));
    crystal.symbol.clear();
    return;
  }
  if (found->from_generator_catalogue) {
    form.catalogue_selected = static_cast<int>(found->index);
    choose_catalogue_group(form, program, form.catalogue_selected);
  } else {
    form.standard_selected = static_cast<int>(found->index);
    choose_standard_group(form, program, form.standard_selected);
  }
}

}  // namespace

void fill_position_grid(SymmetryData& symmetry, TextGrid& grid) {
  rebuild_operator_texts(symmetry);
  grid.cells.assign(1, {"Nb", "a", "b", "c", "Selected"});
  for (std::size_t i = 0; i < symmetry.operators.size(); ++i) {
    std::vector<std::string> row{std::to_string(i + 1)};
    for (const auto& m : symmetry.operators[i].m) row.push_back(encode_row({m[0], m[1], m[2]}, m[3]));
    row.emplace_back();
    grid.cells.push_back(std::move(row));
  }
}

void fill_space_group_lists(SpaceGroupForm& form, Program& program) {
  form.top = 0;
  form.visible = true;
  form.catalogue_items.clear();
  form.standard_symbols.clear();
  form.catalogue_selected = form.standard_selected = -1;
  form.positions.cells.clear();
  if (program.workspace.crystal.system_code.empty()) return;
  if (!fill_lists(form, program)) return;
  show_current_symbol(form, program);
}

void choose_catalogue_group(SpaceGroupForm& form, Program& program, int item) {
  if (item < 0 || item >= static_cast<int>(form.catalogue_items.size())) return;
  form.catalogue_selected = item;
  form.standard_selected = -1;
  remove_file_quietly(program.program_folder / "scfs2.dat");
  const CatalogueFields fields = catalogue_fields(form.catalogue_items[static_cast<std::size_t>(item)]);
  CrystalPageForm& page = program.main_form.crystal;
  page.hermann_mauguin = fields.hermann_mauguin;
  page.hall = fields.hall;
  page.space_group_number = fields.number;
  CurrentCrystal& crystal = program.workspace.crystal;
  crystal.symbol = fields.hermann_mauguin.substr(0, kSymbolLength);
  crystal.symmetry.hall_symbol = fields.hall;
  crystal.symmetry.space_group_number = static_cast<int>(parse_integer(fields.number).value_or(0));
  if (crystal.symbol.empty()) return;
  // The generator's "scfs.dat" is a scratch file: it goes into the program's
  // own scratch folder, never into the user's current folder.
  const std::filesystem::path& scratch = program.scratch.path();
  if (scratch.empty()) {
    program.ui.warning("Cannot write scfs.dat: " + program.scratch.problem());
    return;
  }
  build_operators_getspec(crystal, scratch, program.ui);
  fill_position_grid(crystal.symmetry, form.positions);
}

void choose_standard_group(SpaceGroupForm& form, Program& program, int item) {
  if (item < 0 || item >= static_cast<int>(form.standard_symbols.size())) return;
  form.standard_selected = item;
  form.catalogue_selected = -1;
  CurrentCrystal& crystal = program.workspace.crystal;
  crystal.symbol = trim(form.standard_symbols[static_cast<std::size_t>(item)]).substr(0, kSymbolLength);
  crystal.symmetry.hall_symbol.clear();
  crystal.symmetry.space_group_number = 0;
  CrystalPageForm& page = program.main_form.crystal;
  page.hermann_mauguin = crystal.symbol;
  page.hall.clear();
  page.space_group_number.clear();
  build_operators_pos(crystal, program.program_folder, program.ui);
  fill_position_grid(crystal.symmetry, form.positions);
}

bool accept_space_group(SpaceGroupForm& form, Program& program, const std::function<void()>& add_loaded_phase) {
  if (trim(program.workspace.crystal.symbol).empty()) {
    program.ui.warning("No selected group!");
    return false;
  }
  if (program.workspace.crystal_file_kind == CrystalFileKind::Shelx && !program.workspace.crystal_changed &&
      add_loaded_phase)
    add_loaded_phase();
  close_window(form, program);
  return true;
}

void cancel_space_group(SpaceGroupForm& form, Program& program) { close_window(form, program); }

}  // namespace calvane
