// PolarisationDialog: the X-ray source dialog, tube or synchrotron with its polarisation p.
// Its widgets mirror a PolarisationForm.
#pragma once

#include <QDialog>
#include <functional>

#include "ui/follow_up.hpp"
#include "flows/polarisation_window.hpp"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace calvane {

class PolarisationDialog : public QDialog {
  Q_OBJECT

public:
  PolarisationDialog(Program& program, std::function<void(const FollowUp&)> follow_up, QWidget* parent = nullptr);

  PolarisationForm& form() { return form_; }
  void refresh_from_model();

  QRadioButton* tube_button() const { return tube_; }
  QRadioButton* synchrotron_button() const { return synchrotron_; }
  QLineEdit* p_edit() const { return p_edit_; }
  QWidget* p_panel() const { return p_panel_; }
  QPushButton* ok_button() const { return ok_; }

public slots:
  void initialise();
  void onclick_event(int item);
  void accept_polarisation();

protected:
  void showEvent(QShowEvent* event) override;

private:
  Program& program_;
  std::function<void(const FollowUp&)> follow_up_;
  PolarisationForm form_;
  QLabel* heading_ = nullptr;
  QRadioButton* tube_ = nullptr;
  QRadioButton* synchrotron_ = nullptr;
  QWidget* p_panel_ = nullptr;
  QLineEdit* p_edit_ = nullptr;
  QPushButton* ok_ = nullptr;
};

}  // namespace calvane
