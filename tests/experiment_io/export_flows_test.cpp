// Saving profiles and peak lists: names, extensions, formats and the overwrite question.
#include "flows/export_flows.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "util/files.hpp"
#include "support/program_in_folder.hpp"

namespace calvane {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

struct ExportFlowTest : ::testing::Test, testing::ProgramInFolder {
  void SetUp() override {
    PhaseData& phase = program.workspace.phases.emplace_back();
    phase.file_name = "quartz.cry";
    phase.crystal.title = "Quartz";
    phase.profile = {0, 1, 3, 1};
    phase.reflections = {{1, 0, 0, 6, 1.5406, 4.2550, 20.859, 22.0},
                         {1, 0, 1, 6, 1.5406, 3.3435, 26.639, 100.0}};
    program.workspace.current_phase = 1;
  }
  std::string read(std::string_view name) { return read_file_bytes(folder / name).value_or("<missing>"); }
  bool save_peaks(const char* name, int entry) {
    ui.choose_file(name);
    return save_hkl_list(program, entry);
  }
};

TEST_F(ExportFlowTest, TheNameDecidesTheProfileFormatAndGetsItsExtension) {
  struct Case {
    ProfileFileKind menu;
    std::string chosen, written, start;
  } cases[] = {{ProfileFileKind::Cpi, "plain", "plain.cpi", "SIETRONICS"},
               {ProfileFileKind::NativeSim, "other.cpd", "other.cpd", "SIETRONICS"},
               {ProfileFileKind::Cpd, "native.SIM", "native.SIM", "RAW2"}};
  for (const Case& c : cases) {
    ui.choose_file(c.chosen);
    ASSERT_TRUE(export_profile(program, c.menu, "d")) << c.chosen << ui.last_warning();
    EXPECT_EQ(ui.save_requests.back().filter_index, static_cast<int>(c.menu));
    EXPECT_THAT(read(c.written), StartsWith(c.start)) << c.chosen;
  }
}

TEST_F(ExportFlowTest, OnlyYesOverwritesAnExistingFile) {
  folder.write("keep.cpi", "old");
  for (Answer answer : {Answer::No, Answer::Cancel}) {
    ui.choose_file("keep.cpi");
    ui.answer(answer);
    EXPECT_EQ((std::tuple{export_profile(program, ProfileFileKind::Cpi, "d"), read("keep.cpi")}),
              std::tuple(false, "old"));
  }
  ui.choose_file("keep.cpi");
  ui.answer(Answer::Yes);
  EXPECT_TRUE(export_profile(program, ProfileFileKind::Cpi, "d"));
  EXPECT_THAT(read("keep.cpi"), StartsWith("SIETRONICS XRD SCAN"));
  EXPECT_THAT(ui.questions, ElementsAre(kOverwriteQuestion, kOverwriteQuestion, kOverwriteQuestion));
}

TEST_F(ExportFlowTest, PeakListNamesAndFormatsAndNothingWithoutAPhase) {
  ASSERT_TRUE(save_peaks("quartz", 1));
  EXPECT_EQ(std::tuple(ui.save_requests[0].filter, read("quartz.prn")),
            std::tuple(kPeakListFilter, "  20.859\n  26.639\n"));
  ASSERT_TRUE(save_peaks("quartz.di", 2));  // the name wins over the entry
  EXPECT_EQ(read("quartz.di").substr(0, 4), "V3DI");
  ASSERT_TRUE(save_peaks("quartz", 4));
  EXPECT_THAT(read("quartz.cif"), StartsWith("data_quartz\n"));
  EXPECT_FALSE(save_peaks("quartz.old", 1));
  EXPECT_THAT(ui.last_warning(), HasSubstr("nothing was written"));
  EXPECT_FALSE(std::filesystem::exists(folder / "quartz.old"));
  program.workspace.phases.clear();  // without a phase: no dialog
  program.workspace.current_phase = 0;
  EXPECT_FALSE(export_profile(program, ProfileFileKind::Cpi, "d") || save_hkl_list(program, 1));
  EXPECT_EQ(ui.save_requests.size(), 4u);
}

}  // namespace
}  // namespace calvane
