// calvane: the desktop program. The program folder is the folder current at start.
#include <QApplication>
#include <filesystem>

#include "app/main_window.hpp"
#include "app/plot_window.hpp"
#include "app/qt_ui.hpp"
#include "app/windows.hpp"
#include "workspace/driver.hpp"
#include "workspace/program.hpp"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("calvane");
  QApplication::setApplicationDisplayName("Calvane");

  calvane::QtUi ui;
  calvane::Program program(ui, std::filesystem::current_path());
  calvane::Tfmain window(program);
  ui.set_parent(&window);
  ui.on_refresh = [&window] { window.refresh_from_model(); };

  // The other windows, created after the main window.
  calvane::Tfplecran plot(program, &window);
  plot.plot_phases = [&] { calvane::click_button_plot_phase_data(program); };
  plot.recompute_full_range = [&] { calvane::click_button_plot_phase_data(program); };
  ui.on_redraw_plot = [&] {
    plot.redraw();
    window.refresh_from_model();
  };
  ui.on_show_window = [&](calvane::WindowId id, bool visible) {
    if (id != calvane::WindowId::Plot) return;
    if (visible && !plot.isVisible()) plot.show();  // it places itself under the main window
    if (!visible) plot.hide();
  };
  window.on_erase_observed = [&plot] { plot.erase_observed(); };
  window.on_reset_plot = [&plot] { plot.reset(); };
  window.on_results_line = [&plot](int row) { plot.mark_line(row); };
  calvane::Windows windows(program, &window);
  windows.attach(ui);
  windows.set_plot_window(&plot);
  if (!window.start()) return 1;  // a data file is missing: its message was shown
  window.show();
  // "calvane FILE...": each crystal file (or .cmp workspace) opens as its menu entry would.
  for (const QString& argument : QApplication::arguments().mid(1)) {
    ui.answer_next_open_dialog(std::filesystem::absolute(argument.toStdString()).string());
    window.lit_fichier_cry(static_cast<int>(calvane::CrystalFileKind::Native));
  }
  return QApplication::exec();
}
