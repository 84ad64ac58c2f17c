#include "app/phases_page_widget.hpp"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/qt_ui.hpp"
#include "app/widget_text.hpp"
#include "flows/driver.hpp"
#include "flows/main_actions.hpp"
#include "ui/phase_options.hpp"

namespace calvane {

namespace {

// Columns of the "Phases Data" table.
enum PhaseColumn { kName, kColour, kDraw, kHkl, kPercent, kSize, kStrain, kDisplay, kPhaseColumns };

}  // namespace

PhasesPage::PhasesPage(Program& program, PageHandlers handlers, QWidget* parent)
    : QWidget(parent), program_(program), handlers_(std::move(handlers)) {
  setStatusTip("Show/Change the phases data");
  auto* layout = new QVBoxLayout(this);
  build_table();
  layout->addWidget(phase_table_);
  layout->addLayout(build_buttons());
  layout->addLayout(build_options());
  layout->addStretch(1);
}

void PhasesPage::build_table() {
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

  // A double-click on a phase's name deletes the phase, once confirmed.
  connect(phase_table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
    if (column == kName && row < kMaxPhases && on_delete_phase) on_delete_phase(row + 1);
  });
  connect(phase_table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (!handlers_.refreshing()) table_item_changed(item->row(), item->column());
  });
}

void PhasesPage::table_item_changed(int row, int column) {
  if (column == kDraw) {
    handlers_.act([this] {
      click_draw(program_);
      program_.ui.redraw_plot();
    });
  } else if (column == kHkl && row < program_.workspace.phase_count()) {
    handlers_.act([this, row] {
      program_.workspace.phase(row + 1).show_hkl = program_.main_form.phases.rows[static_cast<std::size_t>(row)].hkl;
      program_.mark_workspace_modified();
      program_.ui.redraw_plot();
    });
  } else if (column == kDisplay && row < kMaxPhases && phase_table_->item(row, column)->checkState() == Qt::Checked) {
    if (on_show_crystal) on_show_crystal(row + 1);
  }
}

QHBoxLayout* PhasesPage::build_buttons() {
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
    handlers_.act([this, pressed] {
      PhasesPageForm& phases = program_.main_form.phases;
      phases.sum_toggle_pressed = pressed;
      phases.sum_draw = !pressed;
      program_.workspace.settings.draw_sum = !pressed;
      program_.mark_workspace_modified();
      program_.ui.redraw_plot();
    });
  });
  connect(observed_toggle_, &QPushButton::clicked, this, [this](bool pressed) {
    handlers_.act([this, pressed] {
      program_.main_form.phases.observed_toggle_pressed = pressed;
      program_.workspace.settings.draw_observed = !pressed;
      program_.ui.redraw_plot();
    });
  });
  buttons->addStretch(1);
  restore_ = new QPushButton("Restore");
  set_hint(restore_, "Restore the last deleted phase");
  connect(restore_, &QPushButton::clicked, this, [this] {
    if (on_restore) on_restore();
  });
  buttons->addWidget(restore_);
  auto* apply = new QPushButton("Apply");
  set_hint(apply, "Draw the diagrams");
  apply->setShortcut(apply_keys());
  connect(apply, &QPushButton::clicked, this,
          [this] { handlers_.act([this] { recompute_all_phases(program_, PlotSender::PhasesApply); }); });
  buttons->addWidget(apply);
  return buttons;
}

QHBoxLayout* PhasesPage::build_options() {
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
    handlers_.act([this, molar] {
      handlers_.follow(change_percent_mode(program_.workspace, program_.main_form, molar == 1, program_.ui));
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
    handlers_.act([this, mode] {
      program_.main_form.phases.hkl_mode = mode;
      program_.ui.redraw_plot();
    });
  });
  options->addWidget(hkl_box);
  options->addStretch(1);
  return options;
}

void PhasesPage::sync_model_from_widgets() {
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
  if (const QTableWidgetItem* sum = phase_table_->item(kMaxPhases, kDraw))
    phases.sum_draw = sum->checkState() == Qt::Checked;
}

void PhasesPage::refresh_from_model() {
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
  auto paint = [&item_at](int row, Rgb colour) {
    QTableWidgetItem* item = item_at(row, kColour);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    item->setBackground(QColor(colour.red, colour.green, colour.blue));
  };
  for (int p = 0; p < kMaxPhases; ++p) {
    const PhaseRow& row = phases.rows[static_cast<std::size_t>(p)];
    QTableWidgetItem* name = item_at(p, kName);
    name->setText(qt(row.name));
    name->setFlags(name->flags() & ~Qt::ItemIsEditable);  // read-only: a double-click deletes
    paint(p, row.colour);
    check(p, kDraw, row.draw);
    check(p, kHkl, row.hkl);
    check(p, kDisplay, row.display);
    item_at(p, kPercent)->setText(qt(row.percent));
    item_at(p, kSize)->setText(qt(row.size));
    item_at(p, kStrain)->setText(qt(row.strain));
  }
  paint(kMaxPhases, phases.sum_colour);
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

}  // namespace calvane
