#include "app/crystal_page_widget.hpp"

#include <QAction>
#include "app/widget_text.hpp"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/anomalous_panel_widget.hpp"
#include "app/qt_ui.hpp"
#include "app/text_grid_table.hpp"
#include "flows/crystal_page.hpp"
#include "flows/driver.hpp"
#include "flows/main_actions.hpp"

namespace calvane {

namespace {

QLineEdit* read_only_edit() {
  auto* edit = new QLineEdit;
  edit->setReadOnly(true);
  edit->setStyleSheet("background: #ece9d8");
  return edit;
}

QTableWidget* atom_grid(int columns, const QStringList& headings, const QString& hint) {
  auto* grid = new QTableWidget(kMaxTypedAtoms, columns);
  grid->setHorizontalHeaderLabels(headings);
  grid->setStatusTip(hint);
  grid->setToolTip(hint);
  grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  grid->verticalHeader()->setDefaultSectionSize(22);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  // A double-click, typing or F2 edits a cell in place; Insert and Delete
  // (or the context menu) insert and remove rows.
  grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::AnyKeyPressed |
                        QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  grid->setContextMenuPolicy(Qt::ActionsContextMenu);
  return grid;
}

}  // namespace

CrystalPage::CrystalPage(Program& program, std::function<void()> sync_window, std::function<void()> refresh_window,
                         QWidget* parent)
    : QWidget(parent),
      program_(program),
      sync_window_(std::move(sync_window)),
      refresh_window_(std::move(refresh_window)) {
  setStatusTip("Crystal data");
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(2, 2, 2, 2);
  outer->addWidget(build_apply_bar());
  outer->addWidget(build_capture_panel());

  selector_box_ = new QWidget;
  selector_box_->setStatusTip("display the data for different phases");
  auto* selector_layout = new QHBoxLayout(selector_box_);
  selector_layout->setContentsMargins(0, 0, 0, 0);
  selector_group_ = new QButtonGroup(this);
  for (int button = 1; button <= kMaxPhases; ++button) {
    auto* radio = new QRadioButton(QString("Phase%1").arg(button));
    radio->setStatusTip("display the data for different phases");
    selector_[static_cast<std::size_t>(button - 1)] = radio;
    selector_group_->addButton(radio, button);
    selector_layout->addWidget(radio);
  }
  selector_layout->addStretch(1);
  connect(selector_group_, &QButtonGroup::idClicked, this, &CrystalPage::show_phase);
  outer->addWidget(selector_box_);

  // The page's panel scrolls rather than clipping on a short screen.
  panel_ = new QWidget;
  auto* layout = new QGridLayout(panel_);
  layout->setContentsMargins(0, 0, 0, 0);
  system_ = new QComboBox;
  for (const char* item : kSystemItems) system_->addItem(item);
  connect(system_, qOverload<int>(&QComboBox::activated), this, &CrystalPage::choose_crystal_system);
  title_ = new QLineEdit;
  auto* heading = new QHBoxLayout;
  heading->addWidget(new QLabel("System"));
  heading->addWidget(system_);
  heading->addSpacing(12);
  heading->addWidget(new QLabel("Title"));
  heading->addWidget(title_, 1);
  layout->addLayout(heading, 0, 0, 1, 2);
  layout->addWidget(build_cell_box(), 1, 0);
  layout->addWidget(build_symbol_box(), 1, 1);
  layout->addWidget(build_values_box(), 2, 0, 1, 2);
  layout->addWidget(build_atom_grids(), 3, 0, 1, 2);
  layout->addWidget(build_tables(), 4, 0, 1, 2);
  layout->setRowStretch(3, 1);
  layout->setColumnStretch(0, 1);
  layout->setColumnStretch(1, 1);

  auto* scroll = new QScrollArea;
  scroll->setWidget(panel_);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  outer->addWidget(scroll, 1);
}

QWidget* CrystalPage::build_apply_bar() {
  apply_bar_ = new QWidget;
  auto* bar = new QHBoxLayout(apply_bar_);
  bar->setContentsMargins(0, 0, 0, 0);
  apply_bar_caption_ = new QLabel;
  apply_ = new QPushButton("Apply");
  apply_->setStatusTip("Calculate the diagram for the current phase");
  apply_->setToolTip("Calculate the diagram for the current phase");
  apply_->setShortcut(apply_keys());
  restore_ = new QPushButton("Restore modif");
  restore_->setStatusTip("Restore the initial parameters after modifications");
  restore_->setToolTip("Restore the initial parameters after modifications");
  bar->addWidget(apply_bar_caption_, 1);
  bar->addWidget(apply_);
  bar->addWidget(restore_);
  connect(apply_, &QPushButton::clicked, this, &CrystalPage::recompute_current_phase);
  connect(restore_, &QPushButton::clicked, this, &CrystalPage::restore_data);
  return apply_bar_;
}

QWidget* CrystalPage::build_capture_panel() {
  auto* box = new QGroupBox("Keyboard capture");
  box->setStyleSheet("QGroupBox { background: #fff8dc; }");
  auto* layout = new QHBoxLayout(box);
  auto* texts = new QVBoxLayout;
  texts->addWidget(new QLabel("Enter the crystal data"));
  texts->addWidget(new QLabel("Click on the \"Apply\" button after data capture"));
  layout->addLayout(texts, 1);
  capture_apply_ = new QPushButton("Apply new phase");
  capture_cancel_ = new QPushButton("Cancel");
  layout->addWidget(capture_apply_);
  layout->addWidget(capture_cancel_);
  connect(capture_apply_, &QPushButton::clicked, this, &CrystalPage::apply_new_phase);
  connect(capture_cancel_, &QPushButton::clicked, this, &CrystalPage::stop_capture);
  capture_panel_ = box;
  capture_panel_->hide();
  return box;
}

QWidget* CrystalPage::build_cell_box() {
  auto* box = new QGroupBox("Cell parameters");
  auto* layout = new QGridLayout(box);
  const char* captions[6] = {"a", "b", "c", "α", "β", "γ"};
  for (int i = 0; i < 6; ++i) {
    auto* edit = new QLineEdit;
    edit->setMinimumWidth(60);
    cell_[static_cast<std::size_t>(i)] = edit;
    layout->addWidget(new QLabel(QString::fromUtf8(captions[i])), i / 3, 2 * (i % 3));
    layout->addWidget(edit, i / 3, 2 * (i % 3) + 1);
    connect(edit, &QLineEdit::editingFinished, this, [this, i] {
      if (!refreshing_) read_cell_field(i);
    });
  }
  return box;
}

QWidget* CrystalPage::build_symbol_box() {
  auto* box = new QGroupBox("Space group");
  auto* layout = new QFormLayout(box);
  hermann_mauguin_ = read_only_edit();
  hall_ = read_only_edit();
  group_number_ = read_only_edit();
  layout->addRow("Hermann-Mauguin", hermann_mauguin_);
  layout->addRow("Hall", hall_);
  layout->addRow("Space Group Nb.", group_number_);
  space_group_ = new QPushButton("Select the space group");
  space_group_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
  connect(space_group_, &QPushButton::clicked, this, &CrystalPage::select_space_group);
  layout->addRow(space_group_);
  return box;
}

QWidget* CrystalPage::build_values_box() {
  auto* box = new QWidget;
  auto* layout = new QGridLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  molecular_weight_ = read_only_edit();
  formula_units_ = read_only_edit();
  formula_ = read_only_edit();
  density_ = read_only_edit();
  layout->addWidget(new QLabel("Mol. weight"), 0, 0);
  layout->addWidget(molecular_weight_, 0, 1);
  layout->addWidget(new QLabel("Nb of mole/cell"), 0, 2);
  layout->addWidget(formula_units_, 0, 3);
  layout->addWidget(new QLabel("Density"), 0, 4);
  layout->addWidget(density_, 0, 5);
  layout->addWidget(new QLabel("Formula"), 1, 0);
  layout->addWidget(formula_, 1, 1, 1, 5);
  return box;
}

QWidget* CrystalPage::build_atom_grids() {
  auto* box = new QGroupBox("Atom coordinates of the asymmetric unit");
  auto* layout = new QVBoxLayout(box);
  xray_atoms_ = atom_grid(7, {"Atom", "Lab.", "X", "Y", "Z", "B", "Pop"}, "Atoms in the asymmetric unit");
  neutron_atoms_ =
      atom_grid(8, {"Atom", "Lab.", "X", "Y", "Z", "B", "Pop", "B Fermi"}, "Atoms in the asymmetric unit");
  layout->addWidget(xray_atoms_);
  layout->addWidget(neutron_atoms_);
  neutron_atoms_->hide();
  box->setMinimumHeight(180);
  connect(xray_atoms_, &QTableWidget::currentCellChanged, this,
          [this](int row, int, int previous_row, int) { cell_selected(false, row, previous_row); });
  connect(neutron_atoms_, &QTableWidget::currentCellChanged, this,
          [this](int row, int, int previous_row, int) { cell_selected(true, row, previous_row); });
  for (QTableWidget* grid : {xray_atoms_, neutron_atoms_}) {
    auto* insert = new QAction("Insert a row", grid);
    insert->setShortcut(QKeySequence(Qt::Key_Insert));
    insert->setShortcutContext(Qt::WidgetShortcut);
    connect(insert, &QAction::triggered, this, [this, grid] { insert_atom_row(std::max(0, grid->currentRow()) + 1); });
    auto* remove = new QAction("Delete the row", grid);
    remove->setShortcut(QKeySequence(Qt::Key_Delete));
    remove->setShortcutContext(Qt::WidgetShortcut);
    connect(remove, &QAction::triggered, this, [this, grid] {
      if (grid->currentRow() >= 0) remove_atom_row(grid->currentRow() + 1);
    });
    grid->addActions({insert, remove});
    grid->setItemDelegate(new GridCellDelegate(false, 1, grid));
  }
  return box;
}

QWidget* CrystalPage::build_tables() {
  xray_tables_ = new QWidget;
  auto* outer = new QVBoxLayout(xray_tables_);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* row = new QHBoxLayout;

  auto* anomalous_box = new QGroupBox("Anomalous dispersion");
  auto* anomalous_layout = new QVBoxLayout(anomalous_box);
  anomalous_ = new QTableWidget(15, 9);
  anomalous_->setStatusTip("Anomalous dispersion coefficients (Brenann and Cowan)");
  anomalous_->setToolTip("Anomalous dispersion coefficients (Brenann and Cowan)");
  anomalous_->horizontalHeader()->hide();
  anomalous_->verticalHeader()->hide();
  // Values such as "1.5406" keep their width; four wavelengths scroll sideways.
  anomalous_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  anomalous_->verticalHeader()->setDefaultSectionSize(20);
  anomalous_->setFixedHeight(6 * 20 + 4);
  // The second data grid: its row 1, the "f '" and "f \"" headings, is highlighted.
  anomalous_->setItemDelegate(new GridCellDelegate(true, 0, anomalous_));
  anomalous_layout->addWidget(anomalous_);
  anomalous_button_ = new QPushButton("Anomalous correction...");
  anomalous_button_->setStatusTip("Anomalous diffusion correction");
  anomalous_layout->addWidget(anomalous_button_, 0, Qt::AlignLeft);
  row->addWidget(anomalous_box, 2);

  auto* absorption_box = new QGroupBox("Absorption");
  auto* absorption_layout = new QVBoxLayout(absorption_box);
  absorption_ = new QTableWidget(4, 2);
  absorption_->setHorizontalHeaderLabels({"λ (Å)", "μ/ρ"});
  absorption_->setStatusTip(" X ray absorption for the molecule");
  absorption_->setToolTip(" X ray absorption for the molecule");
  absorption_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  absorption_->verticalHeader()->hide();
  absorption_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  absorption_->setMinimumWidth(150);
  absorption_->verticalHeader()->setDefaultSectionSize(20);
  absorption_->setFixedHeight(6 * 20 + 4);
  absorption_->setItemDelegate(new GridCellDelegate(false, 1, absorption_));
  absorption_layout->addWidget(absorption_);
  absorption_layout->addStretch(1);
  row->addWidget(absorption_box, 1);
  outer->addLayout(row);

  anomalous_place_ = new QVBoxLayout;
  outer->addLayout(anomalous_place_);
  return xray_tables_;
}

void CrystalPage::set_anomalous_panel(AnomalousPanel* panel) {
  if (anomalous_panel_ != nullptr) disconnect(anomalous_button_, nullptr, anomalous_panel_, nullptr);
  anomalous_panel_ = panel;
  if (panel == nullptr) return;
  anomalous_place_->addWidget(panel);
  panel->refresh_from_model();
  connect(anomalous_button_, &QPushButton::clicked, panel, [this] {
    // The panel reads the wavelength field and the typed atoms.
    sync_window_();
    anomalous_panel_->open_anomalous_panel();
    refresh_window_();
  });
}

void CrystalPage::act(const std::function<void()>& work) {
  sync_window_();
  work();
  refresh_window_();
}

void CrystalPage::recompute_current_phase() {
  act([this] { calvane::recompute_current_phase(program_); });
}

void CrystalPage::restore_data() {
  act([this] { calvane::restore_data(program_); });
}

void CrystalPage::show_phase(int button) {
  act([this, button] { calvane::show_phase(program_, button); });
}

void CrystalPage::choose_crystal_system(int index) {
  act([this, index] { calvane::choose_crystal_system(program_, index); });
}

void CrystalPage::read_cell_field(int field) {
  act([this, field] { calvane::read_cell_field(program_, field); });
}

void CrystalPage::start_keyboard_capture() {
  act([this] {
    calvane::start_keyboard_capture(program_);
    if (!program_.workspace.keyboard_capture) return;
    // A new crystal starts blank: the shown phase's title and composition go too.
    CrystalPageForm& page = program_.main_form.crystal;
    for (std::string* text : {&page.title, &page.molecular_weight, &page.formula_units, &page.formula, &page.density})
      text->clear();
    page.absorption.clear_below_heading();
  });
}

void CrystalPage::apply_new_phase() {
  // During the capture the computation hands over to the save of the typed crystal.
  act([this] {
    compute_current_phase(program_);
    program_.ui.redraw_plot();  // computed or refused, the plot shows what the phases now hold
  });
}

void CrystalPage::stop_capture() {
  act([this] { calvane::stop_capture(program_); });
}

void CrystalPage::select_space_group() {
  act([this] { program_.ui.show_window(WindowId::SpaceGroup, true); });
}

void CrystalPage::insert_atom_row(int row) {
  act([this, row] {
    CrystalPageForm& page = program_.main_form.crystal;
    // Both grids move together, so that a row keeps its atom in either source.
    insert_grid_row(page.xray_atoms, row, kMaxTypedAtoms);
    insert_grid_row(page.neutron_atoms, row, kMaxTypedAtoms);
  });
}

void CrystalPage::remove_atom_row(int row) {
  act([this, row] {
    CrystalPageForm& page = program_.main_form.crystal;
    remove_grid_row(page.xray_atoms, row);
    remove_grid_row(page.neutron_atoms, row);
  });
}

void CrystalPage::cell_selected(bool neutron, int row, int previous_row) {
  if (refreshing_ || row < 0 || previous_row < 0) return;
  act([this, neutron, row, previous_row] {
    if (neutron)
      leave_neutron_atom_row(program_, previous_row + 1);
    else
      leave_xray_atom_row(program_, previous_row + 1, row + 1);
  });
}

void CrystalPage::sync_model_from_widgets() {
  CrystalPageForm& page = program_.main_form.crystal;
  page.title = title_->text().toStdString();
  page.system_index = system_->currentIndex();
  for (std::size_t i = 0; i < 6; ++i) page.cell[i].text = cell_[i]->text().toStdString();
  read_text_grid(xray_atoms_, page.xray_atoms, 1);
  read_text_grid(neutron_atoms_, page.neutron_atoms, 1);
  read_text_grid(anomalous_, page.anomalous, 0);
}

void CrystalPage::refresh_from_model() {
  refreshing_ = true;
  const CrystalPageForm& page = program_.main_form.crystal;
  const int phase_count = program_.workspace.phase_count();
  panel_->setVisible(page.panel_visible || page.capture_panel_visible);
  apply_bar_->setVisible(page.apply_bar_visible && !page.capture_panel_visible);
  apply_bar_caption_->setText(qt(page.apply_bar_caption));
  capture_panel_->setVisible(page.capture_panel_visible);
  selector_box_->setVisible(page.selector_visible && phase_count > 0);
  selector_group_->setExclusive(false);
  for (int button = 1; button <= kMaxPhases; ++button) {
    QRadioButton* radio = selector(button);
    radio->setText(button <= phase_count ? QString("Phase#%1").arg(button) : QString("Phase%1").arg(button));
    radio->setChecked(button - 1 == page.selector_index);
  }
  selector_group_->setExclusive(true);

  system_->setCurrentIndex(page.system_index);
  set_text(title_, page.title);
  for (std::size_t i = 0; i < 6; ++i) {
    set_text(cell_[i], page.cell[i].text);
    // A field the system fixes is neither typed in nor read on leaving it.
    cell_[i]->setReadOnly(page.cell[i].greyed);
    cell_[i]->setStyleSheet(page.cell[i].greyed ? "background: #d4d0c8" : "");
  }
  set_text(hermann_mauguin_, page.hermann_mauguin);
  set_text(hall_, page.hall);
  set_text(group_number_, page.space_group_number);
  set_text(molecular_weight_, page.molecular_weight);
  set_text(formula_units_, page.formula_units);
  set_text(formula_, page.formula);
  set_text(density_, page.density);

  xray_atoms_->setVisible(!page.neutron_grid_visible);
  neutron_atoms_->setVisible(page.neutron_grid_visible);
  xray_tables_->setVisible(!page.neutron_grid_visible);
  show_text_grid(xray_atoms_, page.xray_atoms, 1);
  show_text_grid(neutron_atoms_, page.neutron_atoms, 1);
  show_text_grid(anomalous_, page.anomalous, 0);
  absorption_->setRowCount(std::max(4, page.absorption.row_count() - 1));
  show_text_grid(absorption_, page.absorption, 1);
  if (anomalous_panel_ != nullptr) anomalous_panel_->refresh_from_model();
  refreshing_ = false;
}

}  // namespace calvane
