// Presentation model of the space-group selection window "Select a space group"
// and the operations bound to its controls.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "crystal_io/current_crystal.hpp"
#include "ui/main_form.hpp"

namespace calvane {

struct Program;

struct SpaceGroupForm {
  std::string caption = "Select a space group";
  std::string catalogue_heading = "Getspec symbols (H-M and Hall)";
  std::vector<std::string> catalogue_column_heads = {"Hermann-Maugin", "Hall", "Group Nb."};
  std::string standard_heading = "Standard H-M symbols";
  std::string positions_heading = "Equivalent positions";
  std::string note =
      "   To select a space group click on the Getspec symbol or standard Hermann_Mauguin symbol";

  int top = -1;  // window position; init puts it at the top of the screen
  bool visible = false;

  std::vector<std::string> catalogue_items;   // ListBox3: "spgr2.dat" items of the phase's system
  int catalogue_selected = -1;                // 0-based, -1 none
  std::vector<std::string> standard_symbols;  // ListBox1: symbols of the system's ".pos" file
  int standard_selected = -1;
  TextGrid positions;  // StringGrid1: "Nb", "a", "b", "c", "Selected"
};

/// Rows of the position grid: a heading row, then per operator its number and
/// its three row texts; the operator texts are rebuilt on the way.
void fill_position_grid(SymmetryData& symmetry, TextGrid& grid);

/// On activation: fills both lists for the working crystal's system and shows
/// its symbol (exact comparisons first, then any spelling of the same
/// setting); an unknown symbol is reported and emptied.
void init(SpaceGroupForm& form, Program& program);

/// A click on catalogue item `item` (0-based): GETSPEC route.
void selecte_groupe_getspec(SpaceGroupForm& form, Program& program, int item);

/// A click on standard symbol `item` (0-based): ".pos" route.
void selecte_groupe_HM(SpaceGroupForm& form, Program& program, int item);

/// OK: refuses an empty symbol ("No selected group!") and returns false with
/// the window open. Otherwise, for a SHELX file whose atoms were not touched,
/// runs `add_loaded_phase` (the open flow's add step) first, then closes.
bool sortie_ok(SpaceGroupForm& form, Program& program, const std::function<void()>& add_loaded_phase);

/// Cancel: closes; what was selected stays in force.
void sortie_cancel(SpaceGroupForm& form, Program& program);

}  // namespace calvane
