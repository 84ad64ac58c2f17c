// PrintDialog: "Print the pattern", the comment and the printed size in
// centimetres, then the system's printer dialog and the printout.
#pragma once

#include <QDialog>
#include <functional>

#include "flows/image_export_flows.hpp"
#include "flows/program.hpp"

class QLineEdit;
class QPrinter;
class QPushButton;
class QSpinBox;

namespace calvane {

class PrintDialog : public QDialog {
  Q_OBJECT

public:
  explicit PrintDialog(Program& program, QWidget* parent = nullptr);

  /// Draws the printout on a printer.
  using PagePainter = std::function<void(QPrinter*)>;
  /// The print preview: shows the page as `paint` draws it, and prints it
  /// through the system's printer dialog; false when it is closed without
  /// printing. Tests replace it.
  std::function<bool(QPrinter&, const PagePainter& paint)> preview;

  PrintForm& form() { return form_; }
  QLineEdit* comment_box() const { return comment_; }
  QSpinBox* width_box() const { return width_; }
  QSpinBox* height_box() const { return height_; }
  QPushButton* print_button() const { return print_; }

public slots:
  /// "print": the printer dialog, and the printout when it is confirmed.
  void sortie();
  /// "Cancel".
  void quitte();

private:
  void sync_form();

  Program& program_;
  PrintForm form_;
  QLineEdit* comment_ = nullptr;
  QSpinBox* width_ = nullptr;
  QSpinBox* height_ = nullptr;
  QPushButton* print_ = nullptr;
};

}  // namespace calvane
