// The main window's panel "Anomalous diffusion correction", as a widget the
// crystal page holds: which table to apply (Brennan and Cowan or Sasaki) and
// to which phases, or the removal of the correction. It mirrors an
// AnomalousPanelForm.
#pragma once

#include <QGroupBox>
#include <functional>

#include "ui/follow_up.hpp"
#include "flows/anomalous_panel.hpp"

class QPushButton;
class QRadioButton;

namespace calvane {

class AnomalousPanel : public QGroupBox {
  Q_OBJECT

public:
  AnomalousPanel(Program& program, std::function<void(const FollowUp&)> follow_up, QWidget* parent = nullptr);

  AnomalousPanelForm& form() { return form_; }
  void refresh_from_model();

  QRadioButton* table_button(int item) const { return item == 0 ? brennan_cowan_ : sasaki_; }
  QRadioButton* range_button(int item) const { return item == 0 ? current_phase_ : all_phases_; }
  QPushButton* apply_button() const { return apply_; }
  QPushButton* suppress_button() const { return suppress_; }
  QPushButton* cancel_button() const { return cancel_; }

public slots:
  /// Opens the panel (the crystal page's button for the anomalous correction).
  void open_anomalous_panel();
  void apply_chosen_anomalous_table();
  void remove_anomalous_correction();
  void cancel_anomalous_panel();

private:
  void sync_model_from_widgets();
  void after_handler();

  Program& program_;
  AnomalousPanelForm form_;
  AnomalousPanelActions actions_;
  QRadioButton* brennan_cowan_ = nullptr;
  QRadioButton* sasaki_ = nullptr;
  QRadioButton* current_phase_ = nullptr;
  QRadioButton* all_phases_ = nullptr;
  QPushButton* apply_ = nullptr;
  QPushButton* suppress_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace calvane
