// The tick panel of the plot window, "Change the tick marks  values": the
// minor and major spacing boxes with the default values beside them, OK and Cancel.
#pragma once

#include <QGroupBox>

#include "plot/plot_state.hpp"

class QLabel;
class QLineEdit;
class QPushButton;

namespace calvane {

class TickPanel : public QGroupBox {
  Q_OBJECT

public:
  explicit TickPanel(QWidget* parent = nullptr);

  /// Writes the panel from the model: boxes, default labels, visibility.
  void refresh(const TickDialog& dialog);
  /// Copies the two boxes into the model.
  void sync(TickDialog& dialog) const;
  /// After "Error!": the focus goes back to the minor box.
  void focus_minor();

  QLineEdit* minor_box() const { return minor_; }
  QLineEdit* major_box() const { return major_; }
  QPushButton* ok_button() const { return ok_; }
  QPushButton* cancel_button() const { return cancel_; }

signals:
  void accepted();
  void cancelled();

private:
  QLineEdit* minor_ = nullptr;
  QLineEdit* major_ = nullptr;
  QLabel* minor_default_ = nullptr;
  QLabel* major_default_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace calvane
