// Reading and writing the largest observed files the tables hold: a RAW2
// pattern of 30 000 points and a total data file with eight full patterns
// and eight full peak lists.
#include <benchmark/benchmark.h>

#include <sstream>

#include "experiment_io/pattern_files.hpp"
#include "experiment_io/profile_writers.hpp"
#include "experiment_io/total_data_file.hpp"
#include "model/limits.hpp"

namespace calvane {
namespace {

std::string large_raw2() {
  ProfileExport profile;
  profile.first_two_theta = 5;
  profile.last_two_theta = 125;
  for (int i = 0; i < 30000; ++i) profile.values.push_back((i * 7919) % 1000);
  return write_sim_profile(profile);
}

TotalDataFile full_workspace() {
  TotalDataFile data;
  data.wavelengths = {{1.5406, 1}};
  for (int list = 0; list < kMaxObservedPatterns; ++list) {
    TotalDataCurve pattern{"pattern", 1, 1, 0, true, {}};
    for (int i = 0; i < 10000; ++i) pattern.points.emplace_back(5 + 0.012 * i, (i * 31) % 100);
    data.patterns.push_back(pattern);
    TotalDataCurve peaks{"peaks", 1, 0, 0, true, {}};
    for (int i = 0; i < kMaxObservedPeaks; ++i) peaks.points.emplace_back(5 + 0.06 * i, (i * 17) % 100);
    data.peak_lists.push_back(peaks);
  }
  return data;
}

void BM_ReadRaw2Pattern(benchmark::State& state) {
  const std::string bytes = large_raw2();
  for (auto _ : state) benchmark::DoNotOptimize(read_raw_pattern(bytes, "large.sim"));
}
BENCHMARK(BM_ReadRaw2Pattern)->Unit(benchmark::kMillisecond);

void BM_FormatTotalDataFile(benchmark::State& state) {
  const TotalDataFile data = full_workspace();
  for (auto _ : state) benchmark::DoNotOptimize(format_total_data_file(data));
}
BENCHMARK(BM_FormatTotalDataFile)->Unit(benchmark::kMillisecond);

void BM_ParseTotalDataFile(benchmark::State& state) {
  std::vector<std::string> lines;
  std::istringstream in(format_total_data_file(full_workspace()));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  for (auto _ : state) benchmark::DoNotOptimize(parse_total_data_file(lines, "full.cmp"));
}
BENCHMARK(BM_ParseTotalDataFile)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace calvane

BENCHMARK_MAIN();
