// The program's version, as the build gives it, and the main window's caption.
#pragma once

#include <string>
#include <string_view>

namespace calvane {

/// The project version the program was built as ("0.1").
std::string_view program_version();

/// The main window's caption: "Multi Phases  version of Calvane  " and the
/// version, preceded by the name of the workspace file last opened or saved
/// and " - ". A workspace changed since then is marked with "*" after its
/// name, or shown as "Untitled*" when it was never saved.
std::string main_window_caption(std::string_view workspace_file_name, bool modified);

}  // namespace calvane
