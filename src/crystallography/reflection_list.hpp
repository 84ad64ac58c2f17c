// Reflection list of one phase at one wavelength: enumeration, systematic
// absences, symmetry merging and multiplicities.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "model/current_crystal.hpp"
#include "model/reflection.hpp"

namespace calvane {

class MessageSink;

using MillerIndex = std::array<int, 3>;
/// Integer rotation part of an operator, [row][column].
using IntegerRotation = std::array<std::array<int, 3>, 3>;

struct MillerIndexHash {
  std::size_t operator()(const MillerIndex& h) const {
    return (static_cast<std::size_t>(static_cast<unsigned>(h[0])) * 73856093u) ^
           (static_cast<std::size_t>(static_cast<unsigned>(h[1])) * 19349663u) ^
           (static_cast<std::size_t>(static_cast<unsigned>(h[2])) * 83492791u);
  }
};

/// The image hᵀ·R of a reciprocal-lattice row vector under a direct-space rotation.
inline MillerIndex transform_index(const MillerIndex& h, const IntegerRotation& rotation) {
  return {h[0] * rotation[0][0] + h[1] * rotation[1][0] + h[2] * rotation[2][0],
          h[0] * rotation[0][1] + h[1] * rotation[1][1] + h[2] * rotation[2][1],
          h[0] * rotation[0][2] + h[1] * rotation[1][2] + h[2] * rotation[2][2]};
}

/// Distinct rotation parts of the operators together with their negatives:
/// the Laue group that decides which reflections are equivalent in a powder
/// pattern (Friedel's law adds the inversion).
std::vector<IntegerRotation> laue_rotations(const SymmetryData& symmetry);

/// Number of distinct images of h under the Laue group.
int index_multiplicity(const MillerIndex& h, const std::vector<IntegerRotation>& laue);

/// The member of h's family used to name it: one with non-negative indices
/// where the family has one (the more non-negative indices the better), and
/// among equals the lexicographically largest.
MillerIndex family_label(const MillerIndex& h, const std::vector<IntegerRotation>& laue);

/// Lattice letter of a crystal: the symbol's first character after a leading
/// "-"; "P" for every hexagonal ("HEXA") phase.
char lattice_letter_of(const CurrentCrystal& crystal);

/// True when the list of a phase of this system with this Laue group is
/// built on the fixed per-system enumeration region (the classes m-3m, 4/mmm,
/// 6/mmm, mmm, 2/m with unique axis b and -3m in rhombohedral axes, in their
/// standard settings); every other class is enumerated over the whole sphere.
bool uses_system_region(const CurrentCrystal& crystal, const std::vector<IntegerRotation>& laue);

/// Systematic-absence test: lattice condition of the centring letter, then
/// the reflection conditions of the operators themselves.
bool is_absent(const MillerIndex& h, const CurrentCrystal& crystal);

struct ReflectionListResult {
  int status = 0;  // 0 list made (possibly empty), 1 too many reflections
  std::vector<Reflection> reflections;
};

/// Every symmetry-distinct reflection between the two 2θ limits (degrees,
/// both inclusive) at `wavelength` (Å), by decreasing d, one line per family
/// with its multiplicity. More than 9 998 lines: a warning through `ui` and
/// status 1 with an empty list.
ReflectionListResult make_reflection_list(const CurrentCrystal& crystal, double wavelength,
                                          double two_theta_low, double two_theta_high, MessageSink& ui);

/// The same without the warning (status 1 says it), for lists made on
/// worker threads; it touches nothing but its result.
ReflectionListResult make_reflection_list_quietly(const CurrentCrystal& crystal, double wavelength,
                                                  double two_theta_low, double two_theta_high);

}  // namespace calvane
