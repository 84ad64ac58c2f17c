// How the main window paints the cells of its data grids: text centred in the
// cell, and the first row of the second grid on a pale green ground with a
// red copy of its text.
#pragma once

#include <string_view>

#include "plot/canvas.hpp"

namespace calvane {

struct CellBox {
  int left = 0, top = 0, width = 0, height = 0;
};

inline constexpr Rgb kHighlightedRowColour{232, 255, 214};

/// Paints one cell's text. `second_grid` and `row` (1-based below the heading
/// row 0) select the highlighted first row of the second data grid.
void paint_grid_cell(Canvas& canvas, const CellBox& cell, std::string_view text, bool second_grid, int row);

}  // namespace calvane
