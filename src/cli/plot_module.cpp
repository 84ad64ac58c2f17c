// calvane-sim-plot.so: the Qt renderer calvane-sim loads for --plot.
#include <QGuiApplication>
#include <cstdlib>
#include <type_traits>

#include "app/image_export_qt.hpp"
#include "cli/plot_module.hpp"

extern "C" __attribute__((visibility("default"))) void calvane_render_plot(
    const std::filesystem::path& path, const calvane::PlotState& state, const calvane::Workspace& workspace,
    int width, int height, std::string& reason) {
  // Text needs a font system: Qt's offscreen platform gives one without a display.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int argc = 1;
  char name[] = "calvane-sim";
  char* argv[] = {name, nullptr};
  QGuiApplication application(argc, argv);
  reason = calvane::render_plot_to_file(path, state, workspace, calvane::HklMode::AlongTop, width, height);
}

static_assert(std::is_same_v<decltype(&calvane_render_plot), calvane::cli::RenderPlotEntry>);
