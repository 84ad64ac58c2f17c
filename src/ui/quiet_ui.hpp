// A Ui that shows nothing and asks nothing: for work done on the side, such
// as a trial that must not show the warnings of the real thing.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/ui_port.hpp"
#include "model/limits.hpp"

namespace calvane {

class QuietUi : public Ui {
public:
  void warning(std::string_view) override {}
  void information(std::string_view) override {}
  Answer confirm(std::string_view) override { return Answer::Cancel; }
  SaveChoice ask_to_save(std::string_view) override { return SaveChoice::Cancel; }
  void beep() override {}
  void set_busy(bool) override {}
  std::optional<FileDialogResult> open_file(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<FileDialogResult> save_file(const FileDialogRequest&) override { return std::nullopt; }
  void show_window(WindowId, bool) override {}
  void refresh() override {}
  void redraw_plot() override {}
  bool start_program(const std::string&, const std::vector<std::string>&) override { return false; }
  void show_text_file(const std::string&) override {}
  void open_help(int) override {}
  int screen_width() override { return kMaxProfilePoints; }
  void process_events() override {}
  void quit() override {}
};

}  // namespace calvane
