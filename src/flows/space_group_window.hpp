// The space-group window's handlers: the two group lists, OK and Cancel.
#pragma once

#include "ui/space_group_form.hpp"

namespace calvane {

struct Program;

/// On activation: fills both lists for the working crystal's system and shows
/// its symbol (exact comparisons first, then any spelling of the same
/// setting); an unknown symbol is reported and emptied.
void fill_space_group_lists(SpaceGroupForm& form, Program& program);

/// A click on catalogue item `item` (0-based): GETSPEC route.
void choose_catalogue_group(SpaceGroupForm& form, Program& program, int item);

/// A click on standard symbol `item` (0-based): ".pos" route.
void choose_standard_group(SpaceGroupForm& form, Program& program, int item);

/// OK: refuses an empty symbol ("No selected group!") and returns false with
/// the window open. Otherwise, for a SHELX file whose atoms were not touched,
/// runs `add_loaded_phase` (the open flow's add step) first, then closes.
bool accept_space_group(SpaceGroupForm& form, Program& program, const std::function<void()>& add_loaded_phase);

/// Cancel: closes; what was selected stays in force.
void cancel_space_group(SpaceGroupForm& form, Program& program);

}  // namespace calvane
