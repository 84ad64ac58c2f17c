#include "app/main_window.hpp"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "crystal_io/crystal_page.hpp"
#include "crystal_io/open_flow.hpp"
#include "experiment_io/export_flows.hpp"
#include "experiment_io/observed_flows.hpp"
#include "experiment_io/total_data_flows.hpp"
#include "reports/global_report.hpp"
#include "workspace/driver.hpp"
#include "workspace/main_actions.hpp"
#include "workspace/startup.hpp"

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

}  // namespace

Tfmain::Tfmain(Program& program, QWidget* parent) : QMainWindow(parent), program_(program) {
  setWindowTitle(qt(program_.main_form.caption));
  setObjectName("Tfmain");
  build_menus();

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(4, 4, 4, 4);
  build_source_bar(central);

  auto* body = new QHBoxLayout;
  pages_ = new QTabWidget;
  pages_->addTab(build_experiment_page(), "Experimental Data");
  pages_->addTab(build_crystal_page(), "Crystal Data");
  pages_->addTab(build_phases_page(), "Phases Data");
  pages_->addTab(build_style_page(), "Style Options");
  pages_->setTabToolTip(0, "Show/Change the experimental data");
  pages_->setTabToolTip(1, "Crystal data");
  pages_->setTabToolTip(2, "Show/Change the phases data");
  connect(pages_, &QTabWidget::currentChanged, this, &Tfmain::change_volet);
  body->addWidget(pages_, 3);

  auto* results_box = new QGroupBox("Results");
  auto* results_layout = new QVBoxLayout(results_box);
  results_ = new QListWidget;
  results_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  results_layout->addWidget(results_);
  body->addWidget(results_box, 2);
  layout->addLayout(body, 1);
  setCentralWidget(central);

  status_ = new QLabel("Data");
  statusBar()->addWidget(status_, 1);
  // The status panel shows the hint of the control under the mouse.
  connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& message) {
    status_->setText(message.isEmpty() ? qt(program_.main_form.status) : message);
  });
  bind_handlers();
  connect(results_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row < 0) return;
    calvane::ecrit(program_, row);
    if (on_results_line) on_results_line(row);
  });
  resize(program_.main_form.width, 720);
  move(0, 0);
}

bool Tfmain::start() {
  if (!init_creation(program_)) return false;
  refresh_from_model();
  return true;
}

QAction* Tfmain::add_item(QMenu* menu, const QString& caption, const QString& hint) {
  QAction* item = menu->addAction(caption);
  if (!hint.isEmpty()) item->setStatusTip(hint);
  QString path = caption;
  for (QWidget* parent = menu; parent != nullptr; parent = parent->parentWidget()) {
    auto* parent_menu = qobject_cast<QMenu*>(parent);
    if (parent_menu == nullptr) break;
    path = parent_menu->title() + "/" + path;
  }
  actions_[path] = item;
  item->setEnabled(false);  // enabled below where the work is built
  return item;
}

QAction* Tfmain::action(const QString& path) const {
  auto found = actions_.find(path);
  return found == actions_.end() ? nullptr : found->second;
}

