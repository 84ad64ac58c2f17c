// MetafileDialog: "Creation of an EMF image", the size of the enhanced metafile
// in pixels; "Create" asks for the file and writes it.
#pragma once

#include <QDialog>

#include "flows/image_export_flows.hpp"
#include "flows/program.hpp"

class QLineEdit;

namespace calvane {
class DesktopSettings;
}
class QPushButton;

namespace calvane {

class MetafileDialog : public QDialog {
  Q_OBJECT

public:
  explicit MetafileDialog(Program& program, QWidget* parent = nullptr);

  const MetafileForm& form() const { return form_; }
  /// Keeps the size of each image made in `settings` and starts from the last one.
  void remember_in(DesktopSettings* settings);
  QLineEdit* width_box() const { return width_; }
  QLineEdit* height_box() const { return height_; }
  QPushButton* create_button() const { return create_; }

public slots:
  /// "Create": the file dialog, then the metafile of the boxes' size.
  void create();

protected:
  void showEvent(QShowEvent* event) override;

private:
  Program& program_;
  MetafileForm form_;
  DesktopSettings* settings_ = nullptr;
  QLineEdit* width_ = nullptr;
  QLineEdit* height_ = nullptr;
  QPushButton* create_ = nullptr;
};

}  // namespace calvane
