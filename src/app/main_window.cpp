#include "app/main_window.hpp"

#include <QAction>
#include <algorithm>
#include <filesystem>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/crystal_page_widget.hpp"
#include "app/experiment_page_widget.hpp"
#include "app/phases_page_widget.hpp"
#include "app/widget_text.hpp"
#include "app/desktop_settings.hpp"
#include "app/qt_ui.hpp"
#include "app/text_grid_table.hpp"
#include "app/windows.hpp"
#include "flows/crystal_page.hpp"
#include "flows/open_flow.hpp"
#include "flows/export_flows.hpp"
#include "experiment_io/measured_pattern_files.hpp"
#include "experiment_io/reference_peak_files.hpp"
#include "flows/total_data_flows.hpp"
#include "ui/experiment_reading.hpp"
#include "ui/phase_options.hpp"
#include "ui/spectrum.hpp"
#include "profile/wavelength_lines.hpp"
#include "flows/report_flows.hpp"
#include "flows/follow_up_steps.hpp"
#include "util/text.hpp"
#include "flows/driver.hpp"
#include "flows/main_actions.hpp"
#include "flows/start_files.hpp"
#include "flows/startup.hpp"

namespace calvane {

MainWindow::MainWindow(Program& program, QWidget* parent) : QMainWindow(parent), program_(program) {
  setWindowTitle(qt(program_.main_form.caption));
  setObjectName("MainWindow");
  setAcceptDrops(true);
  qt_ui_ = dynamic_cast<QtUi*>(&program_.ui);
  if (qt_ui_ != nullptr)
    answer_next_open_dialog = [this](const std::string& path) { qt_ui_->answer_next_open_dialog(path); };
  build_menus();

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(4, 4, 4, 4);
  build_source_bar(layout);

  splitter_ = new QSplitter(Qt::Horizontal);
  splitter_->setObjectName("pagesAndResults");
  splitter_->setChildrenCollapsible(false);
  splitter_->addWidget(build_pages());
  splitter_->addWidget(build_results_column());
  splitter_->setStretchFactor(0, 3);
  splitter_->setStretchFactor(1, 2);
  layout->addWidget(splitter_, 1);
  setCentralWidget(central);

  status_ = new QLabel("Data");
  statusBar()->addWidget(status_, 1);
  // The status panel shows the hint of the control under the mouse.
  connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& message) {
    status_->setText(message.isEmpty() ? idle_status() : message);
  });
  bind_handlers();
  connect(results_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row < 0 || refreshing_) return;
    calvane::select_results_line(program_, row);
    if (on_results_line) on_results_line(row);
  });
  // A file dropped anywhere on the window opens: the text fields must not take it as text.
  for (QWidget* child : findChildren<QWidget*>())
    if (qobject_cast<QLineEdit*>(child) != nullptr) {
      child->setAcceptDrops(false);
    } else if (auto* area = qobject_cast<QAbstractScrollArea*>(child)) {
      area->setAcceptDrops(false);
      area->viewport()->setAcceptDrops(false);
    }
  // 720 pixels high, or the screen's height on a smaller screen (1024 × 700).
  int height = 720;
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    height = std::min(height, screen->availableGeometry().height() - 30);
  resize(program_.main_form.width, height);
  move(0, 0);
}

QTabWidget* MainWindow::build_pages() {
  pages_ = new QTabWidget;
  const PageHandlers handlers{[this](const std::function<void()>& work) { act(work); },
                              [this](const FollowUp& steps) { follow(steps); }, [this] { return refreshing_; }};
  experiment_page_ = new ExperimentPage(program_, handlers);
  pages_->addTab(experiment_page_, "Experimental Data");
  crystal_page_ = new CrystalPage(
      program_, [this] { begin_handler(); }, [this] { end_handler(); });
  pages_->addTab(crystal_page_, "Crystal Data");
  phases_page_ = new PhasesPage(program_, handlers);
  phases_page_->on_delete_phase = [this](int phase) { erase_phase_row(phase); };
  phases_page_->on_restore = [this] { restore_erased_phase(); };
  phases_page_->on_show_crystal = [this](int phase) { click_display(phase); };
  pages_->addTab(phases_page_, "Phases Data");
  pages_->addTab(build_style_page(), "Style Options");
  pages_->setTabToolTip(0, "Show/Change the experimental data");
  pages_->setTabToolTip(1, "Crystal data");
  pages_->setTabToolTip(2, "Show/Change the phases data");
  connect(pages_, &QTabWidget::currentChanged, this, &MainWindow::change_page);
  return pages_;
}

