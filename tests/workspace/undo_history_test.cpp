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
  ASSERT_EQ(program.workspace.phase_count(), 1);
  EXPECT_EQ(history.undo_name(), "Erase phase 1");

  ASSERT_TRUE(history.undo(program));
  ASSERT_EQ(program.workspace.phase_count(), 2);
  EXPECT_EQ(program.workspace.current_phase, 2);
  EXPECT_EQ(program.workspace.crystal.title, rutile_title);
  EXPECT_EQ(program.workspace.phase(2).profile, rutile_profile);
  // The phase table shows both phases again.
  EXPECT_FALSE(program.main_form.phases.rows[0].name.empty());
  EXPECT_FALSE(program.main_form.phases.rows[1].name.empty());
  EXPECT_TRUE(program.workspace_modified);  // the state brought back was never saved as such
  EXPECT_EQ(history.undo_name(), "Open rutile");
  EXPECT_EQ(history.redo_name(), "Erase phase 1");

  ASSERT_TRUE(history.undo(program));
  ASSERT_TRUE(history.undo(program));
  EXPECT_EQ(program.workspace.phase_count(), 0);
  EXPECT_FALSE(history.undo(program));

  ASSERT_TRUE(history.redo(program));
  EXPECT_EQ(program.workspace.phase_count(), 1);
  // A new change after an undo: the undone changes cannot be redone any more.
  started.open_example("silicon.cry");
  ASSERT_TRUE(history.note_change(program, "Open silicon"));
  EXPECT_FALSE(history.can_redo());
  EXPECT_EQ(program.workspace.phase_count(), 2);
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
  EXPECT_TRUE(history.undo(program));
  EXPECT_TRUE(history.undo(program));
  EXPECT_FALSE(history.undo(program));
}

}  // namespace
}  // namespace calvane
