#include "model/workspace.hpp"

#include <algorithm>

namespace calvane {

void load_current_phase(Workspace& workspace) {
  if (workspace.current_phase < 1 || workspace.current_phase > workspace.phase_count()) return;
  const PhaseData& phase = workspace.phase(workspace.current_phase);
  workspace.crystal = phase.crystal;
  workspace.crystal_file_name = phase.file_name;
  workspace.composition = phase.composition;
}

void store_current_phase(Workspace& workspace) {
  if (workspace.current_phase < 1 || workspace.current_phase > workspace.phase_count()) return;
  PhaseData& phase = workspace.phase(workspace.current_phase);
  phase.crystal = workspace.crystal;
  phase.file_name = workspace.crystal_file_name;
  phase.composition = workspace.composition;
  // The phase's profile and lines are left alone: only a completed
  // computation stores them, the profile weighted by the phase's fraction.
}

void delete_phase(Workspace& workspace, int number) {
  if (number < 1 || number > workspace.phase_count()) return;
  const bool current_deleted = workspace.current_phase == number;
  workspace.phases.erase(workspace.phases.begin() + (number - 1));
  if (workspace.current_phase > number) --workspace.current_phase;
  workspace.current_phase = std::min(workspace.current_phase, workspace.phase_count());
  if (!current_deleted) return;
  // The working copy held the deleted phase: it now takes the phase that
  // became current, or nothing, so that no later store writes the deleted
  // crystal into another phase.
  if (workspace.current_phase > 0) {
    load_current_phase(workspace);
  } else {
    workspace.crystal = CurrentCrystal{};
    workspace.crystal_file_name.clear();
    workspace.composition = PhaseComposition{};
  }
}

PhaseData* add_phase(Workspace& workspace, CurrentCrystal crystal, std::string file_name) {
  if (workspace.phase_count() >= kMaxPhases) return nullptr;
  PhaseData& phase = workspace.phases.emplace_back();
  phase.crystal = std::move(crystal);
  phase.file_name = std::move(file_name);
  phase.crystal_size = 5000.0;
  phase.strain = 0.0;
  phase.draw = true;
  for (PhaseData& each : workspace.phases) each.fraction = 1.0 / workspace.phase_count();
  workspace.current_phase = workspace.phase_count();
  load_current_phase(workspace);
  return &workspace.phases.back();
}

void reset_workspace(Workspace& workspace) { workspace = Workspace{}; }

}  // namespace calvane
