#include "app/print_dialog.hpp"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/image_export_qt.hpp"

namespace calvane {

namespace {

QSpinBox* centimetre_box(int low, int high, const std::string& start) {
  auto* box = new QSpinBox;
  box->setRange(low, high);
  box->setValue(std::stoi(start));
  return box;
}

}  // namespace

PrintDialog::PrintDialog(Program& program, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), program_(program) {
  setObjectName("PrintDialog");
  setWindowTitle("Print the pattern");
  preview = [this](QPrinter& printer, const PagePainter& paint) {
    QPrintPreviewDialog dialog(&printer, this);
    dialog.setWindowTitle("Print preview");
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [&paint](QPrinter* target) { paint(target); });
    return dialog.exec() == QDialog::Accepted;
  };
  auto* layout = new QVBoxLayout(this);
  auto* comment_row = new QHBoxLayout;
  comment_ = new QLineEdit;
  comment_->setMinimumWidth(260);
  comment_row->addWidget(new QLabel("Comment or title: "));
  comment_row->addWidget(comment_, 1);
  layout->addLayout(comment_row);

  auto* middle = new QHBoxLayout;
  auto* dimensions = new QGroupBox("Dimensions of the diagram");
  auto* sizes = new QFormLayout(dimensions);
  width_ = centimetre_box(5, 28, form_.width_cm);
  height_ = centimetre_box(5, 15, form_.height_cm);
  sizes->addRow("Width (Cm)", width_);
  sizes->addRow("Height (Cm)", height_);
  middle->addWidget(dimensions);
  auto* note = new QLabel("Warning\nThe background colour for the printer\nis always white");
  note->setObjectName("note");
  note->setAlignment(Qt::AlignCenter);
  note->setStyleSheet("background-color: yellow; color: black; padding: 6px;");
  middle->addWidget(note);
  layout->addLayout(middle);

  auto* buttons = new QHBoxLayout;
  print_ = new QPushButton("print");
  auto* cancel = new QPushButton("Cancel");
  print_->setDefault(true);
  buttons->addStretch();
  buttons->addWidget(print_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(print_, &QPushButton::clicked, this, &PrintDialog::sortie);
  connect(cancel, &QPushButton::clicked, this, &PrintDialog::quitte);
}

void PrintDialog::sync_form() {
  form_.comment = comment_->text().toStdString();
  form_.width_cm = std::to_string(width_->value());
  form_.height_cm = std::to_string(height_->value());
}

void PrintDialog::sortie() {
  sync_form();
  if (!read_print_size(program_, form_)) return;
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  const PagePainter paint = [this](QPrinter* target) {
    program_.ui.set_busy(true);
    print_plot(program_, program_.plot_state, form_, *target);
    program_.ui.set_busy(false);
  };
  if (!preview || !preview(printer, paint)) return;
  quitte();
}

void PrintDialog::quitte() {
  form_.visible = false;
  hide();
}

}  // namespace calvane
