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

void TextGrid::show_number(int row, int column, double value, std::string text) {
  if (row < 0 || column < 0) return;
  shown[{row, column}] = ShownNumber{text, value};
  set_cell(row, column, std::move(text));
}

std::optional<double> TextGrid::unchanged_number(int row, int column) const {
  auto found = shown.find({row, column});
  if (found == shown.end()) return std::nullopt;
  return unchanged_value(found->second, cell(row, column));
}

void TextGrid::clear_below_heading() {
  if (cells.size() > 1) cells.resize(1);
  std::erase_if(shown, [](const auto& entry) { return entry.first.first >= 1; });
}

void TextGrid::clear() {
  cells.clear();
  shown.clear();
}

void TextGrid::remove_row(int row) {
  if (row < 1 || row >= row_count()) return;
  const std::size_t columns = cells[static_cast<std::size_t>(row)].size();
  cells.erase(cells.begin() + row);
  cells.emplace_back(columns);
  std::map<std::pair<int, int>, ShownNumber> moved;
  for (auto& [place, number] : shown) {
    if (place.first == row) continue;
    moved[{place.first > row ? place.first - 1 : place.first, place.second}] = std::move(number);
  }
  shown = std::move(moved);
}

void TextGrid::insert_row(int row, int max_rows) {
  if (row < 1 || row >= row_count()) return;  // nothing below to move down
  const std::size_t columns = cells[static_cast<std::size_t>(row)].size();
  cells.insert(cells.begin() + row, std::vector<std::string>(columns));
  if (row_count() > max_rows + 1) cells.resize(static_cast<std::size_t>(max_rows) + 1);
  std::map<std::pair<int, int>, ShownNumber> moved;
  for (auto& [place, number] : shown) {
    const int new_row = place.first >= row ? place.first + 1 : place.first;
    if (new_row <= max_rows) moved[{new_row, place.second}] = std::move(number);
  }
  shown = std::move(moved);
}

void CellField::show_number(double value, std::string shown_text) {
  text = shown_text;
  shown = ShownNumber{std::move(shown_text), value};
}

std::optional<double> unchanged_value(const std::optional<ShownNumber>& shown, const std::string& text) {
  if (!shown || shown->text != text) return std::nullopt;
  return shown->value;
}

}  // namespace calvane
