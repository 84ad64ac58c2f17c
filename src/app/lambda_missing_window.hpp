// The "Lambda missing" window: asks for the wavelength of a Rietveld pattern
// file that carries none. Its widgets mirror the program's LambdaMissingForm.
#pragma once

#include <QDialog>
#include <functional>

#include "flows/observed_flows.hpp"
#include "flows/program.hpp"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace calvane {

class LambdaMissingWindow : public QDialog {
  Q_OBJECT

public:
  /// `loaded` receives what the plot must do after a pattern was stored.
  LambdaMissingWindow(Program& program, std::function<void(const ObservedLoad&)> loaded,
                      QWidget* parent = nullptr);

  void refresh_from_model();

  QLineEdit* lambda1_edit() const { return lambda1_; }
  QLineEdit* lambda2_edit() const { return lambda2_; }
  QLineEdit* lambda_edit() const { return lambda_; }
  QListWidget* anodes() const { return anodes_; }
  QPushButton* ok_button() const { return ok_; }

public slots:
  void clicklistbox(int row);
  void read_missing_wavelength();

private:
  void sync_model_from_widgets();

  Program& program_;
  std::function<void(const ObservedLoad&)> loaded_;
  QLineEdit* lambda1_ = nullptr;
  QLineEdit* lambda2_ = nullptr;
  QLineEdit* lambda_ = nullptr;
  QListWidget* anodes_ = nullptr;
  QPushButton* ok_ = nullptr;
};

}  // namespace calvane
