// Saving and loading the whole workspace as a total data file, and the
// one-step undo of a phase deletion through the snapshot "dummy.cmp".
//
// Loading does not touch the plot window's state: whoever owns it sets its
// intensity scale factor to 1 and its full range to the current range after
// a load (TotalDataLoad tells when).
#pragma once

#include <string>

#include "experiment_io/total_data_file.hpp"

namespace calvane {

struct Program;

/// The control that started a save or a load.
enum class TotalDataSender {
  Menu,          // "Save the total data (*.cmp)" / "Open a total data file (*.cmp)"
  PhaseNameBox,  // a phase is about to be deleted: the snapshot
  FileList,      // the list of total data files
  RestoreButton, // "Restore": the snapshot
  None,          // a .cmp name handed on by the crystal-file opening
};

inline constexpr const char* kTotalDataSaveFilter = "Data file (*.cry)|*.cry|Total data file (*.cmp)|*.cmp";
inline constexpr const char* kTotalDataOpenFilter = "Multiphase Calvane format (*.cmp|*.cmp|";
inline constexpr const char* kSnapshotName = "dummy.cmp";

/// The workspace as the file holds it: the wavelengths' fractions as shares
/// of the whole, the phases under their own file names, with their operator
/// lists where their symbols alone would not rebuild them.
TotalDataFile total_data_of(Program& program);

/// `save_workspace_file`. True when a file was written.
bool save_workspace_file(Program& program, TotalDataSender sender);

struct TotalDataLoad {
  bool loaded = false;  // the workspace was replaced (plot: intensity scale 1, full range = current range)
};

/// `open_workspace_file`: the file comes from the sender (`list_file` for the
/// file list). The whole file is read and checked, and the phases' crystal
/// files are rebuilt in the program's scratch folder, before anything of the
/// workspace changes; a file that fails gives one message and changes
/// nothing. No file outside the scratch folder is written or deleted.
TotalDataLoad open_workspace_file(Program& program, TotalDataSender sender, const std::string& list_file = {});

/// `erase_phase_row`: double-click on the name of phase `row` (1..8). Saves the
/// snapshot, removes the phase and shows "Restore"; nothing is recomputed.
void erase_phase_row(Program& program, int row);

/// `restore_erased_phase`: "Restore" loads the snapshot back.
TotalDataLoad restore_erased_phase(Program& program);

}  // namespace calvane
