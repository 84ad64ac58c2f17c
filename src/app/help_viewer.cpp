#include "app/help_viewer.hpp"

#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace calvane {

QString help_anchor(int topic) { return QString("topic%1").arg(topic); }

HelpViewer::HelpViewer(QWidget* parent) : QDialog(parent) {
  setObjectName("HelpViewer");
  setWindowTitle("Calvane Help");
  auto* layout = new QVBoxLayout(this);
  browser_ = new QTextBrowser;
  browser_->setOpenLinks(true);
  browser_->setOpenExternalLinks(false);
  layout->addWidget(browser_, 1);

  auto* buttons = new QHBoxLayout;
  auto* contents = new QPushButton("Contents");
  auto* back = new QPushButton("Back");
  auto* close = new QPushButton("Close");
  connect(contents, &QPushButton::clicked, this, [this] { browser_->scrollToAnchor(help_anchor(0)); });
  connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  back->setEnabled(false);
  buttons->addWidget(contents);
  buttons->addWidget(back);
  buttons->addStretch(1);
  buttons->addWidget(close);
  layout->addLayout(buttons);
  resize(640, 560);
}

bool HelpViewer::open_topic(const std::filesystem::path& help_file, int topic) {
  const QString name = QString::fromStdString(help_file.string());
  QFile file(name);
  if (!file.open(QIODevice::ReadOnly)) {
    browser_->setPlainText("The help file " + name + " cannot be read.");
    return false;
  }
  // The file's own name is the source, so its links "#topicN" stay inside it.
  browser_->setSearchPaths({QString::fromStdString(help_file.parent_path().string())});
  browser_->setHtml(QString::fromUtf8(file.readAll()));
  browser_->scrollToAnchor(help_anchor(topic));
  return true;
}

}  // namespace calvane
