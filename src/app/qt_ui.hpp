// The Ui port on Qt: message boxes, file dialogs, cursor, outside programs.
#pragma once

#include <QKeySequence>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>

#include "ui/ui_port.hpp"

class QWidget;

namespace calvane {

class DesktopSettings;

/// Turns the program's "caption|patterns|caption|patterns|" filter into Qt's
/// name filters, one per entry ("*.inp;*.ins,*.res" becomes "*.inp *.ins *.res"),
/// first "All supported files" with every pattern when `with_all_supported`.
QStringList qt_name_filters(const std::string& filter, bool with_all_supported = false);

/// The keys of every "Apply" button, the same in every window: the windows
/// can be driven from the keyboard alone.
inline QKeySequence apply_keys() { return QKeySequence(Qt::CTRL | Qt::Key_Return); }

class QtUi : public Ui {
public:
  /// Windows the Ui shows or hides, and the refresh of every window, are
  /// reached through these callbacks set by the application.
  std::function<void(WindowId, bool)> on_show_window;
  std::function<void()> on_refresh;
  std::function<void()> on_redraw_plot;
  std::function<void(const std::string&)> on_show_text_file;
  std::function<void(int)> on_open_help;

  void set_parent(QWidget* parent) { parent_ = parent; }
  /// Where file dialogs remember their folders; they do so only for requests
  /// naming no folder or the program folder.
  void remember_folders(DesktopSettings* settings, const std::string& program_folder) {
    settings_ = settings;
    program_folder_ = QString::fromStdString(program_folder);
  }
  /// The file the last open dialog answered (empty when it was cancelled).
  const std::string& last_open_path() const { return last_open_path_; }
  /// Answers the next open dialog without showing it (a file named on the command line).
  void answer_next_open_dialog(std::string path) { preset_open_ = std::move(path); }

  void warning(std::string_view text) override;
  void notice(std::string_view text) override;
  void information(std::string_view text) override;
  Answer confirm(std::string_view text) override;
  SaveChoice ask_to_save(std::string_view text) override;
  void beep() override;
  void set_busy(bool busy) override;
  std::optional<FileDialogResult> open_file(const FileDialogRequest& request) override;
  std::optional<FileDialogResult> save_file(const FileDialogRequest& request) override;
  void show_window(WindowId window, bool visible) override;
  void refresh() override;
  void redraw_plot() override;
  bool start_program(const std::string& program, const std::vector<std::string>& arguments) override;
  void show_text_file(const std::string& path) override;
  void open_help(int topic) override;
  int screen_width() override;
  void process_events() override;
  void quit() override;

private:
  std::optional<FileDialogResult> file_dialog(const FileDialogRequest& request, bool save);
  /// A modal box with `sign` and an OK button.
  void message(QMessageBox::Icon sign, std::string_view text);
  QWidget* parent_ = nullptr;
  std::string preset_open_;
  std::string last_open_path_;
  DesktopSettings* settings_ = nullptr;
  QString program_folder_;
};

}  // namespace calvane
