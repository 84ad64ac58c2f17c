// What the desktop program remembers from one run to the next (QSettings,
// in the user's configuration folder): recent files, the last folder of
// each file dialog, window geometry, the splitter and the page shown.
#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>

class QMainWindow;
class QSplitter;
class QWidget;

namespace calvane {

class DesktopSettings {
public:
  /// The user's settings of the program ("calvane" in the configuration folder).
  DesktopSettings();
  /// Settings kept in the ini file `path` (tests).
  explicit DesktopSettings(const QString& path);

  static constexpr int kMaxRecentFiles = 10;

  /// Files opened, most recent first, without duplicates.
  QStringList recent_files() const;
  void add_recent_file(const QString& path);

  /// The folder a file dialog (named by its first filter) was last left in;
  /// empty when it was never used.
  QString last_folder(const QString& dialog) const;
  void set_last_folder(const QString& dialog, const QString& folder);

  /// Window geometry (and for a main window its tool bars and docks).
  void save_geometry(const QString& name, const QWidget& window);
  bool restore_geometry(const QString& name, QWidget& window) const;
  void save_splitter(const QString& name, const QSplitter& splitter);
  void restore_splitter(const QString& name, QSplitter& splitter) const;

  int value(const QString& key, int fallback) const;
  void set_value(const QString& key, int value);
  QString text(const QString& key, const QString& fallback) const;
  void set_text(const QString& key, const QString& text);

  void sync() { settings_.sync(); }

private:
  QSettings settings_;
};

}  // namespace calvane
