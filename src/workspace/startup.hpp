// Program start (data-file checks, clean-up of old listings, defaults) and exit.
#pragma once

namespace calvane {

struct Program;

/// Start-up of the main window: checks the data files of the program folder,
/// deletes the listings of an earlier run and sets the defaults. False when a
/// data file is missing: its message has been shown and the program must end.
bool init_creation(Program& program);

/// "Quit": deletes the temporary crystal, pattern and peak files and the
/// phases' listings, then ends the program.
void Sortie(Program& program);

}  // namespace calvane
