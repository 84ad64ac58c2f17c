// The "Crystal Data" page of the main window: the apply bar, the phase
// selector, the keyboard-capture panel, the system list, the cell and symbol
// fields, the X-ray and neutron atom grids, the anomalous-dispersion and
// absorption tables and the place of the anomalous-correction panel. Its
// widgets mirror the CrystalPageForm of the presentation model.
#pragma once

#include <QWidget>
#include <array>
#include <functional>

#include "flows/program.hpp"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QVBoxLayout;

namespace calvane {

class AnomalousPanel;

class CrystalPage : public QWidget {
  Q_OBJECT

public:
  /// `sync_window` reads every widget of the main window into the model and
  /// `refresh_window` writes them back; each handler runs between the two.
  CrystalPage(Program& program, std::function<void()> sync_window, std::function<void()> refresh_window,
              QWidget* parent = nullptr);

  void sync_model_from_widgets();
  void refresh_from_model();

  /// Puts the anomalous-correction panel under the anomalous table, where
  /// the page's "Anomalous correction" button opens it.
  void set_anomalous_panel(AnomalousPanel* panel);

  QWidget* panel() const { return panel_; }
  QWidget* capture_panel() const { return capture_panel_; }
  QLabel* apply_bar_caption() const { return apply_bar_caption_; }
  QPushButton* apply_button() const { return apply_; }
  QPushButton* restore_button() const { return restore_; }
  QPushButton* capture_apply_button() const { return capture_apply_; }
  QPushButton* capture_cancel_button() const { return capture_cancel_; }
  QPushButton* space_group_button() const { return space_group_; }
  QPushButton* anomalous_button() const { return anomalous_button_; }
  QRadioButton* selector(int button) const { return selector_[static_cast<std::size_t>(button - 1)]; }
  QWidget* selector_box() const { return selector_box_; }
  QComboBox* system() const { return system_; }
  QLineEdit* cell(int field) const { return cell_[static_cast<std::size_t>(field)]; }
  QLineEdit* hermann_mauguin() const { return hermann_mauguin_; }
  QTableWidget* xray_atoms() const { return xray_atoms_; }
  QTableWidget* neutron_atoms() const { return neutron_atoms_; }
  QTableWidget* anomalous() const { return anomalous_; }
  QTableWidget* absorption() const { return absorption_; }

public slots:
  void recompute_current_phase();
  void restore_data();
  void show_phase(int button);
  void choose_crystal_system(int index);
  void read_cell_field(int field);
  /// "Keyboard capture of crystal data" and the two buttons of its panel.
  void start_keyboard_capture();
  void apply_new_phase();
  void stop_capture();
  /// "Select the space group": the space-group window for the page's system.
  void select_space_group();
  /// Double-click on an atom grid: an empty row at the clicked row.
  void insert_atom_row(int row);
  void remove_atom_row(int row);

private:
  QWidget* build_apply_bar();
  QWidget* build_capture_panel();
  QWidget* build_cell_box();
  QWidget* build_symbol_box();
  QWidget* build_values_box();
  QWidget* build_atom_grids();
  QWidget* build_tables();
  void act(const std::function<void()>& work);
  void cell_selected(bool neutron, int row, int previous_row);

  Program& program_;
  std::function<void()> sync_window_;
  std::function<void()> refresh_window_;
  bool refreshing_ = false;

  QWidget* apply_bar_ = nullptr;
  QLabel* apply_bar_caption_ = nullptr;
  QPushButton* apply_ = nullptr;
  QPushButton* restore_ = nullptr;
  QWidget* selector_box_ = nullptr;
  QButtonGroup* selector_group_ = nullptr;
  std::array<QRadioButton*, 8> selector_{};
  QWidget* capture_panel_ = nullptr;
  QPushButton* capture_apply_ = nullptr;
  QPushButton* capture_cancel_ = nullptr;

  QWidget* panel_ = nullptr;
  QComboBox* system_ = nullptr;
  std::array<QLineEdit*, 6> cell_{};
  QLineEdit* title_ = nullptr;
  QLineEdit* hermann_mauguin_ = nullptr;
  QLineEdit* hall_ = nullptr;
  QLineEdit* group_number_ = nullptr;
  QPushButton* space_group_ = nullptr;
  QLineEdit* molecular_weight_ = nullptr;
  QLineEdit* formula_units_ = nullptr;
  QLineEdit* formula_ = nullptr;
  QLineEdit* density_ = nullptr;
  QTableWidget* xray_atoms_ = nullptr;
  QTableWidget* neutron_atoms_ = nullptr;
  QWidget* xray_tables_ = nullptr;
  QTableWidget* anomalous_ = nullptr;
  QTableWidget* absorption_ = nullptr;
  QPushButton* anomalous_button_ = nullptr;
  QVBoxLayout* anomalous_place_ = nullptr;
  AnomalousPanel* anomalous_panel_ = nullptr;
};

}  // namespace calvane
