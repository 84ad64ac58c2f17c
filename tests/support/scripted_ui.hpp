// A scripted Ui for tests: records every message and replays prepared answers.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/ui_port.hpp"

namespace calvane::testing {

class ScriptedUi : public Ui {
public:
  // What the core said or asked, in order.
  std::vector<std::string> warnings;
  std::vector<std::string> notices;
  std::vector<std::string> informations;  // messages shown with the information sign
  std::vector<std::string> questions;
  std::vector<FileDialogRequest> open_requests;
  std::vector<FileDialogRequest> save_requests;
  std::vector<std::pair<WindowId, bool>> window_changes;
  std::vector<std::pair<std::string, std::vector<std::string>>> started_programs;
  std::vector<std::string> shown_text_files;
  std::vector<int> help_topics;
  int beeps = 0;
  int redraws = 0;
  int refreshes = 0;
  int busy_depth = 0;
  bool quit_called = false;
  int width = 1600;
  bool program_starts = true;

  // Prepared answers, consumed in order. An empty queue answers Cancel / no file.
  std::deque<Answer> answers;
  std::deque<SaveChoice> save_choices;
  std::deque<std::optional<FileDialogResult>> files;

  void answer(Answer a) { answers.push_back(a); }
  void choose_file(std::string path, int filter_index = 1) { files.push_back(FileDialogResult{std::move(path), filter_index}); }
  void cancel_file_dialog() { files.push_back(std::nullopt); }
  std::string last_warning() const { return warnings.empty() ? std::string() : warnings.back(); }

  void warning(std::string_view text) override { warnings.emplace_back(text); }
  void notice(std::string_view text) override { notices.emplace_back(text); }
  void information(std::string_view text) override { informations.emplace_back(text); }
  Answer confirm(std::string_view text) override {
    questions.emplace_back(text);
    if (answers.empty()) return Answer::Cancel;
    Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  SaveChoice ask_to_save(std::string_view text) override {
    questions.emplace_back(text);
    if (save_choices.empty()) return SaveChoice::Cancel;
    SaveChoice choice = save_choices.front();
    save_choices.pop_front();
    return choice;
  }
  void beep() override { ++beeps; }
  void set_busy(bool busy) override { busy_depth += busy ? 1 : -1; }
  std::optional<FileDialogResult> open_file(const FileDialogRequest& request) override {
    open_requests.push_back(request);
    return next_file();
  }
  std::optional<FileDialogResult> save_file(const FileDialogRequest& request) override {
    save_requests.push_back(request);
    return next_file();
  }
  void show_window(WindowId window, bool visible) override { window_changes.emplace_back(window, visible); }
  void refresh() override { ++refreshes; }
  void redraw_plot() override { ++redraws; }
  bool start_program(const std::string& program, const std::vector<std::string>& arguments) override {
    started_programs.emplace_back(program, arguments);
    return program_starts;
  }
  void show_text_file(const std::string& path) override { shown_text_files.push_back(path); }
  void open_help(int topic) override { help_topics.push_back(topic); }
  int screen_width() override { return width; }
  void process_events() override {}
  void quit() override { quit_called = true; }

private:
  std::optional<FileDialogResult> next_file() {
    if (files.empty()) return std::nullopt;
    auto f = files.front();
    files.pop_front();
    return f;
  }
};

}  // namespace calvane::testing
