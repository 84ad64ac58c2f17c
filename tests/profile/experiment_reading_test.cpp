#include "ui/experiment_reading.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "ui/spectrum.hpp"
#include "support/scripted_ui.hpp"

namespace calvane {
namespace {

TEST(RangeFields, ConvertFromEachAngleScale) {
  // Q = 4π·sin θ / λ at the starting 1.5406 Å, by hand: Q(10° 2θ) = 0.7109122;
  // θ = 5° gives the same Q; Q = 3 Å⁻¹ gives 2θ = 2·asin(3 × 1.5406 / 4π) = 43.158913°.
  struct Case {
    AngleScale scale;
    const char *low, *high;
    double two_theta_low, two_theta_high;
  };
  const Case cases[] = {
      {AngleScale::TwoTheta, "10", "50", 10, 50},
      {AngleScale::Theta, " 5 ", "25", 10, 50},
      {AngleScale::Q, "0.7109122", "3", 10.0, 43.158913},
  };
  for (const Case& c : cases) {
    ExperimentSettings settings;
    settings.angle_scale = c.scale;
    ExperimentPageForm page;
    page.range_low = c.low;
    page.range_high = c.high;
    testing::ScriptedUi ui;
    ASSERT_TRUE(read_experiment_settings(settings, page, WavelengthForm{}, ui));
    EXPECT_NEAR(std::hypot(settings.two_theta_low - c.two_theta_low,
                           settings.two_theta_high - c.two_theta_high, 10 * (settings.q_low - 0.7109122)),
                0, 1e-5)
        << c.low;
  }
  EXPECT_FALSE(convert_range_value(9.0, AngleScale::Q, 1.5406).has_value());  // beyond 4π/λ = 8.157
}

// Theta, then Q with the program's own texts in the fields (unzoom writes Q
// with 3 decimals), then 2Theta again: the range typed comes back exactly.
TEST(RangeFields, ATripThroughAnotherScaleKeepsTheRangeTyped) {
  ExperimentSettings settings;
  ExperimentPageForm page;
  testing::ScriptedUi ui;
  page.range_low = "10";
  read_range_end(settings, page, RangeEndSide::Low, ui);
  for (AngleScale scale : {AngleScale::Theta, AngleScale::Q, AngleScale::TwoTheta}) {
    change_angle_scale(settings, page, scale, ui);
    show_experiment_settings(settings, page);
    read_range_end(settings, page, RangeEndSide::Low, ui);  // leaving a field not edited
    ASSERT_TRUE(read_experiment_settings(settings, page, WavelengthForm{}, ui));
    EXPECT_EQ(std::tuple(settings.two_theta_low, settings.two_theta_high), std::tuple(10.0, 50.0))
        << page.range_low;
  }
  EXPECT_EQ(std::tuple(page.range_low, ui.warnings.size()), std::tuple(" 10.000", 0u));

  // A Q typed is converted to 2θ at the wavelength, and the entered range holds that 2θ.
  change_angle_scale(settings, page, AngleScale::Q, ui);
  page.range_high = "3";
  read_range_end(settings, page, RangeEndSide::High, ui);
  EXPECT_NEAR(settings.entered_high, 43.158913, 1e-5);
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

TEST(AngleScale, QIsRefusedWithoutAWavelength) {
  ExperimentSettings settings;
  ExperimentPageForm page;
  testing::ScriptedUi ui;
  settings.shortest_wavelength = 0;
  const FollowUp follow_up = change_angle_scale(settings, page, AngleScale::Q, ui);
  EXPECT_EQ(std::tuple(ui.warnings, page.angle_scale_button, settings.angle_scale, follow_up.reset_plot),
            std::tuple(std::vector<std::string>{"WaveLength not defined!"}, -1, AngleScale::TwoTheta, false));
}

}  // namespace
}  // namespace calvane
