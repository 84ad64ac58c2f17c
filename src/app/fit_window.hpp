// "Fit to measured pattern": which quantities to refine, Fit, the table of
// fitted values with their esds, and Undo fit (the Edit menu's undo).
#pragma once

#include <QDialog>
#include <functional>

#include "fit/pattern_fit.hpp"
#include "flows/program.hpp"

class QCheckBox;
class QFormLayout;
class QHBoxLayout;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace calvane {

class FitWindow : public QDialog {
  Q_OBJECT

public:
  FitWindow(Program& program, QWidget* parent = nullptr);

  /// Run around every fit (the main window syncs and refreshes, and keeps
  /// the change for undo); and Undo fit.
  std::function<void(const std::function<void()>&)> act;
  std::function<void()> undo;

  /// The choices the boxes make for the workspace's phases.
  FitChoices choices() const;
  /// Fits now; the progress dialog with Cancel shows when it takes over half a second.
  void fit();

  QSpinBox* background_order() const { return background_; }
  QCheckBox* zero_shift() const { return zero_; }
  QCheckBox* displacement() const { return displacement_; }
  QCheckBox* on_measured_points() const { return on_measured_points_; }
  QTableWidget* phase_choices() const { return phases_; }
  QPlainTextEdit* results() const { return results_; }
  QPushButton* fit_button() const { return fit_button_; }

protected:
  void showEvent(QShowEvent* event) override;

private:
  /// The background order and the zero-shift and displacement boxes.
  QFormLayout* build_common_choices();
  /// Fit, Undo fit and Close.
  QHBoxLayout* build_buttons();
  /// One row per phase: its name and its texture, size and cell boxes.
  void list_phases();
  /// The drawing box follows the plot's state (a fit turns it on).
  void show_drawing_choice();

  Program& program_;
  QSpinBox* background_ = nullptr;
  QCheckBox* zero_ = nullptr;
  QCheckBox* displacement_ = nullptr;
  QCheckBox* on_measured_points_ = nullptr;
  QTableWidget* phases_ = nullptr;
  QPlainTextEdit* results_ = nullptr;
  QPushButton* fit_button_ = nullptr;
  QPushButton* undo_button_ = nullptr;
};

}  // namespace calvane
