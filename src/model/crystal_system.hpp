// The seven cell families the program knows, by their four-letter codes, and
// what each part of the program needs to know of them.
#pragma once

#include <algorithm>
#include <array>
#include <string_view>

namespace calvane {

struct CrystalSystem {
  std::string_view code;  // "CUBI", as crystal files and the page hold it
  std::string_view name;  // "Cubic", as the powder CIF names it
  /// International Tables, Vol. A: the group numbers the cell takes. The
  /// rhombohedral cell takes only the R-centred trigonal groups.
  int first_group = 0, last_group = 0;
  /// The entries of the operator catalogue "spgr2.dat" for this family (1-based).
  int first_catalogue_entry = 0, last_catalogue_entry = 0;
  std::string_view positions_file;  // the standard symbols and their operators
  /// What a symbol outside the family is replaced by, and the warning's text after the symbol.
  std::string_view replacement_symbol;
  std::string_view mismatch_text;

  bool takes_group(int number) const {
    if (code != "RHOM") return number >= first_group && number <= last_group;
    constexpr std::array<int, 7> rhombohedral{146, 148, 155, 160, 161, 166, 167};
    return std::find(rhombohedral.begin(), rhombohedral.end(), number) != rhombohedral.end();
  }
};

inline constexpr std::array<CrystalSystem, 7> kCrystalSystems{{
    {"TRIC", "Triclinic", 1, 2, 1, 18, "T.pos", "P1",
     " is not compatible with a Triclinic cell. It has been  reset to P1"},
    {"MONO", "Monoclinic", 3, 15, 19, 178, "M.pos", "P2/M",
     " is not compatible with a Monoclinic cell. It has been  reset to P2/M"},
    {"ORTH", "Orthorhombic", 16, 74, 179, 370, "O.pos", "P222",
     " is not compatible with an Orthorhombic cell. It has been  reset to P222"},
    {"TETR", "Tetragonal", 75, 142, 371, 480, "Q.POS", "P422",
     " is not compatible with an Tetragonal cell. It has been  reset to P422"},
    {"HEXA", "Hexagonal", 143, 194, 481, 547, "H.pos", "P6",
     " is not compatible with an Hexagonal cell. It has been  reset to P6"},
    {"RHOM", "Rhomboedral", 146, 167, 548, 556, "R.pos", "R3",
     " is not compatible with a Rhomboedral cell. It has been  reset to R3"},
    {"CUBI", "Cubic", 195, 230, 558, 637, "C.pos", "P23",
     " is not compatible with a Cubic cell. It has been  reset to P23"},
}};

/// The family of a code; null for a code the program does not know.
inline const CrystalSystem* crystal_system(std::string_view code) {
  for (const CrystalSystem& system : kCrystalSystems)
    if (system.code == code) return &system;
  return nullptr;
}

}  // namespace calvane