void Tfmain::build_menus() {
  QMenu* file = menuBar()->addMenu("&File");
  QMenu* open_crystal = file->addMenu("Open a crystal data file");
  connect(open_crystal, &QMenu::aboutToShow, this, &Tfmain::FichierCRY1Click);
  const char* crystal_entries[] = {"Calvan&e format (*.cry)",   "&ShelX format (*.inp, *.ins, *.res)",
                                   "Powder &Cell format (*.cel)", "&Lazy-Pulverix format (*.lzy)",
                                   "&ICSD format (*.ics)",        "CIF format (*.cif)"};
  for (int kind = 1; kind <= 6; ++kind) {
    QAction* entry = add_item(open_crystal, crystal_entries[kind - 1]);
    connect(entry, &QAction::triggered, this, [this, kind] { lit_fichier_cry(kind); });
    entry->setEnabled(kind == 1);
  }
  add_item(file, "List of the crystal data files");
  add_item(file, "Save the current crystal data")->setEnabled(true);
  connect(action("&File/Save the current crystal data"), &QAction::triggered, this, &Tfmain::sauve_donnees);
  QMenu* profile = file->addMenu("Save the calculated profile of the current phase");
  for (const char* entry : {"Calvane Format (*.sim)", "CPI Format (*.cpi)", "CPD Format (*.cpd)"}) add_item(profile, entry);
  QMenu* peaks = file->addMenu("Save the peaks list of the current phase");
  for (const char* entry : {".prn format", "Bruker format (*.dif)", "Philips format (*.di)", "CIF format (*.cif)"})
    add_item(peaks, entry);
  file->addSeparator();
  add_item(file, "&Keyboard capture of crystal data", "Capture the crystal data with the keyboard");
  file->addSeparator();
  QMenu* observed = file->addMenu("Open an observed diagram data file");
  for (const char* entry : {"Brucker Format (*.raw)", "Philips Format (*.rd)", "Calvane Format (*.sim)",
                            "Rietveld Format (*.dat)", "CPI Format (*.cpi)", "CPD Format (*.cpd)"})
    add_item(observed, entry);
  add_item(file, "List of the observed diagram files");
  QMenu* observed_peaks = file->addMenu("Open an observed peaks file");
  for (const char* entry : {"&Bruker format (*.dif)", "&XFIT format (*.txt)", "&WINFIT format (*.dat)",
                            "&Philips frmat (*.di)"})
    add_item(observed_peaks, entry);
  add_item(observed_peaks, "&Column format (*.prn)", "2Theta and intensity(optional)");
  add_item(file, "List of observed peaks file");
  file->addSeparator();
  add_item(file, "Open a total data file (*.cmp)");
  add_item(file, "List of total data files");
  add_item(file, "Save the total data (*.cmp)");
  file->addSeparator();
  add_item(file, "Start &Lumiso2", "Lauch Lumiso3 for the current crystal data");
  file->addSeparator();
  QAction* quit = add_item(file, "&Quit");
  quit->setEnabled(true);
  connect(quit, &QAction::triggered, this, &Tfmain::Sortie);

  QMenu* results = menuBar()->addMenu("&Results");
  results->setStatusTip("Disolay/print the results for the current phase");
  connect(results, &QMenu::aboutToShow, this, [this] {
    affiche_crystal_data(program_);
    refresh_from_model();
  });
  for (const char* entry : {"&Detailled results for the current phase", "&Short results for the current phase",
                            "&Global results"})
    add_item(results, entry);

  QMenu* erase = menuBar()->addMenu("&Erase");
  add_item(erase, "&General", "Erase phases data and  observed patterens");
  add_item(erase, "&Phases", "Erase phases data");
  add_item(erase, "&Observed diagrams");

  for (const char* caption : {"&Help", "&About"}) {
    QAction* item = menuBar()->addAction(caption);
    item->setEnabled(false);
    actions_[caption] = item;
  }
  QAction* top_quit = menuBar()->addAction("&Quit");
  actions_["&Quit"] = top_quit;
  connect(top_quit, &QAction::triggered, this, &Tfmain::Sortie);
}

void Tfmain::bind(const QString& path, std::function<void()> work) {
  QAction* item = action(path);
  if (item == nullptr) return;
  item->setEnabled(true);
  connect(item, &QAction::triggered, this, [this, work = std::move(work)] {
    sync_model_from_widgets();
    work();
    refresh_from_model();
  });
}

