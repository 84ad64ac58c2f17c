#include "profile/experiment_reading.hpp"

#include <gtest/gtest.h>

#include "support/scripted_ui.hpp"

namespace calvane {
namespace {

TEST(RangeFields, ConvertFromEachAngleScale) {
  // Hand computations with the program's factors: Q(10° 2θ) =
  // 4π·sin(10 × 0.0087266583705) = 1.0952329; θ = 5° gives the same Q;
  // Q = 3 gives 2θ = asin(3/4π) × 114.5914 = 27.623439.
  struct Case { AngleScale scale; const char *low, *high; double two_theta_low, two_theta_high, q_low; };
  const Case cases[] = {
      {AngleScale::TwoTheta, "10", "50", 10, 50, 1.0952329},
      {AngleScale::Theta, " 5 ", "25", 10, 50, 1.0952329},
      {AngleScale::Q, "1.0952329", "3", 10.0, 27.623439, 1.0952329},
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
    EXPECT_NEAR(settings.q_low, c.q_low, 1e-6) << c.low;
  }
  EXPECT_FALSE(convert_range_value(13.0, AngleScale::Q).has_value());  // beyond 4π
}

TEST(RangeFields, KeptWhenEmptyUnreadableOrWithoutWavelength) {
  ExperimentSettings settings;
  ExperimentPageForm page;
  testing::ScriptedUi ui;
  page.range_low = "";
  page.range_high = "5O";
  read_experiment_settings(settings, page, WavelengthForm{}, ui);
  EXPECT_EQ(settings.two_theta_low, 10.0);
  EXPECT_EQ(settings.two_theta_high, 50.0);

  settings.wavelengths.clear();
  settings.shortest_wavelength = settings.longest_wavelength = 0;
  page.wavelength = "";
  page.range_low = "20";
  read_experiment_settings(settings, page, WavelengthForm{}, ui);
  EXPECT_EQ(settings.two_theta_low, 10.0);
}

TEST(ResolutionFields, ReadWhenTheyHoldANumber) {
  ExperimentSettings settings;  // presets U = 0.001, V = 0, W = 0.005
  ExperimentPageForm page;
  page.u = "0.01";
  page.v = "";
  page.w = "abc";
  testing::ScriptedUi ui;
  read_experiment_settings(settings, page, WavelengthForm{}, ui);
  EXPECT_EQ(settings.u, 0.01);
  EXPECT_EQ(settings.v, 0.0);
  EXPECT_EQ(settings.w, 0.005);
  EXPECT_TRUE(ui.warnings.empty());
  page = ExperimentPageForm{};  // the fields at start: "0", "0", "0.08"
  read_experiment_settings(settings, page, WavelengthForm{}, ui);
  EXPECT_EQ(settings.u, 0.0);
  EXPECT_EQ(settings.w, 0.08);
}

TEST(RangeFields, LeavingAFieldTakesTheNumberAsTyped) {
  ExperimentSettings settings;
  ExperimentPageForm page;
  testing::ScriptedUi ui;
  page.range_low = " 7.5";
  relit_theta_min(settings, page, RangeEndSide::Low, ui);
  EXPECT_EQ(settings.two_theta_low, 7.5);
  EXPECT_EQ(settings.entered_low, 7.5);
  page.range_high = "x";
  relit_theta_min(settings, page, RangeEndSide::High, ui);
  EXPECT_EQ(ui.last_warning(), "Max theta error");
  EXPECT_EQ(settings.two_theta_high, 50.0);
  page.range_low = "";
  relit_theta_min(settings, page, RangeEndSide::Low, ui);
  EXPECT_EQ(ui.last_warning(), "Min theta error");
  EXPECT_EQ(settings.two_theta_low, 7.5);
}

TEST(AngleScale, CaptionsAndTheRefusalOfQWithoutWavelength) {
  ExperimentSettings settings;
  ExperimentPageForm page;
  testing::ScriptedUi ui;
  settings.entered_low = 12;
  settings.two_theta_low = 99;
  change_theta_2theta(settings, page, AngleScale::Theta, ui);
  EXPECT_EQ(page.range_low_caption, "q1");
  EXPECT_EQ(page.range_high_caption, "q2");
  EXPECT_EQ(settings.two_theta_low, 12.0);  // restored from the entered range
  EXPECT_EQ(settings.angle_scale, AngleScale::Theta);

  FollowUp follow_up = change_theta_2theta(settings, page, AngleScale::Q, ui);
  EXPECT_EQ(page.range_low_caption, "Q1");
  EXPECT_FALSE(page.range_captions_in_symbol_font);
  EXPECT_TRUE(follow_up.set_plot_q_steps);
  EXPECT_TRUE(follow_up.reset_plot);
  EXPECT_EQ(page.angle_scale_button, 2);

  change_theta_2theta(settings, page, AngleScale::TwoTheta, ui);
  EXPECT_EQ(page.range_low_caption, "2q1");
  EXPECT_TRUE(page.range_captions_in_symbol_font);

  settings.shortest_wavelength = 0;
  follow_up = change_theta_2theta(settings, page, AngleScale::Q, ui);
  EXPECT_EQ(ui.last_warning(), "WaveLength not defined!");
  EXPECT_EQ(page.angle_scale_button, -1);
  EXPECT_EQ(settings.angle_scale, AngleScale::TwoTheta);
  EXPECT_EQ(page.range_low_caption, "2q1");
  EXPECT_FALSE(follow_up.reset_plot);
}

}  // namespace
}  // namespace calvane
