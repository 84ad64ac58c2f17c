// SpaceGroupWindow: the space-group selection window. The GETSPEC catalogue of the
// phase's crystal system, its standard Hermann-Mauguin symbols and the
// equivalent positions of the last choice; its widgets mirror a SpaceGroupForm.
#pragma once

#include <QDialog>

#include "flows/space_group_window.hpp"

class QListWidget;
class QPushButton;
class QTableWidget;
class QTreeWidget;
class QVBoxLayout;
class QFont;
class QLineEdit;
class QLabel;

namespace calvane {

class SpaceGroupWindow : public QDialog {
  Q_OBJECT

public:
  explicit SpaceGroupWindow(Program& program, QWidget* parent = nullptr);

  SpaceGroupForm& form() { return form_; }
  void refresh_from_model();

  /// One row per catalogue item, its fixed columns split into three.
  QTreeWidget* catalogue() const { return catalogue_; }
  QLineEdit* search() const { return search_; }
  QLabel* chosen_group() const { return chosen_; }
  QListWidget* standard_symbols() const { return standard_; }
  QTableWidget* positions() const { return positions_; }
  QPushButton* ok_button() const { return ok_; }
  QPushButton* cancel_button() const { return cancel_; }

public slots:
  void init();
  void choose_catalogue_group(int item);
  void choose_standard_group(int item);
  void accept_space_group();
  void cancel_space_group();

protected:
  void showEvent(QShowEvent* event) override;

private:
  /// The catalogue list with its search field and the chosen group's description.
  QVBoxLayout* build_catalogue(const QFont& fixed);
  void after_handler();
  /// A row chosen by the mouse or the keyboard; nothing when it is the choice in force.
  void choose_catalogue_item(int item);
  void choose_standard_item(int item);

  Program& program_;
  SpaceGroupForm form_;
  QTreeWidget* catalogue_ = nullptr;
  QLineEdit* search_ = nullptr;  // finds a group by number or symbol
  QLabel* chosen_ = nullptr;     // the chosen group's full symbol, number and Hall symbol
  QListWidget* standard_ = nullptr;
  QTableWidget* positions_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace calvane
