// Copies between a TextGrid of the presentation model and a QTableWidget.
// The table's row 0 is the grid's first data row unless the grid's heading
// row is shown in the table itself (the anomalous table, whose two heading
// rows are data of their own).
#pragma once

#include <QTableWidget>

#include "ui/main_form.hpp"

namespace calvane {

/// Writes `grid` (from `first_row` on) into `table`, changing only the items
/// whose text differs, so the current cell and an open editor stay put.
void show_text_grid(QTableWidget* table, const TextGrid& grid, int first_row);

/// Reads `table` back into `grid` (from `first_row` on); trailing empty rows
/// of the table are not added to the grid.
void read_text_grid(const QTableWidget* table, TextGrid& grid, int first_row);

/// Inserts an empty row at `row` (1-based, below the heading row), moving the
/// rows below one place down; the grid keeps at most `max_rows` data rows.
void insert_grid_row(TextGrid& grid, int row, int max_rows);

}  // namespace calvane
