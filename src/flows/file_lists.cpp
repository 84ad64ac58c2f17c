#include "flows/file_lists.hpp"

#include <optional>

#include "crystal_io/crystal_file_kind.hpp"
#include "flows/cif_open.hpp"
#include "flows/crystal_page.hpp"
#include "flows/open_flow.hpp"
#include "flows/crystal_reading.hpp"
#include "experiment_io/measured_pattern_files.hpp"
#include "flows/observed_flows.hpp"
#include "experiment_io/reference_peak_files.hpp"
#include "flows/total_data_flows.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "flows/driver.hpp"
#include "model/limits.hpp"
#include "flows/program.hpp"

namespace calvane {

namespace {

std::string extension_of(const std::filesystem::path& path) { return to_lower(path.extension().string()); }

/// Names are compared lower-cased, as full names resolved against the
/// current folder.
bool same_file(const Program& program, const std::string& loaded, const std::filesystem::path& clicked) {
  if (trim_view(loaded).empty()) return false;
  return to_lower(program.resolve(trim(loaded)).lexically_normal().string()) ==
         to_lower(clicked.lexically_normal().string());
}

void warn_already_loaded(Program& program, const std::filesystem::path& full) {
  program.ui.warning("The file " + full.string() + " is already loaded");
}

void reset_plot_scales(Program& program) {
  PlotState& plot = program.plot_state;
  plot.intensity_scale = 1.0;
  plot.pattern_scales.fill(1.0);
  plot.scale_position = 10;
}

void open_cif_from_list(Program& program, const std::filesystem::path& full) {
  remove_file_quietly(program.current_folder / "dummy.cif");
  clear_crystal_page(program);
  program.main_form.crystal.data_caption = "Data (" + full.filename().string() + ")";
  program.workspace.crystal.symbol.clear();
  cif_block_scan(program);
}

FileListLoad load_crystal(Program& program, const std::filesystem::path& full) {
  FileListLoad load;
  Workspace& ws = program.workspace;
  if (ws.phase_count() >= kMaxPhases) {
    program.ui.warning("eight phases only!");
    return load;
  }
  CrystalPageForm& page = program.main_form.crystal;
  page.hermann_mauguin.clear();
  page.hall.clear();
  page.space_group_number.clear();
  for (const PhaseData& phase : ws.phases) {
    if (same_file(program, phase.file_name, full)) {
      warn_already_loaded(program, full);
      return load;
    }
  }
  auto kind = crystal_kind_of_name(full);
  if (!kind) return load;  // in the mask but read by no reader: ignored
  program.current_folder = full.parent_path();
  const std::string previous_name = ws.crystal_file_name;
  ws.crystal_file_name = full.string();
  ws.crystal_file_kind = *kind;
  const int phases_before = ws.phase_count();
  if (*kind == CrystalFileKind::Cif) {
    open_cif_from_list(program, full);
  } else {
    const CurrentCrystal before = ws.crystal;
    ws.crystal.symbol.clear();
    if (!read_crystal_file(program, *kind, full.string())) {
      ws.crystal = before;
      ws.crystal_file_name = previous_name;
      // The native reader and the ICSD entry have said why already.
      if (*kind != CrystalFileKind::Native && *kind != CrystalFileKind::Icsd)
        program.ui.warning("Read error in the data file");
      return load;
    }
    if (*kind == CrystalFileKind::Shelx && !complete_shelx_space_group(program)) return load;
    add_loaded_phase(program);
  }
  load.loaded = ws.phase_count() > phases_before;
  if (load.loaded) {
    reset_plot_scales(program);
    load.reset_intensity_scales = true;
  }
  return load;
}

FileListLoad load_pattern(Program& program, const std::filesystem::path& full) {
  FileListLoad load;
  const Workspace& ws = program.workspace;
  // Patterns keep their name without folder.
  for (const ObservedPattern& pattern : ws.observed_patterns) {
    if (equals_ignoring_case(pattern.file_name, full.filename().string())) {
      warn_already_loaded(program, full);
      return load;
    }
  }
  auto kind = pattern_kind_of(extension_of(full));
  const bool first_data = ws.phases.empty() && ws.observed_patterns.empty();
  // The instrument formats of the menu by their extension; every other
  // measured pattern by its content (the first scan of several, with a note).
  const bool read = kind ? read_observed_pattern(program, *kind, full) : read_measured_pattern(program, full, {});
  if (!read) return load;
  program.mark_workspace_modified();
  load.loaded = true;
  load.reset_intensity_scales = true;
  load.recompute_default_ticks = first_data;
  reset_plot_scales(program);
  program.ui.redraw_plot();
  return load;
}

FileListLoad load_peaks(Program& program, const std::filesystem::path& full) {
  FileListLoad load;
  const Workspace& ws = program.workspace;
  if (static_cast<int>(ws.observed_peaks.size()) >= kMaxObservedPeakLists) {
    program.ui.warning("Too much peaks files!");
    return load;
  }
  for (const ObservedPeakList& list : ws.observed_peaks) {
    if (same_file(program, list.file_name, full)) {
      warn_already_loaded(program, full);
      return load;
    }
  }
  auto kind = peak_kind_of(extension_of(full));
  const bool read =
      kind ? read_observed_peaks(program, *kind, full.string()) : read_any_peak_list(program, full.string());
  if (!read) return load;
  program.mark_workspace_modified();
  load.loaded = true;
  recompute_all_phases(program);
  return load;
}

FileListLoad load_total_data(Program& program, const std::filesystem::path& full) {
  FileListLoad load;
  load.loaded = open_workspace_file(program, TotalDataSender::FileList, full.string()).loaded;
  if (load.loaded) {
    reset_plot_scales(program);
    load.reset_intensity_scales = true;
  }
  return load;
}

// The lists of measured patterns and peak lists also show the formats read by content.
void add_measured_extensions(FileListForm& form) {
  const bool patterns = form.kind == FileListKind::ObservedPatterns;
  if (!patterns && form.kind != FileListKind::ObservedPeaks) return;
  for (const std::string& extension : patterns ? measured_pattern_extensions() : peak_list_extensions())
    if (!matches_file_mask("x" + extension, form.mask)) form.mask += ";*" + extension;
}

}  // namespace

void show_file_list(Program& program, FileListKind kind) {
  if (program.workspace.phase_count() >= kMaxPhases) program.ui.warning("Max. Nb of phases =8!");
  program.main_form.phases.restore_visible = false;
  FileListForm& form = program.file_list;
  set_file_list_kind(form, kind);
  add_measured_extensions(form);
  form.visible = true;
  show_folder(form, program.current_folder);
}

void set_file_list_folder(Program& program, const std::filesystem::path& folder) {
  std::filesystem::path chosen = program.resolve(folder.string());
  show_folder(program.file_list, chosen);
  program.current_folder = chosen;
}

FileListLoad open_listed_file(Program& program, int row) {
  FileListForm& form = program.file_list;
  if (row < 0 || row >= static_cast<int>(form.files.size())) return {};
  form.selected = row;
  // Kept as the system spells it: on this system names are case-sensitive,
  // so only comparisons are made lower-cased.
  const std::filesystem::path full = form.folder / form.files[static_cast<std::size_t>(row)];
  form.recorded_file = full.string();
  switch (form.kind) {
    case FileListKind::CrystalData:
      return load_crystal(program, full);
    case FileListKind::ObservedPatterns:
      return load_pattern(program, full);
    case FileListKind::ObservedPeaks:
      return load_peaks(program, full);
    case FileListKind::TotalData:
      return load_total_data(program, full);
  }
  return {};
}

void close_file_list(Program& program) { program.file_list.visible = false; }

}  // namespace calvane
