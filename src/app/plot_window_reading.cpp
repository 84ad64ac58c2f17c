// The plot window's reading aids and exports: panning, the wheel, Back and
// Forward, legend clicks, the intensity axis, the export dialog and the clipboard.
#include "app/plot_window.hpp"

#include <QClipboard>
#include <QGuiApplication>

#include <cmath>

#include "app/desktop_settings.hpp"
#include "app/export_dialog.hpp"
#include "app/image_export_qt.hpp"
#include "plot/plot_hover.hpp"

namespace calvane {

bool PlotWindow::navigation_pressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y) {
  PlotState& state = program_.plot_state;
  if (!state.status.visible) return false;  // nothing drawn yet
  if (button == Qt::MiddleButton || (button == Qt::LeftButton && (modifiers & Qt::ShiftModifier))) {
    panning_ = true;
    pan_x_ = x;
    pan_start_ = current_view(state);
    return true;
  }
  if (button == Qt::LeftButton && toggle_legend_entry(state, program_.workspace, x, y)) {
    legend_clicked_ = true;
    program_.mark_workspace_modified();
    redraw();
    program_.ui.refresh();  // the phases page's Draw boxes
    return true;
  }
  return false;
}

void PlotWindow::wheel_turned(int x, int steps) {
  // Each notch away from the user shows a fifth less around the cursor.
  const double factor = std::pow(0.8, steps);
  navigate([x, factor](PlotSession& session) { zoom_around(session, x, factor); });
}

void PlotWindow::navigate(const std::function<void(PlotSession&)>& action) {
  if (!program_.plot_state.status.visible) return;
  const PlotView before = current_view(program_.plot_state);
  with_session(action);
  record_view_change(program_.plot_state, before);
  refresh_controls(false);
  program_.ui.refresh();  // the angle fields
}

void PlotWindow::go_back() {
  with_session([](PlotSession& session) { calvane::go_back(session); });
  program_.ui.refresh();
}

void PlotWindow::go_forward() {
  with_session([](PlotSession& session) { calvane::go_forward(session); });
  program_.ui.refresh();
}

void PlotWindow::show_intensity_axis(bool shown) {
  program_.plot_state.intensity_axis = shown;
  if (settings_ != nullptr) settings_->set_value("plot/intensity_axis", shown ? 1 : 0);
  redraw();
}

void PlotWindow::show_d_axis(bool shown) {
  with_session([shown](PlotSession& session) { show_spacing_axis(session, shown); });
  if (settings_ != nullptr) settings_->set_value("plot/d_axis", shown ? 1 : 0);
  program_.ui.refresh();
}

void PlotWindow::remember_in(DesktopSettings* settings) {
  settings_ = settings;
  export_->remember_in(settings);
  if (settings_ == nullptr) return;
  program_.plot_state.intensity_axis = settings_->value("plot/intensity_axis", 0) != 0;
  program_.plot_state.sum_under_phases = settings_->value("plot/sum_under", 0) != 0;
  program_.plot_state.d_axis = settings_->value("plot/d_axis", 0) != 0;
  refresh_controls(false);
}

void PlotWindow::open_export_dialog() {
  if (!has_plot_data(program_.workspace)) {
    program_.ui.warning("No calculated diagram!");
    return;
  }
  export_->show();
  export_->raise();
  export_->activateWindow();
}

void PlotWindow::copy_plot() {
  if (!has_plot_data(program_.workspace) || image_.isNull()) return;
  QGuiApplication::clipboard()->setMimeData(
      plot_mime_data(program_.plot_state, program_.workspace, hkl_mode_of(program_), image_.width(), image_.height()));
}

}  // namespace calvane
