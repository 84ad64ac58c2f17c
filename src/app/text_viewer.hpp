// The text viewer for the phase listings and the report: a read-only page
// in a fixed-pitch font that can be printed.
#pragma once

#include <QDialog>
#include <string>

class QPlainTextEdit;
class QPrinter;
class QPushButton;

namespace calvane {

class TextViewer : public QDialog {
  Q_OBJECT

public:
  explicit TextViewer(QWidget* parent = nullptr);

  /// Shows the text file `path`. False when it cannot be read; the viewer
  /// then stays as it was.
  bool open_file(const std::string& path);
  /// Prints the page on `printer`, in the viewer's font.
  void print_on(QPrinter& printer) const;

  QPlainTextEdit* page() const { return page_; }
  QPushButton* print_button() const { return print_; }

public slots:
  /// Asks for a printer (QPrintDialog) and prints the page.
  void print();

private:
  QPlainTextEdit* page_ = nullptr;
  QPushButton* print_ = nullptr;
};

}  // namespace calvane
