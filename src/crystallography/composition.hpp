// Composition of a phase: formula, formula units per cell, molecular weight,
// density and mass absorption, and the absorption of the whole sample.
#pragma once

#include <string>
#include <vector>

#include "model/current_crystal.hpp"
#include "model/phase_data.hpp"
#include "model/workspace.hpp"

namespace calvane {

/// Cell volume in Å³ from a, b, c, α, β, γ (angles in degrees).
double cell_volume(const CellParameters& cell);

/// The composition of `crystal` from its atoms' site weights (multiplicity ×
/// population, already set) and type indices:
///  - n_k = Σ round(w) over the atoms of type k; Z is the largest common divisor
///    of the n_k from the smallest n_k down to 2 (else 1), and n_k := n_k / Z;
///  - formula ("Fe2O3"), M = Σ n_k·A_k, ρ = Z·10·M / (6.02·V) in g/cm³;
///  - for each of the first four wavelengths the mass absorption coefficient of
///    the compound, every element weighted by its mass fraction n_k·A_k / M:
///    μ/ρ = Σ n_k·A_k·τ_k(λ) / M with τ_k the element's tabulated μ/ρ, and the
///    same weighting of the photoabsorption μ/ρ derived from f″,
///    0.6024·5680·λ·f″_k / A_k (σ_a = 2·r_e·λ·f″, International Tables C, 4.2.6).
/// Then divides every atom weight by the operator count. Returns an empty
/// string, or a message (nothing changed) when the phase has more than 20
/// elements or an atom has no scattering type.
std::string compute_composition(CurrentCrystal& crystal, const std::vector<double>& wavelengths,
                                PhaseComposition& composition);

/// μ(λ_j) of the whole sample for the first four wavelengths:
/// (Σ_p x_p·(μ/ρ)_p(λ_j)) · (Σ_p x_p·ρ_p) over all phases with their fractions x_p;
/// the current phase's values are taken from the working copy, and the other
/// phases' μ/ρ are computed at the workspace's current wavelengths.
void compute_sample_absorption(Workspace& workspace);

}  // namespace calvane
