// The corrections a measured pattern needs beside the crystal's own lines:
// where the lines fall (zero shift, sample displacement), how strong they
// are (preferred orientation, microabsorption) and what lies under them
// (background).
#pragma once

#include <array>
#include <span>
#include <vector>

#include "model/current_crystal.hpp"
#include "model/pattern_corrections.hpp"
#include "model/phase_data.hpp"
#include "model/reflection.hpp"

namespace calvane {

struct Workspace;

using MillerIndices = std::array<int, 3>;

/// Δ2θ (degrees) of a line at `two_theta_deg`: the zero shift plus the
/// displacement term Δ2θ = −2 s cos θ / R (radians) of a flat sample whose
/// surface lies s above the focusing circle of a goniometer of radius R
/// (Klug & Alexander, X-ray Diffraction Procedures, 2nd ed. 1974, §5-3).
double line_shift_deg(const SampleCorrections& corrections, double two_theta_deg);
/// The displacement term alone for a displacement in µm and a radius in mm.
double displacement_shift_deg(double displacement_um, double radius_mm, double two_theta_deg);

/// The distinct members h·R of the family of `hkl` under the rotations of
/// the operators (reciprocal indices transform as a row vector times the
/// direct-space rotation).
std::vector<MillerIndices> family_members(const SymmetryData& symmetry, const MillerIndices& hkl);

/// cos α between the normals of planes `first` and `second` of the cell,
/// through the reciprocal metric tensor.
double normal_cosine(const CellParameters& cell, const MillerIndices& first, const MillerIndices& second);

/// March–Dollase factor of a family (Dollase 1986, J. Appl. Cryst. 19, 267,
/// eq. 6): the mean over its members of (r² cos²α + sin²α / r)^(−3/2).
double march_dollase_factor(const CellParameters& cell, std::span<const MillerIndices> members,
                            const PreferredOrientation& orientation);

/// The March–Dollase factor of every reflection (1 throughout when the
/// orientation is not active). Reflections of the same hkl share one value.
std::vector<double> orientation_factors(const CurrentCrystal& crystal, std::span<const Reflection> reflections,
                                        const PreferredOrientation& orientation);

/// Brindley's microabsorption factor τ (Brindley 1945, Phil. Mag. 36, 347):
/// the mean over a spherical particle of exp(−(μ_p − μ̄)·l), l the path in
/// the particle, for `contrast` = (μ_p − μ̄)·R. The path is taken for a beam
/// that leaves along the line it came in, l = 2 × depth, which gives the
/// closed form τ = 3/(4x)·[1/2 − (1 − (1 + 4x)e^(−4x))/(4x)²], about
/// 1 − 1.5x + 1.6x² for small x.
double brindley_factor(double contrast);

/// Linear absorption coefficient μ = (μ/ρ)·ρ of a phase at the first
/// wavelength, cm⁻¹; 0 when its composition gives none (neutrons).
double linear_absorption_per_cm(const PhaseComposition& composition);

/// Brindley factors of the phases of a mixture: weight fractions, their
/// compositions and particle radii (µm, 0: no correction, factor 1). μ̄ is
/// the mean of the phases' μ over their volume fractions w/ρ.
std::vector<double> microabsorption_factors(std::span<const double> weight_fractions,
                                            std::span<const PhaseComposition* const> compositions,
                                            std::span<const double> radii_um);

/// The same for the phases of the workspace at their present shares.
std::vector<double> workspace_microabsorption_factors(const Workspace& workspace);

/// The phases' weight fractions from their shares in the workspace's
/// percent mode (molar shares times the molecular weights, normalised).
std::vector<double> workspace_weight_fractions(const Workspace& workspace);

/// Chebyshev polynomials T_0..T_order at x mapped from [low, high] to [−1, 1].
void chebyshev_terms(double x, double low, double high, std::span<double> terms);
/// The background Σ c_k T_k at x over [low, high].
double chebyshev_background(std::span<const double> coefficients, double x, double low, double high);

/// The reflections as the sample shows them: every 2θ shifted, every
/// intensity multiplied by its orientation factor and by `absorption_factor`.
std::vector<Reflection> corrected_reflections(std::span<const Reflection> reflections,
                                              const SampleCorrections& corrections, const CurrentCrystal& crystal,
                                              const PreferredOrientation& orientation, double absorption_factor);

}  // namespace calvane
