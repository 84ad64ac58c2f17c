#include "app/wavelength_dialog.hpp"
#include "app/widget_text.hpp"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/spectrum.hpp"
#include "profile/wavelength_lines.hpp"

namespace calvane {

namespace {

// The captions are written for a symbol font in which "l" reads λ.
QString with_lambda(const std::string& text) { return qt(text).replace('l', QChar(0x03BB)); }

}  // namespace

WavelengthDialog::WavelengthDialog(Program& program, std::function<void(const FollowUp&)> follow_up, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint),
      program_(program),
      follow_up_(std::move(follow_up)) {
  const WavelengthForm& form = program_.wavelength_form;
  setObjectName("WavelengthDialog");
  setWindowTitle(qt(form.caption));
  setModal(false);
  auto* layout = new QHBoxLayout(this);

  auto* composition = new QGroupBox(qt(form.composition_caption));
  auto* rows = new QGridLayout(composition);
  rows->addWidget(new QLabel(QString(QChar(0x03BB)) + " (A)"), 0, 1, Qt::AlignHCenter);
  rows->addWidget(new QLabel("Intensity"), 0, 2, Qt::AlignHCenter);
  for (std::size_t row = 0; row < wavelength_.size(); ++row) {
    wavelength_[row] = new QLineEdit;
    intensity_[row] = new QLineEdit;
    wavelength_[row]->setFixedWidth(90);
    intensity_[row]->setFixedWidth(70);
    const int grid_row = static_cast<int>(row) + 1;
    rows->addWidget(new QLabel(QString::number(grid_row)), grid_row, 0);
    rows->addWidget(wavelength_[row], grid_row, 1);
    rows->addWidget(intensity_[row], grid_row, 2);
  }
  layout->addWidget(composition);

  layout->addWidget(new QLabel("or"), 0, Qt::AlignVCenter);

  auto* anode_box = new QGroupBox(qt(form.anode_caption));
  auto* anode_layout = new QVBoxLayout(anode_box);
  anodes_ = new QListWidget;
  for (const Anode& anode : kAnodes)
    anodes_->addItem(QString::fromLatin1(anode.item.data(), anode.item.size()));
  anodes_->setFixedWidth(90);
  anodes_->setFixedHeight(anodes_->sizeHintForRow(0) * static_cast<int>(kAnodes.size()) + 6);
  // An anode is chosen by the arrow keys as by a click (a click on the chosen
  // anode fills its rows again). The selection is followed, not the current
  // row: the list makes its first row current when it takes the focus. The
  // list is written with its signals blocked, so only the user's choices
  // arrive here.
  connect(anodes_, &QListWidget::itemSelectionChanged, this, [this] {
    const QList<QListWidgetItem*> chosen = anodes_->selectedItems();
    if (!chosen.isEmpty() && anodes_->row(chosen.front()) != program_.wavelength_form.anode_index)
      choose_anode(anodes_->row(chosen.front()));
  });
  connect(anodes_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { choose_anode(anodes_->row(item)); });
  anode_layout->addWidget(anodes_);
  anode_layout->addStretch(1);
  layout->addWidget(anode_box);

  auto* buttons = new QVBoxLayout;
  ok_ = new QPushButton("OK");
  ok_->setDefault(true);
  cancel_ = new QPushButton("Cancel");
  harmonics_ = new QPushButton(with_lambda(form.harmonics_button));
  harmonics_->setToolTip(qt(form.harmonics_hint));
  harmonics_->setStatusTip(qt(form.harmonics_hint));
  connect(ok_, &QPushButton::clicked, this, &WavelengthDialog::read_spectrum_composition);
  connect(cancel_, &QPushButton::clicked, this, &WavelengthDialog::cancel_wavelength_dialog);
  connect(harmonics_, &QPushButton::clicked, this, &WavelengthDialog::set_harmonic_lines);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  buttons->addStretch(1);
  buttons->addWidget(harmonics_);
  layout->addLayout(buttons);
  refresh_from_model();
}

void WavelengthDialog::sync_model_from_widgets() {
  WavelengthForm& form = program_.wavelength_form;
  for (std::size_t row = 0; row < wavelength_.size(); ++row) {
    form.wavelength[row] = wavelength_[row]->text().toStdString();
    form.intensity[row] = intensity_[row]->text().toStdString();
  }
}

void WavelengthDialog::refresh_from_model() {
  const WavelengthForm& form = program_.wavelength_form;
  for (std::size_t row = 0; row < wavelength_.size(); ++row) {
    if (wavelength_[row]->text() != qt(form.wavelength[row]))
      wavelength_[row]->setText(qt(form.wavelength[row]));
    if (intensity_[row]->text() != qt(form.intensity[row])) intensity_[row]->setText(qt(form.intensity[row]));
  }
  if (anodes_->currentRow() != form.anode_index) {
    const QSignalBlocker block(anodes_);
    anodes_->setCurrentRow(form.anode_index);
  }
  if (form.focused) {
    const auto row = static_cast<std::size_t>(form.focused->row);
    QLineEdit* box = form.focused->intensity ? intensity_[row] : wavelength_[row];
    box->setFocus();
    box->selectAll();
  }
}

void WavelengthDialog::read_spectrum_composition() {
  sync_model_from_widgets();
  const FollowUp follow_up = calvane::read_spectrum_composition(
      SpectrumView{program_.workspace, program_.main_form, program_.wavelength_form, program_.ui});
  if (follow_up_) follow_up_(follow_up);
  refresh_from_model();
  program_.ui.refresh();
}

void WavelengthDialog::choose_anode(int anode) {
  sync_model_from_widgets();
  calvane::fill_anode_lines(program_.workspace.settings, program_.wavelength_form, anode);
  refresh_from_model();
}

void WavelengthDialog::set_harmonic_lines() {
  sync_model_from_widgets();
  calvane::set_harmonic_lines(program_.wavelength_form, program_.ui);
  refresh_from_model();
}

void WavelengthDialog::cancel_wavelength_dialog() {
  sync_model_from_widgets();
  calvane::cancel_wavelength_dialog(program_.wavelength_form, program_.ui);
  refresh_from_model();
}

}  // namespace calvane
