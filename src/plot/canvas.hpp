// The drawing surface the plot is written against: pen, brush, font with
// escapement, lines, polylines, rectangles, fills and text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/colour.hpp"

namespace calvane {

struct Point {
  int x = 0, y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

enum class LineStyle { Solid, Dashed, Dotted };

struct Pen {
  Rgb colour{};
  int width = 1;
  LineStyle style = LineStyle::Solid;
  friend bool operator==(const Pen&, const Pen&) = default;
};

struct Font {
  std::string family = "arial";
  int size_points = 8;
  Rgb colour{};
  int escapement_tenths = 0;  // counter-clockwise turn of the text, tenths of a degree
  friend bool operator==(const Font&, const Font&) = default;
};

/// A surface in integer pixel (or device-unit) coordinates, y growing down.
/// Pen and font are state: each drawing call uses the ones set last. Text is
/// anchored at the top-left corner of its unturned box, turned about that
/// corner by the font's escapement, and drawn on a transparent background.
class Canvas {
public:
  virtual ~Canvas() = default;

  virtual int width() const = 0;
  virtual int height() const = 0;

  void set_pen(const Pen& pen) { pen_ = pen; }
  void set_pen_colour(Rgb colour) { pen_.colour = colour; }
  void set_pen_width(int width) { pen_.width = width; }
  void set_pen_style(LineStyle style) { pen_.style = style; }
  void set_font(const Font& font) { font_ = font; }
  void set_font_colour(Rgb colour) { font_.colour = colour; }
  const Pen& pen() const { return pen_; }
  const Font& font() const { return font_; }

  /// Fills the rectangle [left, right) × [top, bottom) with a solid colour, no outline.
  virtual void fill_rectangle(int left, int top, int right, int bottom, Rgb colour) = 0;
  /// Outline of the rectangle with the corners (left, top) and (right, bottom), in the pen.
  virtual void rectangle(int left, int top, int right, int bottom) = 0;
  virtual void line(Point from, Point to) = 0;
  virtual void polyline(const std::vector<Point>& points) = 0;
  virtual void text(Point at, std::string_view text) = 0;
  /// Width of an unturned text in the current font. Surfaces that cannot measure
  /// give an estimate of an 8-point sans-serif face.
  virtual int text_width(std::string_view text) const;

  void fill(Rgb colour) { fill_rectangle(0, 0, width(), height(), colour); }

private:
  Pen pen_;
  Font font_;
};

/// Writes `text` at `at` with the current font turned by `angle_degrees`
/// (the escapement becomes 10 × angle tenths), then puts the font back.
void write_turned_text(Canvas& canvas, Point at, std::string_view text, int angle_degrees);

}  // namespace calvane
