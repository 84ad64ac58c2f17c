#include "ui/experiment_reading.hpp"

#include "profile/q_scale.hpp"
#include "ui/spectrum.hpp"
#include "ui/ui_port.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

void read_resolution_field(const std::string& text, double& value) {
  if (trim_view(text).empty()) return;
  if (auto number = parse_double(text)) value = *number;
}

// A field that still shows the program's own text keeps the range it holds:
// re-reading the rounded text would move the range a little at each reading.
void read_range_field(const std::string& text, const std::string& shown, AngleScale scale, double wavelength,
                      double& two_theta, double& q) {
  if (trim_view(text).empty() || text == shown) return;
  const auto number = parse_double(text);
  if (!number) return;
  if (auto end = convert_range_value(*number, scale, wavelength)) {
    two_theta = end->two_theta;
    q = end->q;
  }
}

}  // namespace

std::optional<RangeEnd> convert_range_value(double value, AngleScale scale, double wavelength) {
  switch (scale) {
    case AngleScale::Theta:
      return RangeEnd{2 * value, q_of_two_theta(2 * value, wavelength)};
    case AngleScale::TwoTheta:
      return RangeEnd{value, q_of_two_theta(value, wavelength)};
    case AngleScale::Q:
      if (!q_has_angle(value, wavelength)) return std::nullopt;
      return RangeEnd{two_theta_of_q(value, wavelength), value};
  }
  return std::nullopt;
}

bool read_experiment_settings(ExperimentSettings& settings, const ExperimentPageForm& page,
                              const WavelengthForm& dialog, Ui& ui) {
  const bool spectrum_read = read_spectrum(settings, page, dialog, ui);
  if (settings.shortest_wavelength * settings.longest_wavelength != 0) {
    read_range_field(page.range_low, page.range_low_shown, settings.angle_scale, low_end_wavelength(settings),
                     settings.two_theta_low, settings.q_low);
    read_range_field(page.range_high, page.range_high_shown, settings.angle_scale, high_end_wavelength(settings),
                     settings.two_theta_high, settings.q_high);
    update_q_range(settings);  // a field not edited keeps its 2θ: its Q follows a new spectrum
  }
  read_resolution_field(page.u, settings.u);
  read_resolution_field(page.v, settings.v);
  read_resolution_field(page.w, settings.w);
  return spectrum_read;
}

void read_range_end(ExperimentSettings& settings, const ExperimentPageForm& page, RangeEndSide side,
                     Ui& ui) {
  const bool low = side == RangeEndSide::Low;
  const std::string& text = low ? page.range_low : page.range_high;
  if (text == (low ? page.range_low_shown : page.range_high_shown)) return;  // not edited
  const auto number = parse_double(text);
  const double wavelength = low ? low_end_wavelength(settings) : high_end_wavelength(settings);
  const auto end = number ? convert_range_value(*number, settings.angle_scale, wavelength) : std::nullopt;
  if (!end) {
    ui.warning(low ? "Min theta error" : "Max theta error");
    return;
  }
  // The entered range is held in 2θ whatever the scale it was typed in, so
  // that another scale shows the same range.
  (low ? settings.entered_low : settings.entered_high) = end->two_theta;
  (low ? settings.two_theta_low : settings.two_theta_high) = end->two_theta;
  (low ? settings.q_low : settings.q_high) = end->q;
}

FollowUp change_angle_scale(ExperimentSettings& settings, ExperimentPageForm& page, AngleScale scale,
                             Ui& ui) {
  FollowUp follow_up;
  follow_up.refresh_anomalous_table = true;
  settings.two_theta_low = settings.entered_low;
  settings.two_theta_high = settings.entered_high;
  update_q_range(settings);
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
