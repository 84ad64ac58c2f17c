#include "crystallography/crystal_checks.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace calvane {
namespace {

TEST(ImpossibleCell, AcceptsRealCellsAndNamesWhatIsWrongWithTheOthers) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    CellParameters cell;
    const char* reason_part;  // empty: a possible cell
  } cases[] = {
      {{5.64, 5.64, 5.64, 90, 90, 90}, ""},
      {{4.916, 4.916, 5.405, 90, 90, 120}, ""},
      {{7.039, 7.053, 6.578, 92.58, 101.17, 119.83}, ""},  // triclinic albite-like
      {{5.43, 5.43, 5.43, 60, 60, 60}, ""},                // primitive cell of an F lattice
      {{4.75, 4.75, 4.75, 119.9, 119.9, 119.9}, ""},       // flat, but still a cell
      {{-5.64, 5.64, 5.64, 90, 90, 90}, "the cell length a = -5.64 is not above 0"},
      {{5.64, 0, 5.64, 90, 90, 90}, "the cell length b = 0 is not above 0"},
      {{5.64, 5.64, nan, 90, 90, 90}, "the cell length c"},
      {{5, 5, 5, -9999, 90, 90}, "the cell angle alpha = -9999 is not between 0 and 180 degrees"},
      {{5, 5, 5, 90, 180, 90}, "the cell angle beta = 180 is not between 0 and 180 degrees"},
      {{5, 5, 5, 90, 90, 0}, "the cell angle gamma = 0"},
      {{5, 5, 5, 120, 120, 120}, "do not close a cell"},  // Gram determinant exactly 0
      {{5, 5, 5, 30, 40, 100}, "do not close a cell"},    // gamma > alpha + beta
      {{5, 6, 7, 150, 150, 100}, "do not close a cell"},  // sum above 360°
  };
  for (const auto& each : cases) {
    const std::string reason = impossible_cell_reason(each.cell);
    if (std::string(each.reason_part).empty())
      EXPECT_EQ(reason, "") << each.cell.a << " " << each.cell.alpha;
    else
      EXPECT_NE(reason.find(each.reason_part), std::string::npos) << reason;
  }
}

TEST(ImpossibleOccupancy, RefusesNegativeAndNonNumbersOnly) {
  EXPECT_EQ(impossible_occupancy_reason(0), "");
  EXPECT_EQ(impossible_occupancy_reason(1.5), "");  // unusual but physical with split sites written per site
  EXPECT_EQ(impossible_occupancy_reason(-0.5), "the occupancy -0.5 is negative");
  EXPECT_EQ(impossible_occupancy_reason(std::nan("")), "the occupancy is not a number");

  CurrentCrystal crystal;
  crystal.atoms = {AtomSite{"NA", "1", 0, 0, 0, 1, 1}, AtomSite{"CL", "1", 0.5, 0.5, 0.5, 1, -1}};
  EXPECT_EQ(impossible_occupancy_in(crystal), "atom 2 (CL 1): the occupancy -1 is negative");
}

}  // namespace
}  // namespace calvane
