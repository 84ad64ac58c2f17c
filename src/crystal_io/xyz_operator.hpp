// Symmetry operators written as coordinate triplets ("-X+Y,-X,Z+1/3").
#pragma once

#include <string>
#include <string_view>

#include "model/symmetry_operator.hpp"

namespace calvane {

struct XyzDecoding {
  SymmetryOperator op;
  /// Empty when decoded; otherwise the program's message: "cannot decode
  /// position" or "Cannot decode translation" followed by the part at fault.
  std::string error;
};

/// Decodes a triplet of three comma-separated expressions. Each expression
/// is a sum of terms: ±X, ±Y, ±Z (with an optional whole coefficient such
/// as 2X) and constants written as fractions (1/2) or decimals (0.5), in any
/// order and either case; blanks and quotes are ignored.
XyzDecoding decode_xyz_operator(std::string_view text);

}  // namespace calvane
