// The file-list panel the main window holds: a folder tree, the files of the
// chosen folder that match the list's kind, and "Cancel". Its widgets mirror
// the program's FileListForm.
#pragma once

#include <QWidget>
#include <functional>

#include "flows/file_lists.hpp"
#include "flows/program.hpp"

class QFileSystemModel;
class QLabel;
class QListWidget;
class QPushButton;
class QTreeView;

namespace calvane {

class FileListPanel : public QWidget {
  Q_OBJECT

public:
  explicit FileListPanel(Program& program, QWidget* parent = nullptr);

  void refresh_from_model();

  /// What the plot must do after a click loaded a file (its intensity scale
  /// is reset already; the plot redraws and may recompute its ticks).
  std::function<void(const FileListLoad&)> on_loaded;

  QLabel* title() const { return title_; }
  QLabel* hint() const { return hint_; }
  QTreeView* folders() const { return folders_; }
  QListWidget* files() const { return files_; }
  QPushButton* cancel_button() const { return cancel_; }

public slots:
  /// `show_file_list`: one of the four "List of ..." menu items.
  void open(calvane::FileListKind kind);
  void set_file_list_folder(const QString& folder);
  void open_listed_file(int row);
  void close_file_list();

signals:
  /// "Cancel" hid the panel.
  void closed();
  /// A click loaded a file into the workspace.
  void loaded();

protected:
  void showEvent(QShowEvent* event) override;

private:
  void scroll_to_folder();
  void show_folder_in_tree(const QString& folder);

  Program& program_;
  std::filesystem::path shown_folder_;  // the folder the tree was last opened to
  bool follow_folder_ = false;          // keep that folder in view while the tree loads
  QLabel* title_ = nullptr;
  QLabel* hint_ = nullptr;
  QFileSystemModel* folder_model_ = nullptr;
  QTreeView* folders_ = nullptr;
  QListWidget* files_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace calvane
