// Presentation model of the colours window (ColoursWindow): one row per phase,
// the sum, each observed pattern and peak list, and the background and text
// colour boxes; its Apply, Save and Cancel actions.
#pragma once

#include <array>
#include <filesystem>
#include <string>

#include "model/colour.hpp"
#include "model/limits.hpp"

namespace calvane {

struct Workspace;

struct ColourRow {
  std::string name;
  Rgb colour{};
  std::string pen_width = "1";  // the "Pen" box
  int style_index = 0;  // 0-based choice: "Solid"/"Dashed"/"Dotted" or "Lines"/"Points"/"Lines&Points"
  bool draw = true;     // "Draw" check of observed rows
};

inline constexpr const char* kPhaseStyleChoices[] = {"Solid", "Dashed", "Dotted"};
inline constexpr const char* kPatternStyleChoices[] = {"Lines", "Points", "Lines&Points"};

struct ColoursForm {
  bool visible = false;
  std::array<ColourRow, kMaxPhases> phases;
  ColourRow sum{"     Sum"};
  std::array<ColourRow, kMaxObservedPatterns> patterns;
  std::array<ColourRow, kMaxObservedPeakLists> peaks;
  Rgb background{};
  Rgb text{};
};

/// On each showing: the boxes take the workspace's names, colours, pens, styles and drawn flags.
void fill_colours_form(ColoursForm& form, const Workspace& workspace);

}  // namespace calvane
