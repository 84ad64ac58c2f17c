#include "flows/viewer_launch.hpp"

#include "crystal_io/structure_cif.hpp"
#include "crystallography/operators.hpp"

#include <chrono>
#include <cstdlib>
#include <ctime>

#include "util/files.hpp"
#include "util/text.hpp"
#include "flows/program.hpp"

namespace calvane {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

// The first viewer version that reads this program's crystal files.
constexpr year_month_day kOldestViewer{year{2003}, August, day{11}};

std::optional<year_month_day> local_date_of(const fs::path& file) {
  std::error_code error;
  fs::file_time_type written = fs::last_write_time(file, error);
  if (error) return std::nullopt;
  std::time_t seconds = system_clock::to_time_t(time_point_cast<system_clock::duration>(file_clock::to_sys(written)));
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr) return std::nullopt;
  return year_month_day{year{local.tm_year + 1900}, month{static_cast<unsigned>(local.tm_mon + 1)},
                        day{static_cast<unsigned>(local.tm_mday)}};
}

bool file_exists(const std::string& path) {
  std::error_code error;
  return !path.empty() && fs::is_regular_file(path, error);
}

bool ends_with_exe(std::string_view path) {
  return path.size() >= 4 && equals_ignoring_case(path.substr(path.size() - 4), ".exe");
}

/// A viewer name that is not absolute is taken in the program folder, where
/// the launch makes its names current.
std::string viewer_full_name(const Program& program, const std::string& text) {
  if (text.empty() || fs::path(text).is_absolute()) return text;
  return (program.program_folder / text).lexically_normal().string();
}

void close_dialog(Program& program) {
  program.viewer_path_form.visible = false;
  program.ui.show_window(WindowId::ViewerPath, false);
}

}  // namespace

bool viewer_too_old(const fs::path& viewer) {
  auto date = local_date_of(viewer);
  return !date || *date < kOldestViewer;
}

std::optional<std::string> read_viewer_path(const Program& program) {
  fs::path file = program.data_file(kViewerPathFile);
  std::error_code error;
  if (!fs::exists(file, error)) return std::nullopt;
  auto lines = read_text_lines(file);
  if (!lines) return std::nullopt;
  return lines->empty() ? std::string() : trim(lines->front());
}

std::string write_viewer_path(const Program& program, const std::string& path) {
  return write_file_atomically(program.program_folder / kViewerPathFile, path + "\n");
}

ViewerCommand viewer_command(const std::string& viewer, const std::string& crystal_file, const std::string& wine) {
  if (!wine.empty() && ends_with_exe(viewer)) return {wine, {viewer, crystal_file}};
  return {viewer, {crystal_file}};
}

std::string find_on_path(std::string_view name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  std::string_view folders = path;
  while (true) {
    std::size_t end = folders.find(':');
    std::string_view folder = folders.substr(0, end);
    if (!folder.empty()) {
      fs::path candidate = fs::path(folder) / name;
      std::error_code error;
      auto status = fs::status(candidate, error);
      if (!error && fs::is_regular_file(status) && (status.permissions() & fs::perms::others_exec) != fs::perms::none)
        return candidate.string();
    }
    if (end == std::string_view::npos) return {};
    folders.remove_prefix(end + 1);
  }
}

bool start_viewer(Program& program) {
  const std::string viewer = trim(program.workspace.viewer_path);
  const std::string crystal = program.viewer_path_form.crystal_file;
  if (crystal.empty()) return false;
  if (!file_exists(viewer)) {
    program.ui.warning(viewer + " File not found");
    return false;
  }
  if (viewer_too_old(viewer)) {
    program.ui.warning(kOldViewerMessage);
    return false;
  }
  ViewerCommand command = viewer_command(viewer, crystal, find_on_path("wine"));
  if (!program.ui.start_program(command.program, command.arguments)) {
    program.ui.warning(viewer + " could not be started");
    return false;
  }
  return true;
}

std::vector<SystemViewer> system_structure_viewers() {
  const std::pair<const char*, std::vector<const char*>> known[] = {
      {"VESTA", {"VESTA", "vesta"}},
      {"Jmol", {"jmol"}},
      {"Avogadro", {"avogadro2", "avogadro"}},
      {"Default application (xdg-open)", {"xdg-open"}},
  };
  std::vector<SystemViewer> found;
  for (const auto& [name, programs] : known)
    for (const char* program : programs)
      if (std::string full = find_on_path(program); !full.empty()) {
        found.push_back({name, full});
        break;
      }
  return found;
}

