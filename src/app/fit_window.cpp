#include "app/fit_window.hpp"

#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "app/widget_text.hpp"
#include "fit/fit_report.hpp"
#include "flows/fit_flows.hpp"

namespace calvane {

namespace {

enum PhaseColumn { kPhase, kTexture, kSize, kCell };

}  // namespace

FitWindow::FitWindow(Program& program, QWidget* parent) : QDialog(parent), program_(program) {
  setObjectName("FitWindow");
  setWindowTitle("Fit to measured pattern");
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(build_common_choices());
  on_measured_points_ = new QCheckBox("Draw the calculation on the measured points, in counts");
  set_hint(on_measured_points_, "The phases, the background and their sum on the measured pattern's own points; "
                                "the difference is measured less calculated");
  layout->addWidget(on_measured_points_);
  connect(on_measured_points_, &QCheckBox::toggled, this, [this](bool on) {
    const auto work = [this, on] { program_.plot_state.on_measured_points = on; };
    if (act)
      act(work);
    else
      work();
  });

  layout->addWidget(new QLabel("Each phase's scale is always refined; also refine:"));
  phases_ = new QTableWidget(0, 4);
  phases_->setHorizontalHeaderLabels({"Phase", "Texture (r)", "Size", "Cell (±1 %)"});
  phases_->verticalHeader()->hide();
  phases_->horizontalHeader()->setSectionResizeMode(kPhase, QHeaderView::Stretch);
  phases_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  layout->addWidget(phases_);

  results_ = new QPlainTextEdit;
  results_->setReadOnly(true);
  results_->setLineWrapMode(QPlainTextEdit::NoWrap);  // the table's columns stay aligned
  results_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  results_->setPlaceholderText("The fitted values, their esds, the fractions, Rwp and χ² appear here.");
  layout->addWidget(results_, 1);

  layout->addLayout(build_buttons());
  resize(560, 520);
}

QFormLayout* FitWindow::build_common_choices() {
  auto* common = new QFormLayout;
  background_ = new QSpinBox;
  background_->setRange(-1, 12);
  background_->setSpecialValueText("none");
  background_->setValue(4);
  set_hint(background_, "Order of the Chebyshev background refined under the pattern");
  common->addRow("Background order", background_);
  zero_ = new QCheckBox("Zero shift");
  displacement_ = new QCheckBox("Sample displacement");
  common->addRow(zero_);
  common->addRow(displacement_);
  return common;
}

QHBoxLayout* FitWindow::build_buttons() {
  auto* buttons = new QHBoxLayout;
  fit_button_ = new QPushButton("Fit");
  fit_button_->setDefault(true);
  undo_button_ = new QPushButton("Undo fit");
  undo_button_->setEnabled(false);
  auto* close = new QPushButton("Close");
  buttons->addStretch(1);
  for (QPushButton* button : {fit_button_, undo_button_, close}) buttons->addWidget(button);
  connect(fit_button_, &QPushButton::clicked, this, &FitWindow::fit);
  connect(undo_button_, &QPushButton::clicked, this, [this] {
    if (undo) undo();
    undo_button_->setEnabled(false);
    results_->appendPlainText("\nThe fit was undone.");
  });
  connect(close, &QPushButton::clicked, this, &QDialog::hide);
  return buttons;
}

void FitWindow::show_drawing_choice() {
  const QSignalBlocker quiet(on_measured_points_);
  on_measured_points_->setChecked(program_.plot_state.on_measured_points);
}

void FitWindow::showEvent(QShowEvent* event) {
  list_phases();
  show_drawing_choice();
  QDialog::showEvent(event);
}

void FitWindow::list_phases() {
  const Workspace& ws = program_.workspace;
  phases_->setRowCount(ws.phase_count());
  for (int p = 0; p < ws.phase_count(); ++p) {
    phases_->setItem(p, kPhase, new QTableWidgetItem(qt(ws.phases[static_cast<std::size_t>(p)].crystal.title)));
    for (int column : {kTexture, kSize, kCell}) {
      if (phases_->item(p, column) != nullptr) continue;
      auto* box = new QTableWidgetItem;
      box->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
      box->setCheckState(Qt::Unchecked);
      phases_->setItem(p, column, box);
    }
  }
}

FitChoices FitWindow::choices() const {
  FitChoices choices;
  choices.background_order = background_->value();
  choices.zero_shift = zero_->isChecked();
  choices.displacement = displacement_->isChecked();
  const auto checked = [this](int row, int column) {
    const QTableWidgetItem* item = phases_->item(row, column);
    return item != nullptr && item->checkState() == Qt::Checked;
  };
  for (int p = 0; p < program_.workspace.phase_count(); ++p) {
    choices.orientation.push_back(checked(p, kTexture));
    choices.size.push_back(checked(p, kSize));
    choices.cell.push_back(checked(p, kCell));
  }
  return choices;
}

void FitWindow::fit() {
  list_phases();
  const FitChoices chosen = choices();
  // The fit runs beside the event loop; a progress dialog with Cancel
  // appears when it takes longer than half a second.
  const FitRunner run = [this](const FitRequest& request) {
    std::atomic<bool> cancel{false};
    FitRequest own = request;
    own.cancel = &cancel;
    std::future<FitResult> running = std::async(std::launch::async, [&own] { return fit_pattern(own); });
    QProgressDialog progress("Fitting the calculated pattern to the measured one...", "Cancel", 0, 0, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    while (running.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
      progress.setValue(0);
      QApplication::processEvents();
      if (progress.wasCanceled()) cancel = true;
    }
    return running.get();
  };
  FitResult result;
  const auto work = [&] { result = fit_to_measured_pattern(program_, chosen, run); };
  if (act)
    act(work);
  else
    work();
  if (result.status == FitStatus::Refused) return;
  QString text;
  if (result.status == FitStatus::Cancelled) {
    text = "The fit was cancelled: nothing was changed.";
  } else {
    for (const std::string& line : fit_table_lines(result, chosen)) text += qt(line) + "\n";
    for (const std::string& note : result.notes) text += "\nNote: " + qt(note);
  }
  results_->setPlainText(text);
  show_drawing_choice();
  undo_button_->setEnabled(result.status != FitStatus::Cancelled && bool(undo));
}

}  // namespace calvane
