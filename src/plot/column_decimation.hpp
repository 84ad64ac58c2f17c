// Thinning a measured curve to what the screen can show: at most four
// points per pixel column.
#pragma once

#include <vector>

#include "plot/canvas.hpp"

namespace calvane {

/// Keeps, of every run of consecutive points in one pixel column, the first,
/// the lowest, the highest and the last, in their order. A polyline through
/// the result covers the same pixels as one through all the points, so a
/// 100 000-point pattern draws as fast as one with a point per column.
std::vector<Point> decimate_per_column(const std::vector<Point>& points);

/// Drops points that repeat the pixel just before them (the point markers
/// of a dense pattern).
std::vector<Point> drop_repeated_pixels(const std::vector<Point>& points);

}  // namespace calvane
