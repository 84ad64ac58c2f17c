// A canvas that keeps a list of what was drawn, for tests and for checking
// what a drawing would put on a surface without rendering it.
#pragma once

#include <string>
#include <vector>

#include "plot/canvas.hpp"

namespace calvane {

struct DrawOperation {
  enum class Kind { Fill, Rectangle, Line, Polyline, Text };
  Kind kind = Kind::Line;
  std::vector<Point> points;  // Fill and Rectangle: two corners; Line: two ends
  std::string text;
  Pen pen;
  Font font;
  Rgb fill_colour{};
};

class RecordingCanvas : public Canvas {
public:
  RecordingCanvas(int width, int height) : width_(width), height_(height) {}

  int width() const override { return width_; }
  int height() const override { return height_; }

  void fill_rectangle(int left, int top, int right, int bottom, Rgb colour) override;
  void rectangle(int left, int top, int right, int bottom) override;
  void line(Point from, Point to) override;
  void polyline(const std::vector<Point>& points) override;
  void text(Point at, std::string_view text) override;

  std::vector<DrawOperation> operations;

  /// The text operations whose text equals `text`.
  std::vector<DrawOperation> texts(std::string_view text) const;
  /// Every operation of one kind.
  std::vector<DrawOperation> of_kind(DrawOperation::Kind kind) const;

private:
  void record(DrawOperation::Kind kind, std::vector<Point> points);
  int width_, height_;
};

}  // namespace calvane
