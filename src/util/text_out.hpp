// A text file built line by line in memory, written whole afterwards.
#pragma once

#include <string>
#include <string_view>

namespace calvane {

class TextOut {
public:
  /// Appends `text` and a line break.
  void line(std::string_view text = {}) {
    out_.append(text);
    out_.push_back('\n');
  }
  std::string take() { return std::move(out_); }

private:
  std::string out_;
};

}  // namespace calvane