bool open_in_system_viewer(Program& program, const SystemViewer& viewer) {
  const Workspace& ws = program.workspace;
  if (ws.phases.empty()) {
    program.ui.warning("No phase!");
    return false;
  }
  const fs::path& folder = program.scratch.path();
  if (folder.empty()) {
    program.ui.warning("The phase cannot be written for the viewer: " + program.scratch.problem());
    return false;
  }
  // Named after the phase's own file, so that the viewer's title says which phase it shows.
  std::string name = fs::path(program.shown_file_name(ws.crystal_file_name)).stem().string();
  if (name.empty()) name = "phase" + std::to_string(ws.current_phase);
  const fs::path file = folder / (name + "_viewer.cif");
  CurrentCrystal crystal = ws.crystal;  // its operators are made by the first computation
  if (crystal.symmetry.operators.empty())
    build_symmetry_operators(crystal, program.program_folder, folder, program.ui);
  if (std::string failure = overwrite_file(file, structure_cif_text(crystal, name)); !failure.empty()) {
    program.ui.warning("The phase cannot be written for the viewer: " + failure);
    return false;
  }
  if (!program.ui.start_program(viewer.program, {file.string()})) {
    program.ui.warning(viewer.name + " cannot be started");
    return false;
  }
  return true;
}

void launch_structure_viewer(Program& program) {
  Workspace& ws = program.workspace;
  if (ws.phases.empty()) {
    program.ui.warning("No phase!");
    return;
  }
  program.main_form.page = MainPage::CrystalData;
  if (trim(ws.crystal_file_name).empty()) return;
  // The viewer runs in its own folder, so it is given the crystal file's full
  // name, made before the program folder becomes current.
  program.viewer_path_form.crystal_file =
      fs::absolute(program.resolve(trim(ws.crystal_file_name))).lexically_normal().string();
  program.current_folder = program.program_folder;
  auto stored = read_viewer_path(program);
  if (stored) stored = viewer_full_name(program, *stored);
  if (!stored) {
    show_viewer_path_window(program);
    program.viewer_path_form.visible = true;
    program.ui.show_window(WindowId::ViewerPath, true);
    return;
  }
  if (!file_exists(*stored)) {
    program.ui.warning(*stored + " File not found");
    return;
  }
  if (viewer_too_old(*stored)) {
    program.ui.warning(kOldViewerMessage);
    remove_file_quietly(program.data_file(kViewerPathFile));
    return;
  }
  program.ui.show_window(WindowId::Plot, false);
  ws.viewer_path = *stored;
  start_viewer(program);
}

void show_viewer_path_window(Program& program) {
  program.current_folder = program.program_folder;
  if (auto stored = read_viewer_path(program)) program.viewer_path_form.path_text = *stored;
}

void browse_for_viewer(Program& program) {
  auto chosen = program.ui.open_file({"|*.exe", 1, program.current_folder.string(), {}});
  if (!chosen || trim(chosen->path).empty()) return;
  // Kept as spelled: names on this system are case-sensitive.
  program.workspace.viewer_path = trim(chosen->path);
  program.viewer_path_form.path_text = program.workspace.viewer_path;
}

void search_for_viewer(Program& program, const std::vector<fs::path>& roots) {
  ViewerPathForm& form = program.viewer_path_form;
  if (form.searching) return;
  program.workspace.viewer_path.clear();
  form.searching = true;
  form.search_cancelled = false;
  program.ui.set_busy(true);
  auto found = find_viewer(roots, [&program, &form] {
    program.ui.process_events();
    return !form.search_cancelled;
  });
  program.ui.set_busy(false);
  form.searching = false;
  if (form.search_cancelled) return;
  if (!found) {
    program.ui.warning("Pathname not found");
    return;
  }
  program.workspace.viewer_path = found->string();
  form.path_text = program.workspace.viewer_path;
}

void accept_viewer_path(Program& program) {
  ViewerPathForm& form = program.viewer_path_form;
  const std::string path = viewer_full_name(program, trim(form.path_text));
  program.workspace.viewer_path = path;
  if (!equals_ignoring_case(file_name_of(path), kViewerFileName)) {
    program.ui.warning(" This is not the Lumiso2.exe file");
    return;
  }
  if (!file_exists(path)) {
    program.ui.warning(path + " File not found");
    return;
  }
  if (viewer_too_old(path)) {
    program.ui.warning(kOldViewerMessage);
    return;
  }
  program.current_folder = program.program_folder;
  if (std::string error = write_viewer_path(program, path); !error.empty())
    program.ui.warning("The file lumipath.txt could not be written: " + error);
  start_viewer(program);
  close_dialog(program);
}

void cancel_viewer_path(Program& program) {
  if (program.viewer_path_form.searching) program.viewer_path_form.search_cancelled = true;
  close_dialog(program);
}

}  // namespace calvane
