// The main window's own actions: choosing the phase shown, erasing phases and
// observed data, the "Draw" column, page changes, window activation and help.
#pragma once

#include <string>

#include "ui/follow_up.hpp"
#include "model/experiment_settings.hpp"

namespace calvane {

struct Program;

/// The caption of the main window's status bar for the radiation in force.
std::string source_caption(const ExperimentSettings& settings);

/// "X rays": the X-ray grids and tables, X-ray source, the X-ray source dialog.
/// The plot's reset is left to the caller (flagged).
FollowUp choose_xrays(Program& program);

/// "Neutrons": the neutron grid, neutron source and caption; the plot is reset
/// and cleared, and with a phase every phase is recomputed (flagged).
FollowUp choose_neutrons(Program& program);

/// The phase selector's button `button` (1..8).
void show_phase(Program& program, int button);

/// A "Crystal Data" check box of the "Phases Data" table, row 1..8.
void click_display(Program& program, int row);

/// "Erase" › "Phases": every phase, its temporary crystal file and listings.
void delete_phases(Program& program);

/// "Erase" › "General": phases and observed data.
void erase_all(Program& program);

/// A click in the "Draw" column: the phases' draw flags and the "Sum" toggle follow the boxes.
void click_draw(Program& program);

/// The pages' tab changed to `page` (0..3).
void change_page(Program& program, int page);

/// The main window became active.
void reset_data(Program& program);

/// The main window's caption for the workspace file and its modified mark.
void show_workspace_caption(Program& program);

/// Before the program closes (Quit, its shortcut, the window's close box): a
/// workspace changed since it was opened or saved, and holding something a
/// workspace file keeps, is offered for saving with "Save the workspace
/// before closing?". True when the program may close: nothing to save, the
/// workspace saved, or the changes discarded.
bool settle_unsaved_workspace(Program& program);

/// "Help": the help file at the main window's topic.
void open_help_topic(Program& program);

}  // namespace calvane
