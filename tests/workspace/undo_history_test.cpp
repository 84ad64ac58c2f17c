#include "flows/undo_history.hpp"

#include <gtest/gtest.h>

#include "flows/main_actions.hpp"
#include "flows/total_data_flows.hpp"
#include "support/started_program.hpp"

namespace calvane {
namespace {

// Two example phases opened, each kept as a change, then a deletion: undo
// brings each earlier state back whole (phases, current phase, working copy,
// phase table) and redo goes forward again; a new change forgets redo.
TEST(UndoHistory, TakesBackAndRedoesDeletionsAndOpens) {
  testing::StartedProgram started;
  Program& program = started.program;
  UndoHistory history;
  history.start(program);
  EXPECT_FALSE(history.can_undo());

  started.open_example("nacl.cry");
  ASSERT_TRUE(history.note_change(program, "Open NaCl"));
  started.open_example("rutile.cry");
  ASSERT_TRUE(history.note_change(program, "Open rutile"));
  EXPECT_FALSE(history.note_change(program, "nothing changed"));
  const std::string rutile_title = program.workspace.crystal.title;
  const std::vector<float> rutile_profile = program.workspace.phase(2).profile;

  erase_phase_row(program, 1);
  ASSERT_TRUE(history.note_change(program, "Erase phase 1"));
  ASSERT_TRUE(history.undo(program));
  ASSERT_EQ(program.workspace.phase_count(), 2);
  EXPECT_EQ(std::tuple(program.workspace.current_phase, program.workspace.crystal.title,
                       program.workspace.phase(2).profile),
            std::tuple(2, rutile_title, rutile_profile));
  // The phase table shows both phases again; the state brought back was never saved as such.
  EXPECT_EQ(
      std::tuple(program.main_form.phases.rows[0].name.empty(), program.main_form.phases.rows[1].name.empty(),
                 program.workspace_modified, history.undo_name(), history.redo_name()),
      std::tuple(false, false, true, "Open rutile", "Erase phase 1"));

  ASSERT_TRUE(history.undo(program) && history.undo(program));
  EXPECT_EQ(std::tuple(program.workspace.phase_count(), history.undo(program)), std::tuple(0, false));
  ASSERT_TRUE(history.redo(program));
  EXPECT_EQ(program.workspace.phase_count(), 1);
  // A new change after an undo: the undone changes cannot be redone any more.
  started.open_example("silicon.cry");
  ASSERT_TRUE(history.note_change(program, "Open silicon"));
  EXPECT_EQ((std::tuple{history.can_redo(), program.workspace.phase_count()}), std::tuple(false, 2));
}

// The history keeps a bounded number of changes: the oldest go first.
TEST(UndoHistory, KeepsAtMostItsDepth) {
  testing::StartedProgram started;
  Program& program = started.program;
  UndoHistory history(2);
  history.start(program);
  for (int change = 0; change < 4; ++change) {
    program.mark_workspace_modified();
    history.note_change(program, "change " + std::to_string(change));
  }
  EXPECT_EQ((std::tuple{history.undo(program), history.undo(program), history.undo(program)}),
            std::tuple(true, true, false));
}

}  // namespace
}  // namespace calvane
