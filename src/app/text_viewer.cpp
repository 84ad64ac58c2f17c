#include "app/text_viewer.hpp"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStringDecoder>
#include <QTextDocument>
#include <QVBoxLayout>

namespace calvane {

TextViewer::TextViewer(QWidget* parent) : QDialog(parent) {
  setObjectName("TextViewer");
  setWindowTitle("Results");
  auto* layout = new QVBoxLayout(this);
  page_ = new QPlainTextEdit;
  page_->setReadOnly(true);
  page_->setLineWrapMode(QPlainTextEdit::NoWrap);
  page_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  layout->addWidget(page_, 1);

  auto* buttons = new QHBoxLayout;
  print_ = new QPushButton("Print...");
  auto* close = new QPushButton("Close");
  connect(print_, &QPushButton::clicked, this, &TextViewer::print);
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  buttons->addStretch(1);
  buttons->addWidget(print_);
  buttons->addWidget(close);
  layout->addLayout(buttons);
  resize(760, 600);
}

bool TextViewer::open_file(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
  // The listings are written in UTF-8; older files in Latin-1 still read.
  const QByteArray bytes = file.readAll();
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8(bytes);
  page_->setPlainText(utf8.hasError() ? QString::fromLatin1(bytes) : text);
  setWindowTitle(QFileInfo(file).fileName());
  return true;
}

void TextViewer::print_on(QPrinter& printer) const {
  QTextDocument document;
  document.setDefaultFont(page_->font());
  document.setPlainText(page_->toPlainText());
  document.print(&printer);
}

void TextViewer::print() {
  QPrinter printer;
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() == QDialog::Accepted) print_on(printer);
}

}  // namespace calvane