void Tfmain::bind_handlers() {
  Program& p = program_;
  const QString observed = "&File/Open an observed diagram data file/";
  const char* observed_entries[] = {"Brucker Format (*.raw)", "Philips Format (*.rd)", "Calvane Format (*.sim)",
                                    "Rietveld Format (*.dat)", "CPI Format (*.cpi)", "CPD Format (*.cpd)"};
  for (int entry = 1; entry <= 6; ++entry)
    bind(observed + observed_entries[entry - 1], [&p, entry] {
      ouvre_fichier_raw(p, entry);
      p.ui.redraw_plot();
    });
  const QString peaks = "&File/Open an observed peaks file/";
  const char* peak_entries[] = {"&Bruker format (*.dif)", "&XFIT format (*.txt)", "&WINFIT format (*.dat)",
                                "&Philips frmat (*.di)", "&Column format (*.prn)"};
  for (int entry = 1; entry <= 5; ++entry) bind(peaks + peak_entries[entry - 1], [&p, entry] { ouvre_fichier_dif(p, entry); });
  const QString profile = "&File/Save the calculated profile of the current phase/";
  bind(profile + "Calvane Format (*.sim)", [&p] { CalvaneFormatsim2Click(p); });
  bind(profile + "CPI Format (*.cpi)", [&p] { CPIFormatcpi2Click(p); });
  bind(profile + "CPD Format (*.cpd)", [&p] { CPDFormatcpd2Click(p); });
  const QString peak_list = "&File/Save the peaks list of the current phase/";
  const char* peak_list_entries[] = {".prn format", "Bruker format (*.dif)", "Philips format (*.di)", "CIF format (*.cif)"};
  for (int entry = 1; entry <= 4; ++entry)
    bind(peak_list + peak_list_entries[entry - 1], [&p, entry] { save_hkl_list(p, entry); });
  bind("&File/Open a total data file (*.cmp)", [&p] {
    ouvre_fichier_mpm(p, TotalDataSender::Menu);
    p.ui.redraw_plot();
  });
  bind("&File/Save the total data (*.cmp)", [&p] { SavetheTotaldata1Click(p, TotalDataSender::Menu); });
  bind("&Results/&Detailled results for the current phase", [&p] { Detailledresultforthedispayedphase1Click(p); });
  bind("&Results/&Short results for the current phase", [&p] { Shortresultforthedisplayedphase1Click(p); });
  bind("&Results/&Global results", [&p] { rapport(p, std::string()); });
  bind("&Erase/&General", [&p] { rase_general(p); });
  bind("&Erase/&Phases", [&p] { delete_phases(p); });
  bind("&Erase/&Observed diagrams", [this] {
    if (on_erase_observed) on_erase_observed();
  });
  bind("&Help", [&p] { aide(p); });
  bind("&About", [&p] { p.ui.show_window(WindowId::About, true); });
}

void Tfmain::build_source_bar(QWidget* parent) {
  auto* bar = new QHBoxLayout;
  xray_button_ = new QToolButton;
  xray_button_->setText("X rays");
  xray_button_->setToolTip("X rays case");
  xray_button_->setStatusTip("X rays case");
  neutron_button_ = new QToolButton;
  neutron_button_->setText("Neutrons");
  neutron_button_->setToolTip("Neutrons case");
  neutron_button_->setStatusTip("Neutrons case");
  connect(xray_button_, &QToolButton::clicked, this, &Tfmain::optionX);
  connect(neutron_button_, &QToolButton::clicked, this, &Tfmain::choixN);
  source_caption_ = new QLabel;
  bar->addWidget(xray_button_);
  bar->addWidget(neutron_button_);
  bar->addSpacing(12);
  bar->addWidget(source_caption_);
  bar->addStretch(1);
  static_cast<QVBoxLayout*>(parent->layout())->addLayout(bar);
}

