#include "cli/modules.hpp"
#include "cli/plot_module.hpp"
#include "plot/image_export.hpp"
#include "util/text.hpp"

namespace calvane::cli {

namespace {

/// The entry point of the plot module, or the loader's reason.
RenderPlotEntry load_plot_module(const std::filesystem::path& executable_folder, std::string& reason) {
  void* entry = load_module_entry(executable_folder, kPlotModuleName, kPlotModuleEntry, reason);
  if (entry == nullptr && reason.empty()) reason = "this build draws plots only as metafiles (.emf)";
  return reinterpret_cast<RenderPlotEntry>(entry);
}

}  // namespace

PlotRenderer module_plot_renderer(const std::filesystem::path& executable_folder) {
  return [executable_folder](const std::filesystem::path& path, const PlotState& state, const Workspace& workspace,
                             int width, int height) -> std::string {
    const bool metafile = to_lower(path.extension().string()) == ".emf";
    std::string reason;
    if (!metafile) {
      if (RenderPlotEntry entry = load_plot_module(executable_folder, reason)) {
        entry(path, state, workspace, width, height, reason);
        return reason;
      }
      return reason;
    }
    return write_plot_metafile(path, state, workspace, HklMode::AlongTop, width - 20, height - 56);
  };
}

}  // namespace calvane::cli
