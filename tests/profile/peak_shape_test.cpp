#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <numbers>
#include <random>
#include <vector>

#include "profile/peak_width.hpp"
#include "profile/pseudo_voigt.hpp"
#include "ui/main_form.hpp"
#include "util/files.hpp"
#include "util/thread_pool.hpp"

namespace calvane {
namespace {

std::vector<double> grid(double low, double high, int points) {
  std::vector<double> x(static_cast<std::size_t>(points));
  for (int i = 0; i < points; ++i) x[static_cast<std::size_t>(i)] = low + i * (high - low) / (points - 1);
  return x;
}

TEST(PseudoVoigt, AreaMatchesTheAnalyticIntegral) {
  // ∫ 2^(−r²) dr = √(π/ln 2) (the truncation at ±40 H is negligible);
  // ∫ 1/(1+r²) dr over ±R/H = 2·atan(R/H).
  const double centre = 30, hwhm = 0.5, area = 7, reach = 20;
  const auto x = grid(centre - reach, centre + reach, 16001);
  std::vector<double> y(x.size(), 0.0);
  add_peak(x, y, 0.5, {centre, hwhm, area});
  EXPECT_NEAR(y[8000], area / hwhm, 1e-12);
  double integral = 0;
  for (std::size_t i = 1; i < x.size(); ++i) integral += 0.5 * (y[i] + y[i - 1]) * (x[i] - x[i - 1]);
  const double expected =
      area * 0.5 * (std::sqrt(std::numbers::pi / std::numbers::ln2) + 2 * std::atan(reach / hwhm));
  EXPECT_NEAR(integral, expected, 1e-5 * expected);
}

TEST(PseudoVoigt, MatchesTheFullFormulaEverywhereAndThreadsChangeNoBit) {
  // The Gaussian part is skipped where it cannot change the sum: compare with
  // the formula at every point, up to 7000 half widths away.
  std::mt19937 random(7);
  std::uniform_real_distribution<double> angle(5, 145), width(0.02, 0.5), intensity(0, 1000);
  std::vector<PseudoVoigtPeak> peaks(700);
  for (auto& peak : peaks) peak = {angle(random), width(random), intensity(random)};
  for (int points : {1600, 1599, 37}) {
    const auto x = grid(5, 145, points);
    std::vector<double> serial(x.size(), 0.0), threaded(x.size(), 0.0), expected(x.size(), 0.0);
    for (const auto& peak : peaks)
      for (std::size_t i = 0; i < x.size(); ++i)
        expected[i] += peak.area * pseudo_voigt_shape(0.5, (x[i] - peak.centre) / peak.hwhm) / peak.hwhm;
    add_peaks(x, serial, 0.5, peaks, nullptr);
    for (std::size_t i = 0; i < x.size(); ++i) ASSERT_NEAR(serial[i], expected[i], 1e-13 * expected[i]) << i;
    ThreadPool pool(3);
    add_peaks(x, threaded, 0.5, peaks, &pool);
    EXPECT_EQ(serial, threaded) << points << " points";
  }
}

TEST(PeakWidth, ResolutionSizeAndStrainTermsByHand) {
  // 2θ = 15°: T = tan(15 × 0.0087266583705) = 0.13165268 (32-bit),
  // Scherrer 57.2957 × 1.5406 / (100 × cos θ) = 0.89031434,
  // strain 57.2957 × 0.002 × T = 0.01508627 (hand computation).
  const PeakWidth width = peak_width({0.5, -0.2, 0.08}, {100, 0.002}, 15.0, 1.5406);
  const double t = 0.13165268301963806;
  EXPECT_NEAR(width.instrumental, 0.5 * t * t - 0.2 * t + 0.08, 1e-12);
  EXPECT_NEAR(width.size, 0.89031434, 1e-7);
  EXPECT_NEAR(width.strain, 0.01508627, 1e-7);
  EXPECT_NEAR(width.total, std::hypot(width.instrumental, width.size, width.strain), 1e-12);
  // A size of 0 (an empty box) or less means no size broadening.
  EXPECT_EQ(peak_width({0, 0, 0.08}, {0, 0}, 40, 1.5406).size, 0.0);
  EXPECT_EQ(peak_width({0, 0, 0.08}, {-5, 0}, 40, 1.5406).total, 0.08);
}

}  // namespace
}  // namespace calvane
