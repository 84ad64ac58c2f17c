#include <dlfcn.h>

#include "cli/plot_module.hpp"
#include "plot/image_export.hpp"
#include "util/text.hpp"

namespace calvane::cli {

namespace {

/// The entry point of the first module found, or the loader's reason.
RenderPlotEntry load_plot_module(const std::filesystem::path& executable_folder, std::string& reason) {
  for (const auto& path : {executable_folder / kPlotModuleName,
                           executable_folder.parent_path() / CALVANE_PLOT_MODULE_DIR / kPlotModuleName}) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) continue;
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
      reason = std::string("the plot module cannot be loaded: ") + ::dlerror();
      return nullptr;
    }
    auto entry = reinterpret_cast<RenderPlotEntry>(::dlsym(module, kPlotModuleEntry));
    if (entry == nullptr) reason = path.string() + " has no plot renderer";
    return entry;
  }
  reason = "this build draws plots only as metafiles (.emf)";
  return nullptr;
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
