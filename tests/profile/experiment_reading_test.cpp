#include "profile/experiment_reading.hpp"

#include <gtest/gtest.h>

#include "support/scripted_ui.hpp"

namespace calvane {
namespace {

TEST(RangeFields, ConvertFromEachAngleScale) {
  // Hand computations with the program's factors: Q(10° 2θ) =
  // 4π·sin(10 × 0.0087266583705) = 1.0952329; θ = 5° gives the same Q;
  // Q = 3 gives 2θ = asin(3/4π) × 114.5914 = 27.623439.
  struct Case {
    AngleScale scale;
    const char *low, *high;
    double two_theta_low, two_theta_high;
  };
  const Case cases[] = {
      {AngleScale::TwoTheta, "10", "50", 10, 50},
      {AngleScale::Theta, " 5 ", "25", 10, 50},
      {AngleScale::Q, "1.0952329", "3", 10.0, 27.623439},
  };
  for (const Case& c : cases) {
    ExperimentSettings settings;
    settings.angle_scale = c.scale;
    ExperimentPageForm page;
    page.range_low = c.low;
    page.range_high = c.high;
    testing::ScriptedUi ui;
    ASSERT_TRUE(read_experiment_settings(settings, page, WavelengthForm{}, ui));
    EXPECT_NEAR(settings.two_theta_low, c.two_theta_low, 1e-5) << c.low;
    EXPECT_NEAR(settings.two_theta_high, c.two_theta_high, 1e-5) << c.high;
    EXPECT_NEAR(settings.q_low, 1.0952329, 1e-6) << c.low;
  }
  EXPECT_FALSE(convert_range_value(13.0, AngleScale::Q).has_value());  // beyond 4π
}

TEST(ExperimentFields, EmptyOrUnreadableFieldsKeepTheirValues) {
  ExperimentSettings settings;  // range 10..50, presets U = 0.001, V = 0, W = 0.005
  ExperimentPageForm page;
  page.range_low = "";
  page.range_high = "5O";
  page.u = "0.01";
  page.v = "";
  page.w = "abc";
  testing::ScriptedUi ui;
  read_experiment_settings(settings, page, WavelengthForm{}, ui);
  EXPECT_EQ((std::array{settings.two_theta_low, settings.two_theta_high, settings.u, settings.v, settings.w}),
            (std::array{10.0, 50.0, 0.01, 0.0, 0.005}));
  EXPECT_TRUE(ui.warnings.empty());
}

TEST(AngleScale, CaptionsAndTheRefusalOfQWithoutWavelength) {
  ExperimentSettings settings;
  ExperimentPageForm page;
  testing::ScriptedUi ui;
  settings.entered_low = 12;
  change_theta_2theta(settings, page, AngleScale::Theta, ui);
  EXPECT_EQ(page.range_low_caption + page.range_high_caption, "q1q2");
  EXPECT_EQ(settings.two_theta_low, 12.0);  // restored from the entered range
  settings.shortest_wavelength = 0;
  const FollowUp follow_up = change_theta_2theta(settings, page, AngleScale::Q, ui);
  EXPECT_EQ(ui.warnings, std::vector<std::string>{"WaveLength not defined!"});
  EXPECT_EQ(page.angle_scale_button, -1);
  EXPECT_EQ(settings.angle_scale, AngleScale::Theta);
  EXPECT_EQ(page.range_low_caption, "q1");
  EXPECT_FALSE(follow_up.reset_plot);
}

}  // namespace
}  // namespace calvane
