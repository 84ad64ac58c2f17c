// Files named on the command line ("calvane FILE..."): which menu entry of
// "File" opens each, chosen by the file's extension.
#pragma once

#include <string_view>

namespace calvane {

enum class StartFileMenu { Crystal, ObservedPattern, ObservedPeaks, TotalData, Unknown };

struct StartFileEntry {
  StartFileMenu menu = StartFileMenu::Unknown;
  /// 1-based entry of the submenu: the CrystalFileKind of a crystal, the
  /// format entry of an observed pattern or peak file; 0 for a total data file.
  int entry = 0;
};

/// The entry that opens `path`, from its extension without regard to case.
/// ".dat" is read as a Rietveld pattern: observed patterns are what a user
/// most often hands over, and a WINFIT peak file opens from its menu.
StartFileEntry start_file_entry(std::string_view path);

}  // namespace calvane
