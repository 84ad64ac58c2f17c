// ExportDialog: "Export the plot", the plot drawn again as a picture of a
// chosen size (pixels, or millimetres at a resolution), background and
// format. The last choice is remembered from one run to the next.
#pragma once

#include <QDialog>
#include <filesystem>
#include <functional>
#include <string>

#include "plot/export_size.hpp"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace calvane {

class DesktopSettings;
struct Program;

class ExportDialog : public QDialog {
  Q_OBJECT

public:
  explicit ExportDialog(Program& program, QWidget* parent = nullptr);

  /// Draws the choice into a file; empty on success, else the reason. Set by the plot window.
  std::function<std::string(const std::filesystem::path&, const ExportChoice&)> render;

  /// Takes the last choice from `settings` and keeps each choice exported there.
  void remember_in(DesktopSettings* settings);
  ExportChoice choice() const;
  void set_choice(const ExportChoice& choice);

  QComboBox* unit_box() const { return unit_; }
  QDoubleSpinBox* width_box() const { return width_; }
  QDoubleSpinBox* height_box() const { return height_; }
  QSpinBox* dpi_box() const { return dpi_; }
  QComboBox* background_box() const { return background_; }
  QComboBox* format_box() const { return format_; }
  QLabel* size_label() const { return size_; }
  QPushButton* export_button() const { return export_; }

public slots:
  /// "Export...": the file dialog, then the picture.
  void export_picture();

private:
  void unit_changed();
  void show_pixel_size();

  Program& program_;
  DesktopSettings* settings_ = nullptr;
  QComboBox* unit_ = nullptr;
  QDoubleSpinBox* width_ = nullptr;
  QDoubleSpinBox* height_ = nullptr;
  QSpinBox* dpi_ = nullptr;
  QComboBox* background_ = nullptr;
  QComboBox* format_ = nullptr;
  QLabel* size_ = nullptr;
  QPushButton* export_ = nullptr;
  int shown_unit_ = 1;
};

}  // namespace calvane
