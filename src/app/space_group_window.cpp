#include "app/space_group_window.hpp"
#include "app/widget_text.hpp"

#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "flows/open_flow.hpp"
#include "flows/program.hpp"

namespace calvane {

namespace {

void fill_list(QListWidget* list, const std::vector<std::string>& items, int selected) {
  const QSignalBlocker block(list);
  if (list->count() != static_cast<int>(items.size())) {
    list->clear();
    for (const std::string& item : items) list->addItem(qt(item));
  } else {
    for (int i = 0; i < list->count(); ++i) list->item(i)->setText(qt(items[static_cast<std::size_t>(i)]));
  }
  list->setCurrentRow(selected);
  if (selected < 0) list->clearSelection();
}

// A catalogue item holds the symbol in characters 1-12, the Hall symbol in
// 13-29 and the number in 30-32 (a longer field pushes the next one on).
QStringList catalogue_columns(const std::string& item) {
  const QString text = qt(item);
  return {text.left(12).trimmed(), text.mid(12, 17).trimmed(), text.mid(29).trimmed()};
}

void fill_catalogue(QTreeWidget* tree, const std::vector<std::string>& items, int selected) {
  const QSignalBlocker block(tree);
  bool same = tree->topLevelItemCount() == static_cast<int>(items.size());
  for (int i = 0; same && i < tree->topLevelItemCount(); ++i)
    same = catalogue_columns(items[static_cast<std::size_t>(i)])[0] == tree->topLevelItem(i)->text(0) &&
           catalogue_columns(items[static_cast<std::size_t>(i)])[1] == tree->topLevelItem(i)->text(1);
  if (!same) {
    tree->clear();
    for (const std::string& item : items) tree->addTopLevelItem(new QTreeWidgetItem(catalogue_columns(item)));
  }
  if (selected >= 0 && selected < tree->topLevelItemCount()) {
    tree->setCurrentItem(tree->topLevelItem(selected));
    tree->scrollToItem(tree->topLevelItem(selected));
  } else {
    tree->clearSelection();
  }
}

}  // namespace

SpaceGroupWindow::SpaceGroupWindow(Program& program, QWidget* parent) : QDialog(parent), program_(program) {
  setObjectName("SpaceGroupWindow");
  setWindowTitle(qt(form_.caption));
  setWindowModality(Qt::ApplicationModal);
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  auto* layout = new QGridLayout(this);

  layout->addLayout(build_catalogue(fixed), 0, 0, 2, 1);

  auto* standard_box = new QVBoxLayout;
  standard_box->addWidget(new QLabel(qt(form_.standard_heading)));
  standard_ = new QListWidget;
  standard_->setFont(fixed);
  standard_->setFixedWidth(QFontMetrics(fixed).horizontalAdvance(QString(16, 'M')));
  connect(standard_, &QListWidget::itemSelectionChanged, this, [this] {
    const QList<QListWidgetItem*> chosen = standard_->selectedItems();
    if (!chosen.isEmpty()) choose_standard_item(standard_->row(chosen.front()));
  });
  connect(standard_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { choose_standard_item(standard_->row(item)); });
  standard_box->addWidget(standard_, 1);
  layout->addLayout(standard_box, 0, 1, 2, 1);

  auto* positions_box = new QVBoxLayout;
  positions_box->addWidget(new QLabel(qt(form_.positions_heading)));
  positions_ = new QTableWidget(0, 5);
  positions_->setHorizontalHeaderLabels({"Nb", "a", "b", "c", "Selected"});
  positions_->verticalHeader()->hide();
  positions_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  positions_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  positions_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  positions_->setMinimumWidth(420);
  positions_box->addWidget(positions_, 1);
  layout->addLayout(positions_box, 0, 2);

  auto* bottom = new QHBoxLayout;
  auto* note = new QLabel(qt(form_.note));
  note->setWordWrap(true);
  bottom->addWidget(note, 1);
  ok_ = new QPushButton("OK");
  cancel_ = new QPushButton("Cancel");
  connect(ok_, &QPushButton::clicked, this, &SpaceGroupWindow::accept_space_group);
  connect(cancel_, &QPushButton::clicked, this, &SpaceGroupWindow::cancel_space_group);
  bottom->addWidget(ok_);
  bottom->addWidget(cancel_);
  layout->addLayout(bottom, 1, 2);
  layout->setColumnStretch(2, 1);
  resize(980, 520);
}

QVBoxLayout* SpaceGroupWindow::build_catalogue(const QFont& fixed) {
  auto* catalogue_box = new QVBoxLayout;
  catalogue_box->addWidget(new QLabel(qt(form_.catalogue_heading)));
  // A group found by its number or its symbol, in any common spelling.
  search_ = new QLineEdit;
  search_->setPlaceholderText("Find: number or symbol (14, P21/c, Fm-3m)");
  search_->setClearButtonEnabled(true);
  connect(search_, &QLineEdit::textEdited, this, [this](const QString& text) {
    const int found = find_catalogue_item(form_.catalogue_items, text.toStdString());
    if (found >= 0) choose_catalogue_item(found);
  });
  catalogue_box->addWidget(search_);
  catalogue_ = new QTreeWidget;
  catalogue_->setFont(fixed);
  catalogue_->setRootIsDecorated(false);
  catalogue_->setUniformRowHeights(true);
  QStringList heads;
  for (const std::string& head : form_.catalogue_column_heads) heads << qt(head);
  catalogue_->setHeaderLabels(heads);
  const QFontMetrics metrics(fixed);
  catalogue_->setColumnWidth(0, metrics.horizontalAdvance(QString(15, 'M')));
  catalogue_->setColumnWidth(1, metrics.horizontalAdvance(QString(17, 'M')));
  catalogue_->setMinimumWidth(metrics.horizontalAdvance(QString(47, 'M')));
  // The keyboard chooses as the mouse does: the arrow keys select a row and
  // so choose it. Selections, not current rows, are followed: a list that
  // takes the focus makes its first row current without selecting it. The
  // lists are written with their signals blocked, so only the user's choices
  // arrive here; a click on the row already selected changes no selection.
  connect(catalogue_, &QTreeWidget::itemSelectionChanged, this, [this] {
    const QList<QTreeWidgetItem*> chosen = catalogue_->selectedItems();
    if (!chosen.isEmpty()) choose_catalogue_item(catalogue_->indexOfTopLevelItem(chosen.front()));
  });
  connect(catalogue_, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item) { choose_catalogue_item(catalogue_->indexOfTopLevelItem(item)); });
  catalogue_box->addWidget(catalogue_, 1);
  chosen_ = new QLabel;
  chosen_->setObjectName("chosenGroup");
  catalogue_box->addWidget(chosen_);
  return catalogue_box;
}

void SpaceGroupWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  init();
  standard_->setFocus();  // the arrow keys choose among the standard symbols
}

void SpaceGroupWindow::after_handler() {
  refresh_from_model();
  program_.ui.refresh();
}

void SpaceGroupWindow::init() {
  calvane::fill_space_group_lists(form_, program_);
  if (form_.top >= 0) move(x(), form_.top);
  after_handler();
}

void SpaceGroupWindow::choose_catalogue_group(int item) {
  calvane::choose_catalogue_group(form_, program_, item);
  after_handler();
}

void SpaceGroupWindow::choose_catalogue_item(int item) {
  if (item >= 0 && item != form_.catalogue_selected) choose_catalogue_group(item);
}

void SpaceGroupWindow::choose_standard_item(int item) {
  if (item >= 0 && item != form_.standard_selected) choose_standard_group(item);
}

void SpaceGroupWindow::choose_standard_group(int item) {
  calvane::choose_standard_group(form_, program_, item);
  after_handler();
}

void SpaceGroupWindow::accept_space_group() {
  calvane::accept_space_group(form_, program_, [this] { add_loaded_phase(program_); });
  after_handler();
}

void SpaceGroupWindow::cancel_space_group() {
  calvane::cancel_space_group(form_, program_);
  after_handler();
}

void SpaceGroupWindow::refresh_from_model() {
  fill_catalogue(catalogue_, form_.catalogue_items, form_.catalogue_selected);
  const int chosen = form_.catalogue_selected;
  chosen_->setText(chosen >= 0 && chosen < static_cast<int>(form_.catalogue_items.size())
                       ? qt(catalogue_item_description(form_.catalogue_items[static_cast<std::size_t>(chosen)]))
                       : QString());
  fill_list(standard_, form_.standard_symbols, form_.standard_selected);
  const TextGrid& grid = form_.positions;
  positions_->setRowCount(std::max(0, grid.row_count() - 1));
  for (int row = 1; row < grid.row_count(); ++row)
    for (int column = 0; column < 5; ++column)
      positions_->setItem(row - 1, column, new QTableWidgetItem(qt(grid.cell(row, column))));
}

}  // namespace calvane
