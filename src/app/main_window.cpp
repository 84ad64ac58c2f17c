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
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/crystal_page_widget.hpp"
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

namespace {

QString qt(const std::string& text) { return QString::fromStdString(text); }

void set_text(QLineEdit* edit, const std::string& text) {
  if (edit->text() != qt(text)) edit->setText(qt(text));
}

QLineEdit* small_edit(int width) {
  auto* edit = new QLineEdit;
  edit->setFixedWidth(width);
  return edit;
}

void set_hint(QWidget* widget, const QString& hint) {
  widget->setStatusTip(hint);
  widget->setToolTip(hint);
}

const char* const kObservedEntries[] = {"Bruker Format (*.raw)",  "Philips Format (*.rd)", "Calvane Format (*.sim)",
                                        "Rietveld Format (*.dat)", "CPI Format (*.cpi)",    "CPD Format (*.cpd)"};
const char* const kPeakEntries[] = {"&Bruker format (*.dif)", "&XFIT format (*.txt)", "&WINFIT format (*.dat)",
                                    "&Philips format (*.di)", "&Column format (*.prn)"};
const char* const kCrystalEntries[] = {"Calvan&e format (*.cry)",     "&ShelX format (*.inp, *.ins, *.res)",
                                       "Powder &Cell format (*.cel)", "&Lazy-Pulverix format (*.lzy)",
                                       "&ICSD format (*.ics)",        "CIF format (*.cif)"};
const char* const kListEntries[] = {"List of the crystal data files", "List of the observed diagram files",
                                    "List of observed peaks file", "List of total data files"};

// Columns of the "Phases Data" table.
enum PhaseColumn { kName, kColour, kDraw, kHkl, kPercent, kSize, kStrain, kDisplay, kPhaseColumns };

}  // namespace

MainWindow::MainWindow(Program& program, QWidget* parent) : QMainWindow(parent), program_(program) {
  setWindowTitle(qt(program_.main_form.caption));
  setObjectName("MainWindow");
  setAcceptDrops(true);
  if (auto* qt_ui = dynamic_cast<QtUi*>(&program_.ui))
    answer_next_open_dialog = [qt_ui](const std::string& path) { qt_ui->answer_next_open_dialog(path); };
  build_menus();

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(4, 4, 4, 4);
  build_source_bar(layout);

  auto* body = new QHBoxLayout;
  pages_ = new QTabWidget;
  pages_->addTab(build_experiment_page(), "Experimental Data");
  crystal_page_ = new CrystalPage(
      program_, [this] { begin_handler(); }, [this] { end_handler(); });
  pages_->addTab(crystal_page_, "Crystal Data");
  pages_->addTab(build_phases_page(), "Phases Data");
  pages_->addTab(build_style_page(), "Style Options");
  pages_->setTabToolTip(0, "Show/Change the experimental data");
  pages_->setTabToolTip(1, "Crystal data");
  pages_->setTabToolTip(2, "Show/Change the phases data");
  connect(pages_, &QTabWidget::currentChanged, this, &MainWindow::change_page);
  body->addWidget(pages_, 3);

  // The right column: the file-list panel (hidden until a list is opened) above "Results".
  auto* right = new QVBoxLayout;
  right_column_ = right;
  auto* results_box = new QGroupBox("Results");
  auto* results_layout = new QVBoxLayout(results_box);
  results_ = new QListWidget;
  results_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // Long lines scroll: the list never takes width from the pages.
  results_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
  results_box->setMinimumWidth(340);
  results_layout->addWidget(results_);
  right->addWidget(results_box, 1);
  body->addLayout(right, 2);
  layout->addLayout(body, 1);
  setCentralWidget(central);

  status_ = new QLabel("Data");
  statusBar()->addWidget(status_, 1);
  // The status panel shows the hint of the control under the mouse.
  connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& message) {
    status_->setText(message.isEmpty() ? qt(program_.main_form.crystal.data_caption) : message);
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
  resize(program_.main_form.width, 720);
  move(0, 0);
}

bool MainWindow::start() {
  if (!initialise_program(program_)) return false;
  refresh_from_model();
  return true;
}

