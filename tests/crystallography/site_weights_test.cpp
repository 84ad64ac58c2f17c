#include "crystallography/site_weights.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "crystallography/operators.hpp"
#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"
#include "util/text.hpp"

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

// Every position of fixtures/site_multiplicities.txt (multiplicities counted
// by gemmi, as the International Tables give them) in its catalogue setting.
TEST(SiteMultiplicity, MatchesTheWyckoffMultiplicities) {
  std::ifstream table(testing::source_folder("tests/crystallography/fixtures") / "site_multiplicities.txt");
  int sites = 0;
  for (std::string line; std::getline(table, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string system, symbol, position;
    int multiplicity = 0;
    std::getline(fields, system, '|'), std::getline(fields, symbol, '|'), std::getline(fields, position, '|');
    fields >> multiplicity;
    double x = 0, y = 0, z = 0;
    std::istringstream(position) >> x >> y >> z;
    CurrentCrystal crystal = crystal_from_catalogue(trim(system).c_str(), trim(symbol).c_str());
    EXPECT_EQ(site_multiplicity(crystal.symmetry.operators, x, y, z), multiplicity) << line;
    ++sites;
  }
  EXPECT_EQ(sites, 41);
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