QWidget* Tfmain::build_experiment_page() {
  auto* page = new QWidget;
  auto* layout = new QGridLayout(page);

  auto* wavelength_box = new QGroupBox("Wavelength");
  auto* wavelength_layout = new QFormLayout(wavelength_box);
  wavelength_ = small_edit(90);
  wavelength_layout->addRow("Lambda (A)", wavelength_);
  default_wavelength_notice_ = new QLabel("The wavelength was set to the default value 1.5406");
  default_wavelength_notice_->setWordWrap(true);
  wavelength_layout->addRow(default_wavelength_notice_);
  layout->addWidget(wavelength_box, 0, 0);

  auto* range_box = new QGroupBox("Angle range");
  auto* range_layout = new QFormLayout(range_box);
  range_low_ = small_edit(70);
  range_high_ = small_edit(70);
  range_low_caption_ = new QLabel("2θ1");
  range_high_caption_ = new QLabel("2θ2");
  range_layout->addRow(range_low_caption_, range_low_);
  range_layout->addRow(range_high_caption_, range_high_);
  layout->addWidget(range_box, 1, 0);

  auto* resolution_box = new QGroupBox("Resolution");
  auto* resolution_layout = new QFormLayout(resolution_box);
  u_ = small_edit(70);
  v_ = small_edit(70);
  w_ = small_edit(70);
  resolution_layout->addRow("U", u_);
  resolution_layout->addRow("V", v_);
  resolution_layout->addRow("W", w_);
  layout->addWidget(resolution_box, 2, 0);

  auto* warning = new QPlainTextEdit;
  warning->setReadOnly(true);
  warning->setPlainText(
      "Warning \n-------------\n\nDelta(2Theta) is the reflection enlargement\ndue to the instrumental effect\n\n"
      "The peak of each phase can be enlarged\nby modifying the crystallite size\n(see \"Phases data\")");
  layout->addWidget(warning, 0, 1, 3, 1);

  auto* apply = new QPushButton("Apply");
  apply->setStatusTip("Draw the diagrams");
  connect(apply, &QPushButton::clicked, this, [this] {
    sync_model_from_widgets();
    click_button_plot_phase_data(program_, PlotSender::ExperimentApply);
    refresh_from_model();
  });
  layout->addWidget(apply, 3, 1, Qt::AlignRight);
  layout->setRowStretch(4, 1);

  for (QLineEdit* edit : {wavelength_, range_low_, range_high_, u_, v_, w_})
    connect(edit, &QLineEdit::editingFinished, this, &Tfmain::sync_model_from_widgets);
  return page;
}

