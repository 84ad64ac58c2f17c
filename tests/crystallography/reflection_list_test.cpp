// Reflection list: the fixed per-system enumeration where it is right, sound
// merging elsewhere, absences, limits and the size limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "../support/scripted_ui.hpp"
#include "crystal_builder.hpp"
#include "crystallography/reflection_list.hpp"
#include "crystallography/reflection_list_cache.hpp"

namespace calvane {
namespace {

using testing::make_crystal;
using testing::read_reference_case;

// The classic procedure written out step by step (enumeration region per
// system, numerical absence test over every operator, exchange sort by
// decreasing d, pairwise merge with the per-system equivalence, multiplicity
// over the rotation set). It is right for m-3m, 4/mmm, 6/mmm, mmm, 2/m (b) and
// -3m (rhombohedral axes), where the engine must list exactly the same lines.
struct ClassicLine {
  int h, k, l, multiplicity;
  double d;
};

std::vector<ClassicLine> classic_list(const CurrentCrystal& c, double wavelength, double low, double high) {
  std::vector<IntegerRotation> rotations;
  for (const auto& op : c.symmetry.operators) {
    IntegerRotation r{};
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) r[i][j] = static_cast<int>(std::lround(op.r(i, j)));
    rotations.push_back(r);
  }
  for (std::size_t i = 0, n = rotations.size(); i < n && !c.symmetry.centrosymmetric; ++i) {
    IntegerRotation r = rotations[i];
    for (auto& row : r)
      for (int& v : row) v = -v;
    rotations.push_back(r);
  }
  const auto& b = c.cell.b_matrix;
  auto s2 = [&](int h, int k, int l) {
    double sum = 0;
    for (int i = 0; i < 3; ++i) {
      const double s = b[i][0] * h + b[i][1] * k + b[i][2] * l;
      sum += s * s;
    }
    return sum;
  };
  const double s_min = 2 * std::sin(low * 0.008726658370523442) / wavelength;
  const double s_max = 2 * std::sin(high * 0.008726658370523442) / wavelength;
  auto bound = [&](int axis) {  // over the index vectors with 1 on the axis and 0 or 1 elsewhere
    int best = 0;
    for (int e = 0; e < 8; ++e) {
      int v[3] = {e & 1, (e >> 1) & 1, e >> 2};
      v[axis] = 1;
      best = std::max(best, static_cast<int>(std::nearbyint(s_max / std::sqrt(s2(v[0], v[1], v[2])))));
    }
    return best + 1;
  };
  const int H = bound(0), K = bound(1), L = bound(2);
  const char letter = c.symmetry.lattice_letter;
  auto absent = [&](int h, int k, int l) {
    if (h == 0 && k == 0 && l == 0) return true;
    const bool kl = (k + l) % 2 == 0, hl = (h + l) % 2 == 0, hk = (h + k) % 2 == 0;
    if ((letter == 'A' && !kl) || (letter == 'B' && !hl) || (letter == 'C' && !hk) ||
        (letter == 'F' && !(kl && hl && hk)) || (letter == 'I' && (h + k + l) % 2 != 0))
      return true;
    const double points[2][3] = {{0.13314161, 0.2121487, 0.6139476}, {0.43714161, 0.0121487, 0.618476}};
    for (const auto& p : points) {
      double re = 0, im = 0;
      for (const auto& op : c.symmetry.operators) {
        double x[3];
        for (int i = 0; i < 3; ++i) {
          x[i] = op.r(i, 0) * p[0] + op.r(i, 1) * p[1] + op.r(i, 2) * p[2] + op.t(i);
          if (x[i] < 0) x[i] += 10;
          x[i] -= std::floor(x[i]);
        }
        const double phi = 6.283185307179586 * (h * x[0] + k * x[1] + l * x[2]);
        re += std::cos(phi);
        im += std::sin(phi);
      }
      if (re * re + im * im >= 0.001) return false;
    }
    return true;
  };
  std::vector<ClassicLine> lines;
  auto visit = [&](int h, int k, int l) {
    if (absent(h, k, l)) return;
    const double v = s2(h, k, l);
    if (s_min * s_min <= v && v <= s_max * s_max) lines.push_back({h, k, l, 0, 1 / std::sqrt(v)});
  };
  const std::string& system = c.system_code;
  // Regions: h, k, l ≥ 0 (TETR, ORTH), with l ≥ k (CUBI) or k ≥ h (HEXA); RHOM k ≥ h ≥ 0 and
  // |l| ≤ H with K = L = H; MONO h from H down to −H.
  const bool cubic = system == "CUBI", hexagonal = system == "HEXA", rhombohedral = system == "RHOM",
             monoclinic = system == "MONO";
  if (cubic || hexagonal || rhombohedral || monoclinic || system == "TETR" || system == "ORTH")
    for (int i = 0; i <= (monoclinic ? 2 * H : H); ++i) {
      const int h = monoclinic ? H - i : i;
      for (int k = hexagonal || rhombohedral ? h : 0; k <= (rhombohedral ? H : K); ++k)
        for (int l = rhombohedral ? -H : (cubic ? k : 0); l <= (rhombohedral ? H : L); ++l) visit(h, k, l);
    }
  for (std::size_t i = 0; i + 1 < lines.size(); ++i)
    for (std::size_t j = i + 1; j < lines.size(); ++j)
      if (lines[i].d < lines[j].d) std::swap(lines[i], lines[j]);
  auto equivalent = [&](const ClassicLine& a, const ClassicLine& o) {
    std::vector<std::array<int, 3>> images;
    if (system == "CUBI" || system == "RHOM")
      images = {{o.h, o.l, o.k}, {o.k, o.h, o.l}, {o.k, o.l, o.h}, {o.l, o.h, o.k}, {o.l, o.k, o.h}};
    if (system == "TETR" || system == "HEXA") images = {{o.k, o.h, o.l}};
    if (system == "MONO") images = {{-o.h, o.k, -o.l}};
    for (const auto& m : images)
      if ((m[0] == a.h && m[1] == a.k && m[2] == a.l) || (m[0] == -a.h && m[1] == -a.k && m[2] == -a.l))
        return true;
    return false;
  };
  for (std::size_t i = 0; i + 1 < lines.size(); ++i)
    for (std::size_t j = i + 1; j < lines.size(); ++j)
      if (lines[j].d != 0 && std::abs(lines[i].d - lines[j].d) < 0.0001 && equivalent(lines[i], lines[j]))
        lines[j].d = 0;
  std::erase_if(lines, [](const ClassicLine& line) { return line.d == 0; });
  for (auto& line : lines) {
    std::vector<MillerIndex> images;
    for (const auto& r : rotations) {
      const MillerIndex image = transform_index({line.h, line.k, line.l}, r);
      if (std::find(images.begin(), images.end(), image) == images.end()) images.push_back(image);
    }
    line.multiplicity = static_cast<int>(images.size());
  }
  return lines;
}

class ClassicClasses : public ::testing::TestWithParam<const char*> {};

TEST_P(ClassicClasses, ListTheSameLinesInTheSameOrder) {
  const auto reference = read_reference_case(GetParam());
  ASSERT_TRUE(uses_system_region(reference.crystal, laue_rotations(reference.crystal.symmetry)));
  const std::pair<double, double> ranges[] = {{1.5406, reference.two_theta_high}, {1.5406, 160}, {0.9, 165}};
  for (const auto& [wavelength, high] : ranges) {
    testing::ScriptedUi ui;
    const auto engine = make_reflection_list(reference.crystal, wavelength, 5, high, ui);
    const auto classic = classic_list(reference.crystal, wavelength, 5, high);
    ASSERT_EQ(engine.reflections.size(), classic.size()) << wavelength << " Å up to " << high;
    for (std::size_t i = 0; i < classic.size(); ++i) {
      const Reflection& r = engine.reflections[i];
      const ClassicLine& e = classic[i];
      SCOPED_TRACE(::testing::Message() << "line " << i + 1 << ": " << e.h << " " << e.k << " " << e.l);
      EXPECT_EQ((std::array{r.h, r.k, r.l, r.multiplicity}), (std::array{e.h, e.k, e.l, e.multiplicity}));
      EXPECT_DOUBLE_EQ(r.d, e.d);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(RightClasses, ClassicClasses,
                         ::testing::Values("nacl", "rutile", "body_centred_tetragonal", "magnesium",
                                           "wurtzite", "bismuth", "forsterite", "alpha_uranium",
                                           "monoclinic_b", "monoclinic_b_centred"));

TEST(ReflectionList, SystemRegionOnlyForTheClassesItFitsAndSystematicAbsences) {
  for (const char* name : {"pyrite", "scheelite", "apatite", "trigonal_primitive", "corundum", "ilmenite",
                           "monoclinic_c", "monoclinic_a", "triclinic", "nacl", "bismuth"}) {
    const auto reference = read_reference_case(name);
    EXPECT_EQ(uses_system_region(reference.crystal, laue_rotations(reference.crystal.symmetry)),
              name == std::string("nacl") || name == std::string("bismuth"))
        << name;
  }
  struct Case {
    const char *symbol, *hall, *system;
    std::vector<MillerIndex> absent, present;
  };
  const Case cases[] = {
      {"Im-3m", "-I 4 2 3", "CUBI", {{1, 0, 0}}, {{1, 1, 0}}},      // I: h+k+l odd
      {"Fm-3m", "-F 4 2 3", "CUBI", {{1, 1, 0}}, {{2, 0, 0}}},      // F: mixed parity
      {"Fd-3m", "-F 4vw 2vw 3", "CUBI", {{2, 0, 0}}, {{4, 0, 0}}},  // d glide: h00 with h = 4n only
      {"P21/c", "-P 2ybc", "MONO", {{0, 1, 0}, {1, 0, 1}}, {{0, 2, 0}, {1, 0, 2}}},  // 2₁ 0k0, c glide h0l
      {"P63/mmc", "-P 6c 2c", "HEXA", {{0, 0, 1}, {1, 1, 1}}, {{1, 0, 1}}},  // 6₃ 00l, c glide hh(−2h)l
      {"R-3m", "-R 3 2\"", "HEXA", {{0, 1, 1}}, {{1, 0, 1}, {1, 1, 0}}},     // obverse: −h+k+l = 3n
  };
  for (const Case& c : cases) {
    CurrentCrystal crystal = make_crystal(c.symbol, c.hall, c.system, {5, 5, 7, 90, 90, 90});
    for (const bool absent : {true, false})
      for (const MillerIndex& h : absent ? c.absent : c.present)
        EXPECT_EQ(is_absent(h, crystal), absent) << c.symbol << " " << h[0] << h[1] << h[2];
  }
}

TEST(ReflectionList, LimitCountsFamiliesNotEquivalentCandidatesAndDegenerateInputGivesNoLine) {
  // About 6 000 families of m-3m, i.e. far more than 9 998 candidates of the
  // enumeration region, still make a list.
  testing::ScriptedUi ui;
  const auto list = make_reflection_list(make_crystal("Pm-3m", "-P 4 2 3", "CUBI", {30, 30, 30, 90, 90, 90}),
                                         1.0, 1, 100, ui);
  EXPECT_EQ(list.status, 0);
  EXPECT_GT(list.reflections.size(), 5000u);
  EXPECT_LE(list.reflections.size(), 9998u);
  EXPECT_TRUE(ui.warnings.empty());
  struct Case {
    std::array<double, 6> cell;
    double wavelength;
    bool operators;  // without any operator every reflection is absent
  };
  for (const Case& c : {Case{{0, 5, 5, 90, 90, 90}, 1.5406, true}, Case{{5, 5, 5, 0, 90, 90}, 1.5406, true},
                        Case{{5, 5, 5, 90, 90, 90}, 0.0, true}, Case{{5, 5, 5, 90, 90, 90}, -1.0, true},
                        Case{{5, 5, 5, 90, 90, 90}, 1.5406, false}}) {
    CurrentCrystal crystal = make_crystal("Pm-3m", "-P 4 2 3", "CUBI", c.cell);
    if (!c.operators) crystal.symmetry.operators.clear();
    const auto empty = make_reflection_list(crystal, c.wavelength, 10, 90, ui);
    EXPECT_EQ(empty.status, 0);
    EXPECT_TRUE(empty.reflections.empty());
  }
}

// A kept list must be exactly what a fresh enumeration gives, and any change
// of the inputs (cell, symmetry, wavelength, range) must give a fresh list.
TEST(ReflectionListCache, GivesFreshListsWhenAnInputChangesAndKeepsNoFailure) {
  testing::ScriptedUi ui;
  ReflectionListCache cache;
  CurrentCrystal crystal = make_crystal("Fm-3m", "-F 4 2 3", "CUBI", {5.64, 5.64, 5.64, 90, 90, 90});
  auto same = [&](double wavelength, double low, double high) {
    const auto kept = cache.get(crystal, wavelength, low, high, ui).reflections;
    const auto fresh = make_reflection_list(crystal, wavelength, low, high, ui).reflections;
    ASSERT_EQ(kept.size(), fresh.size());
    for (std::size_t i = 0; i < kept.size(); ++i) {
      EXPECT_EQ((std::array{kept[i].h, kept[i].l}), (std::array{fresh[i].h, fresh[i].l}));
      EXPECT_DOUBLE_EQ(kept[i].two_theta, fresh[i].two_theta);
    }
  };
  same(1.5406, 10, 90);
  same(1.5406, 10, 90);  // from the cache
  EXPECT_EQ(cache.size(), 1u);
  same(1.3922, 10, 90);
  same(1.5406, 10, 120);
  crystal.cell.a = crystal.cell.b = crystal.cell.c = 4.2;
  compute_derived_cell(crystal.cell);
  same(1.5406, 10, 90);
  crystal.symmetry = testing::symmetry_from_hall("-P 4 2 3");
  same(1.5406, 10, 90);
  EXPECT_EQ(cache.size(), 5u);
  // Too many lines: the warning comes every time, nothing is kept.
  CurrentCrystal large = make_crystal("Pm-3m", "-P 4 2 3", "CUBI", {40, 40, 40, 90, 90, 90});
  for (int attempt = 0; attempt < 2; ++attempt) EXPECT_EQ(cache.get(large, 0.5, 1, 170, ui).status, 1);
  EXPECT_EQ(ui.warnings.size(), 2u);
  EXPECT_EQ(cache.size(), 5u);
  // Made together on the pool: the same lists, and a failure still left to get().
  ThreadPool pool(1);
  ReflectionListCache together;
  together.prefetch(crystal, {1.5406, 1.3922, 1.5406, 0.7093}, 10, 90, pool);
  EXPECT_EQ(together.size(), 3u);
  for (double wavelength : {1.5406, 1.3922, 0.7093})
    EXPECT_EQ(together.get(crystal, wavelength, 10, 90, ui).reflections.size(),
              make_reflection_list(crystal, wavelength, 10, 90, ui).reflections.size());
  EXPECT_EQ(together.size(), 3u);
  together.prefetch(large, {0.5, 0.6}, 1, 170, pool);
  EXPECT_EQ(together.size(), 3u);
  EXPECT_EQ(ui.warnings.size(), 2u);
}

}  // namespace
}  // namespace calvane
