// Small conversions and settings the windows share.
#pragma once

#include <QLineEdit>
#include <QString>
#include <QWidget>
#include <string>

namespace calvane {

inline QString qt(const std::string& text) { return QString::fromStdString(text); }

/// Writes `text` into `edit` only when it differs: a rewrite would move the
/// cursor of a field being typed in.
inline void set_text(QLineEdit* edit, const std::string& text) {
  if (edit->text() != qt(text)) edit->setText(qt(text));
}

/// A number field at least `width` pixels wide that grows with its window.
inline QLineEdit* small_edit(int width) {
  auto* edit = new QLineEdit;
  edit->setMinimumWidth(width);
  return edit;
}

/// The hint a control shows in the status line and as its tool tip.
inline void set_hint(QWidget* widget, const QString& hint) {
  widget->setStatusTip(hint);
  widget->setToolTip(hint);
}

}  // namespace calvane