void MainWindow::set_windows(Windows* windows) {
  windows_ = windows;
  crystal_page_->set_anomalous_panel(windows != nullptr ? windows->anomalous_panel() : nullptr);
}

void MainWindow::set_file_list_panel(QWidget* panel, std::function<void(FileListKind)> show_list) {
  // A hidden panel takes no room: "Results" has the column to itself until a list opens.
  // The column keeps the width it has beside the pages: the window stays 1020 pixels wide.
  if (panel != nullptr) {
    panel->setSizePolicy(QSizePolicy::Ignored, panel->sizePolicy().verticalPolicy());
    right_column_->insertWidget(0, panel, 1);
  }
  show_file_list_ = std::move(show_list);
  for (const char* entry : kListEntries) action(QString("&File/") + entry)->setEnabled(bool(show_file_list_));
}

void MainWindow::set_viewer_launcher(std::function<void()> launch_structure_viewer) {
  lauch_lumiso_ = std::move(launch_structure_viewer);
  action("&File/Start &Lumiso2")->setEnabled(bool(lauch_lumiso_));
}

QAction* MainWindow::add_item(QMenu* menu, const QString& caption, const QString& hint) {
  QAction* item = menu->addAction(caption);
  if (!hint.isEmpty()) item->setStatusTip(hint);
  QString path = caption;
  for (QWidget* parent = menu; parent != nullptr; parent = parent->parentWidget()) {
    auto* parent_menu = qobject_cast<QMenu*>(parent);
    if (parent_menu == nullptr) break;
    path = parent_menu->title() + "/" + path;
  }
  actions_[path] = item;
  item->setEnabled(false);  // enabled where its work is bound
  return item;
}

QAction* MainWindow::action(const QString& path) const {
  auto found = actions_.find(path);
  return found == actions_.end() ? nullptr : found->second;
}

void MainWindow::build_menus() {
  QMenu* file = menuBar()->addMenu("&File");
  add_item(file, "&Open crystal structure...", "Open a crystal file of any format the program reads");
  QMenu* open_crystal = file->addMenu("Open a crystal data file");
  connect(open_crystal, &QMenu::aboutToShow, this, &MainWindow::reset_before_crystal_open);
  for (const char* entry : kCrystalEntries) add_item(open_crystal, entry);
  add_item(file, kListEntries[0]);
  add_item(file, "Save the current crystal data");
  QMenu* profile = file->addMenu("Save the calculated profile of the current phase");
  for (const char* item : {"Calvane Format (*.sim)", "CPI Format (*.cpi)", "CPD Format (*.cpd)"}) add_item(profile, item);
  QMenu* peak_list = file->addMenu("Save the peaks list of the current phase");
  for (const char* item : {".prn format", "Bruker format (*.dif)", "Philips format (*.di)", "CIF format (*.cif)"})
    add_item(peak_list, item);
  file->addSeparator();
  add_item(file, "&Keyboard capture of crystal data", "Capture the crystal data with the keyboard");
  file->addSeparator();
  add_item(file, "Open measured pattern...", "Any measured pattern, its format recognised by content");
  QMenu* observed = file->addMenu("Open an observed diagram data file");
  for (const char* item : kObservedEntries) add_item(observed, item);
  add_item(file, kListEntries[1]);
  add_item(file, "Open peak list...", "Any peak list, JCPDS card or calibrant d list");
  QMenu* peaks = file->addMenu("Open an observed peaks file");
  for (const char* item : kPeakEntries) add_item(peaks, item);
  peaks->actions().back()->setStatusTip("2θ and intensity (optional)");
  add_item(file, kListEntries[2]);
  file->addSeparator();
  add_item(file, "Open a total data file (*.cmp)");
  add_item(file, kListEntries[3]);
  add_item(file, "Save the total data (*.cmp)");
  file->addSeparator();
  add_item(file, "Start &Lumiso2", "Launch Lumiso2 for the current crystal data");
  file->addSeparator();
  add_item(file, "&Quit");

  QMenu* results = menuBar()->addMenu("&Results");
  results->menuAction()->setStatusTip("Display/print the results for the current phase");
  connect(results, &QMenu::aboutToShow, this, [this] { act([this] { show_crystal_data_page(program_); }); });
  for (const char* entry : {"&Detailed results for the current phase", "&Short results for the current phase",
                            "&Global results"})
    add_item(results, entry);

  QMenu* erase = menuBar()->addMenu("&Erase");
  add_item(erase, "&General", "Erase phases data and observed patterns");
  add_item(erase, "&Phases", "Erase phases data");
  add_item(erase, "&Observed diagrams");

  for (const char* caption : {"&Help", "&About", "&Quit"}) {
    QAction* item = menuBar()->addAction(caption);
    item->setEnabled(false);
    actions_[caption] = item;
  }
}

