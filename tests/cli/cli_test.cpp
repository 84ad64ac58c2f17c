#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include <unistd.h>

#include "cli/options.hpp"
#include "cli/run.hpp"
#include "experiment_io/total_data_file.hpp"
#include "support/temp_folder.hpp"
#include "util/files.hpp"
#include "util/text.hpp"

namespace calvane::cli {
namespace {

using calvane::testing::TempFolder;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

// The message a refused command line gives, or "accepted".
std::string refusal(const std::vector<std::string>& arguments) {
  try {
    parse_options(arguments);
  } catch (const std::invalid_argument& error) {
    return error.what();
  }
  return "accepted";
}

TEST(Options, ReadsEveryOptionOfTheCommandLine) {
  Options o = parse_options({"a.cry", "--spectrum", "1.54056:100,1.54439:50", "--synchrotron", "0.9", "--range",
                             "5", "80", "--uvw", "0.01", "-0.02", "0.05", "--points", "800", "--size", "300",
                             "--strain", "2", "--percent", "30,70", "--molar", "b.cif", "--block", "2",
                             "--no-anomalous", "--reflections", "r.csv", "--plot", "p.png", "--plot-size", "800",
                             "300", "--intensity-axis", "--d-axis", "--observed", "x.raw", "--observed", "y.sim", "--observed-peaks", "z.dif"});
  EXPECT_EQ(o.crystal_files, (std::vector<std::string>{"a.cry", "b.cif"}));
  ASSERT_EQ(o.spectrum.size(), 2u);
  EXPECT_DOUBLE_EQ(o.spectrum[1].first, 1.54439);
  EXPECT_EQ(std::tuple(*o.synchrotron_polarisation, o.range_high, o.v, o.points, o.molar, *o.cif_block,
                       o.plot_width, o.intensity_axis, o.d_axis),
            std::tuple(0.9, 80.0, -0.02, 800, true, 2, 800, true, true));
  EXPECT_EQ(std::tuple(o.percents, o.observed_patterns, o.observed_peaks),
            std::tuple(std::vector<double>{30, 70}, std::vector<std::string>{"x.raw", "y.sim"},
                       std::vector<std::string>{"z.dif"}));
  const Options batch = parse_options({"--batch", "-", "--out", "o", "--profile-xy", "--resume", "--jobs", "2"});
  EXPECT_EQ(std::tuple(*batch.batch_inputs, *batch.batch_out, batch.profile_xy, batch.resume, *batch.jobs),
            std::tuple("-", "o", true, true, 2));
}

TEST(Options, RefusesBadCommandLinesNamingTheOption) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"a.cry", "--lambda"}, "--lambda needs a value"},
      {{"a.cry", "--lambda", "x"}, "--lambda: \"x\" is not a number"},
      {{"a.cry", "--lambda", "1.5", "--line", "CuKa1"}, "choose one of"},
      {{"a.cry", "--range", "50", "10"}, "--range"},
      {{"a.cry", "--points", "5000"}, "--points"},
      {{"a.cry", "--spectrum", "1.5"}, "--spectrum"},
      {{"a.cry", "--neutrons", "--synchrotron", "0.5"}, "exclude"},
      {{"a.cry", "--percent", "50,50"}, "--percent needs one share per crystal file"},
      {{"a.cry", "--frobnicate"}, "unknown option --frobnicate"},
      {{}, "no crystal"},
      {{"--batch", "in"}, "go together"},
      {{"--out", "o", "--resume"}, "go together"},
      {{"--batch", "in", "--out", "o", "a.cry"}, "not from the command line"},
      {{"--batch", "in", "--out", "o", "--plot", "p.png"}, "do not go with it"},
      {{"--batch", "in", "--out", "o", "--jobs", "0"}, "--jobs"},
  };
  for (const auto& [arguments, message] : cases) EXPECT_THAT(refusal(arguments), HasSubstr(message));
}

