// Adding measured patterns and peak lists of any format to a workspace, and
// the menu entry and window around them.
#include <algorithm>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "experiment_io/measured_pattern_files.hpp"
#include "experiment_io/observed_data.hpp"
#include "flows/observed_flows.hpp"
#include "util/message_sink.hpp"
#include "support/program_in_folder.hpp"

namespace calvane {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::filesystem::path fixture(const std::string& name) {
  return std::filesystem::path(CALVANE_SOURCE_DIR) / "tests/experiment_io/fixtures" / name;
}

std::string last(const CollectedMessages& messages) {
  return messages.messages().empty() ? "" : messages.messages().back().text;
}

class MeasuredData : public ::testing::Test {
protected:
  Workspace workspace;
  CollectedMessages messages;
  void SetUp() override { workspace.phases.emplace_back(); }  // a phase: no wavelength is adopted
  bool add(const std::string& file, const MeasuredOpenChoices& choices = {}) {
    return add_measured_pattern(workspace, fixture(file), choices, messages);
  }
};

// The plot draws intensities scaled to 0..100; a fit weighs the file's own
// counts, so the pattern keeps them beside the scaled points.
TEST_F(MeasuredData, ThePatternKeepsTheFilesOwnCountsBesideTheScaledPoints) {
  ASSERT_TRUE(add("silicon.ras")) << last(messages);
  const ObservedPattern& pattern = workspace.observed_patterns.back();
  // The third count, 900, is the strongest.
  EXPECT_EQ(std::tuple(pattern.counts, pattern.points.size(), pattern.points[2].intensity),
            std::tuple(read_measured_file(fixture("silicon.ras")).scans[0].counts, 4u, 100.0));
}

TEST_F(MeasuredData, SeveralScansAreChosenInAListByNumberOrTheFirstWithANote) {
  std::vector<std::string> listed;
  MeasuredOpenChoices list;
  list.choose_scan = [&listed](const std::string&, const std::vector<std::string>& scans) {
    listed = scans;
    return std::optional<int>(1);
  };
  ASSERT_TRUE(add("raw4_two_ranges.raw", list));
  EXPECT_THAT(listed, ElementsAre("range 1 (Locked Coupled)", "range 2 (Detector Scan)"));

  MeasuredOpenChoices numbered;
  numbered.scan = 2;
  ASSERT_TRUE(add("quartz_2scans.xrdml", numbered));
  EXPECT_DOUBLE_EQ(workspace.observed_patterns.back().points.front().two_theta, 26.0);
  numbered.scan = 3;
  EXPECT_FALSE(add("quartz_2scans.xrdml", numbered));
  EXPECT_EQ(last(messages), "The file quartz_2scans.xrdml holds 2 scans; there is no scan 3");

  ASSERT_TRUE(add("quartz_2scans.xrdml"));
  EXPECT_EQ(last(messages), "The file quartz_2scans.xrdml holds 2 scans; the first (scan 1 (Gonio)) is read");

  list.choose_scan = [](const std::string&, const std::vector<std::string>&) { return std::optional<int>(); };
  const auto before = workspace.observed_patterns.size();
  EXPECT_FALSE(add("quartz_2scans.xrdml", list));  // cancelled
  EXPECT_EQ(workspace.observed_patterns.size(), before);
}

TEST_F(MeasuredData, AFileWavelengthFurtherThanHalfAThousandthIsOfferedOrNoted) {
  using Policy = MeasuredOpenChoices::FileWavelength;
  const struct Case {
    const char* what;
    double calculation;
    Policy policy;
    bool take;
    double expected;
    const char* message;
  } cases[] = {
      // The XRDML file states Cu Kα1 = 1.540598 Å.
      {"within 0.0005 A", 1.5406, Policy::Ask, false, 1.5406, ""},
      {"asked and taken", 1.5418, Policy::Ask, true, 1.540598,
       "The wavelength of quartz_2scans.xrdml (1.54060 A) differs from the calculation's (1.54180 A) by more "
       "than 0.0005 A. Take the file's wavelength?"},
      {"asked and kept", 1.5418, Policy::Ask, false, 1.5418, "Take the file's wavelength?"},
      {"taken", 0.7093, Policy::Take, false, 1.540598, ""},
      {"kept with a note", 0.7093, Policy::Keep, false, 0.7093, "; the calculation keeps its own"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Workspace w;
    w.phases.emplace_back();
    w.settings.wavelengths = {c.calculation};
    std::string said;
    MeasuredOpenChoices choices;
    choices.scan = 1;
    choices.file_wavelength = c.policy;
    choices.take_file_wavelength = [&](const std::string& question) {
      said = question;
      return c.take;
    };
    CollectedMessages notes;
    ASSERT_TRUE(add_measured_pattern(w, fixture("quartz_2scans.xrdml"), choices, notes));
    EXPECT_DOUBLE_EQ(w.settings.wavelengths.front(), c.expected);
    if (said.empty()) said = last(notes);
    EXPECT_TRUE(*c.message ? said.find(c.message) != std::string::npos : said.empty()) << said;
  }
}

TEST_F(MeasuredData, ReferenceCardsAndCalibrantsBecomeLabelledSticks) {
  workspace.settings.wavelengths = {1.5406};
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
    ASSERT_TRUE(add_any_peak_list(workspace, fixture(c.file), fixture(c.file).string(), messages)) << last(messages);
    const ObservedPeakList& list = workspace.observed_peaks.back();
    ASSERT_EQ(list.peaks.size(), c.peaks);
    const ObservedPeak& first = list.peaks[0];
    EXPECT_EQ(std::tuple(list.label, first.h, first.k, first.l, first.intensity),
              std::tuple(c.label, c.h, c.k, c.l, c.first_intensity));
    EXPECT_NEAR(first.two_theta, c.first_two_theta, 0.01);
    workspace.observed_peaks.clear();
  }
  EXPECT_FALSE(add_any_peak_list(workspace, fixture("bad_jcpds.jcpds"), "bad_jcpds.jcpds", messages));
  EXPECT_EQ(last(messages), "Read error (bad_jcpds.jcpds, line 3: a DIHKL line holds d, I, h, k and l)");
}

struct MeasuredFlowTest : ::testing::Test, testing::ProgramInFolder {
  void SetUp() override { program.workspace.phases.emplace_back(); }
};

// Read by content, the file would be taken for plain x-y text with its range line as a point.
TEST_F(MeasuredFlowTest, ARietveldFileWithoutWavelengthAsksForOne) {
  const auto path = folder.write("nolambda.dat", "\nignored\nignored\nignored\n10 0.02 10.08\n5 7 9 8 6\n");
  EXPECT_FALSE(read_measured_pattern(program, path, {}));
  EXPECT_THAT(ui.window_changes, ElementsAre(std::pair(WindowId::LambdaFromFile, true)));
}

TEST_F(MeasuredFlowTest, TheMenuEntryOffersEveryFormatAndStoresWhatItRecognises) {
  ui.choose_file(fixture("silicon.ras").string());
  MeasuredOpenChoices choices;
  choices.file_wavelength = MeasuredOpenChoices::FileWavelength::Keep;
  ObservedLoad load = open_measured_pattern(program, choices);
  EXPECT_THAT(ui.open_requests.at(0).filter, HasSubstr("All measured patterns ("));
  EXPECT_EQ(std::tuple(load.added, ui.redraws), std::tuple(true, 1));
}

}  // namespace
}  // namespace calvane
