#include "reports/grid_cells.hpp"

namespace calvane {

void paint_grid_cell(Canvas& canvas, const CellBox& cell, std::string_view text, bool second_grid, int row) {
  const Rgb text_colour = canvas.font().colour;
  if (second_grid && row == 1) {
    canvas.fill_rectangle(cell.left, cell.top, cell.left + cell.width, cell.top + cell.height, kHighlightedRowColour);
    canvas.set_font_colour(Rgb{255, 0, 0});
    canvas.text({cell.left + 2, cell.top + 2}, text);
    canvas.set_font_colour(text_colour);
  }
  const int left = cell.left + (cell.width - 2 - canvas.text_width(text)) / 2;
  canvas.text({left, cell.top}, text);
}

}  // namespace calvane