QWidget* Tfmain::build_crystal_page() {
  auto* page = new QWidget;
  auto* outer = new QVBoxLayout(page);
  auto* apply_bar = new QHBoxLayout;
  apply_bar_caption_ = new QLabel;
  auto* apply = new QPushButton("Apply");
  apply->setStatusTip("Calculate the diagram for the current phase");
  auto* restore = new QPushButton("Restore modif");
  restore->setStatusTip("Restore the initial parameters after modifications");
  apply_bar->addWidget(apply_bar_caption_, 1);
  apply_bar->addWidget(apply);
  apply_bar->addWidget(restore);
  outer->addLayout(apply_bar);
  connect(apply, &QPushButton::clicked, this, [this] {
    sync_model_from_widgets();
    re_calcule(program_);
    refresh_from_model();
  });
  connect(restore, &QPushButton::clicked, this, [this] {
    restore_data(program_);
    refresh_from_model();
  });
  crystal_panel_ = new QWidget;
  auto* layout = new QGridLayout(crystal_panel_);
  outer->addWidget(crystal_panel_, 1);

  title_ = new QLineEdit;
  layout->addWidget(new QLabel("Title"), 0, 0);
  layout->addWidget(title_, 0, 1, 1, 5);

  system_ = new QComboBox;
  for (const char* item : kSystemItems) system_->addItem(item);
  layout->addWidget(new QLabel("System"), 1, 0);
  layout->addWidget(system_, 1, 1);
  connect(system_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
    selecte_systeme(program_, index);
    refresh_from_model();
  });

  auto* cell_box = new QGroupBox("Cell parameters");
  auto* cell_layout = new QGridLayout(cell_box);
  const char* cell_captions[6] = {"a", "b", "c", "α", "β", "γ"};
  for (int i = 0; i < 6; ++i) {
    cell_[static_cast<std::size_t>(i)] = small_edit(80);
    cell_layout->addWidget(new QLabel(QString::fromUtf8(cell_captions[i])), i / 3, 2 * (i % 3));
    cell_layout->addWidget(cell_[static_cast<std::size_t>(i)], i / 3, 2 * (i % 3) + 1);
    connect(cell_[static_cast<std::size_t>(i)], &QLineEdit::editingFinished, this, [this, i] {
      program_.main_form.crystal.cell[static_cast<std::size_t>(i)].text =
          cell_[static_cast<std::size_t>(i)]->text().toStdString();
      lit_a(program_, i);
      refresh_from_model();
    });
  }
  layout->addWidget(cell_box, 2, 0, 1, 6);

  auto* group_box = new QGroupBox("Space group");
  auto* group_layout = new QFormLayout(group_box);
  hermann_mauguin_ = new QLineEdit;
  hall_ = new QLineEdit;
  group_number_ = new QLineEdit;
  for (QLineEdit* edit : {hermann_mauguin_, hall_, group_number_}) edit->setReadOnly(true);
  group_layout->addRow("Hermann-Mauguin", hermann_mauguin_);
  group_layout->addRow("Hall", hall_);
  group_layout->addRow("Space Group Nb.", group_number_);
  layout->addWidget(group_box, 3, 0, 1, 3);

  auto* values_box = new QGroupBox;
  auto* values_layout = new QFormLayout(values_box);
  molecular_weight_ = new QLineEdit;
  formula_units_ = new QLineEdit;
  formula_ = new QLineEdit;
  density_ = new QLineEdit;
  for (QLineEdit* edit : {molecular_weight_, formula_units_, formula_, density_}) edit->setReadOnly(true);
  values_layout->addRow("Mol. weight", molecular_weight_);
  values_layout->addRow("Nb of mole/cell", formula_units_);
  values_layout->addRow("Formula", formula_);
  values_layout->addRow("Density", density_);
  layout->addWidget(values_box, 3, 3, 1, 3);

  auto* atoms_box = new QGroupBox("Atom coordinates of the asymetric unit");
  auto* atoms_layout = new QVBoxLayout(atoms_box);
  xray_atoms_ = new QTableWidget(kMaxTypedAtoms, 7);
  xray_atoms_->setHorizontalHeaderLabels({"Atom", "Lab.", "X", "Y", "Z", "B", "Pop"});
  xray_atoms_->setStatusTip("Atoms in the asymetric unit");
  xray_atoms_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  xray_atoms_->verticalHeader()->setDefaultSectionSize(22);
  atoms_layout->addWidget(xray_atoms_);
  layout->addWidget(atoms_box, 4, 0, 1, 6);
  layout->setRowStretch(4, 1);
  return page;
}

QWidget* Tfmain::build_phases_page() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  phase_table_ = new QTableWidget(kMaxPhases + 1, 7);
  phase_table_->setHorizontalHeaderLabels({"Phase Name", "", "Draw", "(hkl)", "Percent", "Size(A)", "D d/d (X1000)"});
  QStringList rows;
  for (int p = 1; p <= kMaxPhases; ++p) rows << QString(" %1").arg(p);
  rows << "     Sum";
  phase_table_->setVerticalHeaderLabels(rows);
  phase_table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  phase_table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  phase_table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Fixed);
  phase_table_->setColumnWidth(1, 28);
  phase_table_->setEditTriggers(QAbstractItemView::AllEditTriggers);
  layout->addWidget(phase_table_);
  auto* apply = new QPushButton("Apply");
  apply->setStatusTip("Draw the diagrams");
  layout->addWidget(apply, 0, Qt::AlignRight);
  connect(apply, &QPushButton::clicked, this, [this] {
    sync_model_from_widgets();
    click_button_plot_phase_data(program_, PlotSender::PhasesApply);
    refresh_from_model();
  });
  // The "Draw" column: the phases' flags and the "Sum" toggle follow the boxes.
  connect(phase_table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (item->column() != 2 || refreshing_) return;
    sync_model_from_widgets();
    click_draw(program_);
    program_.ui.redraw_plot();
  });
  return page;
}

