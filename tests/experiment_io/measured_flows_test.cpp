// Opening measured patterns and peak lists of any format through a scripted Ui.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "flows/observed_flows.hpp"
#include "experiment_io/reference_peak_files.hpp"
#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"
#include "flows/program.hpp"

namespace calvane {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::ScriptedUi;
using testing::TempFolder;

std::string fixture(const std::string& name) {
  return (std::filesystem::path(CALVANE_SOURCE_DIR) / "tests/experiment_io/fixtures" / name).string();
}

class MeasuredFlowTest : public ::testing::Test {
protected:
  TempFolder folder;
  ScriptedUi ui;
  Program program{ui, folder.path()};
  void SetUp() override { program.workspace.phases.emplace_back(); }  // a phase: no wavelength is adopted
};

TEST_F(MeasuredFlowTest, SeveralScansAreChosenInAListByNumberOrTheFirstWithANote) {
  std::vector<std::string> listed;
  MeasuredOpenChoices list;
  list.choose_scan = [&listed](const std::string&, const std::vector<std::string>& scans) {
    listed = scans;
    return std::optional<int>(1);
  };
  ASSERT_TRUE(read_measured_pattern(program, fixture("raw4_two_ranges.raw"), list));
  EXPECT_THAT(listed, ElementsAre("range 1 (Locked Coupled)", "range 2 (Detector Scan)"));

  MeasuredOpenChoices numbered;
  numbered.scan = 2;
  ASSERT_TRUE(read_measured_pattern(program, fixture("quartz_2scans.xrdml"), numbered));
  EXPECT_DOUBLE_EQ(program.workspace.observed_patterns.back().points.front().two_theta, 26.0);
  numbered.scan = 3;
  EXPECT_FALSE(read_measured_pattern(program, fixture("quartz_2scans.xrdml"), numbered));
  EXPECT_EQ(ui.last_warning(), "The file quartz_2scans.xrdml holds 2 scans; there is no scan 3");

  ASSERT_TRUE(read_measured_pattern(program, fixture("quartz_2scans.xrdml"), {}));
  EXPECT_EQ(ui.last_warning(),
            "The file quartz_2scans.xrdml holds 2 scans; the first (scan 1 (Gonio)) is read");

  list.choose_scan = [](const std::string&, const std::vector<std::string>&) { return std::optional<int>(); };
  const auto before = program.workspace.observed_patterns.size();
  EXPECT_FALSE(read_measured_pattern(program, fixture("quartz_2scans.xrdml"), list));  // cancelled
  EXPECT_EQ(program.workspace.observed_patterns.size(), before);
}

TEST_F(MeasuredFlowTest, AFileWavelengthFurtherThanHalfAThousandthIsOfferedOrNoted) {
  using Policy = MeasuredOpenChoices::FileWavelength;
  const struct Case {
    const char* what;
    double calculation;
    Policy policy;
    Answer answer;
    double expected;
    const char* message;
  } cases[] = {
      // The XRDML file states Cu Kα1 = 1.540598 Å.
      {"within 0.0005 A", 1.5406, Policy::Ask, Answer::No, 1.5406, ""},
      {"asked and taken", 1.5418, Policy::Ask, Answer::Yes, 1.540598,
       "The wavelength of quartz_2scans.xrdml (1.54060 A) differs from the calculation's (1.54180 A) by more "
       "than "
       "0.0005 A. Take the file's wavelength?"},
      {"asked and kept", 1.5418, Policy::Ask, Answer::No, 1.5418, "Take the file's wavelength?"},
      {"taken", 0.7093, Policy::Take, Answer::No, 1.540598, ""},
      {"kept with a note", 0.7093, Policy::Keep, Answer::No, 0.7093, "; the calculation keeps its own"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedUi case_ui;
    Program p{case_ui, folder.path()};
    p.workspace.phases.emplace_back();
    p.workspace.settings.wavelengths = {c.calculation};
    case_ui.answers.push_back(c.answer);
    MeasuredOpenChoices choices;
    choices.scan = 1;
    choices.file_wavelength = c.policy;
    ASSERT_TRUE(read_measured_pattern(p, fixture("quartz_2scans.xrdml"), choices));
    EXPECT_DOUBLE_EQ(p.workspace.settings.wavelengths.front(), c.expected);
    std::string said = case_ui.questions.empty() ? case_ui.last_warning() : case_ui.questions.back();
    if (*c.message)
      EXPECT_THAT(said, HasSubstr(c.message));
    else
      EXPECT_TRUE(case_ui.questions.empty() && case_ui.warnings.empty()) << said;
  }
}

TEST_F(MeasuredFlowTest, DSpacingsAreDrawnAtTheCalculationsWavelengthAndTimeOfFlightIsRefused) {
  program.workspace.settings.wavelengths = {0.7093};
  ASSERT_TRUE(read_measured_pattern(program, fixture("nacl_d.xy"), {}));
  // d = 2.8201 Å at Mo Kα1: 2θ = 14.45°, by hand from λ = 2d sin θ.
  const auto& points = program.workspace.observed_patterns.back().points;
  EXPECT_NEAR(points[1].two_theta, 14.45, 0.01);
  EXPECT_FALSE(read_measured_pattern(program, fixture("tof.gsa"), {}));
  EXPECT_THAT(ui.last_warning(),
              HasSubstr("tof.gsa over the calculated pattern: its x axis is time of flight"));
}

// Read by content, the file would be taken for plain x-y text with its range line as a point.
TEST_F(MeasuredFlowTest, ARietveldFileWithoutWavelengthAsksForOne) {
  const auto path = folder.write("nolambda.dat", "\nignored\nignored\nignored\n10 0.02 10.08\n5 7 9 8 6\n");
  EXPECT_FALSE(read_measured_pattern(program, path, {}));
  EXPECT_THAT(ui.window_changes, ElementsAre(std::pair(WindowId::LambdaFromFile, true)));
}

TEST_F(MeasuredFlowTest, TheMenuEntryOffersEveryFormatAndStoresWhatItRecognises) {
  ui.choose_file(fixture("silicon.ras"));
  MeasuredOpenChoices choices;
  choices.file_wavelength = MeasuredOpenChoices::FileWavelength::Keep;
  ObservedLoad load = open_measured_pattern(program, choices);
  EXPECT_TRUE(load.added);
  EXPECT_THAT(ui.open_requests.at(0).filter, HasSubstr("All measured patterns ("));
  EXPECT_EQ(ui.redraws, 1);
}

TEST_F(MeasuredFlowTest, ReferenceCardsAndCalibrantsBecomeLabelledSticks) {
  program.workspace.settings.wavelengths = {1.5406};
  const struct Case {
    const char* file;
    std::string label;
    std::size_t peaks;
    double first_two_theta;  // by hand from λ = 2d sin θ
    int h, k, l;
    double first_intensity;
  } cases[] = {
      {"gold_v4.jcpds", "Gold (Au), written for Calvane's tests", 3, 38.19, 1, 1, 1, 100},
      {"gold_v1.jcp", "Gold (Au) in the old layout", 2, 38.19, 1, 1, 1, 100},
      {"silicon.D", "Calibrant: Silicon (Si)", 3, 28.44, 1, 1, 1, 100},
      {"peaks_commented.prn", "", 2, 20.85, 0, 0, 0, 30},
      {"peaks_d.prn", "", 2, 31.70, 0, 0, 0, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ASSERT_TRUE(read_any_peak_list(program, fixture(c.file))) << ui.last_warning();
    const ObservedPeakList& list = program.workspace.observed_peaks.back();
    EXPECT_EQ(list.label, c.label);
    ASSERT_EQ(list.peaks.size(), c.peaks);
    EXPECT_NEAR(list.peaks[0].two_theta, c.first_two_theta, 0.01);
    EXPECT_EQ(std::vector<int>({list.peaks[0].h, list.peaks[0].k, list.peaks[0].l}),
              std::vector<int>({c.h, c.k, c.l}));
    EXPECT_DOUBLE_EQ(list.peaks[0].intensity, c.first_intensity);
    program.workspace.observed_peaks.clear();
  }
  EXPECT_FALSE(read_any_peak_list(program, fixture("bad_jcpds.jcpds")));
  EXPECT_EQ(ui.last_warning(), "Read error (bad_jcpds.jcpds, line 3: a DIHKL line holds d, I, h, k and l)");
}

}  // namespace
}  // namespace calvane
