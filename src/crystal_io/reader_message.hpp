// The message of a crystal reader that refuses a file: the reader's own text,
// then the file, the line where one is known, and the reason.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "util/files.hpp"

namespace calvane {

/// Where in a file and why: "<file name>, line <n>: <reason>"; line 0 leaves
/// the line out.
inline std::string file_line_reason(std::string_view file, std::size_t line, std::string_view reason) {
  std::string text = file_name_of(std::string(file));
  if (line > 0) text += ", line " + std::to_string(line);
  if (!reason.empty()) text += ": " + std::string(reason);
  return text;
}

/// "<what> (<file name>, line <n>: <reason>)": the reader's own message with
/// the place and the reason after it.
inline std::string crystal_read_message(std::string_view what, std::string_view file, std::size_t line,
                                        std::string_view reason) {
  return std::string(what) + " (" + file_line_reason(file, line, reason) + ")";
}

/// The refusal of a cell that cannot exist (see impossible_cell_reason).
inline std::string impossible_cell_message(std::string_view file, std::size_t line, std::string_view reason) {
  return "Impossible cell in " + file_line_reason(file, line, reason);
}

}  // namespace calvane
