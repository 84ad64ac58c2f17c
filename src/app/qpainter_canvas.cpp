#include "app/qpainter_canvas.hpp"

#include <QFont>
#include <QFontMetrics>
#include <QPolygon>

namespace calvane {

QColor to_qcolor(Rgb colour) { return QColor(colour.red, colour.green, colour.blue); }

namespace {

Qt::PenStyle qt_style(LineStyle style) {
  switch (style) {
    case LineStyle::Dashed:
      return Qt::DashLine;
    case LineStyle::Dotted:
      return Qt::DotLine;
    case LineStyle::Solid:
      break;
  }
  return Qt::SolidLine;
}

}  // namespace

QPainterCanvas::QPainterCanvas(QPainter& painter, int width, int height, double units_per_inch)
    : painter_(painter), width_(width), height_(height), units_per_inch_(units_per_inch) {}

void QPainterCanvas::use_pen() {
  QPen qpen(to_qcolor(pen().colour));
  qpen.setWidth(std::max(1, pen().width));
  qpen.setStyle(qt_style(pen().style));
  qpen.setCapStyle(Qt::FlatCap);
  painter_.setPen(qpen);
  painter_.setBrush(Qt::NoBrush);
}

void QPainterCanvas::fill_rectangle(int left, int top, int right, int bottom, Rgb colour) {
  painter_.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), to_qcolor(colour));
}

void QPainterCanvas::rectangle(int left, int top, int right, int bottom) {
  use_pen();
  painter_.drawRect(QRect(QPoint(left, top), QPoint(right, bottom)));
}

void QPainterCanvas::line(Point from, Point to) {
  use_pen();
  painter_.drawLine(from.x, from.y, to.x, to.y);
}

void QPainterCanvas::polyline(const std::vector<Point>& points) {
  if (points.size() < 2) return;
  use_pen();
  QPolygon polygon;
  polygon.reserve(static_cast<int>(points.size()));
  for (const Point& p : points) polygon << QPoint(p.x, p.y);
  painter_.drawPolyline(polygon);
}

QFont QPainterCanvas::qt_font() const {
  // Arial where it exists; else a face of about its width, so that legends keep within their columns.
  QFont qfont;
  qfont.setFamilies(
      {QString::fromStdString(font().family), "Arial", "Liberation Sans", "DejaVu Sans Condensed"});
  qfont.setStyleHint(QFont::SansSerif);
  // Pixel size in surface units, so that a scaled printer page keeps the point size.
  qfont.setPixelSize(std::max(1, static_cast<int>(font().size_points * units_per_inch_ / 72.0 + 0.5)));
  return qfont;
}

int QPainterCanvas::text_width(std::string_view text) const {
  return QFontMetrics(qt_font(), painter_.device())
      .horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void QPainterCanvas::text(Point at, std::string_view text) {
  const QFont qfont = qt_font();
  painter_.save();
  painter_.setFont(qfont);
  painter_.setPen(to_qcolor(font().colour));
  painter_.translate(at.x, at.y);
  painter_.rotate(-font().escapement_tenths / 10.0);
  // The anchor is the top-left corner of the text box.
  painter_.drawText(QPoint(0, QFontMetrics(qfont, painter_.device()).ascent()),
                    QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  painter_.restore();
}

}  // namespace calvane
