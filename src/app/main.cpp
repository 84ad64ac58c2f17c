// calvane: the desktop program. Its program folder holds the data files, the
// listings and the settings: the folder of data files beside the executable
// (the build tree's program/), or for a program installed under a prefix a
// folder of the user's own that receives copies of the installed data files.
#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QTabWidget>
#include <filesystem>

#include "app/main_window.hpp"
#include "app/plot_window.hpp"
#include "app/qt_ui.hpp"
#include "app/windows.hpp"
#include "workspace/driver.hpp"
#include "workspace/main_actions.hpp"
#include "workspace/program.hpp"
#include "workspace/program_folder.hpp"
#include "workspace/start_files.hpp"

namespace {

using namespace calvane;

FolderEnvironment folder_environment() {
  return {qEnvironmentVariable("XDG_DATA_HOME").toStdString(), qEnvironmentVariable("HOME").toStdString()};
}

// The menu item of the main window that opens a file named at start; empty
// for a crystal, which opens through the crystal entry's handler itself.
QString menu_item(const StartFileEntry& entry) {
  static const char* const patterns[] = {"Brucker Format (*.raw)", "Philips Format (*.rd)",
                                         "Calvane Format (*.sim)", "Rietveld Format (*.dat)",
                                         "CPI Format (*.cpi)",     "CPD Format (*.cpd)"};
  static const char* const peaks[] = {"&Bruker format (*.dif)", "&XFIT format (*.txt)", "&WINFIT format (*.dat)",
                                      "&Philips frmat (*.di)", "&Column format (*.prn)"};
  switch (entry.menu) {
    case StartFileMenu::ObservedPattern:
      return QString("&File/Open an observed diagram data file/") + patterns[entry.entry - 1];
    case StartFileMenu::ObservedPeaks:
      return QString("&File/Open an observed peaks file/") + peaks[entry.entry - 1];
    case StartFileMenu::TotalData:
      return "&File/Open a total data file (*.cmp)";
    default:
      return {};
  }
}

// Opens one file named at start as its menu entry would, the entry's file
// dialog answered with the file.
void open_start_file(Tfmain& window, QtUi& ui, const std::string& argument) {
  const std::filesystem::path path = std::filesystem::absolute(argument);
  const StartFileEntry entry = start_file_entry(path.string());
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    ui.warning("File " + argument + " not found");
    return;
  }
  if (entry.menu == StartFileMenu::Unknown) {
    ui.warning("Calvane cannot open " + argument + ": unknown file type");
    return;
  }
  ui.answer_next_open_dialog(path.string());
  if (entry.menu == StartFileMenu::Crystal) {
    window.lit_fichier_cry(entry.entry);
  } else if (QAction* item = window.action(menu_item(entry)); item != nullptr && item->isEnabled()) {
    item->trigger();
  } else {
    ui.warning("Calvane cannot open " + argument + " at start");
  }
  ui.answer_next_open_dialog({});  // an entry that asked nothing leaves no answer behind
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
  Tfmain window(program);
  ui.set_parent(&window);
  ui.on_refresh = [&window] { window.refresh_from_model(); };
  // A failed copy leaves files missing: the start-up check below names them.
  if (!folder.problem.empty()) ui.warning(folder.problem);
  // The start-up resets the workspace: it runs before the other windows are
  // made, so that the colours window's reading of "couleurs.txt" stays.
  if (!window.start()) return 1;  // a data file is missing: its message was shown

  // The other windows, created after the main window.
  Tfplecran plot(program, &window);
  plot.plot_phases = [&] { click_button_plot_phase_data(program); };
  plot.recompute_full_range = [&] { click_button_plot_phase_data(program); };
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
  window.on_reset_plot = [&plot] { plot.reset(); };
  window.on_results_line = [&plot](int row) { plot.mark_line(row); };
  Windows windows(program, &window);
  windows.attach(ui);
  windows.set_plot_window(&plot);
  // A page change after the main window's own handler: "Style Options" shows the colours window.
  QObject::connect(window.pages(), &QTabWidget::currentChanged, &window, [&](int page) {
    change_volet(program, page);
    window.refresh_from_model();
  });
  window.show();
  for (const QString& argument : QApplication::arguments().mid(1)) open_start_file(window, ui, argument.toStdString());
  return QApplication::exec();
}
