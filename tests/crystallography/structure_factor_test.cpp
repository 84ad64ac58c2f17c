// Structure factors: the factorised single-precision sums against a plain
// double-precision summation over the full operator list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "crystal_builder.hpp"
#include "crystallography/structure_factor.hpp"

namespace calvane {
namespace {

using testing::add_atom;
using testing::make_crystal;

// φ = 2π h·(R x + t).
double phase_of(const MillerIndex& h, const SymmetryOperator& op, const AtomSite& atom) {
  double phase = 0;
  for (int row = 0; row < 3; ++row)
    phase += h[static_cast<std::size_t>(row)] *
             (op.r(row, 0) * atom.x + op.r(row, 1) * atom.y + op.r(row, 2) * atom.z + op.t(row));
  return 2 * M_PI * phase;
}

// F(h) = Σ_atoms Σ_ops (f_r + i f_i)·e^{−Bs²}·w·e^{±iφ}.
XrayStructureFactor direct_xray(const CurrentCrystal& c, const MillerIndex& h, double s,
                                int wavelength_index) {
  XrayStructureFactor f;
  for (const AtomSite& atom : c.atoms) {
    auto [fr, fi] = scattering_factor(c.scattering_types[static_cast<std::size_t>(atom.type_index - 1)], s,
                                      wavelength_index);
    const double damping = std::exp(-atom.b * s * s) * atom.weight;
    fr *= damping;
    fi *= damping;
    for (const SymmetryOperator& op : c.symmetry.operators) {
      const double phase = phase_of(h, op, atom);
      f.a_plus += fr * std::cos(phase) - fi * std::sin(phase);
      f.b_plus += fr * std::sin(phase) + fi * std::cos(phase);
      f.a_minus += fr * std::cos(phase) + fi * std::sin(phase);
      f.b_minus += fi * std::cos(phase) - fr * std::sin(phase);
    }
  }
  return f;
}

double s_of(const CurrentCrystal& c, const MillerIndex& h) {
  double sum = 0;
  for (std::size_t row = 0; row < 3; ++row) {
    const double v =
        c.cell.b_matrix[row][0] * h[0] + c.cell.b_matrix[row][1] * h[1] + c.cell.b_matrix[row][2] * h[2];
    sum += v * v;
  }
  return 0.5 * std::sqrt(sum);
}

// A few atoms at general and special positions with two scattering types
// carrying anomalous terms at wavelength index 2.
CurrentCrystal decorated(CurrentCrystal c) {
  add_atom(c, "Fe", {0.1234, 0.2345, 0.3456}, 0.7, 1.0, 1);
  add_atom(c, "O", {0.4321, 0.0987, 0.7654}, 1.1, 0.8, 1);
  add_atom(c, "O", {0, 0, 0}, 0.5, 1.0, 1);
  testing::set_scattering(c.scattering_types[0], {11.7695, 7.3573, 3.5222, 2.3045},
                          {4.7611, 0.3072, 15.3535, 76.8805}, 1.0369, {0, -1.1, 0, 0}, {0, 3.2, 0, 0});
  testing::set_scattering(c.scattering_types[1], {3.0485, 2.2868, 1.5463, 0.867},
                          {13.2771, 5.7011, 0.3239, 32.9089}, 0.2508, {0, 0.05, 0, 0}, {0, 0.03, 0, 0});
  for (AtomSite& atom : c.atoms) atom.fermi_length = atom.type == "Fe" ? 0.954 : 0.58;
  return c;
}

// Inversion partners written as (−R, t) with the translation copied, as the
// position catalogues do, instead of (−R, −t).
CurrentCrystal with_copied_inverse_translations(CurrentCrystal c, const std::string& hall_without_inversion) {
  SymmetryData half = testing::symmetry_from_hall(hall_without_inversion);
  std::vector<SymmetryOperator> ops = half.operators;
  for (const SymmetryOperator& op : half.operators) {
    SymmetryOperator inverse = op;
    for (int row = 0; row < 3; ++row)
      for (int column = 0; column < 3; ++column)
        inverse.m[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] *= -1;
    ops.push_back(inverse);
  }
  c.symmetry.operators = ops;
  c.symmetry.centring_translations.clear();
  c.symmetry.centrosymmetric = true;
  return c;
}

struct Case {
  std::string name;
  CurrentCrystal crystal;
};

std::vector<Case> cases() {
  struct Group {
    const char *symbol, *hall, *system;
    std::array<double, 6> cell;
  };
  const Group groups[] = {{"P1", "P 1", "TRIC", {5.1, 6.2, 7.3, 80, 95, 102}},
                          {"P21/c", "-P 2ybc", "MONO", {5.1, 6.2, 7.3, 90, 104, 90}},
                          {"P212121", "P 2ac 2ab", "ORTH", {5.1, 6.2, 7.3, 90, 90, 90}},
                          {"I41/a", "-I 4ad", "TETR", {5.2, 5.2, 11.4, 90, 90, 90}},
                          {"I-42d", "I -4 2bw", "TETR", {5.2, 5.2, 11.4, 90, 90, 90}},
                          {"R3c", "R 3 -2\"c", "HEXA", {5.0, 5.0, 13.7, 90, 90, 120}},
                          {"Fd-3m", "-F 4vw 2vw 3", "CUBI", {8.4, 8.4, 8.4, 90, 90, 90}},
                          {"P63/m", "-P 6c", "HEXA", {9.4, 9.4, 6.9, 90, 90, 120}},
                          {"P-1", "-P 1", "TRIC", {5.1, 6.2, 7.3, 80, 95, 102}}};
  std::vector<Case> out;
  for (const Group& g : groups)
    out.push_back({g.symbol, decorated(make_crystal(g.symbol, g.hall, g.system, g.cell))});
  out.back() = {"P-1 copied t", with_copied_inverse_translations(out.back().crystal, "P 2ac 2ab")};
  // Operators in an order that is neither blocked by centring nor paired: the sums still hold.
  CurrentCrystal shuffled =
      decorated(make_crystal("Ia-3", "-I 2b 2c 3", "CUBI", {9.4, 9.4, 9.4, 90, 90, 90}));
  std::mt19937 random(7);
  std::shuffle(shuffled.symmetry.operators.begin(), shuffled.symmetry.operators.end(), random);
  out.push_back({"Ia-3 shuffled", shuffled});
  return out;
}

TEST(StructureFactor, FactorisedSumsMatchTheDirectSummation) {
  const std::vector<MillerIndex> indices = {{1, 0, 0}, {1, 1, 0},  {2, 1, 3},   {-3, 2, 5},   {4, -1, 2},
                                            {0, 0, 6}, {7, 5, -3}, {12, 9, 11}, {-15, 4, 20}, {2, 2, 2}};
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    StructureFactorCache cache;
    cache.prepare(c.crystal, indices);
    for (const MillerIndex& h : indices) {
      SCOPED_TRACE(::testing::Message() << h[0] << " " << h[1] << " " << h[2]);
      const double s = s_of(c.crystal, h);
      const XrayStructureFactor expected = direct_xray(c.crystal, h, s, 2);
      const XrayStructureFactor got = structure_factor_xray(c.crystal, cache.sums(h), s, 2);
      // Single-precision phases: errors of order 1e-5 of the strongest possible |F|.
      const double tolerance = 2e-4 * (std::abs(expected.magnitude_plus()) + 10);
      EXPECT_NEAR(got.a_plus, expected.a_plus, tolerance);
      EXPECT_NEAR(got.b_plus, expected.b_plus, tolerance);
      EXPECT_NEAR(got.a_minus, expected.a_minus, tolerance);
      EXPECT_NEAR(got.b_minus, expected.b_minus, tolerance);
    }
  }
}

// The sums a cache holds for these reflections, X-ray types and neutron alike.
std::vector<std::complex<double>> held_sums(StructureFactorCache& cache, const CurrentCrystal& c,
                                            const std::vector<MillerIndex>& indices) {
  cache.prepare(c, indices);
  std::vector<std::complex<double>> all;
  for (const MillerIndex& h : indices) {
    const auto sums = cache.sums(h);
    all.insert(all.end(), sums.begin(), sums.end());
  }
  return all;
}

// A phase's cache is kept from one computation to the next: after any change
// of what the sums depend on it must give what a fresh cache gives.
TEST(StructureFactorCache, EveryChangeOfTheCrystalGivesFreshSums) {
  using Change = void (*)(CurrentCrystal&);
  const std::pair<const char*, Change> changes[] = {
      {"B", [](CurrentCrystal& c) { c.atoms[1].b += 0.3; }},
      {"weight", [](CurrentCrystal& c) { c.atoms[0].weight *= 0.5; }},
      {"Fermi length", [](CurrentCrystal& c) { c.atoms[2].fermi_length = -0.37; }},
      {"position", [](CurrentCrystal& c) { c.atoms[0].x += 0.05; }},
      {"scattering type", [](CurrentCrystal& c) { c.atoms[2].type_index = 1; }},
      {"cell",
       [](CurrentCrystal& c) {
         c.cell.beta = 97;
         compute_derived_cell(c.cell);
       }},
      {"operator translations",  // P21/c becomes P2/c: the same rotations
       [](CurrentCrystal& c) { c.symmetry.operators = testing::symmetry_from_hall("-P 2yc").operators; }},
      {"operator count", [](CurrentCrystal& c) { c.symmetry.operators.resize(2); }},
      {"centred operators", [](CurrentCrystal& c) { c.symmetry = testing::symmetry_from_hall("-C 2yc"); }},
  };
  const std::vector<MillerIndex> indices = {{1, 0, 0}, {1, 2, 3}, {-2, 1, 4}, {0, 3, 1}, {3, 3, -2}};
  CurrentCrystal crystal = decorated(make_crystal("P21/c", "-P 2ybc", "MONO", {5.1, 6.2, 7.3, 90, 104, 90}));
  StructureFactorCache kept;
  std::vector<std::complex<double>> before = held_sums(kept, crystal, indices);
  for (auto [what, change] : changes) {
    SCOPED_TRACE(what);
    change(crystal);
    StructureFactorCache fresh;
    const auto expected = held_sums(fresh, crystal, indices);
    EXPECT_NE(expected, before) << "the change must matter to the sums";
    EXPECT_EQ(held_sums(kept, crystal, indices), expected);
    before = expected;
  }
  // A later wavelength adds only the reflections it lacks; a new crystal starts afresh.
  held_sums(kept, crystal, {{5, 0, 0}});
  EXPECT_EQ(kept.size(), indices.size() + 1);
  crystal.atoms[0].b += 0.1;
  held_sums(kept, crystal, {{5, 0, 0}});
  EXPECT_EQ(kept.size(), 1u);
}

}  // namespace
}  // namespace calvane
