#include "app/metafile_dialog.hpp"

#include "app/desktop_settings.hpp"

#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace calvane {

MetafileDialog::MetafileDialog(Program& program, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), program_(program) {
  setObjectName("MetafileDialog");
  setWindowTitle("Creation of an EMF image");
  auto* layout = new QVBoxLayout(this);
  auto* boxes = new QFormLayout;
  width_ = new QLineEdit(QString::fromStdString(form_.width));
  height_ = new QLineEdit(QString::fromStdString(form_.height));
  boxes->addRow("Width (in pixels)", width_);
  boxes->addRow("Height (in pixels)", height_);
  layout->addLayout(boxes);
  auto* buttons = new QHBoxLayout;
  create_ = new QPushButton("Create");
  auto* cancel = new QPushButton("Cancel");
  create_->setDefault(true);
  buttons->addStretch();
  buttons->addWidget(create_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(create_, &QPushButton::clicked, this, &MetafileDialog::create);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void MetafileDialog::remember_in(DesktopSettings* settings) {
  settings_ = settings;
  if (settings_ == nullptr) return;
  // The size of the last image made, from one run to the next.
  const int width = settings_->value("export/metafile_width", 0);
  const int height = settings_->value("export/metafile_height", 0);
  if (width > 0) width_->setText(QString::number(width));
  if (height > 0) height_->setText(QString::number(height));
}

void MetafileDialog::create() {
  form_.visible = true;
  form_.width = width_->text().toStdString();
  form_.height = height_->text().toStdString();
  calvane::create_metafile(program_, form_, program_.plot_state);
  if (!form_.visible && settings_ != nullptr) {  // made: its size is the next default
    settings_->set_value("export/metafile_width", width_->text().toInt());
    settings_->set_value("export/metafile_height", height_->text().toInt());
  }
  if (!form_.visible) accept();
}

void MetafileDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

}  // namespace calvane
