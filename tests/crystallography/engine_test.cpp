// The per-wavelength entry point: intensities for the three sources, the
// scale factor, the failure path, and both listings line for line.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "../support/scripted_ui.hpp"
#include "crystal_builder.hpp"
#include "crystallography/engine.hpp"
#include "crystallography/intensities.hpp"
#include "crystallography/phase_listing.hpp"
#include "crystallography/reflection_list_cache.hpp"
#include "model/workspace.hpp"
#include "util/files.hpp"

namespace calvane {
namespace {

using testing::add_atom;
using testing::make_crystal;
using testing::ScriptedUi;
using testing::set_scattering;

// Rutile TiO2 (P42/mnm), with it1992 form factors and anomalous terms at two wavelengths.
CurrentCrystal rutile() {
  CurrentCrystal c = make_crystal("P42/mnm", "-P 4n 2n", "TETR", {4.594, 4.594, 2.959, 90, 90, 90});
  c.title = "Rutile TiO2";
  add_atom(c, "Ti", {0, 0, 0}, 0.4, 1.0, 2);
  add_atom(c, "O", {0.3048, 0.3048, 0}, 0.6, 1.0, 4);
  c.atoms[0].label = "1", c.atoms[1].label = "2";
  c.atoms[0].fermi_length = -0.344, c.atoms[1].fermi_length = 0.58;
  set_scattering(c.scattering_types[0], {9.7595, 7.3558, 1.6991, 1.9021}, {7.8508, 0.5, 35.6338, 116.105},
                 1.2807, {0.219, -0.282, 0, 0}, {1.807, 0.446, 0, 0});
  set_scattering(c.scattering_types[1], {3.0485, 2.2868, 1.5463, 0.867}, {13.2771, 5.7011, 0.3239, 32.9089},
                 0.2508, {0.049, 0.008, 0, 0}, {0.032, 0.006, 0, 0});
  return c;
}

// Bismuth in rhombohedral axes (R-3m).
CurrentCrystal bismuth() {
  CurrentCrystal c = make_crystal("R-3m", "-P 3* 2", "RHOM", {4.7236, 4.7236, 4.7236, 57.35, 57.35, 57.35});
  c.title = "Bismuth";
  add_atom(c, "Bi", {0.2339, 0.2339, 0.2339}, 1.0, 1.0, 2);
  c.atoms[0].label = "1";
  c.atoms[0].fermi_length = 0.853;
  return c;
}

struct SpectrumRun {
  std::string detailed, brief;
  PhaseLines lines;
};

// Computes every wavelength as the driver does and writes both listings.
SpectrumRun run_spectrum(Workspace& w, MessageSink& messages) {
  SpectrumRun run;
  compute_derived_cell(w.crystal.cell);
  ReflectionListCache lists;
  StructureFactorCache sums;
  run.lines = compute_phase_lines({w.crystal, w.settings, w.composition, w.sample_absorption}, lists, sums, nullptr,
                                  messages);
  const DeferredListing listing{w.crystal,           w.settings, w.composition, w.crystal_file_name,
                                "06/12/2026 08:00:00", run.lines.sections};
  write_listing_headers(listing, &run.detailed, &run.brief);
  write_sections(listing, &run.detailed, &run.brief);
  return run;
}

void prepare(Workspace& w, CurrentCrystal crystal, std::vector<double> wavelengths) {
  w.crystal = std::move(crystal);
  w.crystal_file_name = "c:\\cristaux\\test.cry";
  w.settings.wavelengths = wavelengths;
  w.settings.fractions.assign(wavelengths.size(), 1.0 / static_cast<double>(wavelengths.size()));
  w.settings.two_theta_low = 20;
  w.settings.two_theta_high = 90;
  w.composition.formula = "TiO2";
  w.composition.formula_units = 2;
  w.composition.molecular_weight = 79.866;
  w.composition.density = 4.25;
  w.composition.mass_absorption = {124.6, 18.9, 0, 0};
  w.sample_absorption = {529.5, 80.3, 0, 0};
}

// Golden listings were checked line by line against the layout of the
// listings when first written; set CALVANE_UPDATE_GOLDEN=1 to rewrite them.
void expect_golden(const std::string& name, const std::string& text) {
  const auto path = std::filesystem::path(CALVANE_SOURCE_DIR) / "tests/crystallography/fixtures/listings" / name;
  if (std::getenv("CALVANE_UPDATE_GOLDEN") != nullptr) {
    std::ofstream(path, std::ios::binary) << text;
    return;
  }
  EXPECT_EQ(text, read_file_bytes(path).value_or("missing golden file " + path.string())) << name;
}

TEST(EngineListings, MatchTheGoldenFilesForEachSource) {
  struct Case {
    const char* name;  // golden files <name>_detailed.out and <name>_short.out
    CurrentCrystal crystal;
    std::vector<double> wavelengths;
    void (*setup)(Workspace&);
  };
  const Case cases[] = {
      {"tube", rutile(), {1.5406, 0.7093}, [](Workspace&) {}},
      {"synchrotron",
       rutile(),
       {1.0},
       [](Workspace& w) {
         w.settings.xray_source = XRaySource::Synchrotron;
         w.settings.polarisation = 0.95;
       }},
      // Bismuth in rhombohedral axes: the neutron listing with its hexagonal indices.
      {"neutron",
       bismuth(),
       {1.5},
       [](Workspace& w) {
         w.settings.source = RadiationSource::Neutrons;
         w.composition.formula = "Bi";
       }},
  };
  for (const Case& c : cases) {
    ScriptedUi ui;
    Workspace w;
    prepare(w, c.crystal, c.wavelengths);
    c.setup(w);
    const SpectrumRun run = run_spectrum(w, ui);
    for (auto [suffix, text] : {std::pair{"_detailed.out", &run.detailed}, {"_short.out", &run.brief}})
      expect_golden(c.name + std::string(suffix), *text);
    EXPECT_TRUE(ui.warnings.empty()) << c.name;
  }
}

TEST(Engine, TooManyReflectionsAbandonsTheWavelengthAndNothingInRangeWritesNoSection) {
  ScriptedUi ui;
  Workspace w;
  CurrentCrystal big = make_crystal("Pm-3m", "-P 4 2 3", "CUBI", {40, 40, 40, 90, 90, 90});
  add_atom(big, "Ti", {0.1, 0.2, 0.3}, 0.5, 1, 48);
  prepare(w, big, {0.5});
  w.settings.two_theta_low = 1;
  w.settings.two_theta_high = 170;
  EXPECT_TRUE(run_spectrum(w, ui).lines.reflections.empty());
  EXPECT_EQ(std::tuple(ui.warnings, ui.beeps),
            std::tuple(std::vector<std::string>{"Too many calculated reflections. Decrease the theta range",
                                                "No reflection calculated in the given Theta range!"},
                       1));

  ScriptedUi quiet;
  Workspace rutile_workspace;
  prepare(rutile_workspace, rutile(), {1.5406});
  rutile_workspace.settings.two_theta_low = 10;
  rutile_workspace.settings.two_theta_high = 12;  // below the first line, 110 at 27.4°
  const SpectrumRun run = run_spectrum(rutile_workspace, quiet);
  EXPECT_EQ(std::tuple(run.lines.reflections.size(), run.detailed.find("Results for lambda="),
                       quiet.warnings.size()),
            std::tuple(0u, std::string::npos, 0u));
}

// The 110 line of the rutile cell at spacing d (4.594/√2 Å in the real cell).
Reflection line_110(double d = 4.594 / std::sqrt(2.0)) {
  Reflection r;
  r.h = 1, r.k = 1, r.l = 0, r.multiplicity = 4, r.d = d;
  return r;
}

struct IntensityFixture {
  CurrentCrystal crystal = rutile();
  ExperimentSettings settings;
  PhaseComposition composition;
  std::array<double, 4> absorption{2.0, 0, 0, 0};
  StructureFactorCache cache;
  IntensityFixture() {
    settings.wavelengths = {1.5406};
    composition.formula_units = 2;
    composition.molecular_weight = 79.866;
  }
  ComputedLine line(const Reflection& r, bool neutrons = false) {
    const IntensityContext context{crystal, settings, composition, absorption, 1, 1.5406};
    const auto result =
        neutrons ? intensities_neutron(context, {r}, cache) : intensities_xray(context, {r}, cache);
    EXPECT_EQ(result.lines.size(), 1u);
    return result.lines.at(0);
  }
};

TEST(Intensities, FloorClampAndMissingFactors) {
  IntensityFixture f;
  const double with = f.line(line_110()).reflection.intensity;
  for (const bool neutrons : {false, true}) {  // λ/2d = 1.0004: the Bragg angle is clamped below 90°
    const ComputedLine clamped = f.line(line_110(0.77), neutrons);
    EXPECT_NEAR(clamped.reflection.two_theta, 114.5914 * std::asin(0.99999), 1e-9);
    EXPECT_TRUE(std::isfinite(clamped.reflection.intensity));
  }
  f.absorption = {0, 0, 0, 0};  // missing absorption or Z leave their factor out
  f.composition.formula_units = 0;
  const double without = f.line(line_110()).reflection.intensity;
  EXPECT_NEAR(without, with * 4.0 * 2.0, 1e-9 * without);
  IntensityFixture weak;
  for (AtomSite& atom : weak.crystal.atoms) atom.weight = 0;  // nothing scatters: floored before the factors
  EXPECT_DOUBLE_EQ(weak.line(line_110(3.2)).reflection.intensity, 0.05 / 4.0 / 2.0);
}

TEST(PhaseListing, FaceCentredHeaderListsItsThreeTranslations) {
  Workspace w;
  prepare(w, testing::read_reference_case("nacl").crystal, {1.5406});
  std::string detailed;
  write_listing_headers(DeferredListing{w.crystal, w.settings, w.composition, w.crystal_file_name, "-", {}},
                        &detailed, nullptr);
  EXPECT_NE(detailed.find("\nBravais lattice translations:\n"
                          "  0.000000  0.500000  0.500000\n"
                          "  0.500000  0.000000  0.500000\n"
                          "  0.500000  0.500000  0.000000\n\nAsymetric unit content:\n"),
            std::string::npos);
  EXPECT_NE(detailed.find("\nBravais: F\nCentro\n"), std::string::npos);
}

TEST(PhaseListing, ExponentText) {
  const std::pair<double, const char*> cases[] = {{123.456, " 1.2346E+0002"},
                                                  {0.000123456, " 1.2346E-0004"},
                                                  {-5.0, "-5.0000E+0000"},
                                                  {0.0, " 0.0000E+0000"},
                                                  {9.99996e9, " 1.0000E+0010"}};
  for (auto [value, text] : cases) EXPECT_EQ(exponent_text(value), text);
}

}  // namespace
}  // namespace calvane
