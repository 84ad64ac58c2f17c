// MainWindow: the main window. Its widgets mirror the MainForm presentation model;
// each handler syncs the widgets into the model, calls the core and refreshes.
#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/experiment_page_widget.hpp"
#include "app/phases_page_widget.hpp"
#include "flows/observed_flows.hpp"
#include "flows/total_data_flows.hpp"
#include "ui/follow_up.hpp"
#include "ui/file_list_form.hpp"
#include "flows/program.hpp"
#include "flows/undo_history.hpp"

class QAction;
class QMenu;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSplitter;
class QTabWidget;
class QTableWidget;
class QToolButton;
class QVBoxLayout;
class QWidget;

namespace calvane {

class CrystalPage;
class DesktopSettings;
class FitWindow;
class QtUi;
class Windows;

class MainWindow : public QMainWindow {
  Q_OBJECT

public:
  explicit MainWindow(Program& program, QWidget* parent = nullptr);

  /// Runs the start-up of the program; false when a data file is missing.
  bool start();
  /// Rewrites every widget from the presentation model.
  void refresh_from_model();
  /// Reads every widget into the presentation model.
  void sync_model_from_widgets();

  /// The dialogs: the crystal page takes the anomalous panel from them.
  void set_windows(Windows* windows);

  /// Opens `path` as its menu entry would: a crystal file (.cry, .ins, .res,
  /// .inp, .cel, .lzy, .cif), an observed pattern (.raw, .rd, .sim, .dat,
  /// .cpi, .cpd), a peak file (.dif, .di, .txt, .prn) or a total data file
  /// (.cmp). False, with a message, for a name of no known kind.
  bool open_path(const QString& path);

  /// The file-list panel: placed in the right column above "Results" (it
  /// shows and hides itself); the four "List of ..." items call `show_list`.
  void set_file_list_panel(QWidget* panel, std::function<void(FileListKind)> show_list);
  /// "Start &Lumiso2": enabled once the viewer's launcher is given.
  void set_viewer_launcher(std::function<void()> launch_structure_viewer);

  /// Remembers recent files, dialog folders, the window's geometry, the
  /// splitter and the page in `settings` (none: nothing is remembered), and
  /// puts the window back as it was left.
  void use_settings(DesktopSettings* settings);
  /// Stores what use_settings puts back (also done when the window closes).
  void save_settings();
  /// The Undo and Redo items of the Edit menu.
  QAction* undo_action() const { return undo_; }
  QAction* redo_action() const { return redo_; }
  /// The fit window, once Results › Fit to measured pattern... showed it.
  FitWindow* fit_window() const { return fit_window_; }

  /// Menu actions by caption path ("&File/&Quit"), for tests and scripts.
  QAction* action(const QString& path) const;

  /// Lets the next open dialog of the core answer `path` without showing
  /// itself. Set by default for the Qt Ui; tests give their own.
  std::function<void(const std::string&)> answer_next_open_dialog;

  /// What the plot window does for the main window, set by the application.
  std::function<void()> on_erase_observed;
  /// The Window menu's Plot and Difference.
  std::function<void()> on_show_plot;
  std::function<void()> on_show_difference;
  std::function<void(int)> on_results_line;
  std::function<void()> on_reset_plot;
  std::function<void()> on_clear_plot;
  /// The plot's intensity scales and default ticks after a pattern was read.
  std::function<void(const ObservedLoad&)> on_observed_load;
  /// The plot's part after a total data file (or the snapshot of a deleted
  /// phase) replaced the workspace.
  std::function<void(const TotalDataLoad&)> on_total_data_loaded;

