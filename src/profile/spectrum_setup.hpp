// Setting the experiment's radiation and range from values rather than from
// the boxes of the experiment page.
#pragma once

#include <vector>

#include "model/experiment_settings.hpp"
#include "profile/wavelength_lines.hpp"

namespace calvane {

/// A line of a spectrum: wavelength (Å), its share, and the dialog row it came from.
struct SpectrumLine {
  double wavelength = 0;
  double fraction = 0;
  int row = 0;
};

/// Sorts the lines by increasing wavelength, keeping the order of equal ones.
void sort_by_wavelength(std::vector<SpectrumLine>& lines);

/// The settings take the lines (not empty) as their spectrum, the fractions as given.
void set_spectrum(ExperimentSettings& settings, const std::vector<SpectrumLine>& lines);

/// The settings take one characteristic line as their only wavelength; the
/// Q range follows.
void set_one_line_spectrum(ExperimentSettings& settings, const CharacteristicLine& line);

/// The settings take one wavelength (Å) of their own.
void set_single_wavelength(ExperimentSettings& settings, double wavelength);

/// The 2θ range (degrees), as typed and as computed; its Q range follows.
void set_two_theta_range(ExperimentSettings& settings, double low, double high);

}  // namespace calvane
