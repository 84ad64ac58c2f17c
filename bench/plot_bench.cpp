// Drawing the fullest workspace the tables allow: 8 phases of 1600 points,
// labelled reflections, 8 observed patterns of 10 000 or 100 000 points.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>

#include "plot/draw_plot.hpp"
#include "plot/image_export.hpp"
#include "plot/recording_canvas.hpp"
#include "model/workspace.hpp"

namespace {

using namespace calvane;

Workspace full_workspace(int pattern_points = 10000) {
  Workspace w;
  w.settings.two_theta_low = 5;
  w.settings.two_theta_high = 125;
  w.profile_grid = {5, 125, kMaxProfilePoints};
  for (int p = 0; p < kMaxPhases; ++p) {
    PhaseData phase;
    phase.file_name = "phase" + std::to_string(p) + ".cry";
    phase.show_hkl = true;
    for (double x : w.profile_grid.abscissae()) phase.profile.push_back(static_cast<float>(50 + 40 * std::sin(x * (p + 1))));
    for (int r = 0; r < 2000; ++r) {
      Reflection reflection;
      reflection.h = r % 7;
      reflection.k = r % 5;
      reflection.l = r % 3;
      reflection.two_theta = 5 + r * 0.06;
      reflection.intensity = r % 100;
      phase.reflections.push_back(reflection);
    }
    w.phases.push_back(phase);
  }
  for (int i = 0; i < kMaxObservedPatterns; ++i) {
    ObservedPattern pattern;
    pattern.file_name = "obs" + std::to_string(i) + ".raw";
    const double step = 120.0 / pattern_points;
    for (int k = 0; k < pattern_points; ++k) pattern.points.push_back({5 + k * step, 50.0 + (k % 97)});
    w.observed_patterns.push_back(pattern);
  }
  return w;
}

void BM_DessineFullWorkspace(benchmark::State& bench) {
  const Workspace workspace = full_workspace(static_cast<int>(bench.range(0)));
  PlotState state;
  sync_plot_range(state, workspace.settings);
  for (auto _ : bench) {
    RecordingCanvas canvas(1600, 600);
    draw_plot(state, workspace, HklMode::AtProfile, canvas);
    benchmark::DoNotOptimize(canvas.operations.data());
  }
}
BENCHMARK(BM_DessineFullWorkspace)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_MetafileFullWorkspace(benchmark::State& bench) {
  const Workspace workspace = full_workspace();
  PlotState state;
  sync_plot_range(state, workspace.settings);
  const auto path = std::filesystem::temp_directory_path() / "calvane_bench_plot.emf";
  for (auto _ : bench) write_plot_metafile(path, state, workspace, HklMode::AtProfile, 1020, 300);
  std::filesystem::remove(path);
}
BENCHMARK(BM_MetafileFullWorkspace)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
