// Moving about the plot beside the box zoom: the wheel zooms around the
// cursor, a drag with the middle button (or with Shift) pans, and Back and
// Forward step through the ranges shown.
#pragma once

#include "flows/plot_interaction.hpp"

namespace calvane {

PlotView current_view(const PlotState& state);

/// After a handler ran: a changed view puts the one before it on the Back
/// list and empties the Forward list.
void record_view_change(PlotState& state, const PlotView& before);

/// The wheel at column `x`: the displayed range shrinks (factor below 1) or
/// grows about the abscissa under the cursor, which stays where it is; the
/// phases are computed again over it. The range stays within 0.5° to 179.5° 2θ.
void zoom_around(PlotSession& session, int x, double factor);

/// A drag by `dx` pixels: the range moves the other way, so that the pattern follows the mouse.
void pan_by(PlotSession& session, int dx);

/// Back and Forward: the view before (after) the current one; false when there is none.
bool go_back(PlotSession& session);
bool go_forward(PlotSession& session);

}  // namespace calvane
