#include "flows/plot_follow_up.hpp"

#include "plot/draw_plot.hpp"

namespace calvane {

void reset_intensity_scales(PlotState& state) {
  state.intensity_scale = 1.0;
  state.pattern_scales.fill(1.0);
  state.scale_position = 10;
}

bool after_observed_load(PlotState& state, const ObservedLoad& load, AngleScale scale) {
  if (load.reset_intensity_scales) reset_intensity_scales(state);
  // The first data of an empty workspace set the tick spacing even under user ticks:
  // the spacing in force belonged to no range at all.
  if (load.recompute_default_ticks) compute_default_ticks(state, displayed_width(state, static_cast<int>(scale)));
  return load.reset_intensity_scales || load.recompute_default_ticks;
}

bool after_total_data_load(PlotState& state, const TotalDataLoad& load, const ExperimentSettings& settings) {
  if (!load.loaded) return false;
  reset_intensity_scales(state);
  state.zoomed = false;
  sync_plot_range(state, settings);
  if (state.default_ticks)
    compute_default_ticks(state, displayed_width(state, static_cast<int>(settings.angle_scale)));
  return true;
}

}  // namespace calvane
