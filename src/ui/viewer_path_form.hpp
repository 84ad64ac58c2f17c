// The viewer path dialog (ViewerPathWindow): where the structure viewer Lumiso2 is.
#pragma once

#include <string>

namespace calvane {

inline constexpr const char* kViewerPathWindowCaption = "Search the pathname for Lumiso";
inline constexpr const char* kViewerPathPrompt = "Full pathname for Lumiso2.exe:";

struct ViewerPathForm {
  bool visible = false;
  std::string path_text;          // the text box
  bool searching = false;         // the automatic search is running
  bool search_cancelled = false;  // "Cancel" was pressed during the search
  /// The full name of the crystal file the viewer is started on, fixed when
  /// the launch began (before the program folder became current).
  std::string crystal_file;
};

}  // namespace calvane
