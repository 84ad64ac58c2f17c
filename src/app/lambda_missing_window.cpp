#include "app/lambda_missing_window.hpp"
#include "app/widget_text.hpp"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/lambda_missing_form.hpp"

namespace calvane {

LambdaMissingWindow::LambdaMissingWindow(Program& program, std::function<void(const ObservedLoad&)> loaded,
                                         QWidget* parent)
    : QDialog(parent), program_(program), loaded_(std::move(loaded)) {
  setObjectName("LambdaMissing");
  setWindowTitle(LambdaMissingForm::kCaption);
  setWindowModality(Qt::ApplicationModal);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(LambdaMissingForm::kText));

  auto* body = new QHBoxLayout;
  auto* boxes = new QFormLayout;
  lambda1_ = new QLineEdit;
  lambda2_ = new QLineEdit;
  lambda_ = new QLineEdit;
  for (QLineEdit* edit : {lambda1_, lambda2_, lambda_}) edit->setFixedWidth(90);
  lambda1_->setReadOnly(true);
  lambda2_->setReadOnly(true);
  const QString lambda(QChar(0x03BB));
  boxes->addRow(lambda + "1", lambda1_);
  boxes->addRow(lambda + "2", lambda2_);
  boxes->addRow(lambda, lambda_);
  body->addLayout(boxes);

  auto* anode_box = new QVBoxLayout;
  anode_box->addWidget(new QLabel("Anode:"));
  anodes_ = new QListWidget;
  for (const char* anode : LambdaMissingForm::kAnodes) anodes_->addItem(anode);
  anodes_->setFixedWidth(70);
  anodes_->setFixedHeight(anodes_->sizeHintForRow(0) * anodes_->count() + 6);
  // The arrow keys choose an anode as a click does; the selection is followed,
  // not the current row, which the list sets on taking the focus. The list is
  // written with its signals blocked, so only the user's choices arrive here.
  connect(anodes_, &QListWidget::itemSelectionChanged, this, [this] {
    const QList<QListWidgetItem*> chosen = anodes_->selectedItems();
    if (!chosen.isEmpty() && anodes_->row(chosen.front()) != program_.lambda_missing.anode_index)
      clicklistbox(anodes_->row(chosen.front()));
  });
  connect(anodes_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { clicklistbox(anodes_->row(item)); });
  anode_box->addWidget(anodes_);
  anode_box->addStretch(1);
  body->addLayout(anode_box);
  layout->addLayout(body);

  ok_ = new QPushButton("OK");
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &LambdaMissingWindow::read_missing_wavelength);
  layout->addWidget(ok_, 0, Qt::AlignRight);
  refresh_from_model();
}

void LambdaMissingWindow::sync_model_from_widgets() {
  LambdaMissingForm& form = program_.lambda_missing;
  form.lambda1 = lambda1_->text().toStdString();
  form.lambda2 = lambda2_->text().toStdString();
  form.lambda = lambda_->text().toStdString();
}

void LambdaMissingWindow::refresh_from_model() {
  const LambdaMissingForm& form = program_.lambda_missing;
  set_text(lambda1_, form.lambda1);
  set_text(lambda2_, form.lambda2);
  set_text(lambda_, form.lambda);
  const QSignalBlocker block(anodes_);
  anodes_->setCurrentRow(form.anode_index);
  if (form.anode_index < 0) anodes_->clearSelection();
}

void LambdaMissingWindow::clicklistbox(int row) {
  sync_model_from_widgets();
  calvane::clicklistbox(program_.lambda_missing, row);
  refresh_from_model();
}

void LambdaMissingWindow::read_missing_wavelength() {
  sync_model_from_widgets();
  const ObservedLoad load = calvane::read_missing_wavelength(program_);
  refresh_from_model();
  program_.ui.refresh();
  if (load.added && loaded_) loaded_(load);
}

}  // namespace calvane