void MainWindow::bind(const QString& path, std::function<void()> work) {
  QAction* item = action(path);
  if (item == nullptr) return;
  item->setEnabled(true);
  connect(item, &QAction::triggered, this, [this, work = std::move(work)] { act(work); });
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
  if (load.added) program_.workspace_modified = true;
  if (load.added && on_observed_load) on_observed_load(load);
}

void MainWindow::bind_handlers() {
  Program& p = program_;
  for (int kind = 1; kind <= 6; ++kind) {
    const QString path = QString("&File/Open a crystal data file/") + kCrystalEntries[kind - 1];
    if (kind == static_cast<int>(CrystalFileKind::Icsd)) continue;  // the format is not available
    action(path)->setEnabled(true);
    connect(action(path), &QAction::triggered, this, [this, kind] { open_crystal_file_of_kind(kind); });
  }
  bind("&File/&Open crystal structure...", [&p] {
    calvane::reset_before_crystal_open(p);  // as the per-format submenu does when it opens
    calvane::open_crystal_structure(p);
  });
  bind("&File/Save the current crystal data", [&p] { calvane::save_current_crystal(p); });
  for (int entry = 1; entry <= 6; ++entry)
    bind(QString("&File/Open an observed diagram data file/") + kObservedEntries[entry - 1], [this, &p, entry] {
      observed_loaded(open_pattern_file_of_kind(p, entry));
      p.ui.redraw_plot();
    });
  bind("&File/Open measured pattern...", [this, &p] {
    MeasuredOpenChoices choices;
    choices.choose_scan = [this](const std::string& file, const std::vector<std::string>& scans) {
      return choose_scan(file, scans);
    };
    observed_loaded(open_measured_pattern(p, choices));
    p.ui.redraw_plot();
  });
  bind("&File/Open peak list...", [this, &p] { observed_loaded(open_peak_list(p)); });
  for (int entry = 1; entry <= 5; ++entry)
    bind(QString("&File/Open an observed peaks file/") + kPeakEntries[entry - 1],
         [this, &p, entry] { observed_loaded(open_peak_file_of_kind(p, entry)); });
  const QString profile = "&File/Save the calculated profile of the current phase/";
  bind(profile + "Calvane Format (*.sim)", [&p] { export_sim_profile(p); });
  bind(profile + "CPI Format (*.cpi)", [&p] { export_cpi_profile(p); });
  bind(profile + "CPD Format (*.cpd)", [&p] { export_cpd_profile(p); });
  const QString peak_list = "&File/Save the peaks list of the current phase/";
  const char* peak_list_entries[] = {".prn format", "Bruker format (*.dif)", "Philips format (*.di)", "CIF format (*.cif)"};
  for (int entry = 1; entry <= 4; ++entry)
    bind(peak_list + peak_list_entries[entry - 1], [&p, entry] { save_hkl_list(p, entry); });
  action("&File/&Keyboard capture of crystal data")->setEnabled(true);
  connect(action("&File/&Keyboard capture of crystal data"), &QAction::triggered, this, &MainWindow::start_keyboard_capture);
  bind("&File/Open a total data file (*.cmp)", [this, &p] {
    const TotalDataLoad load = open_workspace_file(p, TotalDataSender::Menu);
    if (load.loaded && on_total_data_loaded) on_total_data_loaded(load);
    p.ui.redraw_plot();
  });
  bind("&File/Save the total data (*.cmp)", [&p] { save_workspace_file(p, TotalDataSender::Menu); });
  // The four lists, in menu order, are the four kinds in their order.
  for (int kind = 0; kind < 4; ++kind)
    connect(action(QString("&File/") + kListEntries[kind]), &QAction::triggered, this, [this, kind] {
      if (show_file_list_) act([this, kind] { show_file_list_(static_cast<FileListKind>(kind)); });
    });
  connect(action("&File/Start &Lumiso2"), &QAction::triggered, this, [this] {
    if (lauch_lumiso_) act(lauch_lumiso_);
  });
  bind("&Results/&Detailed results for the current phase", [&p] { show_detailed_listing(p); });
  bind("&Results/&Short results for the current phase", [&p] { show_short_listing(p); });
  bind("&Results/&Global results", [&p] { show_global_report(p); });
  bind("&Erase/&General", [this, &p] {
    erase_all(p);
    if (on_clear_plot) on_clear_plot();
  });
  bind("&Erase/&Phases", [&p] {
    delete_phases(p);
    p.ui.redraw_plot();  // the curves and the difference window follow
  });
  bind("&Erase/&Observed diagrams", [this, &p] {
    if (!p.workspace.observed_patterns.empty() || !p.workspace.observed_peaks.empty()) p.workspace_modified = true;
    if (on_erase_observed) on_erase_observed();
  });
  action("&Help")->setEnabled(true);
  connect(action("&Help"), &QAction::triggered, this, &MainWindow::open_help_topic);
  bind("&About", [&p] { p.ui.show_window(WindowId::About, true); });
  for (const QString path : {"&File/&Quit", "&Quit"}) {
    action(path)->setEnabled(true);
    connect(action(path), &QAction::triggered, this, &MainWindow::quit_program);
  }

  // The usual shortcuts: open a crystal, save the workspace, quit, help.
  action("&File/&Open crystal structure...")->setShortcut(QKeySequence::Open);
  action("&File/Save the total data (*.cmp)")->setShortcut(QKeySequence::Save);
  action("&File/&Quit")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  action("&Help")->setShortcut(QKeySequence::HelpContents);
  for (const QString path : {"&File/&Open crystal structure...", "&File/Save the total data (*.cmp)",
                             "&File/&Quit", "&Help"})
    action(path)->setShortcutContext(Qt::WindowShortcut);
  // The shortcuts must work with the menus closed: the actions also belong to the window.
  addActions({action("&File/&Open crystal structure..."),
              action("&File/Save the total data (*.cmp)"), action("&File/&Quit"), action("&Help")});

  // Keyboard routes to what otherwise needs the mouse: the other open commands,
  // the pages, the source buttons and the line list.
  const std::pair<const char*, QKeySequence> opens[] = {
      {"&File/Open measured pattern...", QKeySequence(Qt::CTRL | Qt::Key_M)},
      {"&File/Open a total data file (*.cmp)", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)}};
  for (const auto& [path, keys] : opens) {
    action(path)->setShortcut(keys);
    action(path)->setShortcutContext(Qt::WindowShortcut);
    addAction(action(path));
  }
  for (int page = 0; page < pages_->count(); ++page)
    connect(new QShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + page)), this),
            &QShortcut::activated, this, [this, page] { pages_->setCurrentIndex(page); });
  xray_button_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_X));
  neutron_button_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this), &QShortcut::activated, this, [this] {
    pages_->setCurrentIndex(0);
    line_list_->setFocus();
  });
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

