#include "app/cif_block_window.hpp"
#include "app/widget_text.hpp"

#include "flows/cif_block_window.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace calvane {

CifBlockWindow::CifBlockWindow(Program& program, QWidget* parent) : QDialog(parent), program_(program) {
  const CifBlockForm& form = program_.cif_block_form;
  setObjectName("CifBlockWindow");
  setWindowTitle("CIF data blocks");
  setWindowModality(Qt::ApplicationModal);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(qt(form.heading)));
  layout->addWidget(new QLabel(qt(form.prompt)));
  blocks_ = new QListWidget;
  connect(blocks_, &QListWidget::currentRowChanged, this,
          [this](int row) { program_.cif_block_form.selected = row; });
  connect(blocks_, &QListWidget::itemDoubleClicked, this, &CifBlockWindow::accept_block);
  layout->addWidget(blocks_, 1);
  read_notice_ = new QLineEdit(qt(form.read_notice));
  read_notice_->setReadOnly(true);
  layout->addWidget(read_notice_);

  auto* buttons = new QHBoxLayout;
  ok_ = new QPushButton("OK");
  ok_->setDefault(true);
  close_ = new QPushButton("Close");
  connect(ok_, &QPushButton::clicked, this, &CifBlockWindow::accept_block);
  connect(close_, &QPushButton::clicked, this, &CifBlockWindow::close_cif_block_chooser);
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(close_);
  layout->addLayout(buttons);
  resize(360, 300);
  refresh_from_model();
}

void CifBlockWindow::showEvent(QShowEvent* event) {
  initialise();
  QDialog::showEvent(event);
}

void CifBlockWindow::initialise() {
  calvane::fill_cif_block_list(program_);
  refresh_from_model();
}

void CifBlockWindow::accept_block() {
  program_.cif_block_form.selected = blocks_->currentRow();
  calvane::accept_cif_block(program_);
  refresh_from_model();
  program_.ui.refresh();
}

void CifBlockWindow::close_cif_block_chooser() {
  calvane::close_cif_block_chooser(program_);
  refresh_from_model();
}

void CifBlockWindow::refresh_from_model() {
  const CifBlockForm& form = program_.cif_block_form;
  const QSignalBlocker block(blocks_);
  blocks_->clear();
  for (const std::string& name : form.blocks) blocks_->addItem(qt(name));
  blocks_->setCurrentRow(form.selected);
  read_notice_->setVisible(form.read_notice_visible);
}

}  // namespace calvane
