// calvane: the desktop program. The program folder is the folder current at start.
#include <QApplication>
#include <filesystem>

#include "app/main_window.hpp"
#include "app/qt_ui.hpp"
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
  if (!window.start()) return 1;  // a data file is missing: its message was shown
  window.show();
  return QApplication::exec();
}