QWidget* MainWindow::build_results_column() {
  // The right column: the file-list panel (hidden until a list is opened) above "Results".
  auto* right_widget = new QWidget;
  auto* right = new QVBoxLayout(right_widget);
  right->setContentsMargins(0, 0, 0, 0);
  right_column_ = right;
  auto* results_box = new QGroupBox("Results");
  auto* results_layout = new QVBoxLayout(results_box);
  results_ = new QListWidget;
  results_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // Long lines scroll: the list never takes width from the pages.
  results_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
  results_box->setMinimumWidth(220);
  results_layout->addWidget(results_);
  // With nothing loaded, the place of the results says how to begin.
  start_hint_ = new QLabel(
      "To begin, open a crystal structure (File › Open crystal structure..., Ctrl+O), drop a crystal "
      "or pattern file on this window, or open an example from Help › Open an example.");
  start_hint_->setObjectName("startHint");
  start_hint_->setWordWrap(true);
  start_hint_->setAlignment(Qt::AlignCenter);
  results_layout->addWidget(start_hint_);
  right->addWidget(results_box, 1);
  return right_widget;
}

bool MainWindow::start() {
  if (!initialise_program(program_)) return false;
  undo_history_.start(program_);
  refresh_from_model();
  update_undo_actions();
  return true;
}

void MainWindow::set_windows(Windows* windows) {
  windows_ = windows;
  crystal_page_->set_anomalous_panel(windows != nullptr ? windows->anomalous_panel() : nullptr);
}

void MainWindow::set_viewer_launcher(std::function<void()> launch_structure_viewer) {
  launch_structure_viewer_ = std::move(launch_structure_viewer);
  action("&File/Start &Lumiso2")->setEnabled(bool(launch_structure_viewer_));
}

void MainWindow::remember_opened(bool opened) {
  if (!opened || settings_ == nullptr || qt_ui_ == nullptr || qt_ui_->last_open_path().empty()) return;
  settings_->add_recent_file(QFileInfo(qt(qt_ui_->last_open_path())).absoluteFilePath());
}

void MainWindow::remember_saved_workspace(bool saved) {
  if (!saved || settings_ == nullptr || program_.workspace_file.empty()) return;
  settings_->add_recent_file(QFileInfo(qt(program_.workspace_file)).absoluteFilePath());
}

QString MainWindow::idle_status() const {
  if (program_.workspace.phases.empty() && program_.workspace.observed_patterns.empty())
    return "No phase yet: open a crystal structure (Ctrl+O), drop a file here, or try Help › Open an example";
  return qt(program_.main_form.crystal.data_caption);
}

void MainWindow::use_settings(DesktopSettings* settings) {
  settings_ = settings;
  if (qt_ui_ != nullptr) qt_ui_->remember_folders(settings, program_.program_folder.string());
  if (settings_ == nullptr) return;
  // The plot's intensity mode and the hkl drawing mode, as last left.
  const int y_mode = settings_->value("plot/y_mode", 0);
  if (y_mode >= 0 && y_mode <= 2) program_.plot_state.y_mode = static_cast<YMode>(y_mode);
  const int hkl_mode = settings_->value("plot/hkl_mode", 0);
  if (hkl_mode == 0 || hkl_mode == 1) program_.main_form.phases.hkl_mode = hkl_mode;
  refresh_from_model();
  if (!settings_->restore_geometry("main", *this)) return;
  settings_->restore_splitter("main", *splitter_);
  pages_->setCurrentIndex(settings_->value("main/page", 0));
}

