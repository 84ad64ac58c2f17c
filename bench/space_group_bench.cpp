// Cost of the symmetry steps a recomputation or a space-group choice runs.
#include <benchmark/benchmark.h>

#include "bench_ui.hpp"

#include <filesystem>

#include "crystallography/operators.hpp"
#include "crystallography/site_weights.hpp"
#include "crystallography/space_group_from_operators.hpp"
#include "ui/ui_port.hpp"

namespace calvane {
namespace {

const std::filesystem::path kData = std::filesystem::path(CALVANE_SOURCE_DIR) / "data";

CurrentCrystal face_centred_cubic() {
  CurrentCrystal crystal;
  crystal.system_code = "CUBI";
  crystal.symbol = "F m -3 m";
  BenchUi ui;
  build_operators_pos(crystal, kData, ui);
  return crystal;
}

// The largest asymmetric unit (400 atoms) in the largest group (192 operators).
void BM_SiteWeights400AtomsFm3m(benchmark::State& state) {
  CurrentCrystal crystal = face_centred_cubic();
  crystal.atoms.resize(400);
  for (std::size_t i = 0; i < crystal.atoms.size(); ++i) {
    crystal.atoms[i].x = 0.001 * static_cast<double>(i);
    crystal.atoms[i].y = 0.25;
    crystal.atoms[i].z = 0.37;
  }
  for (auto _ : state) {
    site_weights(crystal);
    benchmark::DoNotOptimize(crystal.atoms.front().weight);
  }
}
BENCHMARK(BM_SiteWeights400AtomsFm3m)->Unit(benchmark::kMillisecond);

void BM_PosRouteFm3m(benchmark::State& state) {
  BenchUi ui;
  for (auto _ : state) benchmark::DoNotOptimize(face_centred_cubic().symmetry.operators.size());
}
BENCHMARK(BM_PosRouteFm3m)->Unit(benchmark::kMicrosecond);

void BM_GetspecRouteFm3m(benchmark::State& state) {
  const std::filesystem::path scratch = std::filesystem::temp_directory_path() / "calvane-bench-getspec";
  std::filesystem::create_directories(scratch);
  BenchUi ui;
  CurrentCrystal crystal;
  crystal.system_code = "CUBI";
  crystal.symbol = "F m -3 m";
  for (auto _ : state) {
    build_operators_getspec(crystal, scratch, ui);
    benchmark::DoNotOptimize(crystal.symmetry.operators.size());
  }
  std::filesystem::remove_all(scratch);
}
BENCHMARK(BM_GetspecRouteFm3m)->Unit(benchmark::kMicrosecond);

// Naming F m -3 m: the cubic section of "spgr.peq" read and searched.
void BM_MatchCatalogueFm3m(benchmark::State& state) {
  BenchUi ui;
  CurrentCrystal crystal = face_centred_cubic();
  for (auto _ : state) benchmark::DoNotOptimize(match_catalogue(crystal.symmetry, "CUBI", kData, ui));
}
BENCHMARK(BM_MatchCatalogueFm3m)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace calvane

BENCHMARK_MAIN();
