// The fit to a measured pattern: three phases (rutile, corundum, silicon),
// a background of order 4 and the zero shift on a 10 000-point pattern, from
// a start 0.05° off the true zero.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>

#include <unistd.h>

#include "crystal_io/crystal_files.hpp"
#include "crystallography/operators.hpp"
#include "fit/pattern_fit.hpp"
#include "fit/workspace_fit.hpp"
#include "model/workspace.hpp"
#include "profile/phase_computation.hpp"
#include "profile/spectrum_setup.hpp"
#include "util/message_sink.hpp"

namespace calvane {
namespace {

const std::filesystem::path kSource = CALVANE_SOURCE_DIR;

Workspace three_phases() {
  Workspace ws;
  set_single_wavelength(ws.settings, 1.5406);
  set_two_theta_range(ws.settings, 9, 131);
  ws.settings.u = 0.01;
  ws.settings.v = 0;
  ws.settings.w = 0.03;
  const std::filesystem::path scratch =
      std::filesystem::temp_directory_path() / ("calvane-fit-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(scratch);
  CollectedMessages messages;
  for (const char* name : {"rutile.cry", "corundum.cry", "silicon.cry"}) {
    const auto path = kSource / "examples" / name;
    auto crystal = read_crystal_file({path, CrystalFileKind::Native, name, kSource / "data", {}}, messages);
    if (crystal->symmetry.operators.empty()) build_symmetry_operators(*crystal, kSource / "data", scratch, messages);
    add_phase(ws, std::move(*crystal), path.string());
  }
  ws.phase(1).fraction = 0.3;
  ws.phase(2).fraction = 0.5;
  ws.phase(3).fraction = 0.2;
  ws.corrections.zero_shift_deg = 0.05;
  ComputationCaches caches;
  compute_all_phases(ws, caches, kSource / "data", "", messages);
  std::filesystem::remove_all(scratch);
  return ws;
}

FitRequest request_of(Workspace& ws) {
  std::vector<double> x(10000);
  for (std::size_t i = 0; i < x.size(); ++i) x[i] = 10 + 120.0 * static_cast<double>(i) / (x.size() - 1);
  const std::vector<double> y = workspace_pattern(ws, x);
  const double top = *std::max_element(y.begin(), y.end());
  std::mt19937 random(31);
  MeasuredPoints measured;
  measured.two_theta = x;
  for (std::size_t i = 0; i < x.size(); ++i)
    measured.counts.push_back(std::poisson_distribution<long>(y[i] * 20000 / top + 200 + x[i])(random));
  ws.corrections.zero_shift_deg = 0;
  FitChoices choices;
  choices.background_order = 4;
  choices.zero_shift = true;
  FitRequest request = workspace_fit_request(ws, choices);
  request.measured = std::move(measured);
  return request;
}

void ThreePhaseFit(benchmark::State& state) {
  Workspace ws = three_phases();
  const FitRequest request = request_of(ws);
  FitResult result;
  for (auto _ : state) {
    result = fit_pattern(request);
    benchmark::DoNotOptimize(result.rwp);
  }
  state.counters["evaluations"] = result.evaluations;
  state.counters["rutile_wt%"] = 100 * result.phases[0].weight_fraction.value;
  state.counters["zero_deg"] = result.zero_shift_deg.value;
}
BENCHMARK(ThreePhaseFit)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace calvane

BENCHMARK_MAIN();
