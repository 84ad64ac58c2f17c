// A Ui for the benchmarks: answers every open dialog with a prepared name,
// keeps the last warning, asks nothing and shows nothing.
#pragma once

#include <string>

#include "ui/quiet_ui.hpp"

namespace calvane {

class BenchUi : public QuietUi {
public:
  std::string next_file;
  std::string last_warning;

  void warning(std::string_view text) override { last_warning = text; }
  std::optional<FileDialogResult> open_file(const FileDialogRequest&) override {
    if (next_file.empty()) return std::nullopt;
    return FileDialogResult{next_file, 1};
  }
};

}  // namespace calvane
