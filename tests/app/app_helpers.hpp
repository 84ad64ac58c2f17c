// Shared pieces of the Qt tests: the application, user gestures on widgets and a sample plot workspace.
#pragma once

#include <algorithm>
#include <cmath>
#include <tuple>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "support/plot_workspace.hpp"

namespace calvane::testing {

// The one QApplication of the Qt tests. It is never destroyed: windows held in
// function statics may outlive main, and Qt must still be there for them.
inline QApplication& application() {
  static int argc = 1;
  static char name[] = "test_app";
  static char* argv[] = {name, nullptr};
  static QApplication* app = QApplication::instance() != nullptr
                                 ? static_cast<QApplication*>(QApplication::instance())
                                 : new QApplication(argc, argv);
  return *app;
}

// Near the left edge: a radio button reacts only over its mark and its text.
inline void click(QAbstractButton* button) {
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(std::min(10, button->width() / 2), button->height() / 2));
}

inline void type_into(QLineEdit* edit, const QString& text) {
  edit->clear();
  QTest::keyClicks(edit, text);
}

// Shows a top-level window and waits until it has the focus, as keyboard tests need.
inline bool show_active(QWidget* window) {
  window->show();
  window->activateWindow();
  return QTest::qWaitForWindowActive(window);
}

inline void click_row(QListWidget* list, int row) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

// Quartz and calcite around their strongest Cu Kα lines, hkl labels on quartz,
// an observed pattern of the mixture and a peak list.
inline Workspace sample_plot_workspace() {
  Workspace w = gridded(15, 45, 1000);
  PhaseData& quartz = add_phase(w, "/data/quartz.cry", 26.64, 100, 0, 0.12);
  quartz.pen_width = 2;
  quartz.show_hkl = true;
  for (auto [h, k, l, t] : {std::tuple{1, 0, 0, 20.86}, {1, 0, 1, 26.64}, {1, 1, 0, 36.54}, {1, 0, 2, 39.46},
                            {1, 1, 1, 40.29}, {2, 0, 0, 42.45}})
    quartz.reflections.push_back(reflection(h, k, l, t, 50));
  add_phase(w, "/data/calcite.cry", 29.41, 100, 0, 0.12).reflections = {reflection(1, 0, 4, 29.41)};
  w.phases[1].pen_style = 1;
  ObservedPattern& observed = add_pattern(w, "mixture.raw", {});
  for (int i = 0; i <= 1500; ++i) {
    const double x = 15 + i * 0.02;
    observed.points.push_back({x, 3 + 55 * std::exp(-std::pow((x - 26.64) / 0.15, 2)) +
                                      100 * std::exp(-std::pow((x - 29.41) / 0.15, 2))});
  }
  w.observed_peaks.push_back({"/data/mixture.dif", {{0, 0, 0, 26.64, 60}, {0, 0, 0, 29.41, 100}}, true, {}});
  return w;
}

}  // namespace calvane::testing
