// ViewerPathWindow: where the structure viewer Lumiso2 is. Its widgets mirror the
// program's ViewerPathForm.
#pragma once

#include <QDialog>
#include <filesystem>
#include <optional>
#include <vector>

#include "flows/program.hpp"

class QLabel;
class QLineEdit;
class QPushButton;
class QHBoxLayout;

namespace calvane {

class ViewerPathWindow : public QDialog {
  Q_OBJECT

public:
  explicit ViewerPathWindow(Program& program, QWidget* parent = nullptr);

  void refresh_from_model();

  QLabel* prompt() const { return prompt_; }
  QLineEdit* path_edit() const { return path_; }
  QPushButton* browse_button() const { return browse_; }
  QPushButton* search_button() const { return search_; }
  QPushButton* ok_button() const { return ok_; }
  QPushButton* cancel_button() const { return cancel_; }
  /// Where "Automatic search" looks; the home folder and the mounted volumes
  /// unless set.
  void set_search_roots(std::vector<std::filesystem::path> roots) { search_roots_ = std::move(roots); }

public slots:
  void browse_for_viewer();
  void search_for_viewer();
  void accept_viewer_path();
  void cancel_viewer_path();

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

private:
  /// A button for each structure viewer found on this system.
  void list_system_viewers();
  QHBoxLayout* system_viewers_ = nullptr;
  void sync_model_from_widgets();
  void after_handler();

  Program& program_;
  std::optional<std::vector<std::filesystem::path>> search_roots_;
  QLabel* prompt_ = nullptr;
  QLineEdit* path_ = nullptr;
  QPushButton* browse_ = nullptr;
  QPushButton* search_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace calvane
