#include "app/anomalous_panel_widget.hpp"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/spectrum.hpp"

namespace calvane {

namespace {

QButtonGroup* radio_group(QWidget* owner, QGroupBox* box, QRadioButton* first, QRadioButton* second) {
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(first);
  layout->addWidget(second);
  auto* group = new QButtonGroup(owner);
  group->addButton(first, 0);
  group->addButton(second, 1);
  return group;
}

void set_choice(QRadioButton* first, QRadioButton* second, int choice) {
  first->group()->setExclusive(false);
  first->setChecked(choice == 0);
  second->setChecked(choice == 1);
  first->group()->setExclusive(true);
}

}  // namespace

AnomalousPanel::AnomalousPanel(Program& program, std::function<void(const FollowUp&)> follow_up,
                               QWidget* parent)
    : QGroupBox("Anomalous diffusion correction", parent), program_(program) {
  setObjectName("AnomalousPanel");
  actions_.reset_spectrum_results = [follow_up](Program& p) {
    const FollowUp steps = clear_spectrum_results(p.workspace, p.main_form);
    if (follow_up) follow_up(steps);
  };
  actions_.recompute_phases = [follow_up](Program&) {
    FollowUp steps;
    steps.recompute_all = true;
    if (follow_up) follow_up(steps);
  };

  auto* layout = new QHBoxLayout(this);
  auto* table_box = new QGroupBox("According to");
  brennan_cowan_ = new QRadioButton("Brenann and Cowan");
  sasaki_ = new QRadioButton("Sasaki");
  radio_group(this, table_box, brennan_cowan_, sasaki_);
  layout->addWidget(table_box);

  auto* range_box = new QGroupBox("Apply to");
  current_phase_ = new QRadioButton("The current phase");
  all_phases_ = new QRadioButton("All the phases");
  radio_group(this, range_box, current_phase_, all_phases_);
  layout->addWidget(range_box);

  auto* buttons = new QVBoxLayout;
  apply_ = new QPushButton("Apply");
  apply_->setStatusTip("Apply the correction");
  apply_->setToolTip("Apply the correction");
  suppress_ = new QPushButton("Suppress correction");
  suppress_->setStatusTip("Suppress the anomalous correction diffusion");
  suppress_->setToolTip("Suppress the anomalous correction diffusion");
  cancel_ = new QPushButton("Cancel");
  connect(apply_, &QPushButton::clicked, this, &AnomalousPanel::apply_chosen_anomalous_table);
  connect(suppress_, &QPushButton::clicked, this, &AnomalousPanel::remove_anomalous_correction);
  connect(cancel_, &QPushButton::clicked, this, &AnomalousPanel::cancel_anomalous_panel);
  for (QPushButton* button : {apply_, suppress_, cancel_}) buttons->addWidget(button);
  buttons->addStretch(1);
  layout->addLayout(buttons);
  refresh_from_model();
}

void AnomalousPanel::sync_model_from_widgets() {
  form_.table_choice = brennan_cowan_->isChecked() ? 0 : sasaki_->isChecked() ? 1 : -1;
  form_.apply_to = all_phases_->isChecked() ? 1 : 0;
}

void AnomalousPanel::refresh_from_model() {
  set_choice(brennan_cowan_, sasaki_, form_.table_choice);
  set_choice(current_phase_, all_phases_, form_.apply_to);
  setVisible(form_.visible);
}

void AnomalousPanel::after_handler() {
  refresh_from_model();
  program_.ui.refresh();
}

void AnomalousPanel::open_anomalous_panel() {
  sync_model_from_widgets();
  calvane::open_anomalous_panel(program_, form_, actions_);
  after_handler();
}

void AnomalousPanel::apply_chosen_anomalous_table() {
  sync_model_from_widgets();
  calvane::apply_chosen_anomalous_table(program_, form_, actions_);
  after_handler();
}

void AnomalousPanel::remove_anomalous_correction() {
  sync_model_from_widgets();
  calvane::remove_anomalous_correction(program_, form_, actions_);
  after_handler();
}

void AnomalousPanel::cancel_anomalous_panel() {
  sync_model_from_widgets();
  calvane::cancel_anomalous_panel(form_);
  after_handler();
}

}  // namespace calvane