QWidget* MainWindow::build_experiment_page() {
  auto* page = new QWidget;
  page->setStatusTip("Show/Change the experimental data");
  auto* layout = new QGridLayout(page);

  auto* wavelength_box = new QGroupBox("Wavelength");
  auto* wavelength_layout = new QFormLayout(wavelength_box);
  line_list_ = new QComboBox;
  line_list_->addItem(qt(std::string(kMultipleLinesItem)));
  for (const CharacteristicLine& line : kCharacteristicLines) line_list_->addItem(qt(std::string(line.item)));
  line_list_->setCurrentIndex(-1);
  wavelength_layout->addRow("Line", line_list_);
  wavelength_ = small_edit(90);
  wavelength_layout->addRow("λ (Å)", wavelength_);
  default_wavelength_notice_ = new QLabel("The wavelength was set to the default value 1.5406");
  default_wavelength_notice_->setWordWrap(true);
  wavelength_layout->addRow(default_wavelength_notice_);
  layout->addWidget(wavelength_box, 0, 0);
  connect(line_list_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
    act([this, index] {
      follow(choose_wavelength_line(SpectrumView{program_.workspace, program_.main_form, program_.wavelength_form, program_.ui},
                        index));
    });
  });
  connect(wavelength_, &QLineEdit::textEdited, this, [this] {
    act([this] { follow(read_wavelength_field(program_.workspace, program_.main_form)); });
  });

  auto* range_box = new QGroupBox("Angle range");
  auto* range_layout = new QGridLayout(range_box);
  range_low_ = small_edit(70);
  range_high_ = small_edit(70);
  range_low_caption_ = new QLabel;
  range_high_caption_ = new QLabel;
  range_layout->addWidget(range_low_caption_, 0, 0);
  range_layout->addWidget(range_low_, 0, 1);
  range_layout->addWidget(range_high_caption_, 1, 0);
  range_layout->addWidget(range_high_, 1, 1);
  scale_group_ = new QButtonGroup(this);
  const char* scales[] = {"θ", "2θ", "Q = 4π sin θ / λ"};
  for (int i = 0; i < 3; ++i) {
    auto* button = new QRadioButton(scales[i]);
    scale_buttons_[static_cast<std::size_t>(i)] = button;
    scale_group_->addButton(button, i);
    range_layout->addWidget(button, i, 2);
  }
  connect(scale_group_, &QButtonGroup::idClicked, this, [this](int scale) {
    act([this, scale] {
      follow(change_angle_scale(program_.workspace.settings, program_.main_form.experiment,
                                 static_cast<AngleScale>(scale), program_.ui));
    });
  });
  connect(range_low_, &QLineEdit::editingFinished, this, [this] {
    if (refreshing_) return;
    act([this] {
      read_range_end(program_.workspace.settings, program_.main_form.experiment, RangeEndSide::Low, program_.ui);
    });
  });
  connect(range_high_, &QLineEdit::editingFinished, this, [this] {
    if (refreshing_) return;
    act([this] {
      read_range_end(program_.workspace.settings, program_.main_form.experiment, RangeEndSide::High, program_.ui);
    });
  });
  layout->addWidget(range_box, 1, 0);

  auto* resolution_box = new QGroupBox(QString::fromUtf8(kResolutionCaption));
  auto* resolution_layout = new QHBoxLayout(resolution_box);
  u_ = small_edit(84);
  v_ = small_edit(84);
  w_ = small_edit(84);
  for (auto [caption, edit] : {std::pair{"U", u_}, std::pair{"V", v_}, std::pair{"W", w_}}) {
    set_hint(edit, QString("%1 coefficient of the resolution curve (Rietveld)").arg(caption));
    resolution_layout->addWidget(new QLabel(caption));
    resolution_layout->addWidget(edit);
  }
  resolution_layout->addStretch(1);
  layout->addWidget(resolution_box, 2, 0, 1, 2);

  spectrum_ = new QTableWidget(4, 3);
  spectrum_->setHorizontalHeaderLabels({"λ (Å)", "%", "μ/ρ"});
  spectrum_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  spectrum_->verticalHeader()->hide();
  spectrum_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  spectrum_->setFixedHeight(4 * 24 + 28);
  layout->addWidget(spectrum_, 3, 0);

  auto* warning = new QPlainTextEdit;
  warning->setReadOnly(true);
  warning->setPlainText(
      "Warning \n-------------\n\nΔ(2θ) is the reflection enlargement\ndue to the instrumental effect\n\n"
      "The peak of each phase can be enlarged\nby modifying the crystallite size\n(see \"Phases data\")");
  layout->addWidget(warning, 0, 1, 2, 1);

  auto* apply = new QPushButton("Apply");
  set_hint(apply, "Draw the diagrams");
  apply->setShortcut(apply_keys());
  connect(apply, &QPushButton::clicked, this,
          [this] { act([this] { recompute_all_phases(program_, PlotSender::ExperimentApply); }); });
  layout->addWidget(apply, 4, 1, Qt::AlignRight);
  layout->setRowStretch(5, 1);
  return page;
}

