// The one QApplication of the Qt tests. It is never destroyed: windows held in
// function statics may outlive main, and Qt must still be there for them.
#pragma once

#include <QApplication>

namespace calvane::testing {

inline QApplication& application() {
  static int argc = 1;
  static char name[] = "test_app";
  static char* argv[] = {name, nullptr};
  static QApplication* app = QApplication::instance() != nullptr
                                 ? static_cast<QApplication*>(QApplication::instance())
                                 : new QApplication(argc, argv);
  return *app;
}

}  // namespace calvane::testing
