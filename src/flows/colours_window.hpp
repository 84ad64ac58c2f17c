// The colours window's handlers: filling it from the workspace, Apply, saving the choice and closing.
#pragma once

#include "ui/colours_form.hpp"

namespace calvane {

struct Program;

/// At creation: the default styles, then "couleurs.txt" of the program folder
/// when it exists. A file that cannot be read gives one message and leaves the defaults.
void create_colours_form(ColoursForm& form, Program& program);

/// "Apply": copies the boxes into the workspace. Every pen-width box is checked
/// first; a box that does not hold a whole number from 1 to 99 is named in one
/// message and nothing is applied. True when applied (the caller then runs the plot action).
bool apply_colours(ColoursForm& form, Program& program);

/// "Save ": writes "couleurs.txt" in the program folder from the workspace's current values.
void save_colour_choice(Program& program);

/// "Cancel": the main window's "Phases Data" page comes forward and the window closes.
void close_colours_window(ColoursForm& form, Program& program);

}  // namespace calvane
