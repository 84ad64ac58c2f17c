// The engine against cctbx: every reflection family once, its multiplicity,
// |F| and the normalised intensity (fixtures recorded by
// tools/record_structure_factor_reference.py, it1992 form factors): an X-ray
// tube for every Laue class, then a synchrotron beam, neutrons, and anomalous
// terms on a non-centrosymmetric structure.
#include <gtest/gtest.h>

#include <algorithm>

#include "../support/scripted_ui.hpp"
#include "crystal_builder.hpp"
#include "crystallography/intensities.hpp"
#include "crystallography/reflection_list.hpp"

namespace calvane {
namespace {

using testing::read_reference_case;
using testing::ReferenceCase;

class ReferenceIntensities : public ::testing::TestWithParam<const char*> {};

TEST_P(ReferenceIntensities, MatchCctbxFamilyByFamily) {
  const ReferenceCase reference = read_reference_case(GetParam());
  testing::ScriptedUi ui;
  const ReflectionListResult list = make_reflection_list(
      reference.crystal, reference.wavelength, reference.two_theta_low, reference.two_theta_high, ui);
  ASSERT_EQ(list.status, 0);
  EXPECT_TRUE(ui.warnings.empty());

  ExperimentSettings settings;
  settings.wavelengths = {reference.wavelength};
  const bool neutrons = reference.source == "neutron";
  if (neutrons) settings.source = RadiationSource::Neutrons;
  if (reference.source == "synchrotron") {
    settings.xray_source = XRaySource::Synchrotron;
    settings.polarisation = reference.polarisation;
  }
  PhaseComposition composition;
  composition.formula_units = 2;
  const std::array<double, 4> absorption{3.5, 0, 0, 0};
  const IntensityContext context{reference.crystal, settings, composition,
                                 absorption,        1,        reference.wavelength};
  StructureFactorCache cache;
  const WavelengthIntensities result = neutrons ? intensities_neutron(context, list.reflections, cache)
                                                : intensities_xray(context, list.reflections, cache);

  // One line per family: as many lines as cctbx's asymmetric unit holds, none twice.
  const auto laue = laue_rotations(reference.crystal.symmetry);
  testing::expect_reference_families(result, reference, laue, 0.1, [&](const auto& expected, const ComputedLine& line) {
    if (neutrons) {
      EXPECT_NEAR(line.neutron.magnitude(), expected.f, 1e-4 + 5e-4 * expected.f);
    } else {
      // |F(h)| and |F(−h)| in either order: the family may be named by a Friedel mate.
      const double tolerance = 0.01 + 5e-4 * expected.f;
      const auto [low, high] = std::minmax({line.xray.magnitude_plus(), line.xray.magnitude_minus()});
      EXPECT_NEAR(low, std::min(expected.f_plus, expected.f_minus), tolerance);
      EXPECT_NEAR(high, std::max(expected.f_plus, expected.f_minus), tolerance);
    }
    // Outside the classes listed on their fixed per-system region, a family
    // is named by a member with non-negative indices when it has one.
    if (uses_system_region(reference.crystal, laue)) return;
    bool has_non_negative = false;
    for (const auto& r : laue) {
      const MillerIndex image = transform_index(expected.h, r);
      has_non_negative |= image[0] >= 0 && image[1] >= 0 && image[2] >= 0;
    }
    if (has_non_negative) {
      EXPECT_GE(line.reflection.h, 0);
      EXPECT_GE(line.reflection.k, 0);
      EXPECT_GE(line.reflection.l, 0);
    }
  });
}

// Every crystal system, primitive and centred lattices, the Laue classes
// m-3m, m-3, 4/mmm, 4/m, 6/mmm, 6/m, -3m (hexagonal and rhombohedral axes),
// -3 (P and R), mmm, 2/m with unique axis a, b and c, and -1.
INSTANTIATE_TEST_SUITE_P(Structures, ReferenceIntensities,
                         ::testing::Values("nacl", "pyrite", "rutile", "body_centred_tetragonal", "scheelite",
                                           "magnesium", "wurtzite", "apatite", "trigonal_primitive",
                                           "corundum", "ilmenite", "bismuth", "forsterite", "alpha_uranium",
                                           "monoclinic_b", "monoclinic_b_centred", "monoclinic_c",
                                           "monoclinic_a", "triclinic"));
INSTANTIATE_TEST_SUITE_P(Sources, ReferenceIntensities,
                         ::testing::Values("rutile_synchrotron", "ilmenite_neutron", "gaas_anomalous"));

}  // namespace
}  // namespace calvane
