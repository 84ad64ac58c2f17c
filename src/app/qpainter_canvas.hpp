// The plot's canvas on a QPainter: the window image, PNG/BMP/JPEG pictures,
// SVG and PDF documents and the printer.
#pragma once

#include <QPainter>

#include "plot/canvas.hpp"

namespace calvane {

class QPainterCanvas : public Canvas {
public:
  /// Draws through an active `painter` on a surface of `width` × `height`
  /// units; `units_per_inch` turns font points into units (96 for pixels).
  QPainterCanvas(QPainter& painter, int width, int height, double units_per_inch = 96.0);

  int width() const override { return width_; }
  int height() const override { return height_; }
  void fill_rectangle(int left, int top, int right, int bottom, Rgb colour) override;
  void rectangle(int left, int top, int right, int bottom) override;
  void line(Point from, Point to) override;
  void polyline(const std::vector<Point>& points) override;
  void text(Point at, std::string_view text) override;
  int text_width(std::string_view text) const override;

private:
  void use_pen();
  QFont qt_font() const;
  QPainter& painter_;
  int width_, height_;
  double units_per_inch_;
};

QColor to_qcolor(Rgb colour);

}  // namespace calvane
