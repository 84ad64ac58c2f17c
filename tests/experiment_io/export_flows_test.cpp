// Saving profiles and peak lists: names, extensions, formats and the overwrite question.
#include "experiment_io/export_flows.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"
#include "util/files.hpp"
#include "workspace/program.hpp"

namespace calvane {
namespace {

using testing::ScriptedUi;
using testing::TempFolder;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

class ExportFlowTest : public ::testing::Test {
protected:
  TempFolder folder;
  ScriptedUi ui;
  Program program{ui, folder.path()};

  void SetUp() override {
    PhaseData phase;
    phase.file_name = "quartz.cry";
    phase.crystal.title = "Quartz";
    phase.profile = {0, 1, 3, 1};
    phase.reflections = {{1, 0, 0, 6, 1.5406, 4.2550, 20.859, 22.0}, {1, 0, 1, 6, 1.5406, 3.3435, 26.639, 100.0}};
    program.workspace.phases.push_back(phase);
    program.workspace.current_phase = 1;
  }
  std::string read(std::string_view name) { return read_file_bytes(folder / name).value_or("<missing>"); }
};

TEST_F(ExportFlowTest, NothingWithoutAPhase) {
  program.workspace.phases.clear();
  program.workspace.current_phase = 0;
  EXPECT_FALSE(export_profile(program, ProfileFileKind::Cpi, "d"));
  EXPECT_FALSE(save_hkl_list(program, 1));
  EXPECT_TRUE(ui.save_requests.empty());
}

TEST_F(ExportFlowTest, TheNameDecidesTheProfileFormatAndGetsItsExtension) {
  struct Case {
    ProfileFileKind menu;
    std::string chosen, written, start;
  };
  for (const Case& c : {Case{ProfileFileKind::Cpi, "plain", "plain.cpi", "SIETRONICS"},
                        Case{ProfileFileKind::NativeSim, "other.cpd", "other.cpd", "SIETRONICS"},
                        Case{ProfileFileKind::Cpd, "native.SIM", "native.SIM", "RAW2"}}) {
    ui.choose_file(c.chosen);
    ASSERT_TRUE(export_profile(program, c.menu, "d")) << c.chosen << ui.last_warning();
    EXPECT_EQ(ui.save_requests.back().filter, kProfileFilter);
    EXPECT_EQ(ui.save_requests.back().filter_index, static_cast<int>(c.menu));
    EXPECT_THAT(read(c.written), StartsWith(c.start)) << c.chosen;
  }
}

TEST_F(ExportFlowTest, OnlyYesOverwritesAnExistingFile) {
  folder.write("keep.cpi", "old");
  for (Answer answer : {Answer::No, Answer::Cancel}) {
    ui.choose_file("keep.cpi");
    ui.answer(answer);
    EXPECT_FALSE(export_profile(program, ProfileFileKind::Cpi, "d"));
    EXPECT_EQ(read("keep.cpi"), "old");
  }
  ui.choose_file("keep.cpi");
  ui.answer(Answer::Yes);
  EXPECT_TRUE(export_profile(program, ProfileFileKind::Cpi, "d"));
  EXPECT_THAT(read("keep.cpi"), StartsWith("SIETRONICS XRD SCAN"));
  EXPECT_THAT(ui.questions, ElementsAre(kOverwriteQuestion, kOverwriteQuestion, kOverwriteQuestion));
}


TEST_F(ExportFlowTest, PeakListNamesAndFormats) {
  ui.choose_file("quartz");
  ASSERT_TRUE(save_hkl_list(program, 1));
  EXPECT_EQ(ui.save_requests[0].filter, kPeakListFilter);
  EXPECT_EQ(read("quartz.prn"), "  20.859\n  26.639\n");

  ui.choose_file("quartz.di");  // the name wins over the entry
  ASSERT_TRUE(save_hkl_list(program, 2));
  EXPECT_EQ(ui.save_requests[1].filter_index, 2);
  EXPECT_EQ(read("quartz.di").substr(0, 4), "V3DI");

  ui.choose_file("quartz");
  ASSERT_TRUE(save_hkl_list(program, 4));
  EXPECT_THAT(read("quartz.cif"), StartsWith("data_quartz\n"));

  ui.choose_file("quartz.old");
  EXPECT_FALSE(save_hkl_list(program, 1));
  EXPECT_FALSE(std::filesystem::exists(folder / "quartz.old"));
  EXPECT_THAT(ui.last_warning(), HasSubstr("nothing was written"));
}


}  // namespace
}  // namespace calvane
