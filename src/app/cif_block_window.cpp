#include "app/cif_block_window.hpp"

#include "flows/cif_block_window.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace calvane {

namespace {

QString qt(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TForm3::TForm3(Program& program, QWidget* parent) : QDialog(parent), program_(program) {
  const CifBlockForm& form = program_.cif_block_form;
  setObjectName("TForm3");
  setWindowTitle("CIF data blocks");
  setWindowModality(Qt::ApplicationModal);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(qt(form.heading)));
  layout->addWidget(new QLabel(qt(form.prompt)));
  blocks_ = new QListWidget;
  connect(blocks_, &QListWidget::currentRowChanged, this,
          [this](int row) { program_.cif_block_form.selected = row; });
  connect(blocks_, &QListWidget::itemDoubleClicked, this, &TForm3::BitBtn1Click);
  layout->addWidget(blocks_, 1);
  read_notice_ = new QLineEdit(qt(form.read_notice));
  read_notice_->setReadOnly(true);
  layout->addWidget(read_notice_);

  auto* buttons = new QHBoxLayout;
  ok_ = new QPushButton("OK");
  ok_->setDefault(true);
  close_ = new QPushButton("Close");
  connect(ok_, &QPushButton::clicked, this, &TForm3::BitBtn1Click);
  connect(close_, &QPushButton::clicked, this, &TForm3::BitBtn3Click);
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(close_);
  layout->addLayout(buttons);
  resize(360, 300);
  refresh_from_model();
}

void TForm3::showEvent(QShowEvent* event) {
  initialise();
  QDialog::showEvent(event);
}

void TForm3::initialise() {
  calvane::initialise(program_);
  refresh_from_model();
}

void TForm3::BitBtn1Click() {
  program_.cif_block_form.selected = blocks_->currentRow();
  calvane::BitBtn1Click(program_);
  refresh_from_model();
  program_.ui.refresh();
}

void TForm3::BitBtn3Click() {
  calvane::BitBtn3Click(program_);
  refresh_from_model();
}

void TForm3::refresh_from_model() {
  const CifBlockForm& form = program_.cif_block_form;
  const QSignalBlocker block(blocks_);
  blocks_->clear();
  for (const std::string& name : form.blocks) blocks_->addItem(qt(name));
  blocks_->setCurrentRow(form.selected);
  read_notice_->setVisible(form.read_notice_visible);
}

}  // namespace calvane
