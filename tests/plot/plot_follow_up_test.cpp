// The plot's part after observed data or a total data file came in.
#include "flows/plot_follow_up.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace calvane {
namespace {

// Designated initialisers leave the other members at their defaults, as intended.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

PlotState zoomed_and_scaled() {
  return PlotState{.theta2_min = 20, .theta2_max = 22, .theta2_full_min = 10, .theta2_full_max = 80,
                   .intensity_scale = 4.0, .pattern_scales = {2.5, 2.5, 2.5, 2.5, 2.5, 2.5, 2.5, 2.5, 2.5, 2.5},
                   .major_tick = 0.3, .minor_tick = 0.03, .default_ticks = false, .scale_position = 40,
                   .zoomed = true};
}

TEST(PlotFollowUp, ObservedLoadActsOnlyOnItsFlags) {
  struct Case { ObservedLoad load; double scale, major; bool changed; };
  // The displayed range is 2 degrees 2θ: the default table gives 1.0 and 0.1 (2θ) or, in
  // Theta, a width of 1 degree: 0.1 and 0.01.
  const Case cases[] = {{{true, false, false}, 4.0, 0.3, false}, {{true, true, false}, 1.0, 0.3, true},
                        {{true, true, true}, 1.0, 1.0, true},    {{false, false, true}, 4.0, 1.0, true}};
  for (const Case& c : cases) {
    PlotState state = zoomed_and_scaled();
    // Opening data does not unzoom.
    EXPECT_EQ((std::tuple{after_observed_load(state, c.load, AngleScale::TwoTheta), state.intensity_scale,
                          state.major_tick, state.zoomed}),
              std::tuple(c.changed, c.scale, c.major, true));
    const bool scales_reset =
        state.scale_position == 10 && std::ranges::all_of(state.pattern_scales, [](double f) { return f == 1; });
    EXPECT_TRUE(!c.load.reset_intensity_scales || scales_reset);
  }
  PlotState theta = zoomed_and_scaled();
  after_observed_load(theta, {true, false, true}, AngleScale::Theta);
  EXPECT_EQ(std::tuple(theta.major_tick, theta.minor_tick, theta.tick_dialog.major_text),
            std::tuple(0.1, 0.01, "   0.10"));
}

TEST(PlotFollowUp, LoadedWorkspaceBecomesTheUnzoomedRange) {
  ExperimentSettings settings;
  std::tie(settings.two_theta_low, settings.two_theta_high) = std::pair(5.0, 65.0);
  PlotState state = zoomed_and_scaled();
  state.default_ticks = true;
  ASSERT_TRUE(after_total_data_load(state, {true}, settings));
  // 60 degrees wide: ticks of 10 and 1.
  EXPECT_EQ(std::tuple(state.zoomed, state.theta2_full_min, state.theta2_full_max, state.theta2_max,
                       state.intensity_scale, state.scale_position, state.major_tick),
            std::tuple(false, 5.0, 65.0, 65.0, 1.0, 10, 10.0));

  PlotState untouched = zoomed_and_scaled();
  EXPECT_EQ((std::tuple{after_total_data_load(untouched, {false}, settings), untouched.zoomed,
                        untouched.theta2_full_max}),
            std::tuple(false, true, 80.0));
}

}  // namespace
}  // namespace calvane
