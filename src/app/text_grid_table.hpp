// Copies between a TextGrid of the presentation model and a QTableWidget.
// The table's row 0 is the grid's first data row unless the grid's heading
// row is shown in the table itself (the anomalous table, whose two heading
// rows are data of their own).
#pragma once

#include <QStyledItemDelegate>
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
void remove_grid_row(TextGrid& grid, int row);

/// Paints the cells of a data grid of the main window as the report's grid
/// rules say: text centred, and in the second data grid row 1 on a pale
/// green ground with a red copy of its text. `first_row` is the grid row of
/// the table's row 0.
class GridCellDelegate : public QStyledItemDelegate {
public:
  GridCellDelegate(bool second_grid, int first_row, QObject* parent = nullptr)
      : QStyledItemDelegate(parent), second_grid_(second_grid), first_row_(first_row) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
  bool second_grid_;
  int first_row_;
};

}  // namespace calvane
