// The total data file (.cmp): a whole workspace in one text file of keyed
// lines — settings, phases with their crystal data, observed patterns and
// observed peak lists — and the names of the scratch files rebuilt from it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "crystal_io/current_crystal.hpp"

namespace calvane {

/// One phase as the file holds it. The fraction, size and strain lines are
/// kept as the texts that go into the phase table's boxes.
struct TotalDataPhase {
  std::string file_path;
  bool draw = true;
  bool show_hkl = false;
  std::uint32_t colour = 0;  // red in the low byte, then green, then blue
  int pen_width = 1;
  int pen_style = 0;
  std::string fraction;      // share, 1.00 for the whole ("PCEN")
  std::string size;          // crystallite size, Å ("SIZE")
  std::string strain;        // Δd/d × 1000 ("dd/d")
  CurrentCrystal crystal;    // title, system code, symbol, cell lengths and angles, atoms
};

/// An observed pattern or peak list as the file holds it.
struct TotalDataCurve {
  std::string name;
  int pen_width = 1;
  int pen_style = 1;
  std::uint32_t colour = 0;
  bool draw = true;
  std::vector<std::pair<double, double>> points;  // 2θ in degrees, intensity
};

struct TotalDataFile {
  bool neutrons = false;
  // Texts of the wavelength, range and resolution fields, trimmed.
  std::string wavelength, two_theta_low, two_theta_high, u, v, w;
  int angle_scale = 1;   // 0 Theta, 1 2Theta, 2 Q
  int line_index = -1;   // chosen X-ray line, -1 none, 0 "Multiple W.L."
  std::vector<std::pair<double, double>> wavelengths;  // Å and fraction (1.00 stands for 100 %)

  bool draw_sum = true;
  int percent_mode = 0;  // 0 weight %, 1 molecular %
  std::uint32_t sum_colour = 0;
  int sum_pen_width = 1;
  int sum_pen_style = 0;
  std::uint32_t background_colour = 16772320;  // (224, 236, 255)
  std::uint32_t text_colour = 0;

  std::vector<TotalDataPhase> phases;        // at most 8
  std::vector<TotalDataCurve> patterns;      // at most 8, 10 000 points each
  std::vector<TotalDataCurve> peak_lists;    // at most 8, 2000 peaks each
};

/// The text of the file, line by line in the order the reader expects.
std::string format_total_data_file(const TotalDataFile& data);

struct TotalDataReading {
  TotalDataFile data;
  std::string error;  // empty when the whole file read; else one message naming the line
  bool ok() const { return error.empty(); }
};

/// Reads and checks the whole file: every key, count, number and table
/// bound. Nothing is applied here, so a file that fails anywhere leaves the
/// workspace as it was. A file that ends after its observed patterns has no
/// peak lists.
TotalDataReading parse_total_data_file(const std::vector<std::string>& lines, std::string_view file_name);

/// Name of the crystal file rebuilt for a phase: the base name of its path,
/// less its last four characters, without any "_mp", followed by "_mp.cry".
/// Never a folder: the file is made in the current folder.
std::string rebuilt_crystal_file_name(std::string_view phase_path);

/// Name of the peak file rebuilt for a peak list: its base name up to the
/// first "." followed by "_mp.prn", in the current folder.
std::string rebuilt_peak_file_name(std::string_view list_name);

/// The rebuilt peak file: position 10:3 and intensity 10:3 per line.
std::string format_rebuilt_peak_file(const TotalDataCurve& list);

/// Colours as the file stores them: red + 256 × green + 65536 × blue.
std::uint32_t colour_number(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

}  // namespace calvane
