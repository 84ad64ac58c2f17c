#include "app/file_list_panel.hpp"
#include "app/widget_text.hpp"

#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace calvane {

namespace {

void paint(QWidget* widget, Rgb colour) {
  QPalette palette = widget->palette();
  const QColor background(colour.red, colour.green, colour.blue);
  palette.setColor(QPalette::Window, background);
  palette.setColor(QPalette::Base, background);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

}  // namespace

FileListPanel::FileListPanel(Program& program, QWidget* parent) : QWidget(parent), program_(program) {
  setObjectName("FileListPanel");
  auto* layout = new QVBoxLayout(this);
  title_ = new QLabel;
  QFont bold = title_->font();
  bold.setBold(true);
  title_->setFont(bold);
  hint_ = new QLabel;
  auto* heading = new QHBoxLayout;
  heading->addWidget(title_);
  heading->addStretch(1);
  heading->addWidget(hint_);
  layout->addLayout(heading);

  folder_model_ = new QFileSystemModel(this);
  folder_model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  folder_model_->setRootPath(QDir::rootPath());
  folders_ = new QTreeView;
  folders_->setModel(folder_model_);
  for (int column = 1; column < folder_model_->columnCount(); ++column) folders_->hideColumn(column);
  folders_->setHeaderHidden(true);
  folders_->setMinimumWidth(220);
  auto folder_of = [this](const QModelIndex& index) {
    // A folder the user clicked is in view already: the tree stays where it is.
    follow_folder_ = false;
    shown_folder_ = folder_model_->filePath(index).toStdString();
    set_file_list_folder(folder_model_->filePath(index));
  };
  connect(folders_, &QTreeView::clicked, this, folder_of);
  connect(folders_, &QTreeView::doubleClicked, this, folder_of);
  // The model reads folders in the background: as each level of the path
  // comes in, the tree opens further down to the list's folder.
  connect(folder_model_, &QFileSystemModel::directoryLoaded, this, [this] {
    if (follow_folder_ && !program_.file_list.folder.empty())
      show_folder_in_tree(QString::fromStdString(program_.file_list.folder.string()));
  });
  // Its sorting, also in the background, moves rows after they came in.
  connect(folder_model_, &QFileSystemModel::layoutChanged, this, [this] {
    if (follow_folder_) scroll_to_folder();
  });
  connect(folders_->verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] { follow_folder_ = false; });

  files_ = new QListWidget;
  files_->setMinimumWidth(180);
  connect(files_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { open_listed_file(files_->row(item)); });

  auto* body = new QHBoxLayout;
  body->addWidget(folders_, 3);
  body->addWidget(files_, 2);
  layout->addLayout(body, 1);

  cancel_ = new QPushButton("Cancel");
  connect(cancel_, &QPushButton::clicked, this, &FileListPanel::close_file_list);
  layout->addWidget(cancel_, 0, Qt::AlignRight);
  refresh_from_model();
}

void FileListPanel::refresh_from_model() {
  const FileListForm& form = program_.file_list;
  title_->setText(qt(form.title));
  hint_->setText(qt(form.hint));
  for (QWidget* widget : {static_cast<QWidget*>(this), static_cast<QWidget*>(folders_), static_cast<QWidget*>(files_)})
    paint(widget, form.colour);
  {
    const QSignalBlocker block(files_);
    // Rebuilt only when the names changed, so stepping down a long list keeps its place.
    bool same = files_->count() == static_cast<int>(form.files.size());
    for (int i = 0; same && i < files_->count(); ++i)
      same = files_->item(i)->text() == qt(form.files[static_cast<std::size_t>(i)]);
    if (!same) {
      files_->clear();
      for (const std::string& name : form.files) files_->addItem(qt(name));
    }
    files_->setCurrentRow(form.selected);
  }
  if (!form.folder.empty() && form.folder != shown_folder_) {
    shown_folder_ = form.folder;
    follow_folder_ = true;
    show_folder_in_tree(qt(form.folder.string()));
  }
  setVisible(form.visible);
}

void FileListPanel::show_folder_in_tree(const QString& folder) {
  const QModelIndex index = folder_model_->index(folder);
  if (!index.isValid()) return;
  for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent()) folders_->expand(parent);
  if (folders_->currentIndex() != index) folders_->setCurrentIndex(index);
  scroll_to_folder();
}

void FileListPanel::scroll_to_folder() {
  // Once the view has laid out the rows just expanded.
  QTimer::singleShot(0, folders_, [this] {
    if (folders_->currentIndex().isValid()) folders_->scrollTo(folders_->currentIndex(), QAbstractItemView::PositionAtCenter);
  });
}

void FileListPanel::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  scroll_to_folder();
}

void FileListPanel::open(FileListKind kind) {
  calvane::show_file_list(program_, kind);
  refresh_from_model();
  program_.ui.refresh();
}

void FileListPanel::set_file_list_folder(const QString& folder) {
  calvane::set_file_list_folder(program_, folder.toStdString());
  refresh_from_model();
}

void FileListPanel::open_listed_file(int row) {
  const FileListLoad load = calvane::open_listed_file(program_, row);
  refresh_from_model();
  program_.ui.refresh();
  if (!load.loaded) return;
  if (on_loaded) on_loaded(load);
  emit loaded();
}

void FileListPanel::close_file_list() {
  calvane::close_file_list(program_);
  refresh_from_model();
  emit closed();
}

}  // namespace calvane