TEST(Options, MapsTheNamesOfTheLineListAndRefusesOthersListingThem) {
  const std::pair<const char*, int> known[] = {{"MoKa1", 1}, {"CuKa1", 5}, {"cukbet", 8}, {"CRKBET", 20}};
  for (const auto& [name, index] : known) EXPECT_EQ(parse_options({"a.cry", "--line", name}).line, index) << name;
  EXPECT_THAT(refusal({"a.cry", "--line", "CuKa3"}),
              AllOf(HasSubstr("\"CuKa3\""), HasSubstr("MoKa1"), HasSubstr("CuKmoy"), HasSubstr("FekBet"),
                    HasSubstr("CrkBet")));
}

// The writers would add their own extension to a name without one (p.txt.sim, ws.cmp).
TEST(Options, RefusesOutputNamesWhoseExtensionChoosesNoFormat) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"a.cry", "--profile", "p.txt"}, ".sim, .cpi, .cpd"},
      {{"a.cry", "--profile", "p"}, ".sim, .cpi, .cpd"},
      {{"a.cry", "--save-workspace", "ws"}, ".cmp"},
      {{"a.cry", "--save-workspace", "ws.cmp.bak"}, ".cmp"},
      {{"a.cry", "--peaks", "list.txt"}, ".prn, .dif, .di, .cif"},
  };
  for (const auto& [arguments, extensions] : cases)
    EXPECT_THAT(refusal(arguments), AllOf(HasSubstr(arguments[2]), HasSubstr(extensions)));
  EXPECT_EQ(*parse_options({"a.cry", "--profile", "P.CPD"}).profile_file, "P.CPD");
}

struct Run : ::testing::Test {
  TempFolder data;
  TempFolder out;
  std::ostringstream messages;
  // Rutile 40 wt %, corundum 60 wt %, zero 0.03°, displacement 60 µm, rutile
  // r(110) = 0.85, Poisson counts (tools/make_fit_fixture.py).
  const std::string measured = calvane::testing::source_folder("tests/cli/fixtures/rutile_corundum.xy").string();
  void SetUp() override { data.add_data_files(); }
  std::string example(const char* name) { return calvane::testing::source_folder(std::string("examples/") + name).string(); }
  int run_with(const std::vector<std::string>& arguments) {
    return run(parse_options(arguments), data.path(), messages);
  }
};

TEST_F(Run, WritesReflectionsListingsAndAReportForEveryPhase) {
  Options options = parse_options({example("nacl.cry"), example("rutile.cry"), "--line", "MoKa1", "--reflections",
                                   (out / "r.csv").string(), "--listings", (out / "lst").string(), "--report",
                                   (out / "report.txt").string(), "--peaks", (out / "p.prn").string()});
  ASSERT_EQ(run(options, data.path(), messages), 0) << messages.str();
  auto csv = read_text_lines(out / "r.csv");
  ASSERT_TRUE(csv);
  EXPECT_EQ(csv->front(), "phase,h,k,l,mult,lambda,d,two_theta,intensity,k_intensity");
  // NaCl 200 is its strongest line: d = a/2 = 2.8201 Å, at Mo Kα1 (0.7093 Å)
  // 2θ = 2 asin(0.7093 / (2 × 2.8201)) = 14.449°; K·I = 100.
  const std::string text = *read_file_bytes(out / "r.csv");
  EXPECT_NE(text.find("\n1,0,0,2,6,0.70930,2.82010,14.44"), std::string::npos);
  EXPECT_NE(text.find(",100.0000\n", text.find("\n1,0,0,2,6,0.70930")), std::string::npos);
  EXPECT_NE(text.find("\n2,"), std::string::npos);
  for (const char* name : {"lst/phase1.out", "lst/phase12.out", "lst/phase2.out", "lst/phase22.out", "report.txt", "p.prn"})
    EXPECT_TRUE(std::filesystem::exists(out / name)) << name;
}

