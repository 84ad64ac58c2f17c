#include "ui/main_form.hpp"

#include <gtest/gtest.h>

namespace calvane {
namespace {

// A number shown in a grid is read back whole while its text is as shown;
// its memory moves down with its row when a row is inserted above.
TEST(ShownNumbers, FollowTheirRowAndLastWhileTheTextIsAsShown) {
  TextGrid grid;
  grid.set_cell(0, 0, "X");
  grid.show_number(1, 2, 0.268349, "0.26835");
  grid.show_number(2, 2, 0.625, "0.63");
  grid.insert_row(2, 399);
  EXPECT_EQ(grid.unchanged_number(1, 2), 0.268349);
  EXPECT_FALSE(grid.unchanged_number(2, 2));
  EXPECT_EQ(grid.unchanged_number(3, 2), 0.625);
  grid.set_cell(3, 2, "0.64");
  EXPECT_FALSE(grid.unchanged_number(3, 2));
  grid.clear_below_heading();
  grid.set_cell(1, 2, "0.26835");
  EXPECT_FALSE(grid.unchanged_number(1, 2));
}

}  // namespace
}  // namespace calvane
