#include "ui/main_form.hpp"

namespace calvane {

std::string TextGrid::cell(int row, int column) const {
  if (row < 0 || row >= row_count()) return {};
  const auto& cells_of_row = cells[static_cast<std::size_t>(row)];
  if (column < 0 || column >= static_cast<int>(cells_of_row.size())) return {};
  return cells_of_row[static_cast<std::size_t>(column)];
}

void TextGrid::set_cell(int row, int column, std::string text) {
  if (row < 0 || column < 0) return;
  if (row >= row_count()) cells.resize(static_cast<std::size_t>(row) + 1);
  auto& cells_of_row = cells[static_cast<std::size_t>(row)];
  if (column >= static_cast<int>(cells_of_row.size())) cells_of_row.resize(static_cast<std::size_t>(column) + 1);
  cells_of_row[static_cast<std::size_t>(column)] = std::move(text);
}

void TextGrid::clear_below_heading() {
  if (cells.size() > 1) cells.resize(1);
}

}  // namespace calvane
