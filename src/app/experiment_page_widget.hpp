// The "Experimental Data" page of the main window: the wavelength line and
// field, the angle range and its scale, the resolution coefficients and the
// spectrum table. Its widgets mirror the ExperimentPageForm of the model.
#pragma once

#include <QWidget>
#include <array>

#include "app/page_handlers.hpp"
#include "flows/program.hpp"

class QButtonGroup;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTableWidget;

namespace calvane {

class ExperimentPage : public QWidget {
  Q_OBJECT

public:
  ExperimentPage(Program& program, PageHandlers handlers, QWidget* parent = nullptr);

  void sync_model_from_widgets();
  void refresh_from_model();

  QComboBox* line_list() const { return line_list_; }
  QLineEdit* wavelength() const { return wavelength_; }
  QRadioButton* angle_scale_button(int index) const { return scale_buttons_[static_cast<std::size_t>(index)]; }

private:
  void build_wavelength_box(QGridLayout* layout);
  void build_range_box(QGridLayout* layout);
  void build_resolution_box(QGridLayout* layout);

  Program& program_;
  PageHandlers handlers_;
  QComboBox* line_list_ = nullptr;
  QLineEdit* wavelength_ = nullptr;
  QLineEdit* range_low_ = nullptr;
  QLineEdit* range_high_ = nullptr;
  QLabel* range_low_caption_ = nullptr;
  QLabel* range_high_caption_ = nullptr;
  std::array<QRadioButton*, 3> scale_buttons_{};
  QButtonGroup* scale_group_ = nullptr;
  QLineEdit* u_ = nullptr;
  QLineEdit* v_ = nullptr;
  QLineEdit* w_ = nullptr;
  QLabel* default_wavelength_notice_ = nullptr;
  QTableWidget* spectrum_ = nullptr;
};

}  // namespace calvane
