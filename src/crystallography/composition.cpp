#include "crystallography/composition.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

#include "crystallography/absorption_table.hpp"
#include "crystallography/scattering.hpp"

namespace calvane {

namespace {

constexpr double kRadiansPerDegree = 3.141592653589793 / 180;  // exact, as for the cell geometry
// Density ρ = Z·M / (N_A·V): with V in Å³ and N_A = 6.02e23, ρ = Z·10·M / (6.02·V) g/cm³.
constexpr double kAvogadroMantissa = 6.02;
// Photoabsorption from f″: σ_a = 2·r_e·λ·f″ per atom; μ/ρ = N_A·σ_a / A. With λ in Å,
// 2·r_e·N_A·1e-8 ≈ 0.6024 · 5680 cm²·Å⁻¹/mol.
constexpr double kAbsorptionFromF2 = 0.6024 * 5680.0;

int formula_units(const std::vector<int>& counts) {
  if (counts.empty()) return 1;
  const int smallest = *std::min_element(counts.begin(), counts.end());
  for (int divisor = smallest; divisor >= 2; --divisor)
    if (std::all_of(counts.begin(), counts.end(), [&](int n) { return n % divisor == 0; })) return divisor;
  return 1;
}

std::string formula_text(const std::vector<ScatteringType>& types) {
  std::string formula;
  for (const ScatteringType& type : types) {
    std::string symbol = type.symbol;
    if (symbol.size() == 2)
      symbol[1] = static_cast<char>(std::tolower(static_cast<unsigned char>(symbol[1])));
    formula += symbol;
    if (type.count_per_formula != 1) formula += std::to_string(type.count_per_formula);
  }
  return formula;
}

/// Σ n_k·A_k·x_k / M: the mass-fraction average of a per-element μ/ρ.
template <typename PerElement>
double mass_weighted(const std::vector<ScatteringType>& types, double molecular_weight,
                     PerElement per_element) {
  if (!(molecular_weight > 0)) return 0;
  double sum = 0;
  for (const ScatteringType& type : types) {
    const double weight = atomic_weight(type.symbol);
    if (weight > 0) sum += type.count_per_formula * weight * per_element(type, weight);
  }
  return sum / molecular_weight;
}

/// μ/ρ of a compound at each of the first four wavelengths, from its types'
/// tabulated points and their counts per formula unit.
std::array<double, 4> mass_absorption_at(const std::vector<ScatteringType>& types, double molecular_weight,
                                         const std::vector<double>& wavelengths) {
  std::array<double, 4> absorption{};
  const std::size_t count = std::min<std::size_t>(wavelengths.size(), 4);
  for (std::size_t j = 0; j < count; ++j)
    absorption[j] =
        mass_weighted(types, molecular_weight, [lambda = wavelengths[j]](const ScatteringType& t, double) {
          return tabulated_absorption(t.absorption, lambda);
        });
  return absorption;
}

}  // namespace

double cell_volume(const CellParameters& cell) {
  const double ca = std::cos(cell.alpha * kRadiansPerDegree);
  const double cb = std::cos(cell.beta * kRadiansPerDegree);
  const double cg = std::cos(cell.gamma * kRadiansPerDegree);
  const double root = 1 - ca * ca - cb * cb - cg * cg + 2 * ca * cb * cg;
  return root > 0 ? cell.a * cell.b * cell.c * std::sqrt(root) : 0;
}

std::string compute_composition(CurrentCrystal& crystal, const std::vector<double>& wavelengths,
                                PhaseComposition& composition) {
  auto& types = crystal.scattering_types;
  if (static_cast<int>(types.size()) > kMaxScatteringTypes)
    return "Too many elements in the phase: at most " + std::to_string(kMaxScatteringTypes) + " are allowed.";
  std::vector<int> counts(types.size(), 0);
  for (const AtomSite& atom : crystal.atoms) {
    if (atom.type_index < 1 || atom.type_index > static_cast<int>(types.size()))
      return "Atom " + atom.type + " has no scattering type.";
    counts[static_cast<std::size_t>(atom.type_index - 1)] += static_cast<int>(std::lround(atom.weight));
  }
  const int z = formula_units(counts);
  for (std::size_t k = 0; k < types.size(); ++k) types[k].count_per_formula = counts[k] / z;

  composition.formula_units = z;
  composition.formula = formula_text(types);
  composition.molecular_weight = 0;
  for (const ScatteringType& type : types)
    composition.molecular_weight += type.count_per_formula * atomic_weight(type.symbol);
  const double volume = cell_volume(crystal.cell);
  composition.density =
      volume > 0 ? z * 10.0 * composition.molecular_weight / (kAvogadroMantissa * volume) : 0;

  composition.mass_absorption = mass_absorption_at(types, composition.molecular_weight, wavelengths);
  composition.absorption_from_f2.fill(0);
  const std::size_t count = std::min<std::size_t>(wavelengths.size(), 4);
  for (std::size_t j = 0; j < count; ++j) {
    const double lambda = wavelengths[j];
    composition.absorption_from_f2[j] =
        mass_weighted(types, composition.molecular_weight, [&](const ScatteringType& t, double weight) {
          return kAbsorptionFromF2 * lambda * t.f_second[j] / weight;
        });
  }

  const auto operator_count = static_cast<double>(crystal.symmetry.operators.size());
  if (operator_count > 0)
    for (AtomSite& atom : crystal.atoms) atom.weight /= operator_count;
  return {};
}

void compute_sample_absorption(Workspace& workspace) {
  std::array<double, 4> absorption{};
  double density = 0;
  for (int p = 1; p <= workspace.phase_count(); ++p) {
    const PhaseData& phase = workspace.phase(p);
    const bool current = p == workspace.current_phase;
    const PhaseComposition& values = current ? workspace.composition : phase.composition;
    // The other phases' μ/ρ are taken at the wavelengths of this computation,
    // not as stored by their own last one: after a change of spectrum the
    // phases not yet recomputed would bring the old wavelengths' values (or
    // none for an added wavelength) into the sample's absorption.
    const std::array<double, 4> mass_absorption =
        current ? values.mass_absorption
                : mass_absorption_at(phase.crystal.scattering_types, values.molecular_weight,
                                     workspace.settings.wavelengths);
    for (std::size_t j = 0; j < 4; ++j) absorption[j] += phase.fraction * mass_absorption[j];
    density += phase.fraction * values.density;
  }
  if (workspace.phase_count() == 0) {
    absorption = workspace.composition.mass_absorption;
    density = workspace.composition.density;
  }
  for (std::size_t j = 0; j < 4; ++j) workspace.sample_absorption[j] = absorption[j] * density;
}

}  // namespace calvane
