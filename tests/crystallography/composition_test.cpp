#include "crystallography/composition.hpp"

#include <gtest/gtest.h>

#include "crystallography/absorption_table.hpp"
#include "crystallography/scattering.hpp"
#include "support/temp_folder.hpp"

namespace calvane {
namespace {

constexpr double kCuKAlpha1 = 1.54056;
constexpr double kMoKAlpha1 = 0.7093;

struct Site {
  const char* type;
  double weight;  // multiplicity × population, as the site weights give it
};

// A crystal as the engine has it before the composition step: site weights
// set, types assigned, absorption points from the shipped muro.dat.
CurrentCrystal crystal_of(std::initializer_list<Site> sites, CellParameters cell, int operator_count) {
  CurrentCrystal crystal;
  for (const Site& site : sites)
    crystal.atoms.push_back(AtomSite{site.type, "", 0, 0, 0, 0, 1, 0, 0, site.weight});
  crystal.cell = cell;
  crystal.symmetry.operators.resize(static_cast<std::size_t>(operator_count));
  EXPECT_EQ(assign_scattering_types(crystal), "");
  EXPECT_TRUE(
      read_absorption_table(testing::source_folder("data") / "muro.dat", crystal.scattering_types).ok);
  return crystal;
}

CellParameters cubic(double a) { return {a, a, a, 90, 90, 90}; }
CellParameters hexagonal(double a, double c) { return {a, a, c, 90, 90, 120}; }

// Molar masses and X-ray densities as published (Handbook of Mineralogy:
// halite 58.44 g/mol, 2.165 g/cm³; quartz 60.08, 2.648; corundum 101.96,
// 3.987), and the mass attenuation coefficient usually quoted for rock salt
// at Cu Kα (75.8 cm²/g).
TEST(Composition, KnownCompounds) {
  struct Case {
    const char* name;
    CurrentCrystal crystal;
    int z;
    const char* formula;
    double molecular_weight, density, mass_absorption;
  };
  Case cases[] = {
      // NaCl, Fm-3m, a = 5.64 Å: Na on 4a, Cl on 4b; 192 operators with the centring.
      {"NaCl", crystal_of({{"Na", 4}, {"Cl", 4}}, cubic(5.64), 192), 4, "NaCl", 58.44, 2.165, 75.8},
      // α-quartz, P3₂21, a = 4.913, c = 5.405 Å: Si on 3a, O on 6c.
      {"quartz", crystal_of({{"Si", 3}, {"O", 6}}, hexagonal(4.913, 5.405), 6), 3, "SiO2", 60.08, 2.648, 0},
      // Corundum, R-3c (hexagonal axes): Al on 12c, O on 18e; 12 and 18 share 6,
      // not 12, the smallest count.
      {"corundum", crystal_of({{"Al3+", 12}, {"O2-", 18}}, hexagonal(4.759, 12.991), 36), 6, "Al2O3", 101.96,
       3.987, 0},
  };
  for (Case& c : cases) {
    PhaseComposition values;
    ASSERT_EQ(compute_composition(c.crystal, {kCuKAlpha1, kMoKAlpha1}, values), "") << c.name;
    EXPECT_EQ(std::to_string(values.formula_units) + values.formula, std::to_string(c.z) + c.formula);
    EXPECT_NEAR(values.molecular_weight, c.molecular_weight, 0.01) << c.name;
    EXPECT_NEAR(values.density, c.density, 0.003 * c.density) << c.name;
    if (c.mass_absorption > 0) {
      EXPECT_NEAR(values.mass_absorption[0], c.mass_absorption, 0.1) << c.name;
    }
    // Harder radiation absorbs less; no third wavelength.
    EXPECT_TRUE(0 < values.mass_absorption[1] && values.mass_absorption[1] < values.mass_absorption[0] &&
                values.mass_absorption[2] == 0)
        << c.name;
  }
  // Each atom weight ends divided by the operator count (4 of 192 for Na on 4a).
  EXPECT_NEAR(cases[0].crystal.atoms[0].weight, 4.0 / 192, 1e-12);
}

TEST(Composition, FormulaUnitsAreTheLargestCommonDivisorFromTheSmallestCount) {
  struct Case {
    std::initializer_list<Site> sites;
    int z;
    const char* formula;
  };
  const Case cases[] = {
      {{{"Fe", 2}, {"O", 3}}, 1, "Fe2O3"},  // 2 and 3 share nothing
      {{{"Fe", 4}, {"O", 6}}, 2, "Fe2O3"},  // 4 does not divide 6, 2 does
      {{{"Fe", 1}, {"O", 1}}, 1, "FeO"},
      {{{"Fe", 2}, {"Fe3+", 2}, {"O", 8}}, 4, "FeO2"},  // one type for Fe and Fe3+
      {{{"Cu", 0.4}, {"Au", 2}}, 1, "Cu0Au2"},          // round(0.4) = 0: no common divisor from 0
  };
  for (const Case& c : cases) {
    CurrentCrystal crystal = crystal_of(c.sites, cubic(4), 1);
    PhaseComposition values;
    ASSERT_EQ(compute_composition(crystal, {kCuKAlpha1}, values), "");
    EXPECT_EQ(std::to_string(values.formula_units) + values.formula, std::to_string(c.z) + c.formula);
  }
}

// The absorption cross-section from f″ (σ = 2·r_e·λ·f″) against a measured
// one: iron at Cu Kα1 with Sasaki's f″ = 3.197 absorbs about as xraylib's
// 301 cm²/g says (photoabsorption is nearly all of it there).
TEST(Composition, AbsorptionFromFSecondMatchesTheTabulatedAttenuation) {
  CurrentCrystal iron = crystal_of({{"Fe", 2}}, cubic(2.8665), 96);
  iron.scattering_types[0].f_second = {3.197, 0, 0, 0};
  PhaseComposition values;
  ASSERT_EQ(compute_composition(iron, {kCuKAlpha1}, values), "");
  EXPECT_NEAR(values.absorption_from_f2[0], 301.0, 0.03 * 301.0);
}

TEST(Composition, RefusesWhatTheTablesCannotHold) {
  CurrentCrystal crystal = crystal_of({{"Fe", 2}, {"O", 3}}, cubic(4), 1);
  crystal.scattering_types.resize(21);
  PhaseComposition values;
  values.formula = "kept";
  EXPECT_NE(compute_composition(crystal, {kCuKAlpha1}, values).find("at most 20"), std::string::npos);
  EXPECT_EQ(std::tuple(values.formula, crystal.atoms[0].weight), std::tuple("kept", 2.0));

  CurrentCrystal untyped = crystal_of({{"Fe", 2}}, cubic(4), 1);
  untyped.atoms[0].type_index = 0;
  EXPECT_EQ(compute_composition(untyped, {kCuKAlpha1}, values), "Atom Fe has no scattering type.");
}

// Phase 1 (NaCl) was last computed under Cu Kα1 alone; the spectrum is now
// Cu Kα1 + Mo Kα1 and phase 2, current, is being computed. Phase 1's μ/ρ must
// be taken at both wavelengths of this computation, not as it stored them
// (stale values, and 0 for Mo): else the sample's absorption at Mo is too
// small and the current phase's Mo lines too strong until a second computation.
TEST(Composition, SampleAbsorptionWeighsPhasesByTheirFractionsAtTheCurrentWavelengths) {
  Workspace workspace;
  workspace.phases.resize(2);
  workspace.phases[0].fraction = 0.25, workspace.phases[1].fraction = 0.75;
  workspace.phases[0].crystal = crystal_of({{"Na", 4}, {"Cl", 4}}, cubic(5.64), 192);
  ASSERT_EQ(compute_composition(workspace.phases[0].crystal, {kCuKAlpha1}, workspace.phases[0].composition),
            "");
  workspace.phases[0].composition.mass_absorption = {999, 0, 0, 0};    // stored under another spectrum
  workspace.phases[1].composition.mass_absorption = {999, 999, 0, 0};  // stale: phase 2 is current
  workspace.settings.wavelengths = {kCuKAlpha1, kMoKAlpha1};
  workspace.current_phase = 2;
  workspace.composition.mass_absorption = {20, 40, 0, 0};
  workspace.composition.density = 4;
  compute_sample_absorption(workspace);

  const double nacl_density = workspace.phases[0].composition.density;  // 2.16, see KnownCompounds
  const double density = 0.25 * nacl_density + 0.75 * 4;
  const double nacl_copper = 75.8;  // as quoted, see KnownCompounds
  EXPECT_NEAR(workspace.sample_absorption[0], (0.25 * nacl_copper + 0.75 * 20) * density, 0.05 * density);
  // At Mo Kα1 NaCl absorbs far less than at Cu, but not nothing.
  const double nacl_molybdenum = workspace.sample_absorption[1] / density / 0.25 - 3 * 40;
  EXPECT_TRUE(nacl_molybdenum > 1 && nacl_molybdenum < nacl_copper / 3) << nacl_molybdenum;
}

}  // namespace
}  // namespace calvane
