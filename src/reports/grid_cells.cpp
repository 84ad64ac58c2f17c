#include "reports/grid_cells.hpp"

namespace calvane {

void paint_grid_cell(Canvas& canvas, const CellBox& cell, std::string_view text, bool second_grid, int row) {
  const int left = cell.left + (cell.width - 2 - canvas.text_width(text)) / 2;
  if (!(second_grid && row == 1)) {
    canvas.text({left, cell.top}, text);
    return;
  }
  // The heading row of the second grid: red on green, written once (a second,
  // offset copy of the text would make it unreadable).
  const Rgb text_colour = canvas.font().colour;
  canvas.fill_rectangle(cell.left, cell.top, cell.left + cell.width, cell.top + cell.height, kHighlightedRowColour);
  canvas.set_font_colour(Rgb{255, 0, 0});
  canvas.text({left, cell.top}, text);
  canvas.set_font_colour(text_colour);
}

}  // namespace calvane
