// The Ui port for a terminal: messages go to standard error; file dialogs are
// answered from the command line; a question that needs a person is an error.
#pragma once

#include <deque>
#include <iosfwd>
#include <string>

#include "ui/ui_port.hpp"

namespace calvane::cli {

class TerminalUi : public Ui {
public:
  explicit TerminalUi(std::ostream& messages, bool overwrite) : messages_(messages), overwrite_(overwrite) {}

  /// The file the next open or save dialog answers with.
  void answer_next_dialog(std::string path) { files_.push_back(std::move(path)); }

  int warning_count() const { return warnings_; }
  /// A question was asked that only a person (or an option) could answer.
  bool unanswered_question() const { return unanswered_; }

  void warning(std::string_view text) override;
  /// Printed like a warning but not counted as one: the run goes on.
  void notice(std::string_view text) override;
  void information(std::string_view text) override;
  Answer confirm(std::string_view text) override;
  SaveChoice ask_to_save(std::string_view text) override;
  void beep() override {}
  void set_busy(bool) override {}
  std::optional<FileDialogResult> open_file(const FileDialogRequest& request) override;
  std::optional<FileDialogResult> save_file(const FileDialogRequest& request) override;
  void show_window(WindowId, bool) override {}
  void refresh() override {}
  void redraw_plot() override {}
  bool start_program(const std::string&, const std::vector<std::string>&) override { return false; }
  void show_text_file(const std::string&) override {}
  void open_help(int) override {}
  int screen_width() override { return 1600; }
  void process_events() override {}
  void quit() override {}

private:
  std::optional<FileDialogResult> next_file(const FileDialogRequest& request);
  std::ostream& messages_;
  bool overwrite_;
  std::deque<std::string> files_;
  std::string last_file_;  // the last dialog's answer, named when it already exists
  int warnings_ = 0;
  bool unanswered_ = false;
};

}  // namespace calvane::cli
