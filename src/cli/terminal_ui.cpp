#include "cli/terminal_ui.hpp"

#include <ostream>

namespace calvane::cli {

void TerminalUi::warning(std::string_view text) {
  ++warnings_;
  messages_ << "calvane-sim: " << text << '\n';
}

void TerminalUi::notice(std::string_view text) { messages_ << "calvane-sim: note: " << text << '\n'; }
void TerminalUi::information(std::string_view text) { messages_ << "calvane-sim: " << text << '\n'; }

SaveChoice TerminalUi::ask_to_save(std::string_view text) {
  messages_ << "calvane-sim: \"" << text << "\" needs an answer that no option gives\n";
  unanswered_ = true;
  return SaveChoice::Cancel;
}

Answer TerminalUi::confirm(std::string_view text) {
  if (text == "This file already exists. Do you want to continue?") {
    if (overwrite_) return Answer::Yes;
    messages_ << "calvane-sim: " << (last_file_.empty() ? std::string("an output file") : last_file_)
              << " already exists; --overwrite replaces it\n";
  } else {
    messages_ << "calvane-sim: \"" << text << "\" needs an answer that no option gives\n";
  }
  unanswered_ = true;
  return Answer::Cancel;
}

std::optional<FileDialogResult> TerminalUi::next_file(const FileDialogRequest& request) {
  if (files_.empty()) {
    unanswered_ = true;
    messages_ << "calvane-sim: a file name was needed that no option gives\n";
    return std::nullopt;
  }
  last_file_ = files_.front();
  FileDialogResult result{files_.front(), request.filter_index};
  files_.pop_front();
  return result;
}

std::optional<FileDialogResult> TerminalUi::open_file(const FileDialogRequest& request) { return next_file(request); }

std::optional<FileDialogResult> TerminalUi::save_file(const FileDialogRequest& request) { return next_file(request); }

}  // namespace calvane::cli
