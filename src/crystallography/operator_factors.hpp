// Symmetry operators split into lattice centring, inversion pairs and the
// operators left over, so that structure-factor sums can be factorised:
// F(h) = C(h) · Σ_independent [e^{2πi h·(R x + t)} + e^{2πi h·(−R x + t′)}],
// where C(h) = Σ_τ e^{2πi h·τ} over the centring translations τ (the null one
// included) and (−R, t′) is the inversion partner of (R, t).
#pragma once

#include <array>
#include <complex>
#include <vector>

#include "model/current_crystal.hpp"

namespace calvane {

struct FactorisedOperators {
  /// Operators left after taking out the centring copies and, when every
  /// operator has an inversion partner, one of each pair.
  std::vector<SymmetryOperator> independent;
  /// Translation t′ of the partner (−R, t′) of each independent operator;
  /// used only when `inversion_paired`.
  std::vector<std::array<double, 3>> partner_translations;
  bool inversion_paired = false;
  /// Lattice translations, the null one first.
  std::vector<std::array<double, 3>> centring{{0.0, 0.0, 0.0}};
};

/// Splits the operator list. A list that does not have the expected structure
/// (primitive block followed by one block per centring translation; operators
/// in inversion pairs) is kept whole in `independent`, which is always correct.
FactorisedOperators factorise_operators(const SymmetryData& symmetry);

/// C(h) = Σ_τ e^{2πi h·τ} over the centring translations.
std::complex<double> centring_factor(const std::array<int, 3>& h, const FactorisedOperators& operators);

/// Number of operators the factorised list stands for.
std::size_t represented_operator_count(const FactorisedOperators& operators);

}  // namespace calvane
