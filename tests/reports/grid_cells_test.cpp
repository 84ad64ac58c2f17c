// Painting the main window's data-grid cells.
#include "reports/grid_cells.hpp"

#include <gtest/gtest.h>

#include "plot/recording_canvas.hpp"

namespace calvane {
namespace {

TEST(GridCells, TextIsCentredAndTheSecondGridsFirstRowHighlighted) {
  struct Case { bool second_grid; int row; std::size_t operations; };
  for (const Case& c : {Case{false, 1, 1}, Case{true, 2, 1}, Case{true, 1, 2}}) {
    RecordingCanvas canvas(400, 200);
    // "1.5406": 6 characters of the 5-pixel estimate, 30 pixels: left = 40 + (64 − 2 − 30) / 2 = 56.
    paint_grid_cell(canvas, {40, 20, 64, 18}, "1.5406", c.second_grid, c.row);
    ASSERT_EQ(canvas.operations.size(), c.operations);
    const DrawOperation& centred = canvas.operations.back();
    EXPECT_EQ(centred.points[0], (Point{56, 20}));
    EXPECT_EQ(centred.font.colour, c.operations == 2 ? (Rgb{255, 0, 0}) : (Rgb{0, 0, 0}));
    if (c.operations == 2) {
      EXPECT_EQ(canvas.operations[0].fill_colour, (Rgb{232, 255, 214}));
    }
  }
}

}  // namespace
}  // namespace calvane
