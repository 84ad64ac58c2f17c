// A crystal written as a small-molecule CIF (core dictionary): what
// structure viewers (VESTA, Jmol, Avogadro) read.
#pragma once

#include <string>

#include "model/current_crystal.hpp"

namespace calvane {

/// The CIF text of `crystal` in one data block named `block_name`: the
/// cell, the space group's symbol and Hall symbol when known, every
/// symmetry operator in full (centring translations and the inversion
/// multiplied in), and the atom sites with Uiso = B / 8π².
std::string structure_cif_text(const CurrentCrystal& crystal, const std::string& block_name);

}  // namespace calvane
