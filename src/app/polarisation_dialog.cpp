#include "app/polarisation_dialog.hpp"
#include "app/widget_text.hpp"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "flows/program.hpp"

namespace calvane {

PolarisationDialog::PolarisationDialog(Program& program, std::function<void(const FollowUp&)> follow_up, QWidget* parent)
    : QDialog(parent), program_(program), follow_up_(std::move(follow_up)) {
  setObjectName("PolarisationDialog");
  setWindowTitle(PolarisationForm::kCaption);
  auto* layout = new QVBoxLayout(this);
  heading_ = new QLabel(PolarisationForm::kHeading);
  layout->addWidget(heading_);

  auto* group = new QGroupBox;
  auto* group_layout = new QVBoxLayout(group);
  tube_ = new QRadioButton(PolarisationForm::kItems[PolarisationForm::kTube]);
  synchrotron_ = new QRadioButton(PolarisationForm::kItems[PolarisationForm::kSynchrotron]);
  group_layout->addWidget(tube_);
  group_layout->addWidget(synchrotron_);
  auto* items = new QButtonGroup(this);
  items->addButton(tube_, PolarisationForm::kTube);
  items->addButton(synchrotron_, PolarisationForm::kSynchrotron);
  connect(items, &QButtonGroup::idClicked, this, &PolarisationDialog::onclick_event);
  layout->addWidget(group);

  p_panel_ = new QWidget;
  auto* p_layout = new QHBoxLayout(p_panel_);
  p_layout->setContentsMargins(0, 0, 0, 0);
  p_layout->addWidget(new QLabel(PolarisationForm::kPolarisationLabel));
  p_edit_ = new QLineEdit;
  p_edit_->setFixedWidth(80);
  p_layout->addWidget(p_edit_);
  p_layout->addStretch(1);
  layout->addWidget(p_panel_);

  ok_ = new QPushButton("OK");
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &PolarisationDialog::accept_polarisation);
  layout->addWidget(ok_, 0, Qt::AlignRight);
  refresh_from_model();
}

void PolarisationDialog::showEvent(QShowEvent* event) {
  initialise();
  QDialog::showEvent(event);
}

void PolarisationDialog::initialise() {
  calvane::reset_polarisation_form(form_);
  refresh_from_model();
}

void PolarisationDialog::onclick_event(int item) {
  form_.polarisation_text = p_edit_->text().toStdString();
  calvane::onclick_event(form_, item);
  refresh_from_model();
}

void PolarisationDialog::accept_polarisation() {
  form_.polarisation_text = p_edit_->text().toStdString();
  const PolarisationExit exit = calvane::accept_polarisation(program_, form_);
  if (exit == PolarisationExit::StaysOpen) form_.focus_in_polarisation = true;
  refresh_from_model();
  program_.ui.refresh();
  FollowUp follow_up;
  follow_up.recompute_all = exit == PolarisationExit::ClosedRecompute;
  if (follow_up_ && exit != PolarisationExit::StaysOpen) follow_up_(follow_up);
}

void PolarisationDialog::refresh_from_model() {
  // Radio buttons of one group cannot all be cleared while exclusive.
  tube_->group()->setExclusive(false);
  tube_->setChecked(form_.chosen_item == PolarisationForm::kTube);
  synchrotron_->setChecked(form_.chosen_item == PolarisationForm::kSynchrotron);
  tube_->group()->setExclusive(true);
  p_panel_->setVisible(form_.panel_visible);
  if (p_edit_->text() != qt(form_.polarisation_text)) p_edit_->setText(qt(form_.polarisation_text));
  if (form_.focus_in_polarisation && form_.panel_visible) {
    p_edit_->setFocus();
    form_.focus_in_polarisation = false;
  }
}

}  // namespace calvane
