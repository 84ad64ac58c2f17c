// What the cursor rests on in the plot: the abscissa with its d-spacing and
// the sum's and the measured pattern's intensity there, or a reflection's
// peak or tick with its phase, indices, d, 2θ, multiplicity and intensity.
#pragma once

#include <optional>
#include <string>

#include "plot/draw_plot.hpp"
#include "plot/plot_state.hpp"

namespace calvane {

struct Workspace;

struct ReflectionHit {
  int phase = 0;             // 1-based
  std::size_t reflection = 0;  // index in the phase's list
};

/// The reflection whose peak or label tick lies under the pixel of the last
/// drawing: its column within `tolerance` pixels of the cursor, the cursor no
/// higher than the top of its phase's profile there (or on the label band
/// along the top). The nearest column wins; between equals, the stronger line.
std::optional<ReflectionHit> reflection_at(const PlotState& state, const Workspace& workspace, HklMode hkl_mode,
                                           int px, int py, int tolerance = 3);

/// "ph.1 quartz  1 0 1  d=3.3434 Å  2θ=26.640  m=6  I=100.0"
std::string reflection_text(const Workspace& workspace, const ReflectionHit& hit);

/// "2θ=26.640  d=3.3434 Å  sum=45.2  measured=1234": the abscissa in the
/// displayed unit, its d at the first wavelength (none with several
/// wavelengths), the sum (0-100 of its highest) and the first drawn measured
/// pattern (its counts when kept) at the nearest point.
std::string cursor_text(const PlotState& state, const Workspace& workspace, int px, int py);

/// The hover text: the reflection under the cursor, else the cursor's values.
std::string hover_text(const PlotState& state, const Workspace& workspace, HklMode hkl_mode, int px, int py);

/// The legend entry of the last drawing under the pixel; none elsewhere.
std::optional<LegendEntry> legend_entry_at(const PlotState& state, int px, int py);

/// Hides or shows the curve whose legend entry lies under the pixel, as the
/// colours window's Draw boxes do (the sum by its switch). False when no
/// entry is there.
bool toggle_legend_entry(const PlotState& state, Workspace& workspace, int px, int py);

}  // namespace calvane
