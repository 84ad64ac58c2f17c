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

Tfpath::Tfpath(Program& program, QWidget* parent) : QDialog(parent), program_(program) {
  setObjectName("Tfpath");
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
  connect(browse_, &QPushButton::clicked, this, &Tfpath::Color95Button1Click);
  connect(search_, &QPushButton::clicked, this, &Tfpath::Color95Button2Click);
  connect(ok_, &QPushButton::clicked, this, &Tfpath::acceptation);
  connect(cancel_, &QPushButton::clicked, this, &Tfpath::abandon);
  buttons->addWidget(browse_);
  buttons->addWidget(search_);
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  layout->addLayout(buttons);
  refresh_from_model();
}

void Tfpath::sync_model_from_widgets() { program_.viewer_path_form.path_text = path_->text().toStdString(); }

void Tfpath::refresh_from_model() {
  const ViewerPathForm& form = program_.viewer_path_form;
  const QString text = QString::fromStdString(form.path_text);
  if (path_->text() != text) path_->setText(text);
  for (QPushButton* button : {browse_, search_, ok_}) button->setEnabled(!form.searching);
  path_->setReadOnly(form.searching);
}

void Tfpath::after_handler() {
  refresh_from_model();
  if (!program_.viewer_path_form.visible && isVisible()) hide();
  program_.ui.refresh();
}

void Tfpath::Color95Button1Click() {
  sync_model_from_widgets();
  calvane::Color95Button1Click(program_);
  after_handler();
}

void Tfpath::Color95Button2Click() {
  sync_model_from_widgets();
  // The search lets window messages through: only "Cancel" stays live.
  program_.viewer_path_form.searching = true;
  refresh_from_model();
  program_.viewer_path_form.searching = false;
  calvane::Color95Button2Click(program_, search_roots_ ? *search_roots_ : viewer_search_roots());
  after_handler();
}

void Tfpath::acceptation() {
  sync_model_from_widgets();
  calvane::acceptation(program_);
  after_handler();
}

void Tfpath::abandon() {
  calvane::abandon(program_);
  after_handler();
}

void Tfpath::showEvent(QShowEvent* event) {
  refresh_from_model();
  adjustSize();
  if (QScreen* shown_on = screen()) move(shown_on->availableGeometry().center() - rect().center());
  QDialog::showEvent(event);
}

void Tfpath::closeEvent(QCloseEvent* event) {
  if (program_.viewer_path_form.visible) calvane::abandon(program_);
  QDialog::closeEvent(event);
}

void Tfpath::reject() { abandon(); }

}  // namespace calvane