QWidget* MainWindow::build_phases_page() {
  auto* page = new QWidget;
  page->setStatusTip("Show/Change the phases data");
  auto* layout = new QVBoxLayout(page);
  phase_table_ = new QTableWidget(kMaxPhases + 1, kPhaseColumns);
  phase_table_->setHorizontalHeaderLabels(
      {"Phase Name", "", "Draw", "(hkl)", "Percent\nWeight", "Size(A)", "D d/d\n(X1000)", "Crystal\nData"});
  QStringList rows;
  for (int p = 1; p <= kMaxPhases; ++p) rows << QString(" %1").arg(p);
  rows << "     Sum";
  phase_table_->setVerticalHeaderLabels(rows);
  phase_table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  phase_table_->horizontalHeader()->setSectionResizeMode(kName, QHeaderView::Stretch);
  phase_table_->horizontalHeader()->setSectionResizeMode(kColour, QHeaderView::Fixed);
  phase_table_->setColumnWidth(kColour, 24);
  phase_table_->verticalHeader()->setDefaultSectionSize(24);
  phase_table_->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                                QAbstractItemView::SelectedClicked);
  phase_table_->setFixedHeight(9 * 24 + 44);
  layout->addWidget(phase_table_);

  // A double-click on a phase's name deletes the phase, once confirmed.
  connect(phase_table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
    if (column == kName && row < kMaxPhases) erase_phase_row(row + 1);
  });
  connect(phase_table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (refreshing_) return;
    const int row = item->row();
    if (item->column() == kDraw) {
      act([this] {
        click_draw(program_);
        program_.ui.redraw_plot();
      });
    } else if (item->column() == kHkl && row < program_.workspace.phase_count()) {
      act([this, row] {
        program_.workspace.phase(row + 1).show_hkl = program_.main_form.phases.rows[static_cast<std::size_t>(row)].hkl;
        program_.workspace_modified = true;
        program_.ui.redraw_plot();
      });
    } else if (item->column() == kDisplay && row < kMaxPhases && item->checkState() == Qt::Checked) {
      click_display(row + 1);
    }
  });

  auto* buttons = new QHBoxLayout;
  sum_toggle_ = new QPushButton("Sum");
  set_hint(sum_toggle_, "Draw/mask the sum of calculated patterns");
  observed_toggle_ = new QPushButton("Obs.");
  set_hint(observed_toggle_, "Draw/mask the observed pattern");
  for (QPushButton* toggle : {sum_toggle_, observed_toggle_}) {
    toggle->setCheckable(true);
    buttons->addWidget(toggle);
  }
  connect(sum_toggle_, &QPushButton::clicked, this, [this](bool pressed) {
    act([this, pressed] {
      PhasesPageForm& phases = program_.main_form.phases;
      phases.sum_toggle_pressed = pressed;
      phases.sum_draw = !pressed;
      program_.workspace.settings.draw_sum = !pressed;
      program_.workspace_modified = true;
      program_.ui.redraw_plot();
    });
  });
  connect(observed_toggle_, &QPushButton::clicked, this, [this](bool pressed) {
    act([this, pressed] {
      program_.main_form.phases.observed_toggle_pressed = pressed;
      program_.workspace.settings.draw_observed = !pressed;
      program_.ui.redraw_plot();
    });
  });
  buttons->addStretch(1);
  restore_ = new QPushButton("Restore");
  set_hint(restore_, "Restore the last deleted phase");
  connect(restore_, &QPushButton::clicked, this, &MainWindow::restore_erased_phase);
  buttons->addWidget(restore_);
  auto* apply = new QPushButton("Apply");
  set_hint(apply, "Draw the diagrams");
  apply->setShortcut(apply_keys());
  connect(apply, &QPushButton::clicked, this,
          [this] { act([this] { recompute_all_phases(program_, PlotSender::PhasesApply); }); });
  buttons->addWidget(apply);
  layout->addLayout(buttons);

  auto* options = new QHBoxLayout;
  auto* percent_box = new QGroupBox("Percent");
  auto* percent_layout = new QHBoxLayout(percent_box);
  weight_percent_ = new QRadioButton("Weight %");
  molar_percent_ = new QRadioButton("Molec. %");
  percent_group_ = new QButtonGroup(this);
  percent_group_->addButton(weight_percent_, 0);
  percent_group_->addButton(molar_percent_, 1);
  percent_layout->addWidget(weight_percent_);
  percent_layout->addWidget(molar_percent_);
  connect(percent_group_, &QButtonGroup::idClicked, this, [this](int molar) {
    act([this, molar] {
      follow(change_percent_mode(program_.workspace, program_.main_form, molar == 1, program_.ui));
    });
  });
  options->addWidget(percent_box);
  auto* hkl_box = new QGroupBox("hkl drawing mode");
  auto* hkl_layout = new QHBoxLayout(hkl_box);
  hkl_mode_group_ = new QButtonGroup(this);
  for (int mode = 0; mode < 2; ++mode) {
    auto* button = new QRadioButton(QString("mode%1").arg(mode + 1));
    hkl_mode_group_->addButton(button, mode);
    hkl_layout->addWidget(button);
  }
  connect(hkl_mode_group_, &QButtonGroup::idClicked, this, [this](int mode) {
    act([this, mode] {
      program_.main_form.phases.hkl_mode = mode;
      program_.ui.redraw_plot();
    });
  });
  options->addWidget(hkl_box);
  options->addStretch(1);
  layout->addLayout(options);
  layout->addStretch(1);
  return page;
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
  PhasesPageForm& phases = program_.main_form.phases;
  for (int p = 0; p < kMaxPhases; ++p) {
    PhaseRow& row = phases.rows[static_cast<std::size_t>(p)];
    auto text_of = [this, p](int column) {
      const QTableWidgetItem* item = phase_table_->item(p, column);
      return item != nullptr ? item->text().toStdString() : std::string();
    };
    auto checked = [this, p](int column) {
      const QTableWidgetItem* item = phase_table_->item(p, column);
      return item != nullptr && item->checkState() == Qt::Checked;
    };
    row.draw = checked(kDraw);
    row.hkl = checked(kHkl);
    row.percent = text_of(kPercent);
    row.size = text_of(kSize);
    row.strain = text_of(kStrain);
  }
  if (const QTableWidgetItem* sum = phase_table_->item(kMaxPhases, kDraw)) phases.sum_draw = sum->checkState() == Qt::Checked;
  ExperimentPageForm& experiment = program_.main_form.experiment;
  experiment.wavelength = wavelength_->text().toStdString();
  experiment.range_low = range_low_->text().toStdString();
  experiment.range_high = range_high_->text().toStdString();
  experiment.u = u_->text().toStdString();
  experiment.v = v_->text().toStdString();
  experiment.w = w_->text().toStdString();
}