QWidget* Tfmain::build_style_page() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(new QLabel("Colours, pen widths and styles of the curves"));
  layout->addStretch(1);
  return page;
}

void Tfmain::sync_model_from_widgets() {
  CrystalPageForm& crystal = program_.main_form.crystal;
  crystal.title = title_->text().toStdString();
  crystal.system_index = system_->currentIndex();
  for (std::size_t i = 0; i < 6; ++i) crystal.cell[i].text = cell_[i]->text().toStdString();
  for (int row = 0; row < xray_atoms_->rowCount(); ++row)
    for (int column = 0; column < 7; ++column) {
      const QTableWidgetItem* item = xray_atoms_->item(row, column);
      const std::string text = item != nullptr ? item->text().toStdString() : std::string();
      if (!text.empty() || row + 1 < crystal.xray_atoms.row_count()) crystal.xray_atoms.set_cell(row + 1, column, text);
    }
  PhasesPageForm& phases = program_.main_form.phases;
  for (int p = 0; p < kMaxPhases; ++p) {
    PhaseRow& row = phases.rows[static_cast<std::size_t>(p)];
    auto text_of = [this, p](int column) {
      const QTableWidgetItem* item = phase_table_->item(p, column);
      return item != nullptr ? item->text().toStdString() : std::string();
    };
    if (const QTableWidgetItem* draw = phase_table_->item(p, 2)) row.draw = draw->checkState() == Qt::Checked;
    row.percent = text_of(4);
    row.size = text_of(5);
    row.strain = text_of(6);
  }
  if (const QTableWidgetItem* sum = phase_table_->item(kMaxPhases, 2)) phases.sum_draw = sum->checkState() == Qt::Checked;
  ExperimentPageForm& experiment = program_.main_form.experiment;
  experiment.wavelength = wavelength_->text().toStdString();
  experiment.range_low = range_low_->text().toStdString();
  experiment.range_high = range_high_->text().toStdString();
  experiment.u = u_->text().toStdString();
  experiment.v = v_->text().toStdString();
  experiment.w = w_->text().toStdString();
}

