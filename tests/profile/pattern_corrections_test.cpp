#include "profile/pattern_corrections.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "crystal_io/crystal_files.hpp"
#include "crystallography/operators.hpp"
#include "support/temp_folder.hpp"
#include "util/files.hpp"
#include "util/text.hpp"

namespace calvane {
namespace {

using calvane::testing::TempFolder;

CurrentCrystal example_crystal(const std::string& name, const TempFolder& data) {
  CollectedMessages messages;
  const auto path = calvane::testing::source_folder("examples/" + name);
  auto crystal = read_crystal_file({path, CrystalFileKind::Native, name, data.path(), {}}, messages);
  EXPECT_TRUE(crystal) << name;
  if (!crystal) return {};
  if (crystal->symmetry.operators.empty()) build_symmetry_operators(*crystal, data.path(), data.path(), messages);
  return *crystal;
}

// Families of a tetragonal and a hexagonal-axes phase against factors
// computed by tools/record_march_dollase_reference.py (cctbx's groups, numpy).
TEST(MarchDollase, MatchesTheRecordedReferenceForTetragonalAndHexagonalFamilies) {
  TempFolder data;
  data.add_data_files();
  const auto lines = read_text_lines(calvane::testing::source_folder("tests/profile/fixtures/march_dollase.csv"));
  ASSERT_TRUE(lines && lines->size() > 4);
  for (std::size_t i = 1; i < lines->size(); ++i) {
    std::vector<std::string> fields;
    std::string field;
    for (char c : (*lines)[i] + ",") {
      if (c == ',') fields.push_back(std::exchange(field, {}));
      else field += c;
    }
    ASSERT_EQ(fields.size(), 10u) << (*lines)[i];
    auto number = [&fields](std::size_t k) { return *parse_double(fields[k]); };
    const CurrentCrystal crystal = example_crystal(fields[0], data);
    const MillerIndices hkl{int(number(1)), int(number(2)), int(number(3))};
    const PreferredOrientation orientation{{int(number(4)), int(number(5)), int(number(6))}, number(7)};
    const std::vector<MillerIndices> members = family_members(crystal.symmetry, hkl);
    EXPECT_EQ(members.size(), static_cast<std::size_t>(number(8))) << (*lines)[i];
    EXPECT_NEAR(march_dollase_factor(crystal.cell, members, orientation), number(9), 1e-9) << (*lines)[i];
  }
}

TEST(MarchDollase, IsOneWithoutTextureAndKeepsThePowderAverage) {
  CellParameters cell{};
  cell.a = cell.b = 4;
  cell.c = 6;
  cell.alpha = cell.beta = cell.gamma = 90;
  const std::vector<MillerIndices> one{{1, 0, 2}};
  EXPECT_DOUBLE_EQ(march_dollase_factor(cell, one, {{0, 0, 1}, 1}), 1);
  // Along the direction the factor is r^−3, across it r^(3/2).
  EXPECT_NEAR(march_dollase_factor(cell, std::vector<MillerIndices>{{0, 0, 1}}, {{0, 0, 1}, 0.5}), 8, 1e-12);
  EXPECT_NEAR(march_dollase_factor(cell, std::vector<MillerIndices>{{1, 0, 0}}, {{0, 0, 1}, 0.5}),
              std::pow(0.5, 1.5), 1e-12);
  // The factor is normalised: its mean over all orientations is 1 (Dollase 1986, eq. 6).
  double sum = 0;
  constexpr int kSteps = 200000;
  for (int i = 0; i < kSteps; ++i) {
    const double cosine = (i + 0.5) / kSteps;
    sum += std::pow(0.36 * cosine * cosine + (1 - cosine * cosine) / 0.6, -1.5);
  }
  EXPECT_NEAR(sum / kSteps, 1, 1e-6);
}

TEST(LineShift, AddsTheZeroAndTheDisplacementOfAFlatSample) {
  struct Case {
    double zero, displacement_um, radius_mm, two_theta, expected;
  };
  // −2 s cos θ / R in radians: s = 100 µm, R = 240 mm, 2θ = 30° gives −0.0461196° (by hand).
  const Case cases[] = {
      {0.02, 100, 240, 30, 0.02 - 0.0461196},
      {0, -100, 120, 30, 2 * 0.0461196},
      {0, 100, 240, 180, 0},  // back reflection does not move
  };
  for (const Case& c : cases) {
    SampleCorrections corrections;
    corrections.zero_shift_deg = c.zero;
    corrections.displacement_um = c.displacement_um;
    corrections.goniometer_radius_mm = c.radius_mm;
    EXPECT_NEAR(line_shift_deg(corrections, c.two_theta), c.expected, 1e-7) << c.two_theta;
  }
}

// τ against the volume integral done numerically over the sphere: each
// column of the particle along the beam, the path 2 × depth.
TEST(Brindley, MatchesTheVolumeIntegralAndIsContinuousAtTheSeries) {
  auto integral = [](double contrast) {
    constexpr int kSteps = 400;
    double sum = 0, volume = 0;
    for (int i = 0; i < kSteps; ++i) {
      const double rho = (i + 0.5) / kSteps;
      const double chord = 2 * std::sqrt(1 - rho * rho);
      for (int j = 0; j < kSteps; ++j) {
        const double depth = (j + 0.5) / kSteps * chord;
        const double weight = rho * chord / kSteps;
        sum += weight * std::exp(-contrast * 2 * depth);
        volume += weight;
      }
    }
    return sum / volume;
  };
  for (double contrast : {-0.3, -0.05, 0.01, 0.1, 0.5, 2.0})
    EXPECT_NEAR(brindley_factor(contrast), integral(contrast), 2e-4) << contrast;
  EXPECT_DOUBLE_EQ(brindley_factor(0), 1);
  for (double edge : {0.01, -0.01})
    EXPECT_NEAR(brindley_factor(edge * (1 - 1e-9)), brindley_factor(edge * (1 + 1e-9)), 1e-10) << edge;
}

TEST(Microabsorption, ComparesEachPhaseWithTheMeanOfTheMixtureByVolume) {
  PhaseComposition heavy, light;
  heavy.density = 8;
  heavy.mass_absorption[0] = 200;  // μ = 1600 cm⁻¹
  light.density = 2;
  light.mass_absorption[0] = 50;  // μ = 100 cm⁻¹
  const std::vector<const PhaseComposition*> compositions{&heavy, &light};
  // Equal weights: volumes 1/8 and 1/2, μ̄ = (1600/8 + 100/2)/(5/8) = 400 cm⁻¹.
  const std::vector<double> factors = microabsorption_factors(std::vector{0.5, 0.5}, compositions, std::vector{5.0, 0.0});
  EXPECT_NEAR(factors[0], brindley_factor((1600 - 400) * 5e-4), 1e-12);
  EXPECT_DOUBLE_EQ(factors[1], 1);  // no radius given
}

TEST(ChebyshevBackground, GivesTheCosinesOfMultipleAnglesAcrossTheRange) {
  std::vector<double> terms(13);
  for (double angle : {0.0, 0.4, 1.3, 2.9}) {
    // x at cos(angle) on [−1, 1] mapped to [10, 90].
    const double x = 50 + 40 * std::cos(angle);
    chebyshev_terms(x, 10, 90, terms);
    for (std::size_t k = 0; k < terms.size(); ++k) EXPECT_NEAR(terms[k], std::cos(k * angle), 1e-9) << k;
  }
  EXPECT_NEAR(chebyshev_background(std::vector{100.0, -20.0, 5.0}, 90, 10, 90), 85, 1e-12);
}

}  // namespace
}  // namespace calvane
