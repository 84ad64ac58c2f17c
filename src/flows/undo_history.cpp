#include "flows/undo_history.hpp"

#include <utility>

namespace calvane {

UndoHistory::State UndoHistory::capture(const Program& program, std::string what) {
  return State{program.workspace, program.main_form, program.workspace_file, program.workspace_file_names,
               std::move(what)};
}

void UndoHistory::start(const Program& program) {
  undo_.clear();
  redo_.clear();
  present_ = capture(program, {});
  seen_revision_ = program.workspace_revision;
}

bool UndoHistory::note_change(const Program& program, std::string what) {
  if (program.workspace_revision == seen_revision_) return false;
  seen_revision_ = program.workspace_revision;
  undo_.push_back(std::move(present_));
  if (undo_.size() > depth_) undo_.pop_front();
  redo_.clear();
  present_ = capture(program, std::move(what));
  return true;
}

void UndoHistory::restore(const State& state, Program& program) {
  program.workspace = state.workspace;
  program.main_form = state.main_form;
  program.workspace_file = state.workspace_file;
  program.workspace_file_names = state.workspace_file_names;
  program.mark_workspace_modified();
  seen_revision_ = program.workspace_revision;
}

bool UndoHistory::undo(Program& program) {
  if (undo_.empty()) return false;
  State before = std::move(undo_.back());
  undo_.pop_back();
  redo_.push_back(std::move(present_));
  present_ = std::move(before);
  restore(present_, program);
  return true;
}

bool UndoHistory::redo(Program& program) {
  if (redo_.empty()) return false;
  State after = std::move(redo_.back());
  redo_.pop_back();
  undo_.push_back(std::move(present_));
  present_ = std::move(after);
  restore(present_, program);
  return true;
}

}  // namespace calvane
