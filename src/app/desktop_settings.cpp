#include "app/desktop_settings.hpp"

#include <QSplitter>
#include <QWidget>

namespace calvane {

DesktopSettings::DesktopSettings() : settings_(QSettings::IniFormat, QSettings::UserScope, "calvane", "calvane") {}

DesktopSettings::DesktopSettings(const QString& path) : settings_(path, QSettings::IniFormat) {}

QStringList DesktopSettings::recent_files() const { return settings_.value("recent/files").toStringList(); }

void DesktopSettings::add_recent_file(const QString& path) {
  if (path.isEmpty()) return;
  QStringList files = recent_files();
  files.removeAll(path);
  files.prepend(path);
  while (files.size() > kMaxRecentFiles) files.removeLast();
  settings_.setValue("recent/files", files);
}

// Dialog names hold blanks, parentheses and stars: the key is kept readable
// but free of the characters QSettings gives a meaning ('/' and '\').
static QString dialog_key(const QString& dialog) {
  QString key = dialog;
  key.replace('/', '_').replace('\\', '_');
  return "folders/" + key;
}

QString DesktopSettings::last_folder(const QString& dialog) const {
  return settings_.value(dialog_key(dialog)).toString();
}

void DesktopSettings::set_last_folder(const QString& dialog, const QString& folder) {
  if (!folder.isEmpty()) settings_.setValue(dialog_key(dialog), folder);
}

void DesktopSettings::save_geometry(const QString& name, const QWidget& window) {
  settings_.setValue("windows/" + name, window.saveGeometry());
}

bool DesktopSettings::restore_geometry(const QString& name, QWidget& window) const {
  const QByteArray geometry = settings_.value("windows/" + name).toByteArray();
  return !geometry.isEmpty() && window.restoreGeometry(geometry);
}

void DesktopSettings::save_splitter(const QString& name, const QSplitter& splitter) {
  settings_.setValue("splitters/" + name, splitter.saveState());
}

void DesktopSettings::restore_splitter(const QString& name, QSplitter& splitter) const {
  const QByteArray state = settings_.value("splitters/" + name).toByteArray();
  if (!state.isEmpty()) splitter.restoreState(state);
}

int DesktopSettings::value(const QString& key, int fallback) const {
  bool ok = false;
  const int stored = settings_.value(key).toInt(&ok);
  return ok ? stored : fallback;
}

void DesktopSettings::set_value(const QString& key, int value) { settings_.setValue(key, value); }

QString DesktopSettings::text(const QString& key, const QString& fallback) const {
  return settings_.value(key, fallback).toString();
}

void DesktopSettings::set_text(const QString& key, const QString& text) { settings_.setValue(key, text); }

}  // namespace calvane