void MainWindow::refresh_experiment_page() {
  const ExperimentPageForm& experiment = program_.main_form.experiment;
  line_list_->setCurrentIndex(experiment.line_index);
  set_text(wavelength_, experiment.wavelength);
  set_text(range_low_, experiment.range_low);
  set_text(range_high_, experiment.range_high);
  // "2q1" in the symbol font is 2θ1.
  auto caption = [&experiment](const std::string& text) {
    QString shown = qt(text);
    if (experiment.range_captions_in_symbol_font) shown.replace('q', QChar(0x03B8));
    return shown;
  };
  range_low_caption_->setText(caption(experiment.range_low_caption));
  range_high_caption_->setText(caption(experiment.range_high_caption));
  scale_group_->setExclusive(false);
  for (int i = 0; i < 3; ++i) scale_buttons_[static_cast<std::size_t>(i)]->setChecked(i == experiment.angle_scale_button);
  scale_group_->setExclusive(true);
  set_text(u_, experiment.u);
  set_text(v_, experiment.v);
  set_text(w_, experiment.w);
  default_wavelength_notice_->setVisible(experiment.default_wavelength_notice_visible);
  spectrum_->setVisible(experiment.spectrum_visible);
  show_text_grid(spectrum_, experiment.spectrum, 1);
}

