// A Ui for the benchmarks: answers every open dialog with a prepared name,
// keeps the last warning, asks nothing and shows nothing.
#pragma once

#include <string>

#include "ui/ui_port.hpp"

namespace calvane {

class BenchUi : public Ui {
public:
  std::string next_file;
  std::string last_warning;

  void warning(std::string_view text) override { last_warning = text; }
  Answer confirm(std::string_view) override { return Answer::Cancel; }
  void beep() override {}
  void set_busy(bool) override {}
  std::optional<FileDialogResult> open_file(const FileDialogRequest&) override {
    if (next_file.empty()) return std::nullopt;
    return FileDialogResult{next_file, 1};
  }
  std::optional<FileDialogResult> save_file(const FileDialogRequest&) override { return std::nullopt; }
  void show_window(WindowId, bool) override {}
  void refresh() override {}
  void redraw_plot() override {}
  bool start_program(const std::string&, const std::vector<std::string>&) override { return false; }
  void show_text_file(const std::string&) override {}
  void open_help(int) override {}
  int screen_width() override { return 1600; }
  void process_events() override {}
  void quit() override {}
};

}  // namespace calvane
