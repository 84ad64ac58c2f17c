#include "app/qt_ui.hpp"

#include "app/desktop_settings.hpp"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QWidget>

namespace calvane {

namespace {

QString to_qt(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

QStringList qt_name_filters(const std::string& filter, bool with_all_supported) {
  const QStringList parts = to_qt(filter).split('|');
  QStringList filters;
  QStringList all_patterns;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString caption = parts[i].trimmed();
    // A caption that already shows its patterns ("Data file (*.cry)") drops
    // them: Qt reads the patterns from the entry's last parentheses.
    const qsizetype open = caption.lastIndexOf('(');
    if (open > 0 && caption.endsWith(')') && caption.indexOf('*', open) > open) caption = caption.left(open).trimmed();
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ').replace(',', ' ');
    patterns = patterns.simplified();
    filters << caption + " (" + patterns + ")";
    for (const QString& pattern : patterns.split(' ', Qt::SkipEmptyParts))
      if (!all_patterns.contains(pattern)) all_patterns << pattern;
  }
  if (with_all_supported && !filters.isEmpty()) filters.prepend("All supported files (" + all_patterns.join(' ') + ")");
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
  // An open dialog offers every format first; a save dialog's filter chooses the format written.
  const bool all_first = !save;
  const QStringList filters = qt_name_filters(request.filter, all_first);
  dialog.setNameFilters(filters);
  const int offset = all_first ? 1 : 0;
  if (!all_first && request.filter_index >= 1 && request.filter_index <= filters.size())
    dialog.selectNameFilter(filters[request.filter_index - 1]);
  // Each dialog opens where it was last left, unless the program names a folder of its own.
  const QString dialog_name = filters.value(offset);
  QString folder = to_qt(request.folder);
  if (settings_ != nullptr && (folder.isEmpty() || folder == program_folder_)) {
    const QString remembered = settings_->last_folder(dialog_name);
    if (!remembered.isEmpty() && QFileInfo(remembered).isDir()) folder = remembered;
  }
  if (!folder.isEmpty()) dialog.setDirectory(folder);
  if (!request.file_name.empty()) dialog.selectFile(to_qt(request.file_name));
  if (save) dialog.setOption(QFileDialog::DontConfirmOverwrite);  // the program asks its own question
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  FileDialogResult result;
  result.path = dialog.selectedFiles().front().toStdString();
  const int chosen = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1 - offset;
  result.filter_index = chosen >= 1 ? chosen : request.filter_index;
  if (settings_ != nullptr) settings_->set_last_folder(dialog_name, QFileInfo(to_qt(result.path)).absolutePath());
  return result;
}

std::optional<FileDialogResult> QtUi::open_file(const FileDialogRequest& request) {
  if (!preset_open_.empty()) {
    FileDialogResult preset{std::move(preset_open_), request.filter_index};
    preset_open_.clear();
    last_open_path_ = preset.path;
    return preset;
  }
  auto chosen = file_dialog(request, false);
  last_open_path_ = chosen ? chosen->path : std::string();
  return chosen;
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
