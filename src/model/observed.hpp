// Observed data overlaid on the calculated patterns: measured patterns and peak lists.
#pragma once

#include <string>
#include <vector>

namespace calvane {

struct ObservedPoint {
  double two_theta = 0;   // degrees
  double intensity = 0;   // scaled to 0..100
};

struct ObservedPattern {
  std::vector<ObservedPoint> points;  // every point of the file, up to kMaxObservedPoints
  double wavelength = 0;              // Å, as the file reports it
  std::string file_name;              // without folder, at most 50 characters
  bool draw = true;
  int style_width = 3;                // drawing-style values of the colours window
  int style_kind = 1;
  /// The file's own counts of the same points, unscaled, and their standard
  /// uncertainties when the file gives them (empty otherwise: √counts).
  std::vector<double> counts{};
  std::vector<double> sigma{};
};

struct ObservedPeak {
  int h = 0, k = 0, l = 0;
  double two_theta = 0;  // degrees
  double intensity = 0;
};

struct ObservedPeakList {
  std::string file_name;            // full name as chosen
  std::vector<ObservedPeak> peaks;  // at most 2000
  bool draw = true;
  std::string label;                // a reference card's name for the legend; empty: the file name
};

}  // namespace calvane
