#include "profile/spectrum_setup.hpp"

#include <algorithm>
#include <string>

#include "profile/q_scale.hpp"

namespace calvane {

void sort_by_wavelength(std::vector<SpectrumLine>& lines) {
  std::stable_sort(lines.begin(), lines.end(),
                   [](const SpectrumLine& a, const SpectrumLine& b) { return a.wavelength < b.wavelength; });
}

void set_spectrum(ExperimentSettings& settings, const std::vector<SpectrumLine>& lines) {
  settings.wavelengths.clear();
  settings.fractions.clear();
  for (const SpectrumLine& line : lines) {
    settings.wavelengths.push_back(line.wavelength);
    settings.fractions.push_back(line.fraction);
  }
  settings.shortest_wavelength = *std::min_element(settings.wavelengths.begin(), settings.wavelengths.end());
  settings.longest_wavelength = *std::max_element(settings.wavelengths.begin(), settings.wavelengths.end());
}

void set_one_line_spectrum(ExperimentSettings& settings, const CharacteristicLine& line) {
  settings.anode_code = std::string(line.item.substr(0, 2));
  settings.single_wavelength = settings.shortest_wavelength = settings.longest_wavelength = line.wavelength;
  settings.wavelengths = {line.wavelength};
  settings.fractions = {1.0};
  if (!(settings.two_theta_high > 0)) {
    settings.q_low = settings.q_high = 0;
  } else {
    update_q_range(settings);
  }
}

void set_single_wavelength(ExperimentSettings& settings, double wavelength) {
  settings.single_wavelength = settings.shortest_wavelength = settings.longest_wavelength = wavelength;
  settings.wavelengths = {wavelength};
  settings.fractions = {1.0};
}

void set_two_theta_range(ExperimentSettings& settings, double low, double high) {
  settings.two_theta_low = settings.entered_low = low;
  settings.two_theta_high = settings.entered_high = high;
  update_q_range(settings);
}

}  // namespace calvane