// Low albite's triclinic cell read from a .cry and from a CIF: d(111) =
// 3.773689 Å (gemmi 0.5.7, UnitCell.calculate_d) in the reflections file and
// in both listings.
TEST_F(Run, ATriclinicCellKeepsItsFullPrecisionFromFileToListing) {
  const auto fixture = [](const char* name) {
    return calvane::testing::source_folder(std::string("tests/crystal_io/fixtures/") + name).string();
  };
  ASSERT_EQ(run_with({fixture("low_albite.cry"), fixture("low_albite.cif"), "--range", "20", "30",
                      "--reflections", (out / "r.csv").string(), "--listings", (out / "lst").string()}),
            0)
      << messages.str();
  const std::string csv = *read_file_bytes(out / "r.csv");
  for (const char* row : {"1,1,1,1,2,1.54060,3.77369,", "2,1,1,1,2,1.54060,3.77369,"})
    EXPECT_NE(csv.find(row), std::string::npos) << row;
  for (const char* listing : {"lst/phase1.out", "lst/phase2.out"})
    EXPECT_NE(read_file_bytes(out / listing)->find(" 3.7737"), std::string::npos) << listing;
}

// f' and f'' of Cl (f'' = 0.70 at Cu Ka) change the NaCl intensities; without
// anomalous terms the weak odd lines, where f(Na) and f(Cl) subtract, change most.
TEST_F(Run, NoAnomalousChangesTheIntensities) {
  std::vector<std::string> lines[2];
  for (int plain = 0; plain < 2; ++plain) {
    const std::string csv = (out / ("r" + std::to_string(plain) + ".csv")).string();
    std::vector<std::string> arguments{example("nacl.cry"), "--reflections", csv};
    if (plain == 1) arguments.push_back("--no-anomalous");
    ASSERT_EQ(run_with(arguments), 0) << messages.str();
    lines[plain] = *read_text_lines(csv);
  }
  ASSERT_EQ(lines[0].size(), lines[1].size());
  EXPECT_TRUE(lines[0][1].starts_with("1,1,1,1,8,")) << lines[0][1];
  EXPECT_NE(lines[0][1], lines[1][1]);
}

TEST_F(Run, FailsWithAMessageOnAMissingFile) {
  EXPECT_EQ(run_with({(out / "absent.cry").string()}), 1);
  EXPECT_THAT(messages.str(), HasSubstr("was not loaded"));
}

// A saved workspace loads back with its phases; its shares are counted against them.
TEST_F(Run, SavesAWorkspaceThatLoadsBackWithItsPhases) {
  const std::string ws = (out / "ws.cmp").string();
  ASSERT_EQ(run_with({example("nacl.cry"), example("corundum.cry"), "--save-workspace", ws, "--reflections",
                      (out / "a.csv").string()}),
            0)
      << messages.str();
  ASSERT_EQ(run_with({ws, "--reflections", (out / "b.csv").string()}), 0) << messages.str();
  EXPECT_EQ(*read_file_bytes(out / "a.csv"), *read_file_bytes(out / "b.csv"));
  EXPECT_EQ(run_with({ws, "--percent", "100"}), 1);
  EXPECT_THAT(messages.str(), HasSubstr("--percent gives 1 shares for 2 phases"));
  EXPECT_EQ(run_with({ws, "--percent", "25,75", "--reflections", (out / "r.csv").string()}), 0)
      << messages.str();
}

