// The help viewer: the HTML help file "calvane.hlp" of the program folder,
// opened at a topic. Topic n is the anchor "topic<n>"; topic 0 is the index.
#pragma once

#include <QDialog>
#include <filesystem>

class QTextBrowser;

namespace calvane {

/// The anchor of a help topic in "calvane.hlp".
QString help_anchor(int topic);

class HelpViewer : public QDialog {
  Q_OBJECT

public:
  explicit HelpViewer(QWidget* parent = nullptr);

  /// Loads `help_file` (again, if it changed) and shows `topic`. False when
  /// the file cannot be read; the viewer then says so in its page.
  bool open_topic(const std::filesystem::path& help_file, int topic);

  QTextBrowser* browser() const { return browser_; }

private:
  QTextBrowser* browser_ = nullptr;
};

}  // namespace calvane