void MainWindow::refresh_phases_page() {
  const PhasesPageForm& phases = program_.main_form.phases;
  auto item_at = [this](int row, int column) {
    QTableWidgetItem* item = phase_table_->item(row, column);
    if (item == nullptr) {
      item = new QTableWidgetItem;
      phase_table_->setItem(row, column, item);
    }
    return item;
  };
  auto check = [&item_at](int row, int column, bool on) {
    QTableWidgetItem* item = item_at(row, column);
    item->setFlags((item->flags() | Qt::ItemIsUserCheckable) & ~Qt::ItemIsEditable);
    item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  };
  for (int p = 0; p < kMaxPhases; ++p) {
    const PhaseRow& row = phases.rows[static_cast<std::size_t>(p)];
    QTableWidgetItem* name = item_at(p, kName);
    name->setText(qt(row.name));
    name->setFlags(name->flags() & ~Qt::ItemIsEditable);  // read-only: a double-click deletes
    QTableWidgetItem* colour = item_at(p, kColour);
    colour->setFlags(colour->flags() & ~Qt::ItemIsEditable);
    colour->setBackground(QColor(row.colour.red, row.colour.green, row.colour.blue));
    check(p, kDraw, row.draw);
    check(p, kHkl, row.hkl);
    check(p, kDisplay, row.display);
    item_at(p, kPercent)->setText(qt(row.percent));
    item_at(p, kSize)->setText(qt(row.size));
    item_at(p, kStrain)->setText(qt(row.strain));
  }
  QTableWidgetItem* sum_colour = item_at(kMaxPhases, kColour);
  sum_colour->setFlags(sum_colour->flags() & ~Qt::ItemIsEditable);
  sum_colour->setBackground(QColor(phases.sum_colour.red, phases.sum_colour.green, phases.sum_colour.blue));
  check(kMaxPhases, kDraw, phases.sum_draw);
  phase_table_->horizontalHeaderItem(kPercent)->setText(qt("Percent\n" + phases.percent_caption));
  restore_->setVisible(phases.restore_visible);
  sum_toggle_->setChecked(phases.sum_toggle_pressed);
  observed_toggle_->setChecked(phases.observed_toggle_pressed);
  percent_group_->setExclusive(false);
  weight_percent_->setChecked(!phases.molar_percent);
  molar_percent_->setChecked(phases.molar_percent);
  percent_group_->setExclusive(true);
  if (QAbstractButton* mode = hkl_mode_group_->button(phases.hkl_mode)) mode->setChecked(true);
}

