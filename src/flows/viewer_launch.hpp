// Starting the structure viewer Lumiso2 on the current crystal file, and the
// viewer path dialog that finds it and remembers it in "lumipath.txt".
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "viewer/viewer_search.hpp"

namespace calvane {

struct Program;

inline constexpr const char* kViewerPathFile = "lumipath.txt";
inline constexpr const char* kViewerFileName = "lumiso2.exe";
inline constexpr const char* kOldViewerMessage =
    "This old Lumiso version cannot work with the Calvane data files. Please download the most recent version";

/// True when the file's last write, as a local calendar date, is before
/// 11 August 2003: older viewers cannot read this program's crystal files.
/// A file whose date cannot be read counts as too old.
bool viewer_too_old(const std::filesystem::path& viewer);

/// First line of "lumipath.txt" in the program folder, trimmed; nothing when
/// the file does not exist.
std::optional<std::string> read_viewer_path(const Program& program);

/// Writes `path` as the only line of "lumipath.txt"; the error text, empty on success.
std::string write_viewer_path(const Program& program, const std::string& path);

/// The outside process: the program and its arguments, never a shell line.
struct ViewerCommand {
  std::string program;
  std::vector<std::string> arguments;
};

/// The viewer is a Windows program: where `wine` is given (found on the
/// PATH) a ".exe" viewer runs through it; otherwise the file itself is
/// started, which works for a native build or an ".exe" the system's binary
/// formats already hand to wine.
ViewerCommand viewer_command(const std::string& viewer, const std::string& crystal_file, const std::string& wine);

/// The full name of an executable `name` in a folder of the PATH, or empty.
std::string find_on_path(std::string_view name);

/// A structure viewer of this system, found on the PATH.
struct SystemViewer {
  std::string name;     // as the menu shows it ("VESTA")
  std::string program;  // its full file name
};

/// The viewers found among VESTA, Jmol, Avogadro and the desktop's default
/// application for a file (xdg-open), in that order.
std::vector<SystemViewer> system_structure_viewers();

/// Writes the current phase as a CIF into the program's scratch folder and
/// opens it in `viewer`. False, after a message, when there is no phase or
/// the file cannot be written or the viewer cannot be started.
bool open_in_system_viewer(Program& program, const SystemViewer& viewer);

/// `launch_structure_viewer`: "Start &Lumiso2" of the main window.
void launch_structure_viewer(Program& program);

/// Starts the viewer of the workspace on the crystal file fixed by the
/// launch, after the date test. False when it was not started (after one message).
bool start_viewer(Program& program);

// The viewer path dialog (ViewerPathWindow).

/// `init_active`: on showing, the text box gets the stored path.
void show_viewer_path_window(Program& program);
/// `browse_for_viewer`: "Browse".
void browse_for_viewer(Program& program);
/// `search_for_viewer`: "Automatic search" below `roots`.
void search_for_viewer(Program& program, const std::vector<std::filesystem::path>& roots = viewer_search_roots());
/// `accept_viewer_path`: "OK".
void accept_viewer_path(Program& program);
/// `cancel_viewer_path`: "Cancel"; also stops a running search.
void cancel_viewer_path(Program& program);

}  // namespace calvane
