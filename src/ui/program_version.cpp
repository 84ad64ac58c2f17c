#include "ui/program_version.hpp"

namespace calvane {

std::string_view program_version() { return CALVANE_VERSION; }

std::string main_window_caption(std::string_view workspace_file_name, bool modified) {
  std::string caption = "Multi Phases  version of Calvane  " + std::string(program_version());
  if (workspace_file_name.empty() && !modified) return caption;
  std::string name = workspace_file_name.empty() ? "Untitled" : std::string(workspace_file_name);
  return name + (modified ? "*" : "") + " - " + caption;
}

}  // namespace calvane
