// Presentation model of the colours window (Tfcouleurs): one row per phase,
// the sum, each observed pattern and peak list, and the background and text
// colour boxes; its Apply, Save and Cancel actions.
#pragma once

#include <array>
#include <filesystem>
#include <string>

#include "workspace/colour.hpp"
#include "workspace/limits.hpp"

namespace calvane {

struct Program;
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

/// At creation: the default styles, then "couleurs.txt" of the program folder
/// when it exists. A file that cannot be read gives one message and leaves the defaults.
void init_create(ColoursForm& form, Program& program);

/// On each showing: the boxes take the workspace's names, colours, pens, styles and drawn flags.
void init_active(ColoursForm& form, const Workspace& workspace);

/// "Apply": copies the boxes into the workspace. Every pen-width box is checked
/// first; a box that does not hold a whole number from 1 to 99 is named in one
/// message and nothing is applied. True when applied (the caller then runs the plot action).
bool applique_couleurs(ColoursForm& form, Program& program);

/// "Save ": writes "couleurs.txt" in the program folder from the workspace's current values.
void sauve_selection(Program& program);

/// "Cancel": the main window's "Phases Data" page comes forward and the window closes.
void sortie(ColoursForm& form, Program& program);

}  // namespace calvane
