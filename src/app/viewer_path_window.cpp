#include "app/viewer_path_window.hpp"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "flows/viewer_launch.hpp"

namespace calvane {

ViewerPathWindow::ViewerPathWindow(Program& program, QWidget* parent) : QDialog(parent), program_(program) {
  setObjectName("ViewerPathWindow");
  setWindowTitle(kViewerPathWindowCaption);
  auto* layout = new QVBoxLayout(this);
  prompt_ = new QLabel(kViewerPathPrompt);
  prompt_->setFrameShape(QFrame::Panel);
  prompt_->setFrameShadow(QFrame::Raised);
  prompt_->setMargin(4);
  layout->addWidget(prompt_);
  path_ = new QLineEdit;
  path_->setMinimumWidth(420);
  connect(path_, &QLineEdit::textEdited, this, [this] { sync_model_from_widgets(); });
  layout->addWidget(path_);

  auto* buttons = new QHBoxLayout;
  browse_ = new QPushButton("Browse");
  search_ = new QPushButton("Automatic search");
  ok_ = new QPushButton("OK");
  cancel_ = new QPushButton("Cancel");
  ok_->setDefault(true);
  connect(browse_, &QPushButton::clicked, this, &ViewerPathWindow::browse_for_viewer);
  connect(search_, &QPushButton::clicked, this, &ViewerPathWindow::search_for_viewer);
  connect(ok_, &QPushButton::clicked, this, &ViewerPathWindow::accept_viewer_path);
  connect(cancel_, &QPushButton::clicked, this, &ViewerPathWindow::cancel_viewer_path);
  buttons->addWidget(browse_);
  buttons->addWidget(search_);
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  layout->addLayout(buttons);
  // The structure viewers of this system, offered beside the Windows viewer.
  system_viewers_ = new QHBoxLayout;
  layout->addLayout(system_viewers_);
  refresh_from_model();
}

void ViewerPathWindow::sync_model_from_widgets() { program_.viewer_path_form.path_text = path_->text().toStdString(); }

void ViewerPathWindow::refresh_from_model() {
  const ViewerPathForm& form = program_.viewer_path_form;
  const QString text = QString::fromStdString(form.path_text);
  if (path_->text() != text) path_->setText(text);
  for (QPushButton* button : {browse_, search_, ok_}) button->setEnabled(!form.searching);
  path_->setReadOnly(form.searching);
}

void ViewerPathWindow::after_handler() {
  refresh_from_model();
  if (!program_.viewer_path_form.visible && isVisible()) hide();
  program_.ui.refresh();
}

void ViewerPathWindow::browse_for_viewer() {
  sync_model_from_widgets();
  calvane::browse_for_viewer(program_);
  after_handler();
}

void ViewerPathWindow::search_for_viewer() {
  sync_model_from_widgets();
  // The search lets window messages through: only "Cancel" stays live.
  program_.viewer_path_form.searching = true;
  refresh_from_model();
  program_.viewer_path_form.searching = false;
  calvane::search_for_viewer(program_, search_roots_ ? *search_roots_ : viewer_search_roots());
  after_handler();
}

void ViewerPathWindow::accept_viewer_path() {
  sync_model_from_widgets();
  calvane::accept_viewer_path(program_);
  after_handler();
}

void ViewerPathWindow::cancel_viewer_path() {
  calvane::cancel_viewer_path(program_);
  after_handler();
}

void ViewerPathWindow::list_system_viewers() {
  while (QLayoutItem* item = system_viewers_->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  const std::vector<SystemViewer> viewers = system_structure_viewers();
  if (viewers.empty()) return;
  system_viewers_->addWidget(new QLabel("Or open the phase in:"));
  for (const SystemViewer& viewer : viewers) {
    auto* button = new QPushButton(QString::fromStdString(viewer.name));
    connect(button, &QPushButton::clicked, this, [this, viewer] {
      cancel_viewer_path();
      open_in_system_viewer(program_, viewer);
    });
    system_viewers_->addWidget(button);
  }
  system_viewers_->addStretch(1);
}

void ViewerPathWindow::showEvent(QShowEvent* event) {
  list_system_viewers();
  refresh_from_model();
  adjustSize();
  if (QScreen* shown_on = screen()) move(shown_on->availableGeometry().center() - rect().center());
  QDialog::showEvent(event);
}

void ViewerPathWindow::closeEvent(QCloseEvent* event) {
  if (program_.viewer_path_form.visible) calvane::cancel_viewer_path(program_);
  QDialog::closeEvent(event);
}

void ViewerPathWindow::reject() { cancel_viewer_path(); }

}  // namespace calvane