void MainWindow::save_settings() {
  if (settings_ == nullptr) return;
  settings_->save_geometry("main", *this);
  settings_->save_splitter("main", *splitter_);
  settings_->set_value("main/page", pages_->currentIndex());
  settings_->set_value("plot/y_mode", static_cast<int>(program_.plot_state.y_mode));
  settings_->set_value("plot/hkl_mode", program_.main_form.phases.hkl_mode);
  settings_->sync();
}

void MainWindow::begin_handler() {
  // A handler that runs inside another one (a message box lets focus and
  // activation events through) must not read the widgets: the model is ahead
  // of them until the outer handler refreshes.
  if (handler_depth_++ == 0) sync_model_from_widgets();
}

void MainWindow::end_handler() {
  if (--handler_depth_ == 0) refresh_from_model();
}

void MainWindow::note_change() {
  if (undo_history_.note_change(program_, change_name_.toStdString())) update_undo_actions();
  change_name_.clear();
}

void MainWindow::update_undo_actions() {
  const QString undo = qt(undo_history_.undo_name());
  const QString redo = qt(undo_history_.redo_name());
  undo_->setEnabled(undo_history_.can_undo());
  undo_->setText(undo.isEmpty() ? "&Undo" : "&Undo " + undo);
  redo_->setEnabled(undo_history_.can_redo());
  redo_->setText(redo.isEmpty() ? "&Redo" : "&Redo " + redo);
}

void MainWindow::undo_or_redo(bool undo) {
  begin_handler();
  const bool done = undo ? undo_history_.undo(program_) : undo_history_.redo(program_);
  if (done) {
    // The plot shows the phases' stored profiles and the observed data of the state brought back.
    if (on_clear_plot) on_clear_plot();
    program_.ui.redraw_plot();
  }
  end_handler();
  update_undo_actions();
}

void MainWindow::act(const std::function<void()>& work) {
  begin_handler();
  work();
  end_handler();
}

void MainWindow::follow(const FollowUp& steps) {
  if (steps.clear_plot && on_clear_plot) on_clear_plot();
  if (steps.reset_plot && on_reset_plot) on_reset_plot();
  carry_out_follow_up(program_, steps);
}

void MainWindow::observed_loaded(const ObservedLoad& load) {
  remember_opened(load.added);
  if (load.added) program_.mark_workspace_modified();
  if (load.added && on_observed_load) on_observed_load(load);
}

void MainWindow::build_source_bar(QVBoxLayout* layout) {
  auto* bar = new QHBoxLayout;
  xray_button_ = new QToolButton;
  xray_button_->setText("X rays");
  set_hint(xray_button_, "X rays case");
  neutron_button_ = new QToolButton;
  neutron_button_->setText("Neutrons");
  set_hint(neutron_button_, "Neutrons case");
  connect(xray_button_, &QToolButton::clicked, this, &MainWindow::choose_xrays);
  connect(neutron_button_, &QToolButton::clicked, this, &MainWindow::choose_neutrons);
  source_caption_ = new QLabel;
  bar->addWidget(xray_button_);
  bar->addWidget(neutron_button_);
  bar->addSpacing(12);
  bar->addWidget(source_caption_);
  bar->addStretch(1);
  layout->addLayout(bar);
}

QWidget* MainWindow::build_style_page() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(new QLabel("Colours, pen widths and styles of the curves"));
  auto* open = new QPushButton("Colours and styles...");
  connect(open, &QPushButton::clicked, this, [this] { program_.ui.show_window(WindowId::Colours, true); });
  layout->addWidget(open, 0, Qt::AlignLeft);
  layout->addStretch(1);
  return page;
}

