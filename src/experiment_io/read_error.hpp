// The message of a read that stops on a malformed or short file.
#pragma once

#include <string>
#include <string_view>

namespace calvane {

/// "Read error in <file>: <what>", the one message a reader gives when a
/// number is malformed or the file ends too early.
inline std::string read_error_message(std::string_view file_name, std::string_view what) {
  return "Read error in " + std::string(file_name) + ": " + std::string(what);
}

/// The same, naming a 1-based line of a text file.
inline std::string read_error_message(std::string_view file_name, int line, std::string_view what) {
  return "Read error in " + std::string(file_name) + ", line " + std::to_string(line) + ": " + std::string(what);
}

}  // namespace calvane
