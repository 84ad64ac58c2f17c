// Program start (data-file checks, clean-up of old listings, defaults) and exit.
#pragma once

#include <string>

namespace calvane {

struct Program;

/// Start-up of the main window: checks the data files of the program folder,
/// deletes the listings of an earlier run and sets the defaults. False when a
/// data file is missing: its message has been shown and the program must end.
bool initialise_program(Program& program);

/// "Quit": deletes the phases' scratch crystal files and listings, then ends
/// the program (the scratch folder goes with the program).
void quit_program(Program& program);

/// Deletes the file `name` when it is one of the program's scratch files
/// (inside its scratch folder); any other file is left alone.
void remove_scratch_file(const Program& program, const std::string& name);

}  // namespace calvane
