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

bool UndoHistory::step(std::deque<State>& from, std::deque<State>& to, Program& program) {
  if (from.empty()) return false;
  State next = std::move(from.back());
  from.pop_back();
  to.push_back(std::move(present_));
  present_ = std::move(next);
  restore(present_, program);
  return true;
}

bool UndoHistory::undo(Program& program) { return step(undo_, redo_, program); }

bool UndoHistory::redo(Program& program) { return step(redo_, undo_, program); }

}  // namespace calvane
