// The file-list panel of the main window: a folder tree beside the files of
// one kind in the chosen folder, each loaded by a single click.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "model/colour.hpp"

namespace calvane {

/// The four lists, in the order of their menu items.
enum class FileListKind { CrystalData, ObservedPatterns, ObservedPeaks, TotalData };

struct FileListForm {
  bool visible = false;
  FileListKind kind = FileListKind::CrystalData;
  std::string title;  // the kind's title
  std::string mask;   // "*.cry;*.inp;..."
  Rgb colour;         // of the tree, the list and the panel
  std::string hint = "Double click to change";
  std::filesystem::path folder;     // the tree's folder
  std::vector<std::string> files;   // names (no folder) of the folder's files that match the mask
  int selected = -1;                // 0-based row of the last clicked file, -1 none
  std::string recorded_file;        // full name of the last file clicked in any list; heads the global report
};

std::string_view file_list_title(FileListKind kind);
std::string_view file_list_mask(FileListKind kind);
Rgb file_list_colour(FileListKind kind);

/// True when `file_name` matches one of the ";"-separated patterns of `mask`
/// ("*" any run of characters, "?" one character), without regard to case.
bool matches_file_mask(std::string_view file_name, std::string_view mask);

/// The regular files of `folder` that match `mask`, sorted by name without
/// regard to case. An unreadable or missing folder has none.
std::vector<std::string> files_matching(const std::filesystem::path& folder, std::string_view mask);

/// Sets the panel to `kind`: title, mask and colour.
void set_file_list_kind(FileListForm& form, FileListKind kind);

/// Shows the files of `folder` in the list; the selection is cleared.
void show_folder(FileListForm& form, const std::filesystem::path& folder);

}  // namespace calvane
