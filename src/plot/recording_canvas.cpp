#include "plot/recording_canvas.hpp"

namespace calvane {

void RecordingCanvas::record(DrawOperation::Kind kind, std::vector<Point> points) {
  DrawOperation operation;
  operation.kind = kind;
  operation.points = std::move(points);
  operation.pen = pen();
  operation.font = font();
  operations.push_back(std::move(operation));
}

void RecordingCanvas::fill_rectangle(int left, int top, int right, int bottom, Rgb colour) {
  record(DrawOperation::Kind::Fill, {{left, top}, {right, bottom}});
  operations.back().fill_colour = colour;
}

void RecordingCanvas::rectangle(int left, int top, int right, int bottom) {
  record(DrawOperation::Kind::Rectangle, {{left, top}, {right, bottom}});
}

void RecordingCanvas::line(Point from, Point to) { record(DrawOperation::Kind::Line, {from, to}); }

void RecordingCanvas::polyline(const std::vector<Point>& points) {
  record(DrawOperation::Kind::Polyline, points);
}

void RecordingCanvas::text(Point at, std::string_view text) {
  record(DrawOperation::Kind::Text, {at});
  operations.back().text = std::string(text);
}

std::vector<DrawOperation> RecordingCanvas::texts(std::string_view text) const {
  std::vector<DrawOperation> found;
  for (const auto& operation : operations)
    if (operation.kind == DrawOperation::Kind::Text && operation.text == text) found.push_back(operation);
  return found;
}

std::vector<DrawOperation> RecordingCanvas::of_kind(DrawOperation::Kind kind) const {
  std::vector<DrawOperation> found;
  for (const auto& operation : operations)
    if (operation.kind == kind) found.push_back(operation);
  return found;
}

}  // namespace calvane
