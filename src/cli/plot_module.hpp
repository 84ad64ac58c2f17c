// The Qt rendering of calvane-sim's --plot lives in a module of its own,
// loaded only when a picture is asked for: a run that writes no picture
// never loads the GUI libraries and starts in a few milliseconds.
#pragma once

#include <filesystem>
#include <string>

#include "cli/run.hpp"

namespace calvane::cli {

/// The module's file name, looked for beside the executable and then in
/// the library folder of an installed program (`../lib/calvane` or the
/// multiarch `../lib/<triplet>/calvane`).
inline constexpr const char* kPlotModuleName = "calvane-sim-plot.so";

/// The module's entry point: draws the plot into `path` (by its extension)
/// at width × height pixels; `reason` is left empty on success.
using RenderPlotEntry = void (*)(const std::filesystem::path& path, const PlotState& state,
                                 const Workspace& workspace, int width, int height, std::string& reason);
inline constexpr const char* kPlotModuleEntry = "calvane_render_plot";

/// A renderer that loads the module at its first call (never before). When
/// no module is found, or it cannot be loaded, the renderer draws metafiles
/// (.emf) itself and refuses the other formats with the reason.
PlotRenderer module_plot_renderer(const std::filesystem::path& executable_folder);

}  // namespace calvane::cli
