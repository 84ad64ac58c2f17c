#include "app/export_dialog.hpp"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/desktop_settings.hpp"
#include "flows/image_export_flows.hpp"
#include "flows/program.hpp"

namespace calvane {

namespace {

constexpr double kMillimetresPerInch = 25.4;

QDoubleSpinBox* size_box() {
  auto* box = new QDoubleSpinBox;
  box->setRange(1, kMaxExportPixels);
  box->setDecimals(1);
  return box;
}

}  // namespace

ExportDialog::ExportDialog(Program& program, QWidget* parent) : QDialog(parent), program_(program) {
  setObjectName("ExportDialog");
  setWindowTitle("Export the plot");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  unit_ = new QComboBox;
  unit_->addItems({"pixels", "millimetres"});
  width_ = size_box();
  height_ = size_box();
  dpi_ = new QSpinBox;
  dpi_->setRange(kMinExportDpi, kMaxExportDpi);
  dpi_->setSuffix(" dpi");
  background_ = new QComboBox;
  background_->addItems({"The screen's", "White"});
  format_ = new QComboBox;
  for (const ExportFormat& format : export_formats()) format_->addItem(format.name);
  size_ = new QLabel;
  size_->setObjectName("pixel_size");
  form->addRow("Size in", unit_);
  form->addRow("Width", width_);
  form->addRow("Height", height_);
  form->addRow("Resolution", dpi_);
  form->addRow("Background", background_);
  form->addRow("Format", format_);
  form->addRow("Picture", size_);
  layout->addLayout(form);
  auto* buttons = new QHBoxLayout;
  export_ = new QPushButton("Export...");
  export_->setDefault(true);
  auto* cancel = new QPushButton("Cancel");
  buttons->addStretch();
  buttons->addWidget(export_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  set_choice(ExportChoice{});
  connect(unit_, &QComboBox::currentIndexChanged, this, [this] { unit_changed(); });
  for (QDoubleSpinBox* box : {width_, height_})
    connect(box, &QDoubleSpinBox::valueChanged, this, [this] { show_pixel_size(); });
  connect(dpi_, &QSpinBox::valueChanged, this, [this] { show_pixel_size(); });
  connect(export_, &QPushButton::clicked, this, &ExportDialog::export_picture);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

ExportChoice ExportDialog::choice() const {
  ExportChoice choice;
  choice.unit = static_cast<ExportUnit>(unit_->currentIndex());
  choice.width = width_->value();
  choice.height = height_->value();
  choice.dpi = dpi_->value();
  choice.background = static_cast<ExportBackground>(background_->currentIndex());
  choice.format = format_->currentText().toStdString();
  return choice;
}

void ExportDialog::set_choice(const ExportChoice& choice) {
  const QSignalBlocker block(unit_);
  unit_->setCurrentIndex(static_cast<int>(choice.unit));
  shown_unit_ = unit_->currentIndex();
  dpi_->setValue(choice.dpi);
  width_->setValue(choice.width);
  height_->setValue(choice.height);
  background_->setCurrentIndex(static_cast<int>(choice.background));
  const int format = format_->findText(QString::fromStdString(choice.format));
  if (format >= 0) format_->setCurrentIndex(format);
  show_pixel_size();
}

void ExportDialog::remember_in(DesktopSettings* settings) {
  settings_ = settings;
  if (settings_ == nullptr) return;
  const ExportChoice defaults;
  ExportChoice choice;
  choice.unit = settings_->value("export/unit", 1) == 0 ? ExportUnit::Pixels : ExportUnit::Millimetres;
  choice.width = settings_->text("export/width", QString::number(defaults.width)).toDouble();
  choice.height = settings_->text("export/height", QString::number(defaults.height)).toDouble();
  choice.dpi = settings_->value("export/dpi", defaults.dpi);
  choice.background = settings_->value("export/background", 1) == 0 ? ExportBackground::Screen : ExportBackground::White;
  choice.format = settings_->text("export/format", QString::fromStdString(defaults.format)).toStdString();
  set_choice(choice);
}

void ExportDialog::unit_changed() {
  // The same picture in the other unit: the size is converted at the resolution.
  const double per_millimetre = dpi_->value() / kMillimetresPerInch;
  const bool to_pixels = unit_->currentIndex() == static_cast<int>(ExportUnit::Pixels);
  if (unit_->currentIndex() != shown_unit_) {
    const double factor = to_pixels ? per_millimetre : 1.0 / per_millimetre;
    width_->setValue(width_->value() * factor);
    height_->setValue(height_->value() * factor);
  }
  shown_unit_ = unit_->currentIndex();
  show_pixel_size();
}

void ExportDialog::show_pixel_size() {
  const PixelSize size = export_pixel_size(choice());
  size_->setText(QString("%1 × %2 pixels").arg(size.width).arg(size.height));
}

void ExportDialog::export_picture() {
  const ExportChoice chosen = choice();
  if (!render) return;
  const bool written = export_plot_picture(program_, chosen, [&](const std::filesystem::path& path) {
    return render(path, chosen);
  });
  if (!written) return;
  if (settings_ != nullptr) {
    settings_->set_value("export/unit", static_cast<int>(chosen.unit));
    settings_->set_text("export/width", QString::number(chosen.width));
    settings_->set_text("export/height", QString::number(chosen.height));
    settings_->set_value("export/dpi", chosen.dpi);
    settings_->set_value("export/background", static_cast<int>(chosen.background));
    settings_->set_text("export/format", QString::fromStdString(chosen.format));
  }
  accept();
}

}  // namespace calvane
