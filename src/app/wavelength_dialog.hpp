// WavelengthDialog: the multiple-wavelength dialog. Four wavelength and intensity
// rows, the anode list and the λ/2, λ/3 button; its widgets mirror the
// program's WavelengthForm.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "ui/follow_up.hpp"
#include "flows/program.hpp"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace calvane {

class WavelengthDialog : public QDialog {
  Q_OBJECT

public:
  WavelengthDialog(Program& program, std::function<void(const FollowUp&)> follow_up, QWidget* parent = nullptr);

  void refresh_from_model();

  QLineEdit* wavelength_edit(int row) const { return wavelength_[static_cast<std::size_t>(row)]; }
  QLineEdit* intensity_edit(int row) const { return intensity_[static_cast<std::size_t>(row)]; }
  QListWidget* anodes() const { return anodes_; }
  QPushButton* ok_button() const { return ok_; }
  QPushButton* cancel_button() const { return cancel_; }
  QPushButton* harmonics_button() const { return harmonics_; }

public slots:
  void read_spectrum_composition();
  void choose_anode(int anode);
  void set_harmonic_lines();
  void cancel_wavelength_dialog();

private:
  void sync_model_from_widgets();

  Program& program_;
  std::function<void(const FollowUp&)> follow_up_;
  std::array<QLineEdit*, kMaxDialogWavelengths> wavelength_{};
  std::array<QLineEdit*, kMaxDialogWavelengths> intensity_{};
  QListWidget* anodes_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* harmonics_ = nullptr;
};

}  // namespace calvane
