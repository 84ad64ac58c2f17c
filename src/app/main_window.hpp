// Tfmain: the main window. Its widgets mirror the MainForm presentation model;
// each handler syncs the widgets into the model, calls the core and refreshes.
#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <map>

#include "workspace/program.hpp"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableWidget;
class QToolButton;
class QWidget;

namespace calvane {

class Tfmain : public QMainWindow {
  Q_OBJECT

public:
  explicit Tfmain(Program& program, QWidget* parent = nullptr);

  /// Runs the start-up of the program; false when a data file is missing.
  bool start();
  /// Rewrites every widget from the presentation model.
  void refresh_from_model();

  /// Menu actions by caption path ("&File/&Quit"), for tests and scripts.
  QAction* action(const QString& path) const;

  /// What the plot window does for the main window, set by the application.
  std::function<void()> on_erase_observed;
  std::function<void(int)> on_results_line;
  std::function<void()> on_reset_plot;
  QTabWidget* pages() const { return pages_; }
  QListWidget* results() const { return results_; }

public slots:
  void lit_fichier_cry(int kind);
  void FichierCRY1Click();
  void sauve_donnees();
  void Sortie();
  void change_volet(int page);
  void optionX();
  void choixN();

private:
  void build_menus();
  void build_source_bar(QWidget* parent);
  QWidget* build_experiment_page();
  QWidget* build_crystal_page();
  QWidget* build_phases_page();
  QWidget* build_style_page();
  QAction* add_item(QMenu* menu, const QString& caption, const QString& hint = {});
  /// Enables the item at `path` and runs `work` (then refreshes) when it is chosen.
  void bind(const QString& path, std::function<void()> work);
  void bind_handlers();
  void sync_model_from_widgets();

  Program& program_;
  QTabWidget* pages_ = nullptr;
  QListWidget* results_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* source_caption_ = nullptr;
  QToolButton* xray_button_ = nullptr;
  QToolButton* neutron_button_ = nullptr;
  std::map<QString, QAction*> actions_;

  // "Experimental Data"
  QLineEdit* wavelength_ = nullptr;
  QLineEdit* range_low_ = nullptr;
  QLineEdit* range_high_ = nullptr;
  QLabel* range_low_caption_ = nullptr;
  QLabel* range_high_caption_ = nullptr;
  QLineEdit* u_ = nullptr;
  QLineEdit* v_ = nullptr;
  QLineEdit* w_ = nullptr;
  QLabel* default_wavelength_notice_ = nullptr;

  // "Crystal Data"
  QWidget* crystal_panel_ = nullptr;
  QLabel* apply_bar_caption_ = nullptr;
  QComboBox* system_ = nullptr;
  std::array<QLineEdit*, 6> cell_{};
  QLineEdit* title_ = nullptr;
  QLineEdit* hermann_mauguin_ = nullptr;
  QLineEdit* hall_ = nullptr;
  QLineEdit* group_number_ = nullptr;
  QLineEdit* molecular_weight_ = nullptr;
  QLineEdit* formula_units_ = nullptr;
  QLineEdit* formula_ = nullptr;
  QLineEdit* density_ = nullptr;
  QTableWidget* xray_atoms_ = nullptr;

  // "Phases Data"
  QTableWidget* phase_table_ = nullptr;
  bool refreshing_ = false;  // the widgets are being written from the model
};

}  // namespace calvane
