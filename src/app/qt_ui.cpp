#include "app/qt_ui.hpp"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QWidget>

namespace calvane {

namespace {

QString to_qt(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

QStringList qt_name_filters(const std::string& filter) {
  const QStringList parts = to_qt(filter).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ').replace(',', ' ');
    // Qt takes the patterns from the last parentheses of an entry.
    filters << parts[i] + " (" + patterns.simplified() + ")";
  }
  return filters;
}

void QtUi::message(QMessageBox::Icon sign, std::string_view text) {
  QMessageBox box(sign, QApplication::applicationDisplayName(), to_qt(text), QMessageBox::Ok, parent_);
  box.exec();
}

void QtUi::notice(std::string_view text) {
  // Not modal: the structure is drawn behind it, and OK or Escape dismisses it.
  auto* box = new QMessageBox(QMessageBox::Information, QApplication::applicationDisplayName(), to_qt(text),
                              QMessageBox::Ok, parent_);
  box->setObjectName("readNotice");
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
}

void QtUi::warning(std::string_view text) { message(QMessageBox::Warning, text); }

void QtUi::information(std::string_view text) { message(QMessageBox::Information, text); }

Answer QtUi::confirm(std::string_view text) {
  auto button = QMessageBox::question(parent_, QApplication::applicationDisplayName(), to_qt(text),
                                      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
  if (button == QMessageBox::Yes) return Answer::Yes;
  if (button == QMessageBox::No) return Answer::No;
  return Answer::Cancel;
}

SaveChoice QtUi::ask_to_save(std::string_view text) {
  auto button = QMessageBox::question(parent_, QApplication::applicationDisplayName(), to_qt(text),
                                      QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
  if (button == QMessageBox::Save) return SaveChoice::Save;
  if (button == QMessageBox::Discard) return SaveChoice::Discard;
  return SaveChoice::Cancel;
}

void QtUi::beep() { QApplication::beep(); }

void QtUi::set_busy(bool busy) {
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

std::optional<FileDialogResult> QtUi::file_dialog(const FileDialogRequest& request, bool save) {
  QFileDialog dialog(parent_);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  const QStringList filters = qt_name_filters(request.filter);
  dialog.setNameFilters(filters);
  if (request.filter_index >= 1 && request.filter_index <= filters.size())
    dialog.selectNameFilter(filters[request.filter_index - 1]);
  if (!request.folder.empty()) dialog.setDirectory(to_qt(request.folder));
  if (!request.file_name.empty()) dialog.selectFile(to_qt(request.file_name));
  if (save) dialog.setOption(QFileDialog::DontConfirmOverwrite);  // the program asks its own question
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  FileDialogResult result;
  result.path = dialog.selectedFiles().front().toStdString();
  result.filter_index = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
  return result;
}

std::optional<FileDialogResult> QtUi::open_file(const FileDialogRequest& request) {
  if (!preset_open_.empty()) {
    FileDialogResult preset{std::move(preset_open_), request.filter_index};
    preset_open_.clear();
    return preset;
  }
  return file_dialog(request, false);
}

std::optional<FileDialogResult> QtUi::save_file(const FileDialogRequest& request) {
  return file_dialog(request, true);
}

void QtUi::show_window(WindowId window, bool visible) {
  if (on_show_window) on_show_window(window, visible);
}

void QtUi::refresh() {
  if (on_refresh) on_refresh();
}

void QtUi::redraw_plot() {
  if (on_redraw_plot) on_redraw_plot();
}

bool QtUi::start_program(const std::string& program, const std::vector<std::string>& arguments) {
  QStringList list;
  for (const auto& argument : arguments) list << to_qt(argument);
  return QProcess::startDetached(to_qt(program), list);
}

void QtUi::show_text_file(const std::string& path) {
  if (on_show_text_file) on_show_text_file(path);
}

void QtUi::open_help(int topic) {
  if (on_open_help) on_open_help(topic);
}

int QtUi::screen_width() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->geometry().width() : 1024;
}

void QtUi::process_events() { QApplication::processEvents(); }

void QtUi::quit() {
  if (parent_ != nullptr) parent_->close();
  QApplication::quit();
}

}  // namespace calvane
