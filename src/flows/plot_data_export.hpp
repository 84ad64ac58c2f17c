// Saving the plot's data for other programs: the reflections of every phase
// and the plotted patterns on the profile's 2θ grid.
#pragma once

namespace calvane {

struct Program;

inline constexpr const char* kReflectionTableFilter = "CSV (*.csv)|*.csv";
inline constexpr const char* kPlotDataFilter = "CSV (*.csv)|*.csv|x-y text (*.xy)|*.xy";

/// The reflections of every phase as CSV. True when a file was written.
bool save_reflection_table(Program& program);

/// The calculated profiles, their sum, the measured pattern and the
/// difference; the second filter, or a name ending in .xy, .txt or .dat,
/// gives x-y text. True when a file was written.
bool save_plot_data(Program& program);

}  // namespace calvane
