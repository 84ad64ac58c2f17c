#include "plot/column_decimation.hpp"

#include <algorithm>
#include <array>

namespace calvane {

namespace {

// The first, lowest, highest and last point of points[first, end), each once, in order.
void keep_column_extremes(const std::vector<Point>& points, std::size_t first, std::size_t end,
                          std::vector<Point>& out) {
  std::size_t lowest = first, highest = first;
  for (std::size_t i = first; i < end; ++i) {
    if (points[i].y < points[lowest].y) lowest = i;
    if (points[i].y > points[highest].y) highest = i;
  }
  std::array<std::size_t, 4> kept{first, lowest, highest, end - 1};
  std::sort(kept.begin(), kept.end());
  for (std::size_t k = 0; k < kept.size(); ++k)
    if (k == 0 || kept[k] != kept[k - 1]) out.push_back(points[kept[k]]);
}

}  // namespace

std::vector<Point> decimate_per_column(const std::vector<Point>& points) {
  std::vector<Point> out;
  out.reserve(std::min<std::size_t>(points.size(), 4096));
  std::size_t first = 0;
  for (std::size_t i = 1; i <= points.size(); ++i) {
    if (i < points.size() && points[i].x == points[first].x) continue;
    keep_column_extremes(points, first, i, out);
    first = i;
  }
  return out;
}

std::vector<Point> drop_repeated_pixels(const std::vector<Point>& points) {
  std::vector<Point> out;
  for (const Point& point : points)
    if (out.empty() || !(out.back() == point)) out.push_back(point);
  return out;
}

}  // namespace calvane
