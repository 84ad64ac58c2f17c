// Profile synthesis on the 1600-point grid: a typical merged list of a few
// hundred lines, and the largest lists the engine gives for four wavelengths.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "profile/profile_synthesis.hpp"
#include "util/thread_pool.hpp"

namespace calvane {
namespace {

// Lines spread over 10..150° 2θ like the merged list of a low-symmetry phase
// at four wavelengths, sorted by 2θ, with intensities over three decades.
std::vector<Reflection> merged_lines(std::size_t count) {
  std::mt19937 random(12345);
  std::uniform_real_distribution<double> angle(10.0, 150.0), decades(0.0, 3.0);
  const double wavelengths[] = {1.39222, 1.54056, 1.54439, 0.77028};
  std::vector<Reflection> lines(count);
  for (std::size_t i = 0; i < count; ++i) {
    lines[i].two_theta = angle(random);
    lines[i].intensity = std::pow(10.0, decades(random));
    lines[i].wavelength = wavelengths[i % 4];
  }
  std::sort(lines.begin(), lines.end(), [](auto& a, auto& b) { return a.two_theta < b.two_theta; });
  return lines;
}

ProfileRequest typical_request() {
  ProfileRequest request;
  request.grid = {10, 150, 1600};
  request.resolution = {0.0, 0.0, 0.08};
  request.broadening = {5000, 0.001};
  return request;
}

void run(benchmark::State& state, ThreadPool* pool) {
  const auto lines = merged_lines(static_cast<std::size_t>(state.range(0)));
  const ProfileRequest request = typical_request();
  std::vector<double> x, y;
  for (auto _ : state) {
    compute_profile(lines, request, x, y, pool);
    benchmark::DoNotOptimize(y.data());
  }
  state.counters["peaks"] = static_cast<double>(lines.size());
  state.counters["point_peaks/s"] = benchmark::Counter(static_cast<double>(lines.size()) * 1600,
                                                       benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ProfileSharedPool(benchmark::State& state) { run(state, &ThreadPool::shared()); }
void BM_ProfileOneThread(benchmark::State& state) { run(state, nullptr); }

BENCHMARK(BM_ProfileSharedPool)->Arg(300)->Arg(800)->Arg(36000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProfileOneThread)->Arg(300)->Arg(800)->Arg(36000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace calvane

BENCHMARK_MAIN();