void MainWindow::sync_model_from_widgets() {
  if (refreshing_) return;
  crystal_page_->sync_model_from_widgets();
  phases_page_->sync_model_from_widgets();
  experiment_page_->sync_model_from_widgets();
}

void MainWindow::refresh_from_model() {
  if (refreshing_) return;
  // Every handler ends here, and so do the other windows' changes: the
  // state they left is the one undo comes back to.
  if (handler_depth_ == 0) note_change();
  refreshing_ = true;
  show_workspace_caption(program_);
  const MainForm& form = program_.main_form;
  setWindowTitle(qt(form.caption));
  source_caption_->setText(qt(form.source_caption));
  xray_button_->setStyleSheet(form.xray_button_active ? "color: red" : "color: grey");
  neutron_button_->setStyleSheet(form.xray_button_active ? "color: grey" : "color: red");
  status_->setText(idle_status());
  const bool empty = program_.workspace.phases.empty() && program_.workspace.observed_patterns.empty();
  start_hint_->setVisible(empty);
  results_->setVisible(!empty);

  experiment_page_->refresh_from_model();
  crystal_page_->refresh_from_model();
  phases_page_->refresh_from_model();

  // Rebuilt only when its lines changed: a click on a line must not clear the list under it.
  bool same = results_->count() == static_cast<int>(form.results.size());
  for (int i = 0; same && i < results_->count(); ++i) same = results_->item(i)->text() == qt(form.results[static_cast<std::size_t>(i)]);
  if (!same) {
    results_->clear();
    for (const std::string& line : form.results) results_->addItem(qt(line));
  }
  // A reflection indexed on the plot selects its line, and the list shows it.
  if (form.results_selected >= 0 && form.results_selected < results_->count() &&
      results_->currentRow() != form.results_selected) {
    results_->setCurrentRow(form.results_selected);
    results_->scrollToItem(results_->currentItem());
  }
  if (pages_->currentIndex() != static_cast<int>(form.page)) pages_->setCurrentIndex(static_cast<int>(form.page));
  refreshing_ = false;
}

void MainWindow::open_crystal_file_of_kind(int kind) {
  change_name_ = "Open a crystal data file";
  act([this, kind] {
    const unsigned before = program_.workspace_revision;
    calvane::open_crystal_file_of_kind(program_, static_cast<CrystalFileKind>(kind));
    remember_opened(program_.workspace_revision != before);
  });
}

void MainWindow::reset_before_crystal_open() {
  act([this] { calvane::reset_before_crystal_open(program_); });
}

void MainWindow::save_current_crystal() {
  act([this] { calvane::save_current_crystal(program_); });
}

void MainWindow::quit_program() {
  // The Ui's quit closes this window: that close is the Quit's own, not a new request.
  closing_ = true;
  act([this] {
    const bool was_modified = program_.workspace_modified;
    if (!settle_unsaved_workspace(program_)) return;
    remember_saved_workspace(was_modified && !program_.workspace_modified);  // saved, not discarded
    calvane::quit_program(program_);
  });
  closing_ = false;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (closing_) {
    save_settings();
    QMainWindow::closeEvent(event);
    return;
  }
  // The close box quits as "Quit" does: the workspace may be saved first, or the close cancelled.
  event->ignore();
  quit_program();
}

void MainWindow::choose_xrays() {
  act([this] { follow(calvane::choose_xrays(program_)); });
}

void MainWindow::choose_neutrons() {
  act([this] { follow(calvane::choose_neutrons(program_)); });
}

void MainWindow::start_keyboard_capture() { crystal_page_->start_keyboard_capture(); }

void MainWindow::change_page(int page) {
  if (refreshing_) return;
  act([this, page] { calvane::change_page(program_, page); });
}

void MainWindow::click_display(int row) {
  act([this, row] { calvane::click_display(program_, row); });
}

