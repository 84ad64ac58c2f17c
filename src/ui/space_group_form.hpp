// Presentation model of the space-group selection window "Select a space group"
// and the operations bound to its controls.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/current_crystal.hpp"
#include "ui/main_form.hpp"

namespace calvane {

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

/// The catalogue item a search names: a group number ("14"), or a symbol in
/// any common spelling, without regard to case, blanks, subscript marks or
/// the 1s of a full symbol ("P21/c", "p 1 21/c 1", "P2_1/c", "Fm-3m", "fm3m").
/// The first exact match in catalogue order, else the first item whose
/// symbol begins with the search; −1 when none.
int find_catalogue_item(const std::vector<std::string>& items, std::string_view search);

/// "P 1 21/c 1  (No. 14, Hall -P 2ybc)": the chosen item as the window shows it.
std::string catalogue_item_description(std::string_view item);

/// Rows of the position grid: a heading row, then per operator its number and
/// its three row texts; the operator texts are rebuilt on the way.
void fill_position_grid(SymmetryData& symmetry, TextGrid& grid);

}  // namespace calvane