  QTabWidget* pages() const { return pages_; }
  QListWidget* results() const { return results_; }
  CrystalPage* crystal_page() const { return crystal_page_; }
  QTableWidget* phase_table() const { return phases_page_->phase_table(); }
  QPushButton* restore_button() const { return phases_page_->restore_button(); }
  QPushButton* sum_toggle() const { return phases_page_->sum_toggle(); }
  QPushButton* observed_toggle() const { return phases_page_->observed_toggle(); }
  QToolButton* xray_button() const { return xray_button_; }
  QToolButton* neutron_button() const { return neutron_button_; }
  QLabel* source_caption() const { return source_caption_; }
  QLabel* status_panel() const { return status_; }
  QComboBox* line_list() const { return experiment_page_->line_list(); }
  QLineEdit* wavelength() const { return experiment_page_->wavelength(); }
  QRadioButton* angle_scale_button(int index) const { return experiment_page_->angle_scale_button(index); }
  QRadioButton* percent_button(bool molar) const { return phases_page_->percent_button(molar); }

public slots:
  void open_crystal_file_of_kind(int kind);
  void reset_before_crystal_open();
  void save_current_crystal();
  void quit_program();
  void change_page(int page);
  void choose_xrays();
  void choose_neutrons();
  void start_keyboard_capture();
  void erase_phase_row(int row);
  void restore_erased_phase();
  void click_display(int row);
  void open_help_topic();
  /// Window activation: the crystal page's panel, the cell fields and the source caption.
  void reset_data();

protected:
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  void build_menus();
  void build_source_bar(QVBoxLayout* layout);
  QTabWidget* build_pages();
  /// The file-list panel (hidden until a list is opened) above "Results".
  QWidget* build_results_column();
  QWidget* build_style_page();
  /// The path of the entry-th entry (from 1) of a submenu of the menu table.
  static QString submenu_entry(const QString& submenu, int entry);
  /// Enables the item at `path` and runs `work` (then refreshes) when it is chosen.
  void bind(const QString& path, std::function<void()> work);
  /// Enables the item at `path` and runs `work` as it is, without act().
  void bind_direct(const QString& path, std::function<void()> work);
  void bind_handlers();
  void bind_open_handlers();
  void bind_save_handlers();
  void bind_other_handlers();
  void set_shortcuts();
  /// Syncs, runs `work`, refreshes; nested handlers leave both to the outer one.
  void act(const std::function<void()>& work);
  void begin_handler();
  void end_handler();
  /// The steps a core action left: the model's own, then the plot's.
  void follow(const FollowUp& steps);
  void observed_loaded(const ObservedLoad& load);
  /// Keeps the change the last handler made for undo, under `change_name_`.
  void note_change();
  void update_undo_actions();
  /// The name of a menu command's change for the Edit menu ("Erase Phases").
  static QString change_name(const QString& menu_path);
  void fill_recent_files();
  void fill_examples();
  void fill_viewers();
  void show_fit_window();
  /// The status line when no control's hint shows: the data caption, or how to begin.
  QString idle_status() const;
  /// Adds the file the last open dialog answered to the recent files when `opened`.
  void remember_opened(bool opened);
  /// A workspace saved under a name joins the recent files, as an opened one does.
  void remember_saved_workspace(bool saved);
  void undo_or_redo(bool undo);
  // The scan list shown when a measured file holds several scans.
  std::optional<int> choose_scan(const std::string& file, const std::vector<std::string>& scans);

  Program& program_;
  Windows* windows_ = nullptr;
  QTabWidget* pages_ = nullptr;
  QSplitter* splitter_ = nullptr;  // the pages beside the right column
  QListWidget* results_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* source_caption_ = nullptr;
  QToolButton* xray_button_ = nullptr;
  QToolButton* neutron_button_ = nullptr;
  std::map<QString, QAction*> actions_;
  QVBoxLayout* right_column_ = nullptr;  // the file-list panel and "Results"
  std::function<void(FileListKind)> show_file_list_;
  std::function<void()> launch_structure_viewer_;
  bool refreshing_ = false;  // the widgets are being written from the model
  bool closing_ = false;     // "Quit" is closing the window
  int handler_depth_ = 0;    // handlers running, outermost first
  UndoHistory undo_history_;
  QtUi* qt_ui_ = nullptr;                  // the Qt Ui, when the program runs on it
  DesktopSettings* settings_ = nullptr;
  QMenu* recent_files_ = nullptr;
  QMenu* examples_ = nullptr;
  QMenu* viewers_ = nullptr;
  FitWindow* fit_window_ = nullptr;  // made when first shown
  QLabel* start_hint_ = nullptr;
  QString change_name_;      // what the running handler changes, for the Edit menu
  QAction* undo_ = nullptr;
  QAction* redo_ = nullptr;

  ExperimentPage* experiment_page_ = nullptr;
  CrystalPage* crystal_page_ = nullptr;
  PhasesPage* phases_page_ = nullptr;
};

}  // namespace calvane
