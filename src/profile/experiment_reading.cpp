#include "profile/experiment_reading.hpp"

#include <cmath>

#include "profile/angle_factors.hpp"
#include "profile/spectrum.hpp"
#include "ui/ui_port.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

void read_resolution_field(const std::string& text, double& value) {
  if (trim_view(text).empty()) return;
  if (auto number = parse_double(text)) value = *number;
}

void read_range_field(const std::string& text, AngleScale scale, double& two_theta, double& q) {
  if (trim_view(text).empty()) return;
  const auto number = parse_double(text);
  if (!number) return;
  if (auto end = convert_range_value(*number, scale)) {
    two_theta = end->two_theta;
    q = end->q;
  }
}

}  // namespace

std::optional<RangeEnd> convert_range_value(double value, AngleScale scale) {
  using namespace angle_factor;
  switch (scale) {
    case AngleScale::Theta:
      return RangeEnd{2 * value, kFourPi * std::sin(value * kThetaDegreesToRadians)};
    case AngleScale::TwoTheta:
      return RangeEnd{value, kFourPi * std::sin(value * kTwoThetaDegreesToThetaRadians)};
    case AngleScale::Q:
      if (std::abs(value) > kFourPi) return std::nullopt;
      return RangeEnd{std::asin(value / kFourPi) * kThetaRadiansToTwoThetaDegrees, value};
  }
  return std::nullopt;
}

bool read_experiment_settings(ExperimentSettings& settings, const ExperimentPageForm& page,
                              const WavelengthForm& dialog, Ui& ui) {
  const bool spectrum_read = read_spectrum(settings, page, dialog, ui);
  if (settings.shortest_wavelength * settings.longest_wavelength != 0) {
    read_range_field(page.range_low, settings.angle_scale, settings.two_theta_low, settings.q_low);
    read_range_field(page.range_high, settings.angle_scale, settings.two_theta_high, settings.q_high);
  }
  read_resolution_field(page.u, settings.u);
  read_resolution_field(page.v, settings.v);
  read_resolution_field(page.w, settings.w);
  return spectrum_read;
}

void relit_theta_min(ExperimentSettings& settings, const ExperimentPageForm& page, RangeEndSide side,
                     Ui& ui) {
  const bool low = side == RangeEndSide::Low;
  const auto number = parse_double(low ? page.range_low : page.range_high);
  if (!number) {
    ui.warning(low ? "Min theta error" : "Max theta error");
    return;
  }
  (low ? settings.entered_low : settings.entered_high) = *number;
  (low ? settings.two_theta_low : settings.two_theta_high) = *number;
}

FollowUp change_theta_2theta(ExperimentSettings& settings, ExperimentPageForm& page, AngleScale scale,
                             Ui& ui) {
  FollowUp follow_up;
  follow_up.refresh_anomalous_table = true;
  settings.two_theta_low = settings.entered_low;
  settings.two_theta_high = settings.entered_high;
  switch (scale) {
    case AngleScale::Theta:
      page.range_low_caption = "q1";
      page.range_high_caption = "q2";
      page.range_captions_in_symbol_font = true;
      break;
    case AngleScale::TwoTheta:
      page.range_low_caption = "2q1";
      page.range_high_caption = "2q2";
      page.range_captions_in_symbol_font = true;
      break;
    case AngleScale::Q:
      follow_up.set_plot_q_steps = true;
      if (settings.shortest_wavelength * settings.longest_wavelength == 0) {
        ui.warning("WaveLength not defined!");
        page.angle_scale_button = -1;
        return follow_up;
      }
      page.range_low_caption = "Q1";
      page.range_high_caption = "Q2";
      page.range_captions_in_symbol_font = false;
      break;
  }
  settings.angle_scale = scale;
  page.angle_scale_button = static_cast<int>(scale);
  follow_up.reset_plot = true;
  return follow_up;
}

}  // namespace calvane