TEST_F(Run, NoOutputReplacesAnInputOrAnExistingFileUnasked) {
  const std::string nacl = *read_file_bytes(example("nacl.cry"));
  const auto input = out.write("my.cry", nacl);
  std::filesystem::create_directories(out / "lst");
  out.write("lst/phase12.out", "old listing");
  out.write("old.csv", "old");
  out.write("old.emf", "old");
  std::filesystem::create_symlink(input, out / "link.cry");
  struct Case {
    std::vector<std::string> arguments;
    const char* message;
  };
  const std::string in = input.string();
  const Case cases[] = {
      {{in, "--reflections", (out / "lst" / ".." / "my.cry").string(), "--overwrite"}, " is the input file "},
      {{in, "--plot", (out / "link.cry").string(), "--overwrite"}, " is the input file "},
      {{in, "--reflections", (out / "old.csv").string()}, "old.csv already exists"},
      {{in, "--plot", (out / "old.emf").string()}, "old.emf already exists"},
      {{in, "--listings", (out / "lst").string()}, "phase12.out already exists"},
      {{in, "--reflections", (out / "a.csv").string(), "--report", (out / "a.csv").string()}, "both write"},
  };
  for (const Case& c : cases) {
    messages.str("");
    EXPECT_EQ(run_with(c.arguments), 1) << c.message;
    EXPECT_THAT(messages.str(), HasSubstr(c.message));
  }
  EXPECT_EQ(std::tuple(*read_file_bytes(input), *read_file_bytes(out / "old.csv"),
                       *read_file_bytes(out / "old.emf"), *read_file_bytes(out / "lst/phase12.out")),
            std::tuple(nacl, "old", "old", "old listing"));
  EXPECT_FALSE(std::filesystem::exists(out / "a.csv"));
  ASSERT_EQ(run_with({in, "--reflections", (out / "old.csv").string(), "--overwrite"}), 0) << messages.str();
  EXPECT_NE(*read_file_bytes(out / "old.csv"), "old");
}

