// Which hkl labels the plot writes: labels are upright strips of text, and
// where two would cover each other the stronger reflection keeps its label.
#pragma once

#include <cstddef>
#include <vector>

namespace calvane {

/// A box in pixels, [left, right) × [top, bottom).
struct PixelBox {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool overlaps(const PixelBox& other) const {
    return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
  }
};

struct LabelCandidate {
  PixelBox box;            // where the turned text and its tick would stand
  double intensity = 0;    // of the reflection, to choose between neighbours
};

/// The indices of the candidates to draw, in their original order: the
/// strongest first, each kept only when it covers no label kept before it.
/// Ties keep list order.
std::vector<std::size_t> thin_labels(const std::vector<LabelCandidate>& candidates);

/// Whether a reflection of `intensity` shows as 0 when the strongest line of
/// its phase, `strongest`, is 100: such lines get no label.
bool rounds_to_zero(double intensity, double strongest);

}  // namespace calvane
