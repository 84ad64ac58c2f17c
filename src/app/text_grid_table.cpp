#include "app/text_grid_table.hpp"

#include <algorithm>

namespace calvane {

void show_text_grid(QTableWidget* table, const TextGrid& grid, int first_row) {
  for (int row = 0; row < table->rowCount(); ++row) {
    for (int column = 0; column < table->columnCount(); ++column) {
      const QString text = QString::fromStdString(grid.cell(row + first_row, column));
      QTableWidgetItem* item = table->item(row, column);
      if (item == nullptr) {
        if (text.isEmpty()) continue;
        table->setItem(row, column, new QTableWidgetItem(text));
      } else if (item->text() != text) {
        item->setText(text);
      }
    }
  }
}

void read_text_grid(const QTableWidget* table, TextGrid& grid, int first_row) {
  int last_filled = -1;
  for (int row = 0; row < table->rowCount(); ++row)
    for (int column = 0; column < table->columnCount(); ++column)
      if (const QTableWidgetItem* item = table->item(row, column); item != nullptr && !item->text().isEmpty())
        last_filled = row;
  // Rows the grid already has are rewritten even when empty: a cell the user
  // emptied must reach the model.
  const int rows = std::max(last_filled + 1, grid.row_count() - first_row);
  for (int row = 0; row < rows && row < table->rowCount(); ++row)
    for (int column = 0; column < table->columnCount(); ++column) {
      const QTableWidgetItem* item = table->item(row, column);
      grid.set_cell(row + first_row, column, item != nullptr ? item->text().toStdString() : std::string());
    }
}

void insert_grid_row(TextGrid& grid, int row, int max_rows) {
  if (row < 1 || row >= grid.row_count()) return;  // nothing below to move down
  const std::size_t columns = grid.cells[static_cast<std::size_t>(row)].size();
  grid.cells.insert(grid.cells.begin() + row, std::vector<std::string>(columns));
  if (grid.row_count() > max_rows + 1) grid.cells.resize(static_cast<std::size_t>(max_rows) + 1);
}

}  // namespace calvane
