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
class DifferenceWindow;
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
  void sauve_image_eml();
  void save_png_image();
  void save_svg_image();
  void save_pdf_image();
  void open_print_dialog();
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
  PrintDialog* print_ = nullptr;
  std::vector<Point> rubber_box_;
  bool drawing_ = false;         // a session holds the image's painter
  bool redraw_requested_ = false;  // a redraw was asked for during a session
  bool refreshing_ = false;      // controls are being written from the state
  bool placed_ = false;
};

}  // namespace calvane
