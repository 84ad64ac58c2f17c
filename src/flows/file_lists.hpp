// The file lists: browsing a folder for crystal, pattern, peak or total data
// files and loading each clicked file at once with the reader of its kind.
#pragma once

#include <filesystem>

#include "ui/file_list_form.hpp"

namespace calvane {

struct Program;

/// What a click did, for the window that owns the plot.
struct FileListLoad {
  bool loaded = false;                   // a phase, pattern, peak list or workspace came in
  bool reset_intensity_scales = false;   // done on the plot state already; the plot redraws
  bool recompute_default_ticks = false;  // a first pattern in an empty workspace
};

/// `show_file_list`: one of the four "List of ..." menu items. Shows the panel
/// set to `kind` on the current folder and hides "Restore".
void show_file_list(Program& program, FileListKind kind);

/// `set_file_list_folder`: the tree's folder changed; the list shows its files and
/// it becomes the current folder.
void set_file_list_folder(Program& program, const std::filesystem::path& folder);

/// `open_listed_file`: a click on row `row` (0-based) of the file list
/// loads that file.
FileListLoad open_listed_file(Program& program, int row);

/// `close_file_list`: "Cancel" hides the panel.
void close_file_list(Program& program);

}  // namespace calvane
