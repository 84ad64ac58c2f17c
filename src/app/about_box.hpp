// The About box: a fixed text and an OK button.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace calvane {

class AboutBox : public QDialog {
  Q_OBJECT

public:
  explicit AboutBox(QWidget* parent = nullptr);

  QLabel* text() const { return text_; }
  QPushButton* ok_button() const { return ok_; }

private:
  QLabel* text_ = nullptr;
  QPushButton* ok_ = nullptr;
};

}  // namespace calvane
