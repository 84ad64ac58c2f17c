#include "app/text_grid_table.hpp"

#include <QApplication>
#include <QPainter>
#include <algorithm>

#include "app/qpainter_canvas.hpp"
#include "reports/grid_cells.hpp"

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

void insert_grid_row(TextGrid& grid, int row, int max_rows) { grid.insert_row(row, max_rows); }

void remove_grid_row(TextGrid& grid, int row) { grid.remove_row(row); }

void GridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  // The style draws the ground, the selection and the focus frame; the text
  // is drawn by the grid rule.
  QStyleOptionViewItem ground(option);
  initStyleOption(&ground, index);
  const std::string text = ground.text.toStdString();
  ground.text.clear();
  const QWidget* widget = ground.widget;
  QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &ground, painter, widget);

  painter->save();
  painter->translate(option.rect.topLeft());
  painter->setClipRect(QRect(QPoint(0, 0), option.rect.size()));
  QPainterCanvas canvas(*painter, option.rect.width(), option.rect.height());
  Font font = canvas.font();
  font.family = option.font.family().toStdString();
  font.size_points = option.font.pointSize() > 0 ? option.font.pointSize() : font.size_points;
  const QColor colour = ground.palette.color(
      (option.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text);
  font.colour = Rgb{static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
                    static_cast<std::uint8_t>(colour.blue())};
  canvas.set_font(font);
  paint_grid_cell(canvas, CellBox{0, 0, option.rect.width(), option.rect.height()}, text, second_grid_,
                  index.row() + first_row_);
  painter->restore();
}

}  // namespace calvane
