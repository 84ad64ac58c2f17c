// Costs of the scattering set-up that runs on every change of atoms or
// wavelength: reading an anomalous table, the composition, form factors.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "crystallography/absorption_table.hpp"
#include "crystallography/anomalous_table.hpp"
#include "crystallography/composition.hpp"
#include "crystallography/scattering.hpp"

namespace {

const std::filesystem::path kData = std::filesystem::path(CALVANE_SOURCE_DIR) / "data";
const char* const kElements[] = {"H",  "C", "N",  "O",  "Na", "Mg", "Al", "Si", "P",  "S",
                                 "Cl", "K", "Ca", "Ti", "Fe", "Cu", "Zn", "Sr", "Ba", "U"};

std::vector<calvane::ScatteringType> twenty_types() {
  std::vector<calvane::ScatteringType> types(20);
  for (std::size_t i = 0; i < 20; ++i) {
    types[i].symbol = calvane::scattering_symbol(kElements[i]);
    calvane::lookup_form_factor(types[i]);
  }
  return types;
}

void read_and_apply_brennan_cowan(benchmark::State& state) {
  auto types = twenty_types();
  for (auto _ : state) {
    calvane::AnomalousTable table;
    calvane::read_anomalous_file(kData / "Brcow.an", table);
    calvane::apply_anomalous_table(table, {0.63229, 0.7093, 0.71359, 1.5406}, types);
    benchmark::DoNotOptimize(types.data());
  }
}
BENCHMARK(read_and_apply_brennan_cowan)->Unit(benchmark::kMillisecond);

void read_muro(benchmark::State& state) {
  auto types = twenty_types();
  for (auto _ : state) benchmark::DoNotOptimize(calvane::read_absorption_table(kData / "muro.dat", types).ok);
}
BENCHMARK(read_muro)->Unit(benchmark::kMillisecond);

void composition_of_400_atoms(benchmark::State& state) {
  calvane::CurrentCrystal crystal;
  for (int i = 0; i < 400; ++i)
    crystal.atoms.push_back(calvane::AtomSite{kElements[i % 20], "", 0, 0, 0, 0, 1, 0, 0, 0});
  crystal.cell = {10, 11, 12, 90, 100, 90};
  calvane::assign_scattering_types(crystal);
  calvane::read_absorption_table(kData / "muro.dat", crystal.scattering_types);
  calvane::PhaseComposition values;
  for (auto _ : state) {
    for (auto& atom : crystal.atoms) atom.weight = 4;
    calvane::compute_composition(crystal, {1.54056, 1.54439}, values);
    benchmark::DoNotOptimize(values.density);
  }
}
BENCHMARK(composition_of_400_atoms)->Unit(benchmark::kMicrosecond);

void form_factor_call(benchmark::State& state) {
  auto types = twenty_types();
  double s = 0.01;
  for (auto _ : state) {
    benchmark::DoNotOptimize(calvane::form_factor(types[14], s, 1).real);
    s = s < 1.0 ? s + 0.001 : 0.01;
  }
}
BENCHMARK(form_factor_call);

}  // namespace

BENCHMARK_MAIN();
