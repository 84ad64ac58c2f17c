// Carrying out what a dialog's handler leaves to the rest of the program.
#pragma once

#include "ui/follow_up.hpp"

namespace calvane {

struct Program;

/// Does the flagged work of `follow_up` that needs no window, in the order of
/// its fields: decode the crystal page into the current phase, refill the
/// anomalous grid from the working crystal, and recompute and redraw every
/// phase. Clearing and resetting the plot belong to the plot window.
void carry_out_follow_up(Program& program, const FollowUp& follow_up);

}  // namespace calvane
