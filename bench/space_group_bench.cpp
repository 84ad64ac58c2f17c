// Cost of the symmetry steps a recomputation or a space-group choice runs.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "crystallography/operators.hpp"
#include "crystallography/site_weights.hpp"
#include "crystallography/space_group_from_operators.hpp"
#include "ui/ui_port.hpp"

namespace calvane {
namespace {

class SilentUi : public Ui {
public:
  void warning(std::string_view) override {}
  Answer confirm(std::string_view) override { return Answer::Cancel; }
  void beep() override {}
  void set_busy(bool) override {}
  std::optional<FileDialogResult> open_file(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<FileDialogResult> save_file(const FileDialogRequest&) override { return std::nullopt; }
  void show_window(WindowId, bool) override {}
  void refresh() override {}
  void redraw_plot() override {}
  bool start_program(const std::string&, const std::vector<std::string>&) override { return false; }
  void show_text_file(const std::string&) override {}
  void open_help(int) override {}
  int screen_width() override { return 1600; }
  void process_events() override {}
  void quit() override {}
};

const std::filesystem::path kData = std::filesystem::path(CALVANE_SOURCE_DIR) / "data";

CurrentCrystal face_centred_cubic() {
  CurrentCrystal crystal;
  crystal.system_code = "CUBI";
  crystal.symbol = "F m -3 m";
  SilentUi ui;
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
  SilentUi ui;
  for (auto _ : state) benchmark::DoNotOptimize(face_centred_cubic().symmetry.operators.size());
}
BENCHMARK(BM_PosRouteFm3m)->Unit(benchmark::kMicrosecond);

void BM_GetspecRouteFm3m(benchmark::State& state) {
  const std::filesystem::path scratch = std::filesystem::temp_directory_path() / "calvane-bench-getspec";
  std::filesystem::create_directories(scratch);
  SilentUi ui;
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
  SilentUi ui;
  CurrentCrystal crystal = face_centred_cubic();
  for (auto _ : state) benchmark::DoNotOptimize(match_catalogue(crystal.symmetry, "CUBI", kData, ui));
}
BENCHMARK(BM_MatchCatalogueFm3m)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace calvane

BENCHMARK_MAIN();
