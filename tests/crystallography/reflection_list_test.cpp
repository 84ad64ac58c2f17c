// Reflection list: where the per-system enumeration region applies,
// absences, limits, the size limit and the kept lists.
#include <gtest/gtest.h>

#include "../support/scripted_ui.hpp"
#include "crystal_builder.hpp"
#include "crystallography/reflection_list.hpp"
#include "crystallography/reflection_list_cache.hpp"

namespace calvane {
namespace {

using testing::make_crystal;
using testing::read_reference_case;

TEST(ReflectionList, SystemRegionOnlyForTheClassesItFitsAndSystematicAbsences) {
  // The region fits m-3m, 4/mmm, 6/mmm, mmm, 2/m (unique axis b) and -3m on rhombohedral axes.
  for (const char* name : {"nacl", "rutile", "body_centred_tetragonal", "magnesium", "wurtzite", "bismuth",
                           "forsterite", "alpha_uranium", "monoclinic_b", "monoclinic_b_centred"}) {
    const auto reference = read_reference_case(name);
    EXPECT_TRUE(uses_system_region(reference.crystal, laue_rotations(reference.crystal.symmetry))) << name;
  }
  for (const char* name : {"pyrite", "scheelite", "apatite", "trigonal_primitive", "corundum", "ilmenite",
                           "monoclinic_c", "monoclinic_a", "triclinic"}) {
    const auto reference = read_reference_case(name);
    EXPECT_FALSE(uses_system_region(reference.crystal, laue_rotations(reference.crystal.symmetry))) << name;
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
  EXPECT_EQ(std::tuple(list.status, ui.warnings.size()), std::tuple(0, 0u));
  EXPECT_TRUE(list.reflections.size() > 5000u && list.reflections.size() <= 9998u) << list.reflections.size();
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
    EXPECT_EQ(std::tuple(empty.status, empty.reflections.size()), std::tuple(0, 0u));
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
  EXPECT_EQ(std::tuple(ui.warnings.size(), cache.size()), std::tuple(2u, 5u));
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
  EXPECT_EQ(std::tuple(together.size(), ui.warnings.size()), std::tuple(3u, 2u));
}

}  // namespace
}  // namespace calvane
