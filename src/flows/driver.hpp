// The calculation driver: one phase (`compute_current_phase`), every phase
// (`recompute_all_phases`) and the results list.
#pragma once

namespace calvane {

struct Program;

/// Which control started a recomputation of all phases.
enum class PlotSender { Other, ExperimentApply, CrystalApply, PhasesApply };

/// Computes the current phase: validates the crystal, reads the experiment,
/// runs the engine at every wavelength, merges and sorts the lines, builds
/// the profile and stores the weighted profile in the phase. False when the
/// phase could not be computed (its message shown; it keeps its old results).
/// The results list, which shows every phase, is rebuilt at the end; a caller
/// computing several phases in a row passes `results_due` instead, which is
/// set when the list should be rebuilt once they are all done.
bool compute_current_phase(Program& program, bool* results_due = nullptr);

/// "Apply" of the crystal page: computes the current phase and redraws.
void recompute_current_phase(Program& program);

/// Recomputes every phase and redraws.
void recompute_all_phases(Program& program, PlotSender sender = PlotSender::Other);

/// Rebuilds the "Results" list from every phase's merged lines.
void fill_results_list(Program& program);

/// A click on results line `index` (0-based): marks its angle on the plot.
void select_results_line(Program& program, int index);

}  // namespace calvane
