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

// The Lorentzian parts run over every point and are the hot loop, bound by
// the divisions. Four peaks share one: with d = 1 + r²,
//   h₁/d₁ + h₂/d₂ = (h₁·d₂ + h₂·d₁)/(d₁·d₂) = n₁₂/d₁₂, and likewise
//   n₁₂/d₁₂ + n₃₄/d₃₄ = (n₁₂·d₃₄ + n₃₄·d₁₂)/(d₁₂·d₃₄).
// Every term is positive, so nothing cancels and the result keeps a few ulps;
// the product of four d overflows only for peaks narrower than 10⁻⁷⁴°
// (d < 10⁷⁷ on a 180° grid). The loops are compiled for x86-64-v3 (AVX2,
// FMA) as well as for the baseline; the best is chosen at start from the
// processor's features. (A clone for "arch=haswell" would be chosen only on
// processors identified as Haswell, never on AMD ones.)
__attribute__((target_clones("arch=x86-64-v3", "default"))) void add_lorentzian(
    const double* __restrict x, double* __restrict y, std::size_t count, double centre, double inverse_width,
    double height) {
  for (std::size_t i = 0; i < count; ++i) {
    const double r = (x[i] - centre) * inverse_width;
    y[i] += height / (1.0 + r * r);
  }
}

struct LorentzianTerms {
  double centre, inverse_width, height;
};

__attribute__((target_clones("arch=x86-64-v3", "default"))) void add_four_lorentzians(
    const double* __restrict x, double* __restrict y, std::size_t count, LorentzianTerms a, LorentzianTerms b,
    LorentzianTerms c, LorentzianTerms d) {
  for (std::size_t i = 0; i < count; ++i) {
    const double ra = (x[i] - a.centre) * a.inverse_width, rb = (x[i] - b.centre) * b.inverse_width;
    const double rc = (x[i] - c.centre) * c.inverse_width, rd = (x[i] - d.centre) * d.inverse_width;
    const double da = 1.0 + ra * ra, db = 1.0 + rb * rb, dc = 1.0 + rc * rc, dd = 1.0 + rd * rd;
    const double n_ab = a.height * db + b.height * da, d_ab = da * db;
    const double n_cd = c.height * dd + d.height * dc, d_cd = dc * dd;
    y[i] += (n_ab * d_cd + n_cd * d_ab) / (d_ab * d_cd);
  }
}

struct PeakTerms {
  double centre, inverse_width, width, lorentzian_height, gaussian_height;
  LorentzianTerms lorentzian() const { return {centre, inverse_width, lorentzian_height}; }
};

PeakTerms terms_of(const PseudoVoigtPeak& peak, double eta) {
  const double height = peak.area / peak.hwhm;
  return {peak.centre, 1.0 / peak.hwhm, peak.hwhm, eta * height, (1.0 - eta) * height};
}

void add_gaussian(const double* x, double* y, std::size_t count, bool ascending, const PeakTerms& peak) {
  const double centre = peak.centre, inverse_width = peak.inverse_width, width = peak.width;
  const double height = peak.gaussian_height;
  std::size_t first = 0, last = count;
  if (ascending) {
    first = static_cast<std::size_t>(std::lower_bound(x, x + count, centre - kGaussianReach * width) - x);
    last =
        static_cast<std::size_t>(std::upper_bound(x + first, x + count, centre + kGaussianReach * width) - x);
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
  std::size_t next = 0;
  for (; next + 4 <= peaks.size(); next += 4) {
    const PeakTerms t[4] = {terms_of(peaks[next], eta), terms_of(peaks[next + 1], eta),
                            terms_of(peaks[next + 2], eta), terms_of(peaks[next + 3], eta)};
    add_four_lorentzians(x, y, count, t[0].lorentzian(), t[1].lorentzian(), t[2].lorentzian(),
                         t[3].lorentzian());
    for (const PeakTerms& one : t) add_gaussian(x, y, count, ascending, one);
  }
  for (; next < peaks.size(); ++next) {
    const PeakTerms one = terms_of(peaks[next], eta);
    add_lorentzian(x, y, count, one.centre, one.inverse_width, one.lorentzian_height);
    add_gaussian(x, y, count, ascending, one);
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