// TMPDIR as a plain file, a missing folder and a folder without write permission.
TEST_F(Run, FallsBackWhenTmpdirIsNoUsableFolder) {
  const char* saved = std::getenv("TMPDIR");
  const std::string saved_value = saved ? saved : "";
  std::filesystem::create_directories(out / "locked");
  std::filesystem::permissions(out / "locked", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  std::vector<std::string> candidates{out.write("plain", "x").string(), (out / "missing").string()};
  // The superuser writes into any folder: the read-only case applies to others only.
  if (::access((out / "locked").c_str(), W_OK) != 0) candidates.push_back((out / "locked").string());
  for (const std::string& tmpdir : candidates) {
    setenv("TMPDIR", tmpdir.c_str(), 1);
    messages.str("");
    const std::string csv = (out / "r.csv").string();
    EXPECT_EQ(run_with({example("nacl.cry"), "--reflections", csv, "--overwrite"}), 0)
        << tmpdir << ": " << messages.str();
    EXPECT_THAT(messages.str(), HasSubstr("TMPDIR"));
  }
  if (saved)
    setenv("TMPDIR", saved_value.c_str(), 1);
  else
    unsetenv("TMPDIR");
  std::filesystem::permissions(out / "locked", std::filesystem::perms::owner_all);
}

// A Rietveld file whose first line is empty gives no wavelength; there is no
// window to ask for one, so it is read at the calculation's wavelength, which
// is also the one observed files are compared with.
TEST_F(Run, ObservedFilesMeetTheWavelengthOfTheCommandLine) {
  out.write("nolambda.dat", "\nignored\nignored\nignored\n10 0.02 10.08\n5 7 9 8 6\n");
  out.write("mo.dat", "SampleIdent=mo DataFileName=mo.dat\n\nAlpha1=0.7093 Alpha2=0 Ratio=0\n\n10 0.02 10.04\n1 2 3\n");
  Options options = parse_options({example("nacl.cry"), "--lambda", "0.7093", "--observed",
                                   (out / "nolambda.dat").string(), "--observed", (out / "mo.dat").string()});
  ASSERT_EQ(run(options, data.path(), messages), 0) << messages.str();
  EXPECT_THAT(
      messages.str(),
      AllOf(HasSubstr("nolambda.dat gives no wavelength (its first line is empty); it is read at 0.70930 A"),
            Not(HasSubstr("is different"))));
}

TEST_F(Run, ObservedFilesOfAnyFormatWithTheirScanAndWavelength) {
  const std::string xrdml = calvane::testing::source_folder("tests/experiment_io/fixtures/quartz_2scans.xrdml").string();
  const std::string workspace = (out / "ws.cmp").string();
  Options options = parse_options({example("nacl.cry"), "--lambda", "1.5418", "--observed", xrdml, "--scan", "2",
                                   "--use-file-wavelength", "--save-workspace", workspace});
  ASSERT_EQ(run(options, data.path(), messages), 0) << messages.str();
  TotalDataReading saved = parse_total_data_file(*read_text_lines(workspace), "ws.cmp");
  ASSERT_TRUE(saved.ok()) << saved.error;
  ASSERT_EQ(saved.data.patterns.size(), 1u);
  EXPECT_EQ(saved.data.patterns[0].points.size(), 3u);  // the second scan
  EXPECT_NEAR(saved.data.wavelengths.front().first, 1.540598, 1e-5);
  // A scan the file does not hold fails the run (its message is the reader's).
  EXPECT_EQ(run_with({"--observed", xrdml, "--scan", "3"}), 1);
}

TEST(Options, ReadsTheFitListAndTheCorrections) {
  Options o = parse_options({"a.cry", "b.cry", "--observed", "m.xy", "--fit",
                             "scale,background:5,zero,displacement,po:2:0:0:1,size,cell", "--fit-report", "f.json",
                             "--zero", "-0.02", "--displacement", "35", "--po", "1:1:0:4:0.9", "--particle-radius",
                             "2:3.5"});
  ASSERT_TRUE(o.fit);
  ASSERT_EQ(std::tuple(o.fit->orientations.size(), o.orientations.size()), std::tuple(1u, 1u));
  EXPECT_EQ(std::tuple(o.fit->background_order, o.fit->zero && o.fit->displacement && o.fit->size && o.fit->cell,
                       o.fit->orientations[0].phase, o.fit->orientations[0].direction, *o.fit_report),
            std::tuple(5, true, 2, std::array<int, 3>{0, 0, 1}, "f.json"));
  EXPECT_EQ(std::tuple(*o.zero_shift, *o.displacement, o.orientations[0].direction, o.orientations[0].ratio,
                       o.particle_radii),
            std::tuple(-0.02, 35.0, std::array<int, 3>{1, 0, 4}, 0.9, std::vector<std::pair<int, double>>{{2, 3.5}}));
  EXPECT_FALSE(parse_fit_selection("scale").zero);

  const std::pair<std::vector<std::string>, const char*> refused[] = {
      {{"a.cry", "--observed", "m.xy", "--fit", "scale,tilt"}, "\"tilt\" is none of"},
      {{"a.cry", "--observed", "m.xy", "--fit", "background:13"}, "\"background:13\" needs a whole number from 0 to 12"},
      {{"a.cry", "--observed", "m.xy", "--fit", "po:1:0:0:0"}, "a direction other than 0 0 0"},
      {{"a.cry", "--observed", "m.xy", "--fit", "po:9:0:0:1"}, "from 1 to 8"},
      {{"a.cry", "--observed", "m.xy", "--fit", "po:1:0:1"}, "is none of"},
      {{"a.cry", "--fit-report", "f.json"}, "need --fit"},
      {{"a.cry", "--observed", "m.xy", "--fit", "zero", "--fit-report", "f.txt"}, ".json"},
      {{"a.cry", "--po", "1:0:0:1"}, "is not P:h:k:l:r"},
      {{"a.cry", "--po", "1:0:0:1:0"}, "must be above 0"},
      {{"a.cry", "--particle-radius", "1:-2"}, "from 0 to 1000"},
      {{"a.cry", "--zero", "7"}, "within 5 degrees"},
  };
  for (const auto& [arguments, message] : refused) EXPECT_THAT(refusal(arguments), HasSubstr(message));
}

// The number after "key": in the report; NaN when the key is absent.
double json_value(const std::string& text, const std::string& key, std::size_t from = 0) {
  const std::size_t at = text.find("\"" + key + "\": ", from);
  if (at == std::string::npos) return std::nan("");
  return std::strtod(text.c_str() + at + key.size() + 4, nullptr);
}

TEST_F(Run, FitsAMeasuredTwoPhasePatternAndReportsIt) {
  Options options = parse_options({example("rutile.cry"), example("corundum.cry"), "--observed", measured, "--uvw",
                                   "0.01", "0", "0.03", "--fit", "scale,background:2,zero,displacement,po:1:1:1:0",
                                   "--fit-report", (out / "fit.json").string(), "--report",
                                   (out / "report.txt").string(), "--save-workspace", (out / "fit.cmp").string()});
  ASSERT_EQ(run(options, data.path(), messages), 0) << messages.str();
  const std::string text = read_file_bytes(out / "fit.json").value_or("");
  const std::size_t rutile = text.find("\"file\": \"rutile.cry\"");
  const std::size_t corundum = text.find("\"file\": \"corundum.cry\"");
  ASSERT_TRUE(rutile != std::string::npos && corundum != std::string::npos) << text;
  // The layout of the report, with the values of the fixture's making.
  const std::tuple<const char*, std::size_t, double, double> values[] = {
      {"zero_shift_deg", 0, 0.03, 0.01},    {"displacement_um", 0, 60, 20}, {"chi2", 0, 1, 0.1},
      {"weight_percent", rutile, 40, 1},    {"weight_percent", corundum, 60, 1},
      {"po_ratio", rutile, 0.85, 0.02},     {"expected_rwp", 0, 5, 5},      {"weight_percent_esd", rutile, 0.5, 0.5}};
  for (const auto& [key, from, value, tolerance] : values)
    EXPECT_NEAR(json_value(text, key, from), value, tolerance) << key << " in " << text;
  EXPECT_NE(text.find("\"background\": ["), std::string::npos);
  EXPECT_TRUE(std::isnan(json_value(text, "po_ratio", corundum)));  // not fitted: no key
  // The report carries the fit's table; the workspace keeps the fitted corrections.
  EXPECT_THAT(read_file_bytes(out / "report.txt").value_or(""),
              AllOf(HasSubstr("Fit to the measured pattern (converged"), HasSubstr("Zero shift (deg 2theta)")));
  EXPECT_THAT(read_file_bytes(out / "fit.cmp").value_or(""),
              AllOf(HasSubstr("Pattern corrections"), HasSubstr("PHCO  1   1   1   0")));
}

// --pattern lies on the measured points when a pattern is loaded, and the
// texture it is given changes the lines it draws.
TEST_F(Run, WritesThePatternOnTheMeasuredPoints) {
  std::vector<std::string> csv[2];
  for (int textured = 0; textured < 2; ++textured) {
    std::vector<std::string> arguments{example("rutile.cry"), "--observed", measured, "--range", "15", "90",
                                       "--pattern", (out / ("p" + std::to_string(textured) + ".csv")).string()};
    if (textured) arguments.insert(arguments.end(), {"--po", "1:1:1:0:0.7"});
    ASSERT_EQ(run(parse_options(arguments), data.path(), messages), 0) << messages.str();
    auto lines = read_text_lines(out / ("p" + std::to_string(textured) + ".csv"));
    ASSERT_TRUE(lines);
    csv[textured] = *lines;
  }
  ASSERT_EQ(csv[0].size(), 1502u);  // a heading and the file's 1501 points
  EXPECT_EQ(csv[0][0], "two_theta,intensity");
  EXPECT_EQ(csv[0][1].substr(0, 8), "15.0000,");
  EXPECT_EQ(csv[0][1501].substr(0, 8), "90.0000,");
  EXPECT_NE(csv[0], csv[1]);
}

TEST_F(Run, FitNeedsAMeasuredPatternAndKnownPhases) {
  EXPECT_EQ(run_with({example("rutile.cry"), "--fit", "zero"}), 1);
  EXPECT_EQ(run_with({example("rutile.cry"), "--observed", measured, "--fit", "po:2:0:0:1"}), 1);
  EXPECT_THAT(messages.str(), AllOf(HasSubstr("--fit needs a measured pattern"),
                                    HasSubstr("names phase 2 but there are 1 phases")));
}

}  // namespace
}  // namespace calvane::cli
