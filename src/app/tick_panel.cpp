#include "app/tick_panel.hpp"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace calvane {

TickPanel::TickPanel(QWidget* parent) : QGroupBox("Change the tick marks  values", parent) {
  setObjectName("ticks");
  auto* grid = new QGridLayout(this);
  minor_ = new QLineEdit;
  major_ = new QLineEdit;
  minor_default_ = new QLabel;
  major_default_ = new QLabel;
  for (QLineEdit* box : {minor_, major_}) box->setMaximumWidth(90);
  grid->addWidget(new QLabel("Minor tick mark"), 0, 0);
  grid->addWidget(minor_, 0, 1);
  grid->addWidget(minor_default_, 0, 2);
  grid->addWidget(new QLabel("Major tick mark"), 1, 0);
  grid->addWidget(major_, 1, 1);
  grid->addWidget(major_default_, 1, 2);
  ok_ = new QPushButton("OK");
  cancel_ = new QPushButton("Cancel");
  ok_->setDefault(true);
  grid->addWidget(ok_, 0, 3);
  grid->addWidget(cancel_, 1, 3);
  grid->setColumnStretch(4, 1);
  connect(ok_, &QPushButton::clicked, this, &TickPanel::accepted);
  connect(cancel_, &QPushButton::clicked, this, &TickPanel::cancelled);
  connect(minor_, &QLineEdit::returnPressed, this, &TickPanel::accepted);
  connect(major_, &QLineEdit::returnPressed, this, &TickPanel::accepted);
  hide();
}

void TickPanel::refresh(const TickDialog& dialog) {
  // Only changed texts are written, so that a box being typed in keeps its cursor.
  auto write = [](QLineEdit* box, const std::string& text) {
    const QString value = QString::fromStdString(text);
    if (box->text() != value) box->setText(value);
  };
  write(minor_, dialog.minor_text);
  write(major_, dialog.major_text);
  minor_default_->setText(QString::fromStdString(dialog.minor_default_label));
  major_default_->setText(QString::fromStdString(dialog.major_default_label));
  setVisible(dialog.visible);
}

void TickPanel::sync(TickDialog& dialog) const {
  dialog.minor_text = minor_->text().toStdString();
  dialog.major_text = major_->text().toStdString();
}

void TickPanel::focus_minor() {
  minor_->setFocus();
  minor_->selectAll();
}

}  // namespace calvane
