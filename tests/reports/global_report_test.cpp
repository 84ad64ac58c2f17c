// The global report "report_cmp.txt".
#include "flows/report_flows.hpp"

#include <gtest/gtest.h>

#include "util/files.hpp"
#include "support/program_in_folder.hpp"

// Designated initialisers below leave the other members at their defaults, as intended.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace calvane {
namespace {

PhaseData phase(const char* file, const char* symbol, CellParameters cell, int z, double m, int reflections) {
  PhaseData p;
  p.file_name = file;
  p.crystal.symbol = symbol;
  p.crystal.cell = cell;
  p.composition.formula_units = z;
  p.composition.molecular_weight = m;
  p.reflections.resize(static_cast<std::size_t>(reflections));
  return p;
}

// Quartz (Le Page & Donnay 1976, Acta Cryst. B32, 2456) and calcite, with two
// wavelengths; the results list as the driver fills it.
struct GlobalReport : ::testing::Test, testing::ProgramInFolder {
  GlobalReport() {
    Workspace& w = program.workspace;
    w.settings.wavelengths = {1.5406, 1.5444};
    w.settings.fractions = {0.6, 0.4};
    PhaseData quartz =
        phase("/home/u/quartz.cry", "P 32 2 1", {4.913, 4.913, 5.405, 90, 90, 120}, 3, 60.084, 2);
    quartz.crystal.atoms = {AtomSite{.type = "Si", .label = "Si", .x = 0.4697, .b = 0.5},
                            AtomSite{.type = "O", .label = "O1", .x = 0.4135, .y = 0.2669, .z = 0.1191, .b = 1.0}};
    quartz.composition.anomalous = {{"Si", {0.244, 0.245}, {0.330, 0.331}},
                                    {"O", {0.047, 0.047}, {0.032, 0.032}}};
    PhaseData calcite = phase("/w/calcite_mp.cry", "R -3 c", {4.99, 4.99, 17.06, 90, 90, 120}, 6, 100.087, 1);
    calcite.crystal.atoms = {AtomSite{.type = "Ca"}};
    w.phases = {quartz, calcite};
    program.main_form.results = {" Results",
                                 "Phase 1  scale factor K=0.12345678",
                                 "   1  1  0  0  4.2548  20.859   22.1 1.54060",
                                 "   2  1  0  1  3.3435  26.639  100.0 1.54060",
                                 "Phase 2  scale factor K=1.50000000",
                                 "   1  0  1  2  3.8552  23.053    8.0 1.54060",
                                 "   2  1  0  4  3.0355  29.405  100.0 1.54060"};
  }
};

TEST_F(GlobalReport, MatchesTheGoldenFileLineForLine) {
  program.file_list.recorded_file = "mixture.lst";  // the file last loaded from a file list
  show_global_report(program);
  EXPECT_EQ(read_file_bytes(folder / "report_cmp.txt"),
            read_file_bytes(testing::source_folder("tests/reports/fixtures") / "report_cmp_two_phases.txt"));
  EXPECT_EQ(ui.shown_text_files, std::vector{(folder / "report_cmp.txt").string()});
}

TEST_F(GlobalReport, SourceScaleAndNamesChangeTheirLines) {
  Workspace& w = program.workspace;
  std::tie(w.settings.source, w.settings.angle_scale) = std::pair(RadiationSource::Neutrons, AngleScale::Q);
  std::tie(w.settings.wavelengths, w.settings.fractions) = std::pair(std::vector{1.5406}, std::vector{1.0});
  w.phases[0].file_name = "C:\\cmp\\quartz_cmp.cry";
  const auto lines = build_global_report(w, program.main_form.results, "");
  EXPECT_EQ(lines[0] + "|" + lines[1], "|Phase Nb.  1 quartz");
  for (const auto& line : lines) EXPECT_EQ(line.find("Anomalous"), std::string::npos) << line;
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Nb. h  k  l   Dhkl     Q     K*Int. lambda"), 2);

  std::tie(w.settings.source, w.settings.angle_scale) = std::pair(RadiationSource::XRays, AngleScale::Theta);
  const auto xray = build_global_report(w, program.main_form.results, "");
  EXPECT_EQ(xray[7], "Wavelength:   1.54060(1.00)");
  EXPECT_NE(std::find(xray.begin(), xray.end(), " Nb. h  k  l   Dhkl   Theta  K*Int. lambda"), xray.end());

  // Cu Kβ, Kα1, Kα2 at 10, 100, 50 as the driver holds them (the dialog's
  // relative values × 0.01): each is printed as its share of the whole.
  w.settings.wavelengths = {1.39222, 1.54056, 1.54439};
  w.settings.fractions = {0.001, 0.01, 0.005};
  EXPECT_EQ(build_global_report(w, program.main_form.results, "")[7],
            "Wavelength:   1.39222(0.0625)           1.54056(0.625)           1.54439(0.3125)");
}

TEST_F(GlobalReport, ShortResultsListCopiesOnlyWhatExists) {
  program.main_form.results.resize(3);  // the second line of phase 1 and phase 2's block are missing
  const auto lines = build_global_report(program.workspace, program.main_form.results, "");
  const auto conventions = std::find(lines.begin(), lines.end(), "Conventions (xray tube):");
  ASSERT_NE(conventions, lines.end());
  EXPECT_EQ(*(conventions - 2), " Nb. h  k  l   Dhkl  2Theta  K*Int. lambda");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Intensities with :"), lines.end());
}

TEST_F(GlobalReport, PhaseListingsOpenTheCurrentPhasesListingAndNothingWithoutAPhase) {
  program.workspace.current_phase = 2;
  show_detailed_listing(program);
  show_short_listing(program);
  EXPECT_EQ(ui.shown_text_files,
            (std::vector<std::string>{(folder / "phase22.out").string(), (folder / "phase2.out").string()}));
  program.workspace.current_phase = 3;  // above the phase count: nothing starts
  show_short_listing(program);
  program.workspace.phases.clear();
  show_detailed_listing(program);
  show_global_report(program);  // nor is there a report without a phase
  EXPECT_EQ(std::tuple(ui.last_warning(), std::filesystem::exists(folder / "report_cmp.txt"),
                       ui.shown_text_files.size()),
            std::tuple("No calculated diagram!", false, 2u));
}

}  // namespace
}  // namespace calvane
