// The per-phase profile options of the "Phases Data" page (share, crystallite
// size, microstrain, draw flags) and the weight and molar percentages.
#pragma once

#include <string_view>

#include "ui/follow_up.hpp"
#include "ui/main_form.hpp"

namespace calvane {

class Ui;
struct Workspace;

/// Reads every phase's "Percent", "Size(A)" and "D d/d (X1000)" boxes and
/// "Draw" check box, then the "Sum" and "Obs." toggles. The shares are
/// normalised to sum 1 and their boxes rewritten (6:1). An empty size box
/// means no size broadening, an empty strain box no strain. A box that does
/// not read (or a negative value, or shares summing to 0) gives "Error on %",
/// "Error on Width" or "Error on Delta(d)/d" and changes no phase at all;
/// false then.
bool read_phase_options(Workspace& workspace, MainForm& form, Ui& ui);

/// The "Percent" radio group (`change_percent_mode`): converts the shares
/// between weight and molar fractions through the molecular weights,
///   molar x_p = (w_p/M_p) / Σ(w_q/M_q),  weight w_p = (x_p·M_p) / Σ(x_q·M_q),
/// rewrites the percent boxes, clears the results list and asks for a
/// recomputation of all phases. With no phase only the radio changes. A phase
/// without a molecular weight stops the conversion with a message.
FollowUp change_percent_mode(Workspace& workspace, MainForm& form, bool molar, Ui& ui);


}  // namespace calvane
