// The open flows of observed patterns and peak lists through a scripted Ui.
#include "flows/observed_flows.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "byte_layout.hpp"
#include "experiment_io/observed_data.hpp"
#include "experiment_io/total_data_file.hpp"
#include "util/message_sink.hpp"
#include "support/program_in_folder.hpp"

namespace calvane {
namespace {

using testing::ByteLayout;
using ::testing::ElementsAre;

struct ObservedFlowTest : ::testing::Test, testing::ProgramInFolder {};

TEST_F(ObservedFlowTest, OpensWithTheKindOfTheMenuEntryAndStoresThePattern) {
  // A RAW2 file of 5 points under another extension.
  ByteLayout raw(316 + 5 * 4);
  raw.text(0, "RAW2").put<float>(190, 1.5406f).put<std::int16_t>(256, 60).put<std::int16_t>(258, 5);
  folder.write("scan.cpi", raw.put<float>(268, 0.01f).put<float>(272, 10.0f).bytes());
  ui.choose_file("scan.cpi");
  ObservedLoad load = open_pattern_file_of_kind(program, 1);
  ASSERT_TRUE(load.added) << ui.last_warning();
  EXPECT_EQ(
      std::tuple(ui.open_requests.at(0).filter, load.reset_intensity_scales, load.recompute_default_ticks,
                 program.workspace.observed_patterns.at(0).points.size(), ui.redraws),
      std::tuple(kPatternFilter, true, true, 5u, 1));

  ui.choose_file("scan.cpi");
  EXPECT_FALSE(open_pattern_file_of_kind(program, 1).recompute_default_ticks);
}

// A file that cannot be read changes nothing: the fuzz test's flow case.
TEST_F(ObservedFlowTest, ACancelledDialogOrANinthPatternChangesNothing) {
  ui.cancel_file_dialog();
  EXPECT_FALSE(open_pattern_file_of_kind(program, 3).added);
  EXPECT_EQ(std::tuple(ui.warnings.size(), program.workspace.observed_patterns.size()), std::tuple(0u, 0u));
  program.workspace.observed_patterns.resize(8);
  EXPECT_FALSE(open_pattern_file_of_kind(program, 1).added);
  // No dialog for the ninth.
  EXPECT_EQ(std::tuple(ui.last_warning(), ui.open_requests.size()),
            std::tuple(std::string("Max. Nb of observed patterns = 8"), std::size_t{1}));
}

// A 5-105° scan in steps of 0.001°: 100 001 points, all kept, also
// through a workspace file written and parsed again.
TEST_F(ObservedFlowTest, EveryPointOfALongScanIsKept) {
  const int count = 100001;
  ByteLayout raw(156 + 4 * static_cast<std::size_t>(count));
  raw.text(0, "RAW ").put<std::int32_t>(4, count).put<float>(12, 0.001f).put<float>(24, 5.0f).put<float>(72, 1.5406f);
  for (int i = 0; i < count; ++i) raw.put<float>(156 + 4 * static_cast<std::size_t>(i), float(i % 101));
  folder.write("long.raw", raw.bytes());
  ASSERT_TRUE(read_observed_pattern(program, PatternFileKind::BrukerRaw, "long.raw"));
  ASSERT_EQ(program.workspace.observed_patterns[0].points.size(), static_cast<std::size_t>(count));
  TotalDataFile data;
  data.patterns.push_back({"long.raw", 1, 1, 0, true, std::vector<std::pair<double, double>>(static_cast<std::size_t>(count), {5, 1})});
  TotalDataReading back = parse_total_data_file(testing::lines_of(format_total_data_file(data)), "long.cmp");
  ASSERT_TRUE(back.ok()) << back.error;
  EXPECT_EQ(back.data.patterns.at(0).points.size(), static_cast<std::size_t>(count));
}

TEST(ObservedData, AStoredPatternReconcilesItsWavelengthWithTheExperiment) {
  const std::string differs = "Warning: The read wavelength ( 0.70930) is different from the current one ( 1.54060)";
  const struct Case {
    const char* what;
    bool with_phase;
    int patterns_before;
    double current, read, expected_wavelength;
    std::string expected_warning;
  } cases[] = {{"within 0.05 Å", true, 0, 1.5418, 1.5406, 1.5418, ""},
               {"first pattern of an empty workspace", false, 0, 1.5406, 0.7093, 0.7093, ""},
               {"a phase is loaded", true, 0, 1.5406, 0.7093, 1.5406, differs},
               {"not the first pattern", false, 1, 1.5406, 0.7093, 1.5406, differs},
               {"the file reports none", false, 0, 1.5406, 0.0, 1.5406, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Workspace workspace;
    if (c.with_phase) workspace.phases.emplace_back();
    workspace.observed_patterns.resize(static_cast<std::size_t>(c.patterns_before));
    workspace.settings.wavelengths = {c.current};
    PatternReadingBuffer buffer;
    buffer.angles = {10, 10.01f, 10.02f};
    buffer.intensities = {0, 50, 100};
    buffer.read_wavelength = c.read;
    buffer.file_name = "w.raw";
    CollectedMessages messages;
    ASSERT_TRUE(add_pattern_reading(workspace, buffer, messages));
    ASSERT_EQ(workspace.settings.wavelengths.size(), 1u);
    EXPECT_NEAR(workspace.settings.wavelengths[0], c.expected_wavelength, 1e-6);
    EXPECT_EQ(messages.messages().empty() ? "" : messages.messages().back().text, c.expected_warning);
  }
}

const char* kRietveldWithoutWavelength = "\nline 2\nline 3\nline 4\n10 0.05 10.15\n5 10 15 20\n";

TEST_F(ObservedFlowTest, ARietveldFileWithoutWavelengthAsksForIt) {
  folder.write("nolambda.dat", kRietveldWithoutWavelength);
  ui.choose_file("nolambda.dat");
  EXPECT_FALSE(open_pattern_file_of_kind(program, 4).added);
  EXPECT_THAT(ui.window_changes, ElementsAre(std::pair{WindowId::LambdaFromFile, true}));
  LambdaMissingForm& form = program.lambda_missing;
  form.lambda = "1.5";
  // An empty Lambda1 counts as 0.
  for (auto [lambda1, lambda2, message] :
       {std::tuple{"abc", "", "Lambda1 error!"}, {"", "-", "Lambda2 error!"}}) {
    form.lambda1 = lambda1;
    form.lambda2 = lambda2;
    read_missing_wavelength(program);
    EXPECT_EQ(ui.last_warning(), message);
  }
  clicklistbox(form, 1);  // Cu
  EXPECT_EQ(form.lambda2, " 1.54439");
  form.lambda = "1.5x";
  EXPECT_FALSE(read_missing_wavelength(program).added);
  EXPECT_EQ(std::tuple(ui.last_warning(), form.visible), std::tuple(std::string("Lambda error!"), true));
  form.lambda = "1.5418";
  const ObservedLoad load = read_missing_wavelength(program);
  ASSERT_TRUE(load.added);  // scales reset as for a file that gave its wavelength
  EXPECT_EQ(std::tuple(load.reset_intensity_scales, program.workspace.observed_patterns.at(0).wavelength),
            std::tuple(true, 1.5418));

  // A file found unreadable once the wavelength is given closes the window and adds nothing.
  open_lambda_missing(form, folder.write("bad.dat", "\n\n\n\n10 0.05 10.15\n5 x\n").string());
  form.lambda = "1.5";
  form.lambda1 = form.lambda2 = "";
  EXPECT_FALSE(read_missing_wavelength(program).added);
  EXPECT_EQ(std::tuple(ui.last_warning(), form.visible, program.workspace.observed_patterns.size()),
            std::tuple("Read error in the Rietveld file!", false, 1u));
}

TEST_F(ObservedFlowTest, PeakFilesAreRefinedByExtensionAndLoadedOnce) {
  folder.write("peaks.prn", "20.5 40\n30.25 80\n");
  ui.choose_file("peaks.prn");
  ObservedLoad load = open_peak_file_of_kind(program, 1);
  ASSERT_TRUE(load.added) << ui.last_warning();
  // Redrawn through the driver, with no phase to compute.
  EXPECT_EQ(std::tuple(ui.open_requests[0].filter, ui.redraws), std::tuple(kPeakFilter, 1));

  ui.choose_file("peaks.prn");
  EXPECT_FALSE(open_peak_file_of_kind(program, 5).added);
  EXPECT_EQ(ui.last_warning(), "The file peaks.prn is already loaded");
}

TEST_F(ObservedFlowTest, AnEmptyPeakListOrANinthAddsNothing) {
  ui.choose_file(folder.write("empty.prn", "\n\n").filename().string());
  EXPECT_FALSE(open_peak_file_of_kind(program, 5).added);
  EXPECT_EQ(std::tuple(ui.warnings.size(), ui.last_warning(), program.workspace.observed_peaks.size()),
            std::tuple(1u, "The file empty.prn holds no peak", 0u));
  program.workspace.observed_peaks.resize(8);
  EXPECT_FALSE(open_peak_file_of_kind(program, 1).added);
  EXPECT_EQ(ui.last_warning(), "Max. Nb of peaks file = 8");
}

}  // namespace
}  // namespace calvane
