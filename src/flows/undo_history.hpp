// Undo and redo of what changes the workspace: each change the user makes
// keeps a copy of the state before it. A state is the workspace with the
// main window's presentation model that shows it, so an undone change comes
// back as the user saw it (pages, phase table, results).
#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <string>

#include "flows/program.hpp"

namespace calvane {

class UndoHistory {
public:
  /// At most `depth` changes are kept: a long session does not hold every
  /// workspace it went through.
  explicit UndoHistory(std::size_t depth = 30) : depth_(depth) {}

  /// Forgets every change: the program's present state is where undo stops.
  void start(const Program& program);
  /// Called after each action of the user: when the workspace changed
  /// during it, the state before it can be undone (and redo is forgotten).
  /// `what` names the change in the Edit menu. True when a change was kept.
  bool note_change(const Program& program, std::string what);

  bool can_undo() const { return !undo_.empty(); }
  bool can_redo() const { return !redo_.empty(); }
  /// The change undo or redo would take back or make again; empty when none.
  std::string undo_name() const { return undo_.empty() ? std::string() : present_.what; }
  std::string redo_name() const { return redo_.empty() ? std::string() : redo_.back().what; }

  /// Puts the program back in the state before the last change (after the
  /// last undone one for redo). The workspace counts as changed since it was
  /// saved. False, with nothing done, when there is nothing to undo or redo.
  bool undo(Program& program);
  bool redo(Program& program);

private:
  struct State {
    Workspace workspace;
    MainForm main_form;
    std::string workspace_file;
    std::map<std::string, std::string> workspace_file_names;
    std::string what;  // the change that led to this state
  };
  static State capture(const Program& program, std::string what);
  void restore(const State& state, Program& program);
  /// Moves the present state onto `to` and makes the last of `from` present.
  bool step(std::deque<State>& from, std::deque<State>& to, Program& program);

  std::size_t depth_;
  std::deque<State> undo_;  // oldest first
  std::deque<State> redo_;  // the next to redo last
  State present_;
  unsigned seen_revision_ = 0;
};

}  // namespace calvane
