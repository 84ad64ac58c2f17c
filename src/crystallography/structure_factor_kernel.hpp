// Inner loop of the structure factors: for one reflection, the symmetry sum
// S_a = Σ_p c_p · e^{2πi (u_p·x_a + α_p)} (or its cosine form for inversion
// pairs) of every atom a, in single precision, vectorised over atoms.
#pragma once

#include <cstddef>
#include <vector>

namespace calvane {

/// One independent operator p at one reflection h: u_p = hᵀR_p, the phase
/// shift α_p in turns (reduced to [−½, ½]) and the complex factor c_p that
/// carries the centring sum and, for inversion pairs, e^{2πiβ_p}·2.
struct PhaseTerm {
  float ux = 0, uy = 0, uz = 0;
  float shift = 0;
  float factor_re = 0, factor_im = 0;
};

/// Fractional coordinates of the atoms in [0, 1), in blocks of `kAtomBlock`
/// (the padding atoms sit at the origin and are ignored by the caller).
struct PackedAtoms {
  static constexpr std::size_t kAtomBlock = 16;
  std::vector<float> x, y, z;
  std::size_t count = 0;
  std::size_t padded_count() const { return x.size(); }
};

PackedAtoms pack_atoms(const std::vector<double>& x, const std::vector<double>& y,
                       const std::vector<double>& z);

/// S_a for inversion-paired operators: Σ_p c_p · cos 2π(u_p·x_a + α_p).
/// `re` and `im` receive padded_count() values each.
void cosine_symmetry_sums(const PhaseTerm* terms, std::size_t term_count, const PackedAtoms& atoms, float* re,
                          float* im);

/// S_a for operators without inversion partner: Σ_p c_p · e^{2πi(u_p·x_a + α_p)}.
void exponential_symmetry_sums(const PhaseTerm* terms, std::size_t term_count, const PackedAtoms& atoms,
                               float* re, float* im);

/// Debye-Waller factors e^{−B·s²} of `count` atoms (arrays padded to
/// PackedAtoms::kAtomBlock), in single precision, relative error below 1e-6.
void damping_factors(const float* displacement, std::size_t count, float s_squared, float* out);

}  // namespace calvane
