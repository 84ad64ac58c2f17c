// The total data file (.cmp): a whole workspace in one text file of keyed
// lines — settings, phases with their crystal data, observed patterns and
// observed peak lists — and the crystal files rebuilt from it.
//
// One addition to the classic layout: after the observed peaks, a section
// "Phase symmetry" holds the operator list of every phase whose space-group
// symbol alone does not rebuild it (operators read from a CIF or SHELX file
// under a symbol the catalogues do not know, or a setting chosen by its Hall
// symbol). Readers of the classic layout stop after the peak lists, so they
// skip it; they then rebuild such a phase from its symbol, as they always did.
//
//   Phase symmetry
//   SYMP <phase 1..8> <operator count> <centring count> <lattice letter> <TRUE|FALSE centrosymmetric>
//   <one line per centring translation: three numbers>
//   <one line per operator: r11 r12 r13 t1 r21 r22 r23 t2 r31 r32 r33 t3, then its x,y,z text>
//
// A second addition, "Pattern corrections", follows it when any correction
// of the calculated pattern is in use:
//
//   Pattern corrections
//   ZERO <zero shift, degrees 2θ>
//   DISP <sample displacement, µm> <goniometer radius, mm>
//   BACK <coefficient count 0..13> <Chebyshev coefficients, order 0 first>
//   PHCO <phase 1..8> <h> <k> <l> <March–Dollase ratio> <particle radius, µm>
//
// A third, "Pattern counts", follows when a measured pattern keeps its file's
// counts beside the scaled points (the fit weighs them by their σ):
//
//   Pattern counts
//   CNTS <pattern 1..8> <point count> <TRUE|FALSE σ given>
//   <one line per point: the count, then its σ when given>
//
// Numbers are written so that they never run into one another: a number
// wider than its field is preceded by a blank. Shares of the wavelengths get
// more decimals than the classic 8:2 when two would lose them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/current_crystal.hpp"
#include "model/pattern_corrections.hpp"

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
  /// True when `crystal.symmetry` is written: the symbol alone does not rebuild it.
  bool keeps_operators = false;
  PreferredOrientation orientation{};
  double particle_radius_um = 0;
};

/// An observed pattern or peak list as the file holds it.
struct TotalDataCurve {
  std::string name;
  int pen_width = 1;
  int pen_style = 1;
  std::uint32_t colour = 0;
  bool draw = true;
  std::vector<std::pair<double, double>> points;  // 2θ in degrees, intensity
  /// A measured pattern's own counts and their σ, one per point when the
  /// file gave them (kept in "Pattern counts"; empty otherwise).
  std::vector<double> counts{};
  std::vector<double> sigma{};
};

struct TotalDataFile {
  bool neutrons = false;
  // Texts of the wavelength, range and resolution fields, trimmed.
  std::string wavelength, two_theta_low, two_theta_high, u, v, w;
  int angle_scale = 1;   // 0 Theta, 1 2Theta, 2 Q
  int line_index = -1;   // chosen X-ray line, -1 none, 0 "Multiple W.L."
  std::vector<std::pair<double, double>> wavelengths;  // Å and share (1.00 stands for 100 %)

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
  SampleCorrections corrections{};
};

/// The text of the file, line by line in the order the reader expects.
std::string format_total_data_file(const TotalDataFile& data);

/// Why `data` cannot be written so that it reads back the same: a text with
/// a line break, a number that is not finite, an atom type longer than its
/// four characters, a field text that the reader would refuse. Empty when
/// it can.
std::string unwritable_reason(const TotalDataFile& data);

/// Why the text of the wavelength ("WL   "), range ("2TH1 ", "2TH2 ") or
/// resolution ("U    ", "V    ", "W    ") field is not one the program can
/// compute with; empty when it is. Any may be empty (the field then keeps
/// its value); the wavelength may also be "Multiple".
std::string setting_text_problem(std::string_view key, std::string_view text);

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

/// Name of the crystal file rebuilt for a phase, so that the phase shows
/// its own name: the base name of its path, less its last four characters
/// and any "_mp" (the mark of copies made by earlier versions), followed by
/// ".cry"; "phase.cry" when nothing is left. Never a folder.
std::string rebuilt_crystal_file_name(std::string_view phase_path);

/// The rebuilt crystal file: the native layout (title, system, symbol, cell
/// 9:4 and 8:3, atoms), its numbers kept apart however wide they are.
std::string format_rebuilt_crystal_file(const CurrentCrystal& crystal);

/// Colours as the file stores them: red + 256 × green + 65536 × blue.
std::uint32_t colour_number(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

}  // namespace calvane
