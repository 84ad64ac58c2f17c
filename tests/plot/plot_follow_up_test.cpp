// The plot's part after observed data or a total data file came in.
#include "flows/plot_follow_up.hpp"

#include <gtest/gtest.h>

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
  struct Case {
    ObservedLoad load;
    double scale, major;
    bool changed;
  };
  // The displayed range is 2 degrees 2θ: the default table gives 1.0 and 0.1 (2θ) or, in
  // Theta, a width of 1 degree: 0.1 and 0.01.
  const Case cases[] = {
      {{true, false, false}, 4.0, 0.3, false},
      {{true, true, false}, 1.0, 0.3, true},
      {{true, true, true}, 1.0, 1.0, true},
      {{false, false, true}, 4.0, 1.0, true},
  };
  for (const Case& c : cases) {
    PlotState state = zoomed_and_scaled();
    EXPECT_EQ(after_observed_load(state, c.load, AngleScale::TwoTheta), c.changed);
    EXPECT_DOUBLE_EQ(state.intensity_scale, c.scale);
    EXPECT_DOUBLE_EQ(state.major_tick, c.major);
    if (c.load.reset_intensity_scales) {
      EXPECT_EQ(state.scale_position, 10);
      for (double factor : state.pattern_scales) EXPECT_DOUBLE_EQ(factor, 1.0);
    }
    EXPECT_TRUE(state.zoomed);  // opening data does not unzoom
  }
  PlotState theta = zoomed_and_scaled();
  after_observed_load(theta, {true, false, true}, AngleScale::Theta);
  EXPECT_DOUBLE_EQ(theta.major_tick, 0.1);
  EXPECT_DOUBLE_EQ(theta.minor_tick, 0.01);
  EXPECT_EQ(theta.tick_dialog.major_text, "   0.10");
}

TEST(PlotFollowUp, LoadedWorkspaceBecomesTheUnzoomedRange) {
  ExperimentSettings settings;
  settings.two_theta_low = 5;
  settings.two_theta_high = 65;
  PlotState state = zoomed_and_scaled();
  state.default_ticks = true;
  ASSERT_TRUE(after_total_data_load(state, {true}, settings));
  EXPECT_FALSE(state.zoomed);
  EXPECT_DOUBLE_EQ(state.theta2_full_min, 5);
  EXPECT_DOUBLE_EQ(state.theta2_full_max, 65);
  EXPECT_DOUBLE_EQ(state.theta2_max, 65);
  EXPECT_DOUBLE_EQ(state.intensity_scale, 1.0);
  EXPECT_EQ(state.scale_position, 10);
  EXPECT_DOUBLE_EQ(state.major_tick, 10.0);  // 60 degrees wide: 10 and 1

  PlotState untouched = zoomed_and_scaled();
  EXPECT_FALSE(after_total_data_load(untouched, {false}, settings));
  EXPECT_TRUE(untouched.zoomed);
  EXPECT_DOUBLE_EQ(untouched.theta2_full_max, 80);
}

}  // namespace
}  // namespace calvane
