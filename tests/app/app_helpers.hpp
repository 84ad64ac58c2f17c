// Shared pieces of the Qt tests: user gestures on widgets and a sample plot workspace.
#pragma once

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <tuple>
#include <utility>

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "model/workspace.hpp"

namespace calvane::testing {

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

// Two phases with Lorentzian peaks at the strongest Cu Kα lines of quartz and calcite, hkl labels
// on quartz, an observed pattern of the mixture and a peak list.
inline Workspace sample_plot_workspace() {
  Workspace w;
  w.settings.two_theta_low = 15;
  w.settings.two_theta_high = 45;
  for (int k = 0; k < 1000; ++k) w.profile_x.push_back(15 + k * 30.0 / 999);
  auto profile = [&](std::initializer_list<std::pair<double, double>> peaks) {
    std::vector<float> values;
    for (double x : w.profile_x) {
      double v = 0;
      for (auto [centre, height] : peaks) v += height / (1 + std::pow((x - centre) / 0.12, 2));
      values.push_back(static_cast<float>(v));
    }
    return values;
  };
  PhaseData quartz;
  quartz.file_name = "/data/quartz.cry";
  quartz.colour = w.styles.phase_colours[0];
  quartz.pen_width = 2;
  quartz.show_hkl = true;
  quartz.profile = profile({{20.86, 22}, {26.64, 100}, {36.54, 8}, {39.46, 8}, {40.29, 4}, {42.45, 6}});
  for (auto [h, k, l, t] : {std::tuple{1, 0, 0, 20.86}, {1, 0, 1, 26.64}, {1, 1, 0, 36.54}, {1, 0, 2, 39.46},
                            {1, 1, 1, 40.29}, {2, 0, 0, 42.45}})
    quartz.reflections.push_back({h, k, l, 0, 0, 0, t, 50});
  PhaseData calcite;
  calcite.file_name = "/data/calcite.cry";
  calcite.colour = w.styles.phase_colours[1];
  calcite.pen_style = 1;
  calcite.profile = profile({{23.06, 8}, {29.41, 100}, {35.97, 14}, {39.40, 18}, {43.15, 18}});
  calcite.reflections.push_back({1, 0, 4, 0, 0, 0, 29.41, 100});
  w.phases = {quartz, calcite};
  ObservedPattern observed;
  observed.file_name = "mixture.raw";
  for (int i = 0; i <= 1500; ++i) {
    const double x = 15 + i * 0.02;
    observed.points.push_back(
        {x, 3 + 55 / (1 + std::pow((x - 26.64) / 0.15, 2)) + 100 / (1 + std::pow((x - 29.41) / 0.15, 2))});
  }
  w.observed_patterns.push_back(observed);
  w.observed_peaks.push_back({"/data/mixture.dif", {{0, 0, 0, 26.64, 60}, {0, 0, 0, 29.41, 100}, {0, 0, 0, 39.44, 20}}, true});
  return w;
}

}  // namespace calvane::testing
