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

/// A format's own refusal text followed by the file and the reason:
/// "<text> (<file>: <why>)".
inline std::string refusal_message(std::string_view text, std::string_view file_name, std::string_view why) {
  return std::string(text) + " (" + std::string(file_name) + ": " + std::string(why) + ")";
}

/// The same, naming a 1-based line: "<text> (<file>, line <n>: <why>)".
inline std::string refusal_message(std::string_view text, std::string_view file_name, int line, std::string_view why) {
  return std::string(text) + " (" + std::string(file_name) + ", line " + std::to_string(line) + ": " + std::string(why) +
         ")";
}

/// A token of a file quoted in a message: at most 20 characters, and only
/// printable ones, so a binary file cannot garble the message.
inline std::string quoted_token(std::string_view token) {
  std::string out = "\"";
  for (char c : token.substr(0, 20)) out.push_back(c >= ' ' && c <= '~' ? c : '?');
  if (token.size() > 20) out += "...";
  return out + "\"";
}

}  // namespace calvane
