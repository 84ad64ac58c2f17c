// A canvas that records the drawing as an enhanced metafile (ECMA-234),
// written with libEMF.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "plot/canvas.hpp"

namespace calvane {

class EmfCanvas : public Canvas {
public:
  /// Starts a metafile of `width` × `height` pixels at `path`. `ok()` tells whether the file could be opened.
  EmfCanvas(const std::filesystem::path& path, int width, int height);
  ~EmfCanvas() override;
  EmfCanvas(const EmfCanvas&) = delete;
  EmfCanvas& operator=(const EmfCanvas&) = delete;

  bool ok() const;
  /// Closes the metafile and writes it out; false when it could not be written.
  bool finish();

  int width() const override { return width_; }
  int height() const override { return height_; }
  void fill_rectangle(int left, int top, int right, int bottom, Rgb colour) override;
  void rectangle(int left, int top, int right, int bottom) override;
  void line(Point from, Point to) override;
  void polyline(const std::vector<Point>& points) override;
  void text(Point at, std::string_view text) override;

private:
  struct Device;
  void select_pen();
  void select_font();
  std::unique_ptr<Device> device_;
  int width_, height_;
};

}  // namespace calvane
