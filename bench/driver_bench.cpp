// End-to-end computation through the driver, on the real data files: a
// typical phase (30 atoms, four wavelengths, 1600 profile points) and the
// largest workspace the tables allow (eight phases of 400 atoms in Fm-3m,
// 192 operators, about 9 000 reflections per wavelength over four wavelengths).
#include <benchmark/benchmark.h>

#include "bench_ui.hpp"

#include <filesystem>
#include <random>

#include "crystal_io/cry_file.hpp"
#include "flows/open_flow.hpp"
#include "util/files.hpp"
#include "flows/driver.hpp"
#include "flows/program.hpp"
#include "flows/startup.hpp"

namespace calvane {
namespace {

struct BenchProgram {
  std::filesystem::path folder;
  BenchUi ui;
  Program program;

  explicit BenchProgram(const char* name)
      : folder(std::filesystem::temp_directory_path() / name), program(ui, folder) {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(CALVANE_SOURCE_DIR) / "data"))
      std::filesystem::copy_file(entry.path(), folder / entry.path().filename());
    initialise_program(program);
  }
  ~BenchProgram() { std::filesystem::remove_all(folder); }

  void set_spectrum(const std::vector<std::string>& wavelengths, const char* high) {
    program.main_form.experiment.wavelength = "Multiple";
    for (std::size_t i = 0; i < wavelengths.size(); ++i) {
      program.wavelength_form.wavelength[i] = wavelengths[i];
      program.wavelength_form.intensity[i] = "100";
    }
    program.main_form.experiment.range_high = high;
  }
  void open(const CurrentCrystal& crystal, const std::string& name) {
    write_cry_file(folder / name, crystal);
    ui.next_file = (folder / name).string();
    open_crystal_file_of_kind(program, CrystalFileKind::Native);
  }
};

CurrentCrystal random_crystal(const char* system, const char* symbol, CellParameters cell, int atoms, unsigned seed) {
  CurrentCrystal crystal;
  crystal.title = "benchmark";
  crystal.system_code = system;
  crystal.symbol = symbol;
  crystal.cell = cell;
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> coordinate(0.02, 0.98);
  const char* types[] = {"O", "Si", "Fe", "Ca", "Al", "Mg"};
  for (int i = 0; i < atoms; ++i)
    crystal.atoms.push_back({types[i % 6], "1", coordinate(random), coordinate(random), coordinate(random), 0.5, 1.0});
  return crystal;
}

void BM_TypicalPhaseEndToEnd(benchmark::State& state) {
  BenchProgram bench("calvane-bench-typical");
  bench.set_spectrum({"1.54056", "1.54439", "1.39222", "1.47640"}, "50");
  bench.open(random_crystal("MONO", "P 1 21/c 1", {10.2, 11.3, 12.1, 90, 101.5, 90}, 30, 7), "typical.cry");
  if (bench.program.workspace.phase_count() != 1) state.SkipWithError(bench.ui.last_warning.c_str());
  for (auto _ : state) benchmark::DoNotOptimize(compute_current_phase(bench.program));
  state.counters["reflections"] = static_cast<double>(bench.program.workspace.phase(1).reflections.size());
}
BENCHMARK(BM_TypicalPhaseEndToEnd)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same phase computed as if for the first time: its reflection lists are
// enumerated again instead of coming from the lists kept since the last Apply.
void BM_TypicalPhaseFirstComputation(benchmark::State& state) {
  BenchProgram bench("calvane-bench-typical-first");
  bench.set_spectrum({"1.54056", "1.54439", "1.39222", "1.47640"}, "50");
  bench.open(random_crystal("MONO", "P 1 21/c 1", {10.2, 11.3, 12.1, 90, 101.5, 90}, 30, 7), "typical.cry");
  if (bench.program.workspace.phase_count() != 1) state.SkipWithError(bench.ui.last_warning.c_str());
  for (auto _ : state) {
    bench.program.caches.reflection_lists = ReflectionListCache();
    benchmark::DoNotOptimize(compute_current_phase(bench.program));
  }
}
BENCHMARK(BM_TypicalPhaseFirstComputation)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EightLargePhasesRecompute(benchmark::State& state) {
  BenchProgram bench("calvane-bench-large");
  // Close wavelengths keep every list under the engine's 9 998 lines.
  bench.set_spectrum({"1.54056", "1.54439", "1.55000", "1.56000"}, "110");
  for (int p = 1; p <= 8; ++p)
    bench.open(random_crystal("CUBI", "F m -3 m", {62, 62, 62, 90, 90, 90}, 400, 100u + static_cast<unsigned>(p)),
               "large" + std::to_string(p) + ".cry");
  if (bench.program.workspace.phase_count() != 8) state.SkipWithError(bench.ui.last_warning.c_str());
  for (auto _ : state) recompute_all_phases(bench.program);
  state.counters["lines_per_phase"] = static_cast<double>(bench.program.workspace.phase(8).reflections.size());
}
BENCHMARK(BM_EightLargePhasesRecompute)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
}  // namespace calvane

BENCHMARK_MAIN();
