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

/// `multi_fichiers`: one of the four "List of ..." menu items. Shows the panel
/// set to `kind` on the current folder and hides "Restore".
void multi_fichiers(Program& program, FileListKind kind);

/// `set_directory1`: the tree's folder changed; the list shows its files and
/// it becomes the current folder.
void set_directory1(Program& program, const std::filesystem::path& folder);

/// `selecte_multi_fichiers`: a click on row `row` (0-based) of the file list
/// loads that file.
FileListLoad selecte_multi_fichiers(Program& program, int row);

/// `fin_multi_fichier`: "Cancel" hides the panel.
void fin_multi_fichier(Program& program);

}  // namespace calvane
