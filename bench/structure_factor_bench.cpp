// Structure-factor speed: a 400-atom asymmetric unit in Fm-3m (192 operators
// with the centring copies) and about 10 000 reflections at one wavelength.
//
// The rate is given as ObjCryst++ gives it in its speed test: million
// reflection·atom·operator terms per second, the operators counted without
// centring and inversion ("BogoMRAPS(n)"); here 24 of the 192.
#include <benchmark/benchmark.h>

#include "bench_ui.hpp"

#include <random>
#include <sstream>

#include "crystallography/engine.hpp"
#include "crystallography/intensities.hpp"
#include "crystallography/operator_factors.hpp"
#include "crystallography/phase_listing.hpp"
#include "crystallography/reflection_list.hpp"
#include "crystallography/reflection_list_cache.hpp"
#include "crystallography/structure_factor.hpp"
#include "ui/ui_port.hpp"
#include "util/thread_pool.hpp"
#include "flows/program.hpp"

namespace calvane {
namespace {

// Fm-3m operators: 48 point operations times the four face-centring translations.
SymmetryData face_centred_cubic_operators() {
  SymmetryData symmetry;
  const int permutations[6][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}, {1, 0, 2}, {0, 2, 1}, {2, 1, 0}};
  std::vector<SymmetryOperator> point;
  for (const auto& p : permutations)
    for (int signs = 0; signs < 8; ++signs) {
      SymmetryOperator op;
      for (int row = 0; row < 3; ++row)
        op.m[static_cast<std::size_t>(row)][static_cast<std::size_t>(p[row])] = (signs >> row) & 1 ? -1 : 1;
      point.push_back(op);
    }
  // Inversion partners next to each other, as the catalogues list them.
  std::vector<SymmetryOperator> ordered;
  for (const auto& op : point) {
    bool has_negative_diagonal_parity = false;
    SymmetryOperator negative = op;
    for (auto& row : negative.m)
      for (std::size_t c = 0; c < 3; ++c) row[c] = -row[c];
    for (const auto& seen : ordered) has_negative_diagonal_parity |= seen.m == op.m;
    if (has_negative_diagonal_parity) continue;
    ordered.push_back(op);
    ordered.push_back(negative);
  }
  const std::array<std::array<double, 3>, 3> centring{{{0, 0.5, 0.5}, {0.5, 0, 0.5}, {0.5, 0.5, 0}}};
  symmetry.operators = ordered;
  for (const auto& tau : centring) {
    for (const auto& op : ordered) {
      SymmetryOperator shifted = op;
      for (std::size_t row = 0; row < 3; ++row) shifted.m[row][3] = tau[row];
      symmetry.operators.push_back(shifted);
    }
    symmetry.centring_translations.push_back(tau);
  }
  symmetry.centrosymmetric = true;
  symmetry.lattice_letter = 'F';
  return symmetry;
}

CurrentCrystal large_crystal() {
  CurrentCrystal crystal;
  crystal.symbol = "Fm-3m";
  crystal.system_code = "CUBI";
  crystal.cell.a = crystal.cell.b = crystal.cell.c = 59.0;
  crystal.cell.alpha = crystal.cell.beta = crystal.cell.gamma = 90;
  compute_derived_cell(crystal.cell);
  crystal.symmetry = face_centred_cubic_operators();
  for (const char* element : {"SI", "O", "FE", "CA"}) {
    ScatteringType type;
    type.symbol = element;
    type.a = {6.3, 3.0, 1.9, 1.5};
    type.b = {2.4, 32.3, 0.7, 81.7};
    type.c = 1.1;
    crystal.scattering_types.push_back(type);
  }
  std::mt19937 random(2024);
  std::uniform_real_distribution<double> coordinate(0, 1), displacement(0.3, 1.5);
  for (int i = 0; i < 400; ++i) {
    AtomSite atom;
    atom.type = crystal.scattering_types[static_cast<std::size_t>(i % 4)].symbol;
    atom.type_index = i % 4 + 1;
    atom.x = coordinate(random);
    atom.y = coordinate(random);
    atom.z = coordinate(random);
    atom.b = displacement(random);
    atom.weight = 1.0;
    atom.fermi_length = 0.5;
    crystal.atoms.push_back(atom);
  }
  return crystal;
}

struct Setup {
  CurrentCrystal crystal = large_crystal();
  std::vector<MillerIndex> indices;
  double rap_terms = 0;  // reflections × atoms × operators without centring and inversion
  Setup() {
    BenchUi ui;
    const auto list = make_reflection_list(crystal, 1.5406, 5, 150, ui);
    for (const auto& r : list.reflections) indices.push_back({r.h, r.k, r.l});
    const FactorisedOperators f = factorise_operators(crystal.symmetry);
    rap_terms = static_cast<double>(indices.size()) * static_cast<double>(crystal.atoms.size()) *
                static_cast<double>(f.independent.size());
  }
};

const Setup& setup() {
  static const Setup instance;
  return instance;
}

void report(benchmark::State& state, const Setup& s) {
  state.counters["reflections"] = static_cast<double>(s.indices.size());
  state.counters["BogoMRAPS"] =
      benchmark::Counter(s.rap_terms / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// Both cores, through the shared pool: the sums of one wavelength from scratch.
void BM_StructureFactorsBothCores(benchmark::State& state) {
  const Setup& s = setup();
  for (auto _ : state) {
    StructureFactorCache cache;
    cache.prepare(s.crystal, s.indices);
    benchmark::DoNotOptimize(cache.size());
  }
  report(state, s);
}
BENCHMARK(BM_StructureFactorsBothCores)->Unit(benchmark::kMillisecond)->UseRealTime();

// One core: a pool without workers runs everything on the calling thread.
void BM_StructureFactorsOneCore(benchmark::State& state) {
  const Setup& s = setup();
  ThreadPool single(0);
  for (auto _ : state) {
    StructureFactorCache cache;
    cache.prepare(s.crystal, s.indices, single);
    benchmark::DoNotOptimize(cache.size());
  }
  report(state, s);
}
BENCHMARK(BM_StructureFactorsOneCore)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole wavelength as the driver runs it: list, sums, intensities, both listings.
void BM_WholeWavelength(benchmark::State& state) {
  const Setup& s = setup();
  BenchUi ui;
  ExperimentSettings settings;
  settings.wavelengths = {1.5406};
  settings.fractions = {1};
  settings.two_theta_low = 5;
  settings.two_theta_high = 150;
  PhaseComposition composition;
  composition.formula_units = 1;
  const std::array<double, 4> absorption{1, 1, 1, 1};
  std::size_t count = 0;
  ReflectionListCache lists;  // kept, as the program keeps them from one Apply to the next
  for (auto _ : state) {
    StructureFactorCache sums;  // summed again, as after an edit of the atoms
    PhaseLines lines = compute_phase_lines({s.crystal, settings, composition, absorption}, lists, sums, nullptr, ui);
    DeferredListing listing{s.crystal, settings, composition, "bench.cry", "-", std::move(lines.sections)};
    std::string detailed, brief;
    write_listing_headers(listing, &detailed, &brief);
    write_sections(listing, &detailed, &brief);
    count = lines.reflections.size();
    benchmark::DoNotOptimize(detailed.size());
  }
  state.counters["reflections"] = static_cast<double>(count);
}
BENCHMARK(BM_WholeWavelength)->Unit(benchmark::kMillisecond)->UseRealTime();

// The reflection list alone: enumeration, absences, merge and multiplicities.
void BM_ReflectionList(benchmark::State& state) {
  const Setup& s = setup();
  BenchUi ui;
  for (auto _ : state) {
    const auto list = make_reflection_list(s.crystal, 1.5406, 5, 150, ui);
    benchmark::DoNotOptimize(list.reflections.size());
  }
}
BENCHMARK(BM_ReflectionList)->Unit(benchmark::kMillisecond)->UseRealTime();

// A later wavelength of the same spectrum: the sums come from the cache.
void BM_LaterWavelengthFromCache(benchmark::State& state) {
  const Setup& s = setup();
  StructureFactorCache cache;
  cache.prepare(s.crystal, s.indices);
  ExperimentSettings settings;
  PhaseComposition composition;
  composition.formula_units = 1;
  const std::array<double, 4> absorption{1, 1, 1, 1};
  BenchUi ui;
  const auto list = make_reflection_list(s.crystal, 1.5406, 5, 150, ui);
  const IntensityContext context{s.crystal, settings, composition, absorption, 1, 1.5406};
  for (auto _ : state) {
    const auto result = intensities_xray(context, list.reflections, cache);
    benchmark::DoNotOptimize(result.scale_factor);
  }
}
BENCHMARK(BM_LaterWavelengthFromCache)->Unit(benchmark::kMillisecond)->UseRealTime();

// Both listing sections of one wavelength.
void BM_ListingSections(benchmark::State& state) {
  const Setup& s = setup();
  StructureFactorCache cache;
  ExperimentSettings settings;
  PhaseComposition composition;
  composition.formula_units = 1;
  const std::array<double, 4> absorption{1, 1, 1, 1};
  BenchUi ui;
  const auto list = make_reflection_list(s.crystal, 1.5406, 5, 150, ui);
  const IntensityContext context{s.crystal, settings, composition, absorption, 1, 1.5406};
  const auto result = intensities_xray(context, list.reflections, cache);
  const ListingContext listing{s.crystal, settings, composition, "bench.cry", "-", 1.5406, 1};
  for (auto _ : state) {
    std::string detailed, brief;
    write_detailed_section(detailed, listing, result);
    write_short_section(brief, listing, result);
    benchmark::DoNotOptimize(detailed.size() + brief.size());
  }
}
BENCHMARK(BM_ListingSections)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace calvane

BENCHMARK_MAIN();
