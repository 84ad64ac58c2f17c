#include "crystallography/site_weights.hpp"

#include <gtest/gtest.h>

#include "crystallography/operators.hpp"
#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"

namespace calvane {
namespace {

CurrentCrystal crystal_from_catalogue(const char* system, const char* symbol) {
  CurrentCrystal crystal;
  crystal.system_code = system;
  crystal.symbol = symbol;
  testing::ScriptedUi ui;
  EXPECT_TRUE(build_operators_pos(crystal, testing::source_folder("data"), ui)) << symbol;
  return crystal;
}

struct SiteCase {
  const char* system;
  const char* symbol;
  double x, y, z;
  int multiplicity;
};

// Multiplicities counted by gemmi (0.5.7, /usr/bin/python3): the distinct images
// of the position under every operation of the setting, in exact fractions.
// They agree with the Wyckoff multiplicities of the International Tables, Vol. A
// (the letters are given where the position is a tabulated special one).
const SiteCase kSites[] = {
    {"TRIC", "P -1", 0.0, 0.0, 0.0, 1},                    // 1a
    {"TRIC", "P -1", 0.5, 0.5, 0.0, 1},                    // 1g
    {"TRIC", "P -1", 0.1, 0.2, 0.3, 2},                    // 2i
    {"MONO", "P 1 21/c 1", 0.0, 0.0, 0.0, 2},              // 2a
    {"MONO", "P 1 21/c 1", 0.1, 0.2, 0.3, 4},              // 4e
    {"MONO", "C 1 2/c 1", 0.0, 0.3, 0.25, 4},              // 4e
    {"MONO", "C 1 2/c 1", 0.25, 0.25, 0.0, 4},             // 4c
    {"ORTH", "P n m a", 0.1, 0.25, 0.3, 4},                // 4c
    {"ORTH", "P n m a", 0.0, 0.0, 0.0, 4},                 // 4a
    {"ORTH", "C m c m", 0.0, 0.3, 0.25, 4},                // 4c
    {"ORTH", "F d d d:2", 1.0 / 8, 1.0 / 8, 1.0 / 8, 8},   // 8a
    {"TETR", "P 42/m n m", 0.0, 0.0, 0.0, 2},              // 2a, rutile Ti
    {"TETR", "P 42/m n m", 0.3, 0.3, 0.0, 4},              // 4f, rutile O
    {"TETR", "I 41/a m d:2", 0.0, 0.75, 1.0 / 8, 4},       // 4a
    {"TETR", "I 41/a m d:1", 0.0, 0.0, 0.0, 4},            // 4a
    {"TETR", "I 4/m m m", 0.0, 0.5, 0.25, 4},              // 4d
    {"HEXA", "P 63/m m c", 1.0 / 3, 2.0 / 3, 0.25, 2},     // 2c
    {"HEXA", "P 63/m m c", 0.0, 0.0, 0.0, 2},              // 2a
    {"HEXA", "P 6/m m m", 0.5, 0.0, 0.5, 3},               // 3g
    {"HEXA", "R -3 m:H", 0.0, 0.0, 0.0, 3},                // 3a
    {"HEXA", "R -3 m:H", 0.0, 0.0, 1.0 / 3, 6},            // 6c
    {"HEXA", "P 32 2 1", 0.47, 0.0, 2.0 / 3, 3},           // 3b, quartz Si
    {"HEXA", "P -3 m 1", 1.0 / 3, 2.0 / 3, 0.2, 2},        // 2d
    {"RHOM", "R -3 m:R", 0.0, 0.0, 0.0, 1},                // 1a
    {"RHOM", "R -3 m:R", 0.3, 0.3, 0.3, 2},                // 2c
    {"RHOM", "R -3 c:R", 0.25, 0.25, 0.25, 2},             // 2a
    {"CUBI", "F m -3 m", 0.0, 0.0, 0.0, 4},                // 4a
    {"CUBI", "F m -3 m", 0.25, 0.25, 0.25, 8},             // 8c
    {"CUBI", "F m -3 m", 0.0, 0.25, 0.25, 24},             // 24d
    {"CUBI", "F m -3 m", 0.1, 0.1, 0.1, 32},               // 32f
    {"CUBI", "F m -3 m", 0.11, 0.23, 0.37, 192},           // 192l
    {"CUBI", "F d -3 m:2", 1.0 / 8, 1.0 / 8, 1.0 / 8, 8},  // 8a, silicon
    {"CUBI", "F d -3 m:1", 0.0, 0.0, 0.0, 8},              // 8a
    {"CUBI", "P m -3 m", 0.0, 0.5, 0.5, 3},                // 3c
    {"CUBI", "I a -3", 0.25, 0.25, 0.25, 8},               // 8a
    {"CUBI", "P 21 3", 0.1, 0.1, 0.1, 4},                  // 4a
    // Coordinates typed to five decimals land on either side of a cell edge
    // (0.99999 and 0.00001); they are still one position, not two.
    {"TRIC", "P -1", 0.99999, 0.00001, 0.5, 1},
    {"HEXA", "R -3 m:H", 0.0, 0.0, 0.33333, 6},
    {"HEXA", "P 63/m m c", 0.33333, 0.66667, 0.25, 2},
    {"CUBI", "F m -3 m", 0.99999, 0.5, 0.00001, 4},
    {"TETR", "I 41/a m d:2", 0.0, 0.75, 0.125, 4},
};

TEST(SiteMultiplicity, MatchesTheWyckoffMultiplicities) {
  for (const SiteCase& site : kSites) {
    CurrentCrystal crystal = crystal_from_catalogue(site.system, site.symbol);
    EXPECT_EQ(site_multiplicity(crystal.symmetry.operators, site.x, site.y, site.z), site.multiplicity)
        << site.symbol << " (" << site.x << ", " << site.y << ", " << site.z << ")";
  }
}

TEST(SiteWeights, WeightIsMultiplicityTimesPopulation) {
  // NaCl in F m -3 m: Na on 4a with full occupancy, Cl on 4b half occupied,
  // and a negative population whose weight is taken as its magnitude.
  CurrentCrystal crystal = crystal_from_catalogue("CUBI", "F m -3 m");
  ASSERT_EQ(crystal.symmetry.operators.size(), 192u);
  crystal.atoms.resize(3);
  crystal.atoms[0].population = 1;
  crystal.atoms[1].x = crystal.atoms[1].y = crystal.atoms[1].z = 0.5;
  crystal.atoms[1].population = 0.5;
  crystal.atoms[2].x = 0.11;
  crystal.atoms[2].population = -0.25;
  site_weights(crystal);
  EXPECT_DOUBLE_EQ(crystal.atoms[0].weight, 4.0);  // 4 of 192 operators: 4·p/192 after the later division
  EXPECT_DOUBLE_EQ(crystal.atoms[1].weight, 2.0);
  EXPECT_DOUBLE_EQ(crystal.atoms[2].weight, 24 * 0.25);  // 24e (x, 0, 0)
}

}  // namespace
}  // namespace calvane
