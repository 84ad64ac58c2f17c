// DifferenceWindow: the difference between the first observed pattern and the
// calculated sum, one pixel per grid point around a
// zero line at row 100. It stays on top and sits just above the plot window.
#pragma once

#include <QImage>
#include <QWidget>

#include "flows/program.hpp"

namespace calvane {

class DifferenceWindow : public QWidget {
  Q_OBJECT

public:
  explicit DifferenceWindow(Program& program, QWidget* parent = nullptr);

  /// On activation: 200 high, as wide as the plot window and over its left
  /// edge, its bottom edge on the plot window's top.
  void initialise(const QRect& plot_frame);
  /// Draws the difference data of the last plot drawing and sets the caption.
  void draw_difference();
  const QImage& image() const { return image_; }

signals:
  /// The window was closed by the user: the plot's difference flag is cleared.
  void closed();

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  /// Closing: the difference flag is cleared and the window hidden.
  void ferme();

  Program& program_;
  QImage image_;
};

}  // namespace calvane
