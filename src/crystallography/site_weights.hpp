// Site multiplicities: how many distinct positions the operators make of an atom.
#pragma once

#include <vector>

#include "model/current_crystal.hpp"

namespace calvane {

/// The number of distinct images of (x, y, z) under `operators`, positions
/// compared modulo whole cell translations within 0.001 in each coordinate
/// (0.99999 and 0.00001 are one position).
int site_multiplicity(const std::vector<SymmetryOperator>& operators, double x, double y, double z);

/// Sets every atom's weight to |multiplicity × population| under the crystal's
/// operator list. The structure factors later divide it by the operator count.
void site_weights(CurrentCrystal& crystal);

}  // namespace calvane