void MainWindow::erase_phase_row(int row) {
  if (row < 1 || row > program_.workspace.phase_count()) return;
  act([this, row] {
    const std::string name = program_.main_form.phases.rows[static_cast<std::size_t>(row - 1)].name;
    // A double-click is easily made by mistake: the deletion is confirmed first.
    if (program_.ui.confirm("Do you want to delete the phase " + std::to_string(row) + " (" + name + ")?") !=
        Answer::Yes)
      return;
    calvane::erase_phase_row(program_, row);
    program_.ui.redraw_plot();
    // The "Crystal Data" boxes follow the phases that moved down.
    const Workspace& ws = program_.workspace;
    for (int p = 1; p <= kMaxPhases; ++p)
      program_.main_form.phases.rows[static_cast<std::size_t>(p - 1)].display =
          p == ws.current_phase && p <= ws.phase_count();
  });
}

void MainWindow::restore_erased_phase() {
  act([this] {
    const TotalDataLoad load = calvane::restore_erased_phase(program_);
    if (load.loaded && on_total_data_loaded) on_total_data_loaded(load);
  });
}

void MainWindow::open_help_topic() {
  act([this] { calvane::open_help_topic(program_); });
}

void MainWindow::reset_data() {
  act([this] { calvane::reset_data(program_); });
}

void MainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Activation after a message box of a running handler is not a return to the window.
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && handler_depth_ == 0) reset_data();
}

// The menu entry a file named at start or dropped opens: measured patterns
// and peak lists go through the entries that recognise their content.
static StartFileEntry opening_entry(const std::string& path) {
  StartFileEntry entry = start_file_entry(path);
  if (entry.menu != StartFileMenu::Unknown) return entry;
  const std::string extension = to_lower(std::filesystem::path(path).extension().string());
  const auto listed = [&extension](const std::vector<std::string>& list) {
    return std::find(list.begin(), list.end(), extension) != list.end();
  };
  if (listed(measured_pattern_extensions())) return {StartFileMenu::ObservedPattern, 0};
  if (listed(peak_list_extensions())) return {StartFileMenu::ObservedPeaks, 0};
  return entry;
}

std::optional<int> MainWindow::choose_scan(const std::string& file, const std::vector<std::string>& scans) {
  QStringList items;
  for (const std::string& scan : scans) items << QString::fromStdString(scan);
  bool chosen = false;
  const QString item = QInputDialog::getItem(
      this, "Scans", QString::fromStdString("The file " + file + " holds several scans. Which one?"), items, 0, false,
      &chosen);
  if (!chosen) return std::nullopt;
  return static_cast<int>(items.indexOf(item));
}

bool MainWindow::open_path(const QString& path) {
  const QFileInfo info(path);
  const std::string name = info.absoluteFilePath().toStdString();
  const StartFileEntry kind = opening_entry(name);
  if (kind.menu == StartFileMenu::Unknown) {
    program_.ui.warning("Unknown file type: " + info.fileName().toStdString());
    return false;
  }
  if (!answer_next_open_dialog) return false;
  answer_next_open_dialog(name);
  switch (kind.menu) {
    case StartFileMenu::Crystal:
      open_crystal_file_of_kind(kind.entry);
      break;
    case StartFileMenu::TotalData:
      action("&File/Open a total data file (*.cmp)")->trigger();
      break;
    case StartFileMenu::ObservedPattern:
      action("&File/Open measured pattern...")->trigger();
      break;
    case StartFileMenu::ObservedPeaks:
      action("&File/Open peak list...")->trigger();
      break;
    case StartFileMenu::Unknown:
      break;
  }
  // A flow that stopped before its dialog leaves the answer unused: it must not
  // answer a later dialog the user opens.
  answer_next_open_dialog(std::string());
  return true;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!event->mimeData()->hasUrls()) return;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile() && opening_entry(url.toLocalFile().toStdString()).menu != StartFileMenu::Unknown) {
      event->acceptProposedAction();
      return;
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  event->acceptProposedAction();
  for (const QUrl& url : urls)
    if (url.isLocalFile()) open_path(url.toLocalFile());
}

}  // namespace calvane