void Tfmain::refresh_from_model() {
  const MainForm& form = program_.main_form;
  setWindowTitle(qt(form.caption));
  source_caption_->setText(qt(form.source_caption));
  xray_button_->setStyleSheet(form.xray_button_active ? "color: red" : "color: grey");
  neutron_button_->setStyleSheet(form.xray_button_active ? "color: grey" : "color: red");
  status_->setText(qt(form.status));

  set_text(wavelength_, form.experiment.wavelength);
  set_text(range_low_, form.experiment.range_low);
  set_text(range_high_, form.experiment.range_high);
  set_text(u_, form.experiment.u);
  set_text(v_, form.experiment.v);
  set_text(w_, form.experiment.w);
  default_wavelength_notice_->setVisible(form.experiment.default_wavelength_notice_visible);

  const CrystalPageForm& crystal = form.crystal;
  crystal_panel_->setVisible(crystal.panel_visible);
  apply_bar_caption_->setVisible(crystal.apply_bar_visible || crystal.panel_visible);
  apply_bar_caption_->setText(qt(crystal.apply_bar_caption));
  system_->setCurrentIndex(crystal.system_index);
  set_text(title_, crystal.title);
  for (std::size_t i = 0; i < 6; ++i) {
    set_text(cell_[i], crystal.cell[i].text);
    cell_[i]->setReadOnly(crystal.cell[i].greyed);
    cell_[i]->setStyleSheet(crystal.cell[i].greyed ? "background: #d4d0c8" : "");
  }
  set_text(hermann_mauguin_, crystal.hermann_mauguin);
  set_text(hall_, crystal.hall);
  set_text(group_number_, crystal.space_group_number);
  set_text(molecular_weight_, crystal.molecular_weight);
  set_text(formula_units_, crystal.formula_units);
  set_text(formula_, crystal.formula);
  set_text(density_, crystal.density);
  xray_atoms_->clearContents();
  for (int row = 1; row < crystal.xray_atoms.row_count() && row <= kMaxTypedAtoms; ++row)
    for (int column = 0; column < 7; ++column)
      xray_atoms_->setItem(row - 1, column, new QTableWidgetItem(qt(crystal.xray_atoms.cell(row, column))));

  refreshing_ = true;
  for (int p = 0; p < kMaxPhases; ++p) {
    const PhaseRow& row = form.phases.rows[static_cast<std::size_t>(p)];
    auto* colour = new QTableWidgetItem;
    colour->setBackground(QColor(row.colour.red, row.colour.green, row.colour.blue));
    phase_table_->setItem(p, 0, new QTableWidgetItem(qt(row.name)));
    phase_table_->setItem(p, 1, colour);
    auto* draw = new QTableWidgetItem;
    draw->setCheckState(row.draw ? Qt::Checked : Qt::Unchecked);
    phase_table_->setItem(p, 2, draw);
    auto* hkl = new QTableWidgetItem;
    hkl->setCheckState(row.hkl ? Qt::Checked : Qt::Unchecked);
    phase_table_->setItem(p, 3, hkl);
    phase_table_->setItem(p, 4, new QTableWidgetItem(qt(row.percent)));
    phase_table_->setItem(p, 5, new QTableWidgetItem(qt(row.size)));
    phase_table_->setItem(p, 6, new QTableWidgetItem(qt(row.strain)));
  }
  auto* sum_draw = new QTableWidgetItem;
  sum_draw->setCheckState(form.phases.sum_draw ? Qt::Checked : Qt::Unchecked);
  phase_table_->setItem(kMaxPhases, 2, sum_draw);
  refreshing_ = false;

  // Rebuilt only when its lines changed: a click on a line must not clear the list under it.
  bool same = results_->count() == static_cast<int>(form.results.size());
  for (int i = 0; same && i < results_->count(); ++i) same = results_->item(i)->text() == qt(form.results[static_cast<std::size_t>(i)]);
  if (!same) {
    QSignalBlocker block(results_);
    results_->clear();
    for (const std::string& line : form.results) results_->addItem(qt(line));
  }
  if (pages_->currentIndex() != static_cast<int>(form.page)) {
    QSignalBlocker block(pages_);
    pages_->setCurrentIndex(static_cast<int>(form.page));
  }
}

void Tfmain::lit_fichier_cry(int kind) {
  sync_model_from_widgets();
  calvane::lit_fichier_cry(program_, static_cast<CrystalFileKind>(kind));
  refresh_from_model();
}

void Tfmain::FichierCRY1Click() {
  calvane::FichierCRY1Click(program_);
  refresh_from_model();
}

void Tfmain::sauve_donnees() {
  sync_model_from_widgets();
  calvane::sauve_donnees(program_);
  refresh_from_model();
}

void Tfmain::Sortie() { calvane::Sortie(program_); }

void Tfmain::optionX() {
  sync_model_from_widgets();
  FollowUp follow = calvane::optionX(program_);
  if (follow.reset_plot && on_reset_plot) on_reset_plot();
  refresh_from_model();
}

void Tfmain::choixN() {
  sync_model_from_widgets();
  FollowUp follow = calvane::choixN(program_);
  if (follow.reset_plot && on_reset_plot) on_reset_plot();
  if (follow.recompute_all) click_button_plot_phase_data(program_);
  refresh_from_model();
}

void Tfmain::change_volet(int page) {
  program_.main_form.page = static_cast<MainPage>(page);
  refresh_from_model();
}

}  // namespace calvane
