// calvane: the desktop program. Its program folder holds the data files, the
// listings and the settings: the folder of data files beside the executable
// (the build tree's program/), or for a program installed under a prefix a
// folder of the user's own that receives copies of the installed data files.
#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>
#include <QTabWidget>
#include <filesystem>

#include "app/desktop_settings.hpp"
#include "app/file_list_panel.hpp"
#include "app/main_window.hpp"
#include "app/metafile_dialog.hpp"
#include "app/plot_window.hpp"
#include "app/qt_ui.hpp"
#include "app/windows.hpp"
#include "flows/driver.hpp"
#include "flows/main_actions.hpp"
#include "flows/program.hpp"
#include "util/program_folder.hpp"
#include "flows/viewer_launch.hpp"

namespace {

using namespace calvane;

FolderEnvironment folder_environment() {
  return {qEnvironmentVariable("XDG_DATA_HOME").toStdString(), qEnvironmentVariable("HOME").toStdString()};
}

// What the plot window and the main window do for each other.
void connect_plot_window(Program& program, QtUi& ui, MainWindow& window, PlotWindow& plot) {
  plot.plot_phases = [&] { recompute_all_phases(program); };
  plot.recompute_full_range = [&] { recompute_all_phases(program); };
  ui.on_redraw_plot = [&] {
    plot.redraw();
    window.refresh_from_model();
  };
  ui.on_show_window = [&](WindowId id, bool visible) {
    if (id != WindowId::Plot) return;
    if (visible && !plot.isVisible()) plot.show();  // it places itself under the main window
    if (!visible) plot.hide();
  };
  window.on_erase_observed = [&plot] { plot.erase_observed(); };
  window.on_show_plot = [&plot] {
    plot.show();
    plot.raise();
    plot.activateWindow();
  };
  window.on_show_difference = [&plot] {
    plot.show();
    plot.show_difference();
  };
  window.on_reset_plot = [&plot] { plot.reset(); };
  window.on_clear_plot = [&plot] { plot.redraw(); };
  window.on_results_line = [&plot](int row) { plot.mark_line(row); };
  window.on_observed_load = [&plot](const ObservedLoad& load) { plot.after_observed_load(load); };
  window.on_total_data_loaded = [&plot](const TotalDataLoad& load) { plot.after_total_data_load(load); };
  plot.open_path = [&window](const QString& path) { window.open_path(path); };
}

// The file-list panel lives in the main window; a click that loaded a file
// hands the plot its part as the menu entries do.
void add_file_lists_and_viewer(Program& program, MainWindow& window, PlotWindow& plot) {
  auto* file_lists = new FileListPanel(program);
  file_lists->on_loaded = [&plot](const FileListLoad& load) {
    plot.after_observed_load(ObservedLoad{load.loaded, load.reset_intensity_scales, load.recompute_default_ticks});
  };
  window.set_file_list_panel(file_lists, [file_lists](FileListKind kind) { file_lists->open(kind); });
  window.set_viewer_launcher([&program, &window] {
    launch_structure_viewer(program);
    window.refresh_from_model();
  });
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("calvane");
  QApplication::setApplicationDisplayName("Calvane");
  QApplication::setWindowIcon(QIcon::fromTheme("calvane"));

  const ProgramFolderChoice folder = choose_program_folder(
      QCoreApplication::applicationDirPath().toStdString(), std::filesystem::current_path(), folder_environment());
  if (folder.folder.empty()) {
    QMessageBox::warning(nullptr, "Calvane", QString::fromStdString(folder.problem));
    return 1;
  }

  QtUi ui;
  Program program(ui, folder.folder);
  MainWindow window(program);
  ui.set_parent(&window);
  ui.on_refresh = [&window] { window.refresh_from_model(); };
  // A failed copy leaves files missing: the start-up check below names them.
  if (!folder.problem.empty()) ui.warning(folder.problem);
  // The start-up resets the workspace: it runs before the other windows are
  // made, so that the colours window's reading of "couleurs.txt" stays.
  if (!window.start()) return 1;  // a data file is missing: its message was shown

  // The other windows, created after the main window.
  PlotWindow plot(program, &window);
  connect_plot_window(program, ui, window, plot);

  Windows windows(program, &window);
  windows.attach(ui);
  windows.set_plot_window(&plot);
  window.set_windows(&windows);

  add_file_lists_and_viewer(program, window, plot);

  // What the user left last time: window geometry, splitter, page, recent
  // files and the folders of the file dialogs.
  DesktopSettings settings;
  window.use_settings(&settings);
  plot.metafile_dialog()->remember_in(&settings);
  plot.remember_in(&settings);
  if (ColoursWindow* colours = windows.colours())
    colours->sum_order_changed = [&settings](bool under) { settings.set_value("plot/sum_under", under ? 1 : 0); };
  window.show();
  // "calvane FILE...": each file opens as its menu entry would.
  for (const QString& argument : QApplication::arguments().mid(1)) {
    if (!QFileInfo(argument).isFile())
      ui.warning("File " + argument.toStdString() + " not found");
    else
      window.open_path(argument);
  }
  return QApplication::exec();
}
