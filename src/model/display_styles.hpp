// How the plot draws each curve: colours, pen widths and styles of the sum,
// of the eight phase slots, of the eight observed patterns and peak lists,
// and the plot's background and text colours.
#pragma once

#include <array>

#include "model/colour.hpp"
#include "model/limits.hpp"

namespace calvane {

/// Pen style of a calculated curve: 0 solid, 1 dashed, 2 dotted.
enum class PenStyleCode { Solid = 0, Dashed = 1, Dotted = 2 };

/// Drawing style of an observed pattern: 1 lines, 2 points, 3 lines and points.
inline constexpr int kPatternLines = 1;
inline constexpr int kPatternPoints = 2;
inline constexpr int kPatternLinesAndPoints = 3;

// The defaults are those the colours window sets when no "couleurs.txt" exists.
struct DisplayStyles {
  Rgb background{224, 236, 255};
  Rgb text{};
  Rgb sum_colour{};
  int sum_pen_width = 1;
  int sum_pen_style = 0;

  // Per slot 1..8 (index 0..7). A loaded phase keeps its own copy in
  // PhaseData; these are the values a phase loaded into the slot receives.
  std::array<Rgb, kMaxPhases> phase_colours{{{255, 124, 162},
                                             {0, 0, 255},
                                             {0, 128, 0},
                                             {0, 0, 128},
                                             {255, 0, 0},
                                             {192, 192, 192},
                                             {128, 0, 0},
                                             {0, 255, 255}}};
  std::array<int, kMaxPhases> phase_pen_widths{1, 1, 1, 1, 1, 1, 1, 1};
  std::array<int, kMaxPhases> phase_pen_styles{};

  // Observed pattern i is Workspace::observed_patterns[i]; its drawn flag is
  // ObservedPattern::draw.
  std::array<Rgb, kMaxObservedPatterns> pattern_colours{{{253, 108, 31},
                                                         {54, 108, 162},
                                                         {128, 128, 0},
                                                         {0, 255, 0},
                                                         {0, 0, 255},
                                                         {0, 128, 0},
                                                         {0, 0, 128},
                                                         {255, 0, 0}}};
  std::array<int, kMaxObservedPatterns> pattern_pen_widths{1, 1, 1, 1, 1, 1, 1, 1};
  std::array<int, kMaxObservedPatterns> pattern_styles{1, 1, 1, 1, 1, 1, 1, 1};

  // Observed peak list i is Workspace::observed_peaks[i]; drawn flag in ObservedPeakList::draw.
  std::array<Rgb, kMaxObservedPeakLists> peak_colours{{{0, 0, 255},
                                                       {0, 0, 128},
                                                       {0, 255, 0},
                                                       {0, 255, 0},
                                                       {128, 0, 0},
                                                       {255, 0, 0},
                                                       {128, 128, 0},
                                                       {0, 255, 0}}};
  std::array<int, kMaxObservedPeakLists> peak_pen_widths{1, 1, 1, 1, 1, 1, 1, 1};
};

}  // namespace calvane
