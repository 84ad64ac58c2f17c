#include <cmath>

#include "crystal_io/crystal_file_kind.hpp"
#include "flows/crystal_page.hpp"
#include "crystal_io/cry_file.hpp"
#include "flows/open_flow.hpp"
#include "crystallography/crystal_checks.hpp"
#include "flows/anomalous_terms.hpp"
#include "crystallography/scattering.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "flows/driver.hpp"
#include "flows/program.hpp"

namespace calvane {

namespace {

constexpr int kFirstNumericColumn = 2;

std::string capitalised(std::string_view type) {
  std::string text = to_lower(type);
  if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  return text;
}

void redecode_and_rescatter(Program& program) {
  decode_crystal_page(program);
  program.workspace.composition.anomalous.clear();
  build_phase_scattering_types(program);
}

}  // namespace

void tidy_atom_row(Program& program, AtomGrid which, int row) {
  CrystalPageForm& page = program.main_form.crystal;
  TextGrid& grid = which == AtomGrid::XRay ? page.xray_atoms : page.neutron_atoms;
  TextGrid& other = which == AtomGrid::XRay ? page.neutron_atoms : page.xray_atoms;
  if (row < 1) return;
  const int columns = which == AtomGrid::XRay ? 7 : 8;
  const std::string type = trim(grid.cell(row, 0));
  if (type.empty()) {
    for (int c = 0; c < 8; ++c) {
      if (c < 7) page.xray_atoms.set_cell(row, c, "");
      page.neutron_atoms.set_cell(row, c, "");
    }
    redecode_and_rescatter(program);
    return;
  }
  grid.set_cell(row, 0, capitalised(type));
  for (int c = kFirstNumericColumn; c < columns; ++c)
    if (trim_view(grid.cell(row, c)).empty()) grid.set_cell(row, c, "0");
  if (auto population = parse_double(normalise_number_text(grid.cell(row, 6))); population && *population == 0)
    grid.set_cell(row, 6, "1");

  if (which == AtomGrid::XRay && find_form_factor_species(type) == nullptr) {
    program.ui.beep();
    program.ui.warning("Unknown Ion: " + type);
    grid.set_cell(row, 0, "");
    return;
  }
  for (int c = 0; c < 7; ++c) other.set_cell(row, c, grid.cell(row, c));
  if (which == AtomGrid::XRay) other.set_cell(row, 0, grid_atom_type(type));
  if (auto length = neutron_length(scattering_symbol(type)))
    page.neutron_atoms.set_cell(row, 7, trim(fixed(*length, 8, 3)));
  redecode_and_rescatter(program);
}

void leave_xray_atom_row(Program& program, int left_row, int new_row) {
  if (!program.workspace.keyboard_capture) {
    program.main_form.crystal.modified = true;
    program.workspace.crystal_changed = true;
  }
  if (!trim_view(program.main_form.crystal.xray_atoms.cell(new_row, 0)).empty())
    tidy_atom_row(program, AtomGrid::XRay, left_row);
}

void leave_neutron_atom_row(Program& program, int left_row) { tidy_atom_row(program, AtomGrid::Neutron, left_row); }

void start_keyboard_capture(Program& program) {
  Workspace& ws = program.workspace;
  MainForm& form = program.main_form;
  if (ws.phase_count() >= kMaxPhases) {
    program.ui.warning("eight phases only!");
    return;
  }
  form.crystal.panel_visible = true;
  form.phases.restore_visible = false;
  ws.keyboard_capture = true;
  form.page = MainPage::CrystalData;
  ws.crystal_file_name.clear();
  clear_crystal_page(program);
  form.crystal.apply_bar_visible = false;
  form.crystal.selector_visible = false;
  form.crystal.capture_panel_visible = true;
  ws.crystal.symbol.clear();
}

void stop_capture(Program& program) {
  Workspace& ws = program.workspace;
  MainForm& form = program.main_form;
  ws.keyboard_capture = false;
  form.crystal.modified = false;
  clear_crystal_page(program);
  form.crystal.capture_panel_visible = false;
  if (ws.phase_count() == 0) form.crystal.panel_visible = false;
  recompute_all_phases(program);
}

void save_captured_crystal(Program& program) {
  Workspace& ws = program.workspace;
  if (!decode_crystal_page(program)) return;
  const CurrentCrystal& crystal = ws.crystal;
  if (cell_product(crystal.cell) == 0) {
    program.ui.warning("Bad cell parameters!");
    return;
  }
  if (std::string reason = impossible_cell_reason(crystal.cell); !reason.empty()) {
    program.ui.warning("Bad cell parameters! " + reason);
    return;
  }
  if (trim_view(crystal.symbol).empty()) {
    program.ui.warning("No Space group!");
    return;
  }
  if (crystal.atoms.empty()) {
    program.ui.warning("No atoms in the asymmetric unit");
    return;
  }
  std::filesystem::path target;
  if (program.ui.confirm("Do you want to save the data?") == Answer::Yes) {
    FileDialogRequest request;
    request.filter = "Data file (*.cry)|*.cry|Total data file (*.cmp)|*.cmp";
    request.filter_index = 1;
    request.folder = program.current_folder.string();
    auto chosen = program.ui.save_file(request);
    if (!chosen || trim_view(chosen->path).empty()) return;  // nothing to write to: nothing written
    target = program.resolve(chosen->path);
    if (!contains(target.filename().string(), ".cry")) target += ".cry";
    std::error_code error;
    if (std::filesystem::exists(target, error) &&
        program.ui.confirm("This file already exists. Do you want to continue?") != Answer::Yes)
      return;
  } else {
    // A typed phase the user chose not to save is written only where the
    // phase reads it from: this run's scratch folder, removed at exit.
    const std::filesystem::path& scratch = program.scratch.path();
    target = (scratch.empty() ? program.program_folder : scratch) /
             ("phase" + std::to_string(ws.current_phase + 1) + ".cry");
  }
  decode_crystal_page(program);
  ws.keyboard_capture = false;
  program.main_form.crystal.capture_panel_visible = false;
  if (std::string reason = write_cry_file(target, ws.crystal); !reason.empty()) {
    program.ui.warning("The file " + target.string() + " could not be written: " + reason);
    return;
  }
  ws.crystal_file_name = target.string();
  add_loaded_phase(program);
}

void restore_data(Program& program) {
  Workspace& ws = program.workspace;
  if (ws.current_phase < 1 || ws.current_phase > ws.phase_count()) return;
  ws.restoring = true;
  const std::string name = trim(ws.phase(ws.current_phase).file_name);
  const CrystalFileKind kind = crystal_kind_of_file(program.resolve(name), CrystalFileKind::Native);
  const bool read = read_crystal_file(program, kind, name, ws.phase(ws.current_phase).cif_block);
  ws.restoring = false;
  if (!read) return;
  ws.crystal.read_notes.clear();  // told when the file was opened
  ws.crystal_file_name = name;
  store_current_phase(ws);
  show_phase_page(program);
  compute_current_phase(program);
  program.ui.redraw_plot();
}

}  // namespace calvane
