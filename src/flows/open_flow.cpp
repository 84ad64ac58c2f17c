#include "flows/open_flow.hpp"

#include <optional>
#include <utility>

#include "flows/cif_open.hpp"

#include <functional>

#include "crystal_io/cif_reader.hpp"
#include "crystal_io/cry_file.hpp"
#include "crystal_io/crystal_file_kind.hpp"
#include "flows/crystal_page.hpp"
#include "crystal_io/lazy_pulverix_reader.hpp"
#include "crystal_io/powdercell_reader.hpp"
#include "flows/crystal_reading.hpp"
#include "crystal_io/system_check.hpp"
#include "flows/total_data_flows.hpp"
#include "plot/colours.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "flows/driver.hpp"
#include "flows/program.hpp"

namespace calvane {

namespace {

/// The open flow behind every crystal entry of the File menu; `any_kind`
/// takes the kind from the chosen file alone.
void open_crystal_flow(Program& program, CrystalFileKind kind, const std::string& filter, int filter_index,
                       bool any_kind);

std::string phase_table_name(const std::string& file_name) {
  std::string name = file_name_of(file_name);
  return name.size() >= 4 ? name.substr(0, name.size() - 4) : std::string();
}

}  // namespace

void reset_before_crystal_open(Program& program) {
  program.main_form.phases.restore_visible = false;
  program.plot_state.intensity_scale = 1.0;
  program.plot_state.scale_position = 10;  // the scale control's start, 10 × 0.1
}

void open_crystal_file_of_kind(Program& program, CrystalFileKind kind) {
  open_crystal_flow(program, kind, kCrystalOpenFilter, static_cast<int>(kind), false);
}

void open_crystal_structure(Program& program) {
  open_crystal_flow(program, program.workspace.crystal_file_kind,
                    std::string(kAllCrystalFilesFilter) + kCrystalOpenFilter, 1, true);
}

namespace {

// A ninth phase or a missing wavelength stops an opening before any dialog.
bool may_open_crystal(Program& program) {
  if (program.workspace.phase_count() >= kMaxPhases) {
    program.ui.warning("Max. Nb of phases =8!");
    return false;
  }
  program.main_form.page = MainPage::ExperimentalData;
  const std::string wavelength = trim(program.main_form.experiment.wavelength);
  if (wavelength.empty() || wavelength == "0.00000") {
    program.ui.warning("No WaveLength!");
    return false;
  }
  return true;
}

// The file the user chooses, not one already loaded; none when cancelled or refused.
std::optional<std::string> choose_crystal_file(Program& program, const std::string& filter, int filter_index) {
  Workspace& ws = program.workspace;
  FileDialogRequest request;
  request.filter = filter;
  request.filter_index = filter_index;
  request.folder = program.current_folder.string();
  auto chosen = program.ui.open_file(request);
  if (!chosen || trim(chosen->path).empty()) return std::nullopt;
  const std::string name = trim(chosen->path);
  // The page is about to show another crystal: earlier clicks in its atom
  // grid no longer say that this one was edited.
  ws.crystal_changed = false;
  for (const PhaseData& phase : ws.phases) {
    if (equals_ignoring_case(trim(phase.file_name), name)) {
      program.ui.warning("The file " + name + " is already loaded");
      return std::nullopt;
    }
  }
  return name;
}

// The kind of the chosen file: by name then content when any kind is
// accepted, then as the file's own content corrects the menu's kind.
std::optional<CrystalFileKind> kind_of_chosen_file(Program& program, const std::string& name, CrystalFileKind kind,
                                                   bool any_kind) {
  if (any_kind) {
    auto found = crystal_kind_of_name(name);
    if (!found) {
      auto bytes = read_file_bytes(program.resolve(name));
      if (bytes) found = crystal_kind_of_text(*bytes);
    }
    if (!found) {
      program.ui.warning("The file " + name +
                         " is no crystal file that the program can tell: its name ends in none of .cry, .ins, "
                         ".inp, .res, .cel, .lzy, .cif and its content looks like none of them");
      return std::nullopt;
    }
    kind = *found;
  }
  return crystal_kind_of_file(program.resolve(name), kind);
}

// Reads a crystal of a kind with a reader of its own and adds it as a phase.
void read_and_add_crystal(Program& program, CrystalFileKind kind, const std::string& name) {
  Workspace& ws = program.workspace;
  const CurrentCrystal before = ws.crystal;
  ws.crystal.symbol.clear();
  if (!read_crystal_file(program, kind, name)) {
    ws.crystal = before;
    if (kind == CrystalFileKind::Native) return;  // its reader said why
    program.ui.warning("Read error in the data file");
    return;
  }
  if (kind == CrystalFileKind::Shelx && !complete_shelx_space_group(program)) return;
  add_loaded_phase(program);
}

void open_crystal_flow(Program& program, CrystalFileKind kind, const std::string& filter, int filter_index,
                       bool any_kind) {
  Workspace& ws = program.workspace;
  MainForm& form = program.main_form;
  if (!may_open_crystal(program)) return;
  ws.crystal_file_kind = kind;
  form.crystal.hermann_mauguin.clear();
  form.crystal.hall.clear();
  form.crystal.space_group_number.clear();
  ws.crystal.system_code.clear();
  const std::optional<std::string> chosen = choose_crystal_file(program, filter, filter_index);
  if (!chosen) return;
  const std::string& name = *chosen;
  // The name is compared without regard to case but kept as typed: on this
  // system file names are case-sensitive, so a lower-cased name may not open.
  ws.crystal_file_name = name;
  const bool total_data = to_lower(std::filesystem::path(name).extension().string()) == ".cmp";
  const std::optional<CrystalFileKind> found =
      total_data ? crystal_kind_of_file(program.resolve(name), kind) : kind_of_chosen_file(program, name, kind, any_kind);
  if (!found) return;
  ws.crystal_file_kind = *found;
  if (*found == CrystalFileKind::Icsd) {
    program.ui.warning("ics format not available!");
    ws.crystal_file_name.clear();
    return;
  }
  if (total_data) {
    open_workspace_file(program, TotalDataSender::None);
    return;
  }
  if (*found == CrystalFileKind::Cif) {
    clear_crystal_page(program);
    form.crystal.data_caption = "Data (" + file_name_of(name) + ")";
    ws.crystal.symbol.clear();
    cif_block_scan(program);
    return;
  }
  read_and_add_crystal(program, *found, name);
}

}  // namespace

void add_loaded_phase(Program& program) {
  Workspace& ws = program.workspace;
  const std::vector<std::string> notes = std::exchange(ws.crystal.read_notes, {});
  PhaseData* added = add_phase(ws, ws.crystal, ws.crystal_file_name);
  if (added == nullptr) {
    program.ui.warning("Max. Nb of phases =8!");
    return;
  }
  ws.keyboard_capture = false;
  PhaseData& phase = *added;
  const CifBlockTable& blocks = ws.cif_blocks;
  if (contains(to_lower(phase.file_name), ".cif") && blocks.chosen_block >= 1 &&
      blocks.chosen_block <= static_cast<int>(blocks.blocks.size())) {
    phase.cif_block.number = blocks.chosen_block;
    phase.cif_block.name = blocks.blocks[static_cast<std::size_t>(blocks.chosen_block - 1)].name;
  }
  // The slot's colour and pen as the colours window last set them ("couleurs.txt" at start).
  apply_phase_display_defaults(ws.styles, phase, ws.current_phase);

  MainForm& form = program.main_form;
  form.crystal.selector_visible = true;
  form.crystal.selector_index = ws.current_phase - 1;
  for (int i = 0; i < kMaxPhases; ++i)
    form.phases.rows[static_cast<std::size_t>(i)].display = (i == ws.current_phase - 1);
  refresh_phase_table(program);

  show_phase_page(program);
  compute_current_phase(program);
  program.ui.redraw_plot();
  if (!notes.empty()) program.ui.notice(read_notes_text(file_name_of(phase.file_name), notes));
}

std::string read_notes_text(const std::string& file_name, const std::vector<std::string>& notes) {
  std::string text = "Read " + file_name + " with these assumptions:";
  for (const std::string& note : notes) text += "\n- " + note;
  return text;
}

void refresh_phase_table(Program& program) {
  const Workspace& ws = program.workspace;
  PhasesPageForm& table = program.main_form.phases;
  for (PhaseRow& row : table.rows) {
    row.name.clear();
    row.percent.clear();
    row.size.clear();
    row.strain.clear();
    row.colour = kGrey192;
    row.draw = false;
  }
  for (int p = 1; p <= ws.phase_count(); ++p) {
    const PhaseData& phase = ws.phase(p);
    PhaseRow& row = table.rows[static_cast<std::size_t>(p - 1)];
    row.name = phase_table_name(phase.file_name);
    row.colour = phase.colour;
    row.percent = fixed(100.0 * phase.fraction, 6, 1);
    row.size = fixed(phase.crystal_size, 6, 1);
    row.strain = fixed(1000 * phase.strain, 6, 2);  // the box is read in thousandths
    row.draw = phase.draw;
  }
}

void save_current_crystal(Program& program) {
  Workspace& ws = program.workspace;
  MainForm& form = program.main_form;
  form.page = MainPage::CrystalData;
  const CurrentCrystal& crystal = ws.crystal;
  if (crystal.symbol.empty() || crystal.atoms.empty() || crystal.system_code.empty() || crystal.cell.a == 0) return;

  FileDialogRequest request;
  request.filter = "Data file (*.cry)|*.cry|Total data file (*.cmp)|*.cmp";
  request.filter_index = 1;
  request.folder = program.current_folder.string();
  request.file_name = file_name_of(ws.crystal_file_name);
  std::filesystem::path folder = program.current_folder;
  if (auto chosen = program.ui.save_file(request)) {
    ws.crystal_file_name = chosen->path;
    std::filesystem::path chosen_path{chosen->path};
    if (chosen_path.has_parent_path()) folder = program.resolve(chosen_path.parent_path().string());
  }
  if (trim(ws.crystal_file_name).empty()) return;
  // The file is written in the folder chosen in the dialog, under its bare name.
  std::string name = file_name_of(ws.crystal_file_name);
  if (!contains(name, ".cry")) name += ".cry";
  const std::filesystem::path target = folder / name;
  std::error_code error;
  if (std::filesystem::exists(target, error) &&
      program.ui.confirm("This file already exists. Do you want to continue?") != Answer::Yes)
    return;
  // The phase keeps the full name, so that "Restore modif" finds the file again
  // wherever it was saved; the phase table shows the bare name.
  ws.crystal_file_name = target.string();
  if (ws.keyboard_capture) {
    // The typed crystal is not a phase yet: it is written to the file and
    // becomes a phase only through "Apply new phase"; the current phase stays.
    decode_crystal_page(program);
  } else {
    commit_crystal_page(program);
    if (ws.current_phase >= 1) ws.phase(ws.current_phase).file_name = ws.crystal_file_name;
  }
  program.main_form.crystal.selector_index = ws.current_phase - 1;
  if (std::string reason = write_cry_file(target, ws.crystal); !reason.empty()) {
    program.ui.warning("The file " + target.string() + " could not be written: " + reason);
    return;
  }
  refresh_phase_table(program);
}

}  // namespace calvane