void MainWindow::refresh_from_model() {
  if (refreshing_) return;
  refreshing_ = true;
  show_workspace_caption(program_);
  const MainForm& form = program_.main_form;
  setWindowTitle(qt(form.caption));
  source_caption_->setText(qt(form.source_caption));
  xray_button_->setStyleSheet(form.xray_button_active ? "color: red" : "color: grey");
  neutron_button_->setStyleSheet(form.xray_button_active ? "color: grey" : "color: red");
  status_->setText(qt(form.crystal.data_caption));

  refresh_experiment_page();
  crystal_page_->refresh_from_model();
  refresh_phases_page();

  // Rebuilt only when its lines changed: a click on a line must not clear the list under it.
  bool same = results_->count() == static_cast<int>(form.results.size());
  for (int i = 0; same && i < results_->count(); ++i) same = results_->item(i)->text() == qt(form.results[static_cast<std::size_t>(i)]);
  if (!same) {
    results_->clear();
    for (const std::string& line : form.results) results_->addItem(qt(line));
  }
  if (pages_->currentIndex() != static_cast<int>(form.page)) pages_->setCurrentIndex(static_cast<int>(form.page));
  refreshing_ = false;
}

void MainWindow::open_crystal_file_of_kind(int kind) {
  act([this, kind] { calvane::open_crystal_file_of_kind(program_, static_cast<CrystalFileKind>(kind)); });
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
    if (settle_unsaved_workspace(program_)) calvane::quit_program(program_);
  });
  closing_ = false;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (closing_) {
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
