// PlotWindow: the plot window "Diffraction diagram". It shows the image drawn
// by the core, redraws on resize, and hands the mouse, the control strip
// (scale, shift, reset), the menus, the tick panel and dropped files to the
// core's handlers; the difference window and the export and print dialogs
// belong to it.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <map>
#include <vector>

#include "flows/observed_flows.hpp"
#include "flows/total_data_flows.hpp"
#include "plot/canvas.hpp"
#include "flows/plot_interaction.hpp"
#include "flows/plot_navigation.hpp"
#include "ui/ui_port.hpp"
#include "flows/program.hpp"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QScrollBar;

namespace calvane {

class PlotImage;
class DesktopSettings;
class DifferenceWindow;
class ExportDialog;
class MetafileDialog;
class PrintDialog;
class TickPanel;

class PlotWindow : public QWidget {
  Q_OBJECT

public:
  explicit PlotWindow(Program& program, QWidget* parent = nullptr);

  /// Redraws the image from the workspace (the Ui's redraw_plot).
  void redraw();
  const QImage& image() const { return image_; }
  /// The main window's reset: the same as the reset button.
  void reset() { reset_zoom(); }
  /// "Erase" › "Observed diagrams".
  void erase_observed();
  /// A line of the results list was clicked: its angle is marked.
  void mark_line(int line_index);
  /// The plot's part after an observed pattern or peak list was opened.
  void after_observed_load(const ObservedLoad& load);
  /// The plot's part after a total data file replaced the workspace.
  void after_total_data_load(const TotalDataLoad& load);
  /// Shows or hides the dialog of `window` (Print, Difference, ImageExport);
  /// false for any other window.
  bool show_dialog(WindowId window, bool visible);

  /// Menu actions by caption path ("&Save image/&PNG format"), for tests and scripts.
  QAction* action(const QString& path) const;

  /// The driver's actions, set by the application.
  std::function<void()> plot_phases;
  std::function<void()> recompute_full_range;
  /// Opens a dropped file as its menu entry would; set by the application.
  std::function<void(const QString&)> open_path;

  DifferenceWindow* difference_window() const { return difference_; }
  MetafileDialog* metafile_dialog() const { return metafile_; }
  ExportDialog* export_dialog() const { return export_; }
  PrintDialog* print_dialog() const { return print_; }
  TickPanel* tick_panel() const { return ticks_; }
  QScrollBar* scale_control() const { return scale_; }
  QScrollBar* shift_control() const { return shift_; }
  QPushButton* reset_button() const { return reset_button_; }
  QLineEdit* readout() const { return readout_; }
  QLabel* status_line() const { return status_; }
  QWidget* image_area() const;

public slots:
  /// The reset button and the right button: back to the full range and scale 1.
  void reset_zoom();
  void change_intensity_scale(int position);
  void shift_plot(int position);
  void choose_y_mode(int mode);
  void choose_user_ticks();
  void choose_default_ticks();
  void read_user_ticks();
  void cancel_ticks();
  void show_difference();
  void save_bitmap_image();
  void save_jpeg_image();
  void save_metafile_image();
  void save_png_image();
  void save_svg_image();
  void save_pdf_image();
  void open_print_dialog();
  /// "E&xport picture...": the export dialog.
  void open_export_dialog();
  /// Ctrl+C: the plot at the window's size on the clipboard, as an image and as SVG.
  void copy_plot();
  /// "&Intensity axis": the axis, the legends above the curves and headroom.
  void show_intensity_axis(bool shown);
  void show_d_axis(bool shown);
  void go_back();
  void go_forward();
  /// Remembers the intensity axis and the export dialog's choice in `settings`.
  void remember_in(DesktopSettings* settings);
  void help();

protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  bool event(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  friend class PlotImage;
  void build_menus(QMenuBar* bar);
  void build_drawing_options_menu(QMenuBar* bar);
  void build_save_menu(QMenuBar* bar);
  QWidget* build_control_strip();
  QAction* add_item(QMenu* menu, const QString& path, const QString& caption,
                    const std::function<void()>& work);
  /// Runs `action` with a session drawing on the window image, then
  /// refreshes the controls from the plot state. `draws` is false for the
  /// handlers that leave the plot as it is (the mouse read-out).
  void with_session(const std::function<void(PlotSession&)>& action, bool draws = true);
  /// Writes every control, menu check and dialog from the plot state; the
  /// open difference window is drawn again when `redraw_difference`.
  void refresh_controls(bool redraw_difference = true);
  /// At the first showing: the left screen edge, the screen's width less 4,
  /// the top edge as far down as the main window is high.
  void place_at_creation();
  void keep_on_screen();
  void mouse_pressed(MouseButton button, int x, int y);
  void mouse_moved(int x, int y);
  void mouse_released(MouseButton button, int x, int y);
  /// A press that pans (middle button, or Shift with the left) or clicks a legend entry; false for the others.
  bool navigation_pressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
  void wheel_turned(int x, int steps);
  /// Runs a navigation and keeps the view it left for Back.
  void navigate(const std::function<void(PlotSession&)>& action);

  Program& program_;
  bool difference_was_open_ = false;  // the difference window was open when the plot was hidden
  QImage image_;
  PlotImage* view_ = nullptr;
  TickPanel* ticks_ = nullptr;
  QScrollBar* scale_ = nullptr;
  QScrollBar* shift_ = nullptr;
  QPushButton* reset_button_ = nullptr;
  QLineEdit* readout_ = nullptr;
  QLabel* status_ = nullptr;
  std::map<QString, QAction*> actions_;
  DifferenceWindow* difference_ = nullptr;
  MetafileDialog* metafile_ = nullptr;
  ExportDialog* export_ = nullptr;
  PrintDialog* print_ = nullptr;
  std::vector<Point> rubber_box_;
  DesktopSettings* settings_ = nullptr;
  bool panning_ = false;       // a middle or Shift drag moves the range
  int pan_x_ = 0;              // column the pan was last applied at
  PlotView pan_start_{};       // the view when the pan began, for Back
  bool legend_clicked_ = false;  // the press toggled a legend entry: its release does nothing
  bool drawing_ = false;         // a session holds the image's painter
  bool redraw_requested_ = false;  // a redraw was asked for during a session
  bool refreshing_ = false;      // controls are being written from the state
  bool placed_ = false;
};

}  // namespace calvane
