// CifBlockWindow: the CIF block chooser, shown when a CIF file holds several
// structure blocks. Its widgets mirror the program's CifBlockForm.
#pragma once

#include <QDialog>

#include "flows/program.hpp"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace calvane {

class CifBlockWindow : public QDialog {
  Q_OBJECT

public:
  explicit CifBlockWindow(Program& program, QWidget* parent = nullptr);

  void refresh_from_model();

  QListWidget* blocks() const { return blocks_; }
  QLineEdit* read_notice() const { return read_notice_; }
  QPushButton* ok_button() const { return ok_; }
  QPushButton* close_button() const { return close_; }

public slots:
  void initialise();
  void accept_block();
  void close_cif_block_chooser();

protected:
  void showEvent(QShowEvent* event) override;

private:
  Program& program_;
  QListWidget* blocks_ = nullptr;
  QLineEdit* read_notice_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* close_ = nullptr;
};

}  // namespace calvane
