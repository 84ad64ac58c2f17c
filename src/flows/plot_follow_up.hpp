// What the plot does after observed data or a whole workspace came in: the
// intensity scale factors go back to 1, the default ticks follow the new
// range, and a loaded workspace's range becomes the unzoomed range.
#pragma once

#include "flows/observed_flows.hpp"
#include "flows/total_data_flows.hpp"
#include "plot/plot_state.hpp"
#include "model/experiment_settings.hpp"

namespace calvane {

/// `intensity_scale` and the ten per-pattern factors become 1.0, the scale control its minimum.
void reset_intensity_scales(PlotState& state);

/// After an observed pattern or peak list was opened. True when the state changed.
bool after_observed_load(PlotState& state, const ObservedLoad& load, AngleScale scale);

/// After a total data file (or the snapshot of an erased phase) replaced the
/// workspace: scale 1, no zoom, the full range is the range just read.
bool after_total_data_load(PlotState& state, const TotalDataLoad& load, const ExperimentSettings& settings);

}  // namespace calvane
