#include "plot/hkl_label_layout.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace calvane {

std::vector<std::size_t> thin_labels(const std::vector<LabelCandidate>& candidates) {
  std::vector<std::size_t> order(candidates.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return candidates[a].intensity > candidates[b].intensity;
  });
  std::vector<std::size_t> kept;
  for (std::size_t index : order) {
    const PixelBox& box = candidates[index].box;
    if (std::any_of(kept.begin(), kept.end(), [&](std::size_t k) { return box.overlaps(candidates[k].box); }))
      continue;
    kept.push_back(index);
  }
  std::sort(kept.begin(), kept.end());
  return kept;
}

bool rounds_to_zero(double intensity, double strongest) {
  if (!(strongest > 0)) return true;
  return std::round(100.0 * intensity / strongest) == 0.0;
}

}  // namespace calvane
