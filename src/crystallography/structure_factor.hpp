// Structure factors of X-rays (with anomalous dispersion, for h and −h) and of
// neutrons, from symmetry sums that are computed once per reflection and kept
// for the other wavelengths of a computation.
#pragma once

#include <cmath>
#include <complex>
#include <span>
#include <unordered_map>
#include <vector>

#include "model/current_crystal.hpp"
#include "crystallography/reflection_list.hpp"
#include "util/thread_pool.hpp"

namespace calvane {

struct XrayStructureFactor {
  double a_plus = 0, b_plus = 0, a_minus = 0, b_minus = 0;
  double magnitude_plus() const { return std::hypot(a_plus, b_plus); }
  double magnitude_minus() const { return std::hypot(a_minus, b_minus); }
  double mean_magnitude() const { return 0.5 * (magnitude_plus() + magnitude_minus()); }
};

struct NeutronStructureFactor {
  double a = 0, b = 0;
  double magnitude() const { return std::hypot(a, b); }
};

/// Wavelength-independent part of the structure factors: for every reflection
/// and scattering type t, G_t(h) = Σ_{atoms of t} w·e^{−B s²}·Σ_ops e^{2πi h·(R x + t)},
/// and the neutron sum with each atom's Fermi length as a further factor.
/// Valid for one crystal; a different crystal empties it.
class StructureFactorCache {
public:
  /// Computes the sums of the reflections not yet held, on a thread pool
  /// (the shared one unless another is given).
  void prepare(const CurrentCrystal& crystal, const std::vector<MillerIndex>& reflections);
  void prepare(const CurrentCrystal& crystal, const std::vector<MillerIndex>& reflections, ThreadPool& pool);
  /// The sums of a prepared reflection: one per scattering type, then the neutron sum.
  std::span<const std::complex<double>> sums(const MillerIndex& h) const;
  std::size_t size() const { return slots_.size(); }
  void clear();

private:
  bool matches(const CurrentCrystal& crystal) const;
  void remember(const CurrentCrystal& crystal);

  std::unordered_map<MillerIndex, std::size_t, MillerIndexHash> slots_;
  std::vector<std::complex<double>> sums_;
  std::size_t slot_size_ = 0;
  // The crystal the sums belong to.
  std::vector<AtomSite> atoms_;
  std::vector<SymmetryOperator> operators_;
  std::vector<std::array<double, 3>> centring_;
  std::array<std::array<double, 3>, 3> b_matrix_{};
  std::size_t type_count_ = 0;
};

/// (f_r, f_i) of a scattering type at s = sin θ/λ: c + f′ + Σ a_i·e^{−b_i s²} and f″
/// of the wavelength index (1-based; beyond the table f′ = f″ = 0).
std::pair<double, double> scattering_factor(const ScatteringType& type, double s, int wavelength_index);

/// A+, B+, A−, B− from the sums of one reflection.
XrayStructureFactor structure_factor_xray(const CurrentCrystal& crystal,
                                          std::span<const std::complex<double>> sums, double s,
                                          int wavelength_index);

/// The same from the types' (f_r, f_i) at the reflection's s, already known.
XrayStructureFactor structure_factor_xray(std::span<const std::pair<double, double>> form_factors,
                                          std::span<const std::complex<double>> sums);

NeutronStructureFactor structure_factor_neutron(std::span<const std::complex<double>> sums);

}  // namespace calvane
