// The plot's data as tables: reflections of every phase, and the plotted
// patterns on the profile grid.
#include "reports/plot_data.hpp"

#include <gtest/gtest.h>

#include "flows/plot_data_export.hpp"
#include "support/plot_workspace.hpp"
#include "support/program_in_folder.hpp"
#include "util/files.hpp"

namespace calvane {
namespace {

// Two phases of constant profiles 1 and 3 on 10, 11, 12, 13 degrees; a
// measured pattern from 10.5 to 12 rising 0, 10, 20, 30 over 0.5 degree steps.
Workspace two_phases_and_a_scan() {
  Workspace workspace = testing::gridded(10, 13, 4);
  testing::add_phase(workspace, "/d/quartz.cry", 0, 0, 1.0);
  testing::add_phase(workspace, "/d/cal cite,1.cry", 0, 0, 3.0);
  testing::add_pattern(workspace, "scan.raw", {{10.5, 0}, {11, 10}, {11.5, 20}, {12, 30}});
  return workspace;
}

TEST(PlotData, PatternsShareTheGridAndTheMeasuredIsScaledToTheSum) {
  // The sum is 4 everywhere; the measured reaches 30 at its highest grid point,
  // so it is drawn × 4/30: 10 at 11° becomes 1.3333, 30 at 12° becomes 4.
  const Workspace workspace = two_phases_and_a_scan();
  EXPECT_EQ(split_text_lines(plot_data_table(workspace, TableLayout::Csv)),
            (std::vector<std::string>{"two_theta,quartz,cal_cite_1,sum,measured,difference",
                                      "10.0000,1.0000,3.0000,4.0000,,", "11.0000,1.0000,3.0000,4.0000,1.3333,-2.6667",
                                      "12.0000,1.0000,3.0000,4.0000,4.0000,0.0000",
                                      "13.0000,1.0000,3.0000,4.0000,,"}));
  const auto xy = split_text_lines(plot_data_table(workspace, TableLayout::XyText));
  EXPECT_EQ(std::tuple(xy.front(), xy.back()),
            std::tuple("# two_theta quartz cal_cite_1 sum measured difference", "13.0000 1.0000 3.0000 4.0000 nan nan"));
}

TEST(PlotData, MeasuredValuesAreInterpolatedBetweenPoints) {
  Workspace workspace = two_phases_and_a_scan();
  workspace.observed_patterns[0].points = {{12.5, 40}, {10, 0}};  // unsorted, as a file may be
  const auto rows = split_text_lines(plot_data_table(workspace, TableLayout::Csv));
  // 0, 16, 32 at 10, 11, 12: the highest (32) becomes the sum's 4.
  EXPECT_EQ(std::vector(rows.begin() + 1, rows.begin() + 4),
            (std::vector<std::string>{"10.0000,1.0000,3.0000,4.0000,0.0000,-4.0000",
                                      "11.0000,1.0000,3.0000,4.0000,2.0000,-2.0000",
                                      "12.0000,1.0000,3.0000,4.0000,4.0000,0.0000"}));
  workspace.observed_patterns[0].draw = false;  // an undrawn pattern is not exported
  EXPECT_EQ(split_text_lines(plot_data_table(workspace, TableLayout::Csv))[0], "two_theta,quartz,cal_cite_1,sum");
}

TEST(PlotData, ReflectionsOfEveryPhaseInOrder) {
  Workspace workspace = testing::gridded(10, 50, 41);
  PhaseData& first = testing::add_phase(workspace, "/d/a.cry", 20, 10);
  first.scale_factor = 2;
  Reflection r = testing::reflection(1, 0, -1, 26.64, 12.5);
  r.multiplicity = 6;
  r.wavelength = 1.54056;
  r.d = 3.3434;
  first.reflections = {r};
  testing::add_phase(workspace, "/d/b.cry", 30, 10).reflections = {testing::reflection(2, 0, 0, 31.7, 100)};
  auto rows = split_text_lines(reflection_table_csv(workspace));
  ASSERT_EQ(rows.size(), 3u);
  rows[2].resize(8);
  EXPECT_EQ(rows, (std::vector<std::string>{"phase,h,k,l,mult,lambda,d,two_theta,intensity,k_intensity",
                                            "1,1,0,-1,6,1.54056,3.34340,26.6400,12.500000,25.0000", "2,2,0,0,"}));
}

struct PlotDataExport : ::testing::Test, testing::ProgramInFolder {};

TEST_F(PlotDataExport, TheChosenFilterOrExtensionGivesTheLayout) {
  program.workspace = two_phases_and_a_scan();
  const std::tuple<const char*, int, const char*, char> cases[] = {
      {"table", 1, "table.csv", 't'}, {"table", 2, "table.xy", '#'}, {"table.txt", 1, "table.txt", '#'}};
  for (const auto& [name, filter, file, first] : cases) {
    ui.choose_file(name, filter);
    EXPECT_TRUE(save_plot_data(program)) << name;
    EXPECT_EQ(read_file_bytes(folder / file).value_or(" ").front(), first) << file;
  }
  ui.choose_file("reflections");
  EXPECT_TRUE(save_reflection_table(program) && std::filesystem::exists(folder / "reflections.csv"));
}

TEST_F(PlotDataExport, NothingToSaveIsSaid) {
  EXPECT_FALSE(save_plot_data(program) || save_reflection_table(program));
  EXPECT_EQ(ui.warnings, (std::vector<std::string>{"No calculated diagram!", "No calculated diagram!"}));
}

}  // namespace
}  // namespace calvane
