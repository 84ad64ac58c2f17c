// calvane-sim: simulates powder patterns from crystal files without a screen.
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/options.hpp"
#include "cli/run.hpp"

#ifdef CALVANE_WITH_QT
#include <QGuiApplication>
#include <cstdlib>

#include "app/image_export_qt.hpp"
#endif

namespace {

/// The data files lie beside the executable in a laid-out program folder.
std::filesystem::path data_folder(const char* argv0) {
  std::error_code error;
  std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", error);
  if (error) self = std::filesystem::absolute(argv0);
  return self.parent_path();
}

}  // namespace

int main(int argc, char* argv[]) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  calvane::cli::Options options;
  try {
    options = calvane::cli::parse_options(arguments);
  } catch (const std::invalid_argument& error) {
    std::cerr << "calvane-sim: " << error.what() << '\n' << calvane::cli::usage();
    return 2;
  }
  if (options.help) {
    std::cout << calvane::cli::usage();
    return 0;
  }
  calvane::cli::PlotRenderer renderer;
#ifdef CALVANE_WITH_QT
  // Text needs a font system: Qt's offscreen platform gives one without a display.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication application(argc, argv);
  renderer = [](const std::filesystem::path& path, const calvane::PlotState& state,
                const calvane::Workspace& workspace, int width, int height) {
    return calvane::render_plot_to_file(path, state, workspace, calvane::HklMode::AlongTop, width, height);
  };
#endif
  return calvane::cli::run(options, data_folder(argv[0]), std::cerr, renderer);
}
