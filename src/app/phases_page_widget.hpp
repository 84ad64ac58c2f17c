// The "Phases Data" page of the main window: the table of phases (name,
// colour, draw, hkl, share, size, strain, crystal-data choice) with the sum's
// row, the Sum and Obs. toggles, Restore, Apply, the percent mode and the
// hkl drawing mode. Its widgets mirror the PhasesPageForm of the model.
#pragma once

#include <QWidget>
#include <functional>

#include "app/page_handlers.hpp"
#include "flows/program.hpp"

class QButtonGroup;
class QHBoxLayout;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace calvane {

class PhasesPage : public QWidget {
  Q_OBJECT

public:
  PhasesPage(Program& program, PageHandlers handlers, QWidget* parent = nullptr);

  void sync_model_from_widgets();
  void refresh_from_model();

  /// What the window does for a double-click on a phase's name (delete it,
  /// once confirmed), for Restore, and for a tick in "Crystal Data" (phase 1-based).
  std::function<void(int)> on_delete_phase;
  std::function<void()> on_restore;
  std::function<void(int)> on_show_crystal;

  QTableWidget* phase_table() const { return phase_table_; }
  QPushButton* restore_button() const { return restore_; }
  QPushButton* sum_toggle() const { return sum_toggle_; }
  QPushButton* observed_toggle() const { return observed_toggle_; }
  QRadioButton* percent_button(bool molar) const { return molar ? molar_percent_ : weight_percent_; }

private:
  void build_table();
  QHBoxLayout* build_buttons();
  QHBoxLayout* build_options();
  void table_item_changed(int row, int column);

  Program& program_;
  PageHandlers handlers_;
  QTableWidget* phase_table_ = nullptr;
  QPushButton* restore_ = nullptr;
  QPushButton* sum_toggle_ = nullptr;
  QPushButton* observed_toggle_ = nullptr;
  QRadioButton* weight_percent_ = nullptr;
  QRadioButton* molar_percent_ = nullptr;
  QButtonGroup* percent_group_ = nullptr;
  QButtonGroup* hkl_mode_group_ = nullptr;
};

}  // namespace calvane
