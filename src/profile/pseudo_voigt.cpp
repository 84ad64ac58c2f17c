#include "profile/pseudo_voigt.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "util/thread_pool.hpp"

namespace calvane {

namespace {

// The Gaussian part is evaluated only where it can still change a sum. With
// η = 1/2 and A ≥ 0, y already holds at least the peak's own Lorentzian part
// η·h/(1 + r²) when its Gaussian part (1 − η)·h·2^(−r²) is added; for r² ≥ 64
// their ratio (1 + r²)·2^(−r²) is below 4·10⁻¹⁸, while half an ulp of y is
// more than 2^−54·y ≈ 5.5·10⁻¹⁷·y, so the addition would leave y bit for bit
// unchanged.
constexpr double kGaussianReachSquared = 64;
constexpr double kGaussianReach = 8;

// Points per thread chunk: the chunk's ordinates stay in the first-level cache
// while every peak passes over them.
constexpr std::size_t kPointsPerChunk = 256;
// Below this many point-peak evaluations the calling thread works alone.
constexpr std::size_t kSerialWork = 50000;

// One peak over points [0, count) of x and y. The Lorentzian loop runs over
// every point and is the hot loop; it is compiled for AVX2/FMA as well as for
// the baseline and the best version is chosen when the program starts.
__attribute__((target_clones("arch=haswell", "default")))
void add_lorentzian(const double* __restrict x, double* __restrict y, std::size_t count, double centre,
                    double inverse_width, double height) {
  for (std::size_t i = 0; i < count; ++i) {
    const double r = (x[i] - centre) * inverse_width;
    y[i] += height / (1.0 + r * r);
  }
}

void add_gaussian(const double* x, double* y, std::size_t count, bool ascending, double centre,
                  double inverse_width, double width, double height) {
  std::size_t first = 0, last = count;
  if (ascending) {
    first = static_cast<std::size_t>(std::lower_bound(x, x + count, centre - kGaussianReach * width) - x);
    last = static_cast<std::size_t>(std::upper_bound(x + first, x + count, centre + kGaussianReach * width) - x);
  }
  for (std::size_t i = first; i < last; ++i) {
    const double r = (x[i] - centre) * inverse_width;
    const double r2 = r * r;
    if (r2 < kGaussianReachSquared) y[i] += height * std::exp2(-r2);
  }
}

void add_peaks_to_chunk(const double* x, double* y, std::size_t count, double eta,
                        std::span<const PseudoVoigtPeak> peaks) {
  const bool ascending = std::is_sorted(x, x + count);
  for (const PseudoVoigtPeak& peak : peaks) {
    const double inverse_width = 1.0 / peak.hwhm;
    const double height = peak.area / peak.hwhm;
    add_lorentzian(x, y, count, peak.centre, inverse_width, eta * height);
    add_gaussian(x, y, count, ascending, peak.centre, inverse_width, peak.hwhm, (1.0 - eta) * height);
  }
}

}  // namespace

double pseudo_voigt_shape(double eta, double r) {
  return (1.0 - eta) * std::exp2(-r * r) + eta / (1.0 + r * r);
}

void add_peak(std::span<const double> x, std::span<double> y, double eta, const PseudoVoigtPeak& peak) {
  add_peaks(x, y, eta, std::span(&peak, 1), nullptr);
}

void add_peaks(std::span<const double> x, std::span<double> y, double eta,
               std::span<const PseudoVoigtPeak> peaks, ThreadPool* pool) {
  const std::size_t count = std::min(x.size(), y.size());
  if (count == 0 || peaks.empty()) return;
  if (pool == nullptr || count * peaks.size() < kSerialWork) {
    add_peaks_to_chunk(x.data(), y.data(), count, eta, peaks);
    return;
  }
  pool->parallel_for(count, kPointsPerChunk, [&](std::size_t begin, std::size_t end) {
    add_peaks_to_chunk(x.data() + begin, y.data() + begin, end - begin, eta, peaks);
  });
}

}  // namespace calvane
