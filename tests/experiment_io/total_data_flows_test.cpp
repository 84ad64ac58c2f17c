// Saving and loading whole workspaces, and undoing a phase deletion, with
// the real crystal reader and calculation driver on the example crystals.
#include "flows/total_data_flows.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "flows/open_flow.hpp"
#include "flows/export_flows.hpp"
#include "util/files.hpp"
#include "flows/driver.hpp"
#include "support/program_in_folder.hpp"

namespace calvane {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using testing::ScriptedUi;

void write_text(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Designated initialisers below leave the other members empty, as intended.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

// A program folder holding the installation data files, with the example
// crystals beside them.
struct TotalDataFlowTest : ::testing::Test, testing::ProgramInFolder {
  void SetUp() override {
    std::filesystem::copy(testing::source_folder("data"), folder.path(), std::filesystem::copy_options::recursive);
    for (const char* name : {"silicon.cry", "nacl.cry", "rutile.cry"})
      std::filesystem::copy_file(testing::source_folder("examples") / name, folder / name);
  }

  void open_crystal(Program& p, ScriptedUi& u, const std::string& name) {
    u.choose_file(name);
    open_crystal_file_of_kind(p, CrystalFileKind::Native);
  }

  // Two computed phases at different shares, a pattern and a peak list.
  void build_workspace() {
    open_crystal(program, ui, "silicon.cry");
    open_crystal(program, ui, "nacl.cry");
    ASSERT_EQ(program.workspace.phase_count(), 2) << ui.last_warning();
    program.main_form.phases.rows[0].percent = "75";
    program.main_form.phases.rows[1].percent = "25";
    program.main_form.phases.rows[1].strain = "2";
    program.main_form.phases.rows[1].size = "800";
    recompute_all_phases(program);
    ObservedPattern& pattern = program.workspace.observed_patterns.emplace_back(ObservedPattern{.file_name = "scan.raw"});
    for (int i = 0; i < 12; ++i) pattern.points.push_back({20 + 0.5 * i, 8.25 * i});
    program.workspace.observed_peaks.push_back(
        {(folder / "peaks.dif").string(), {{0, 0, 0, 28.443, 100}, {0, 0, 0, 47.303, 55}}});
    program.workspace.styles.pattern_styles[0] = 2;
  }

  // The workspace above saved as "mix.cmp"; its text.
  std::string saved_workspace() {
    build_workspace();
    ui.choose_file("mix.cmp");
    EXPECT_TRUE(save_workspace_file(program, TotalDataSender::Menu)) << ui.last_warning();
    return read_file_bytes(folder / "mix.cmp").value_or("");
  }
};

// What the file keeps is checked line by line in total_data_file_test and the
// reflections in workspace_round_trip_test; here, what the flows add: the
// dialogs, the phase options, the names shown, the styles and the curves.
TEST_F(TotalDataFlowTest, ALoadedWorkspaceRestoresThePhaseOptionsNamesStylesAndCurves) {
  EXPECT_FALSE(save_workspace_file(program, TotalDataSender::Menu));  // nothing to save
  build_workspace();
  ASSERT_FALSE(program.workspace.phase(1).profile.empty()) << ::testing::PrintToString(ui.warnings);
  ui.choose_file("mix");
  ASSERT_TRUE(save_workspace_file(program, TotalDataSender::Menu));
  ui.choose_file("mix.cmp");
  ui.answer(Answer::No);
  EXPECT_FALSE(save_workspace_file(program, TotalDataSender::Menu));
  EXPECT_THAT(ui.questions, ElementsAre(kOverwriteQuestion));

  ScriptedUi other_ui;
  Program other{other_ui, folder.path()};
  other_ui.choose_file("mix.cmp");
  ASSERT_TRUE(open_workspace_file(other, TotalDataSender::Menu).loaded) << other_ui.last_warning();
  const Workspace& a = program.workspace;
  const Workspace& b = other.workspace;
  ASSERT_EQ(b.phase_count(), 2) << other_ui.last_warning();
  EXPECT_NEAR(b.phase(2).fraction, a.phase(2).fraction, 1e-12);
  // The phases show their own names (their crystal files are scratch copies); a pattern's style is read back.
  EXPECT_EQ(
      std::tuple(b.phase(2).crystal_size, b.phase(2).profile.size(), b.phase(2).strain,
                 other.main_form.phases.rows[0].name, b.observed_patterns.size(), b.styles.pattern_styles[0]),
      std::tuple(a.phase(2).crystal_size, a.phase(2).profile.size(), 0.002, "silicon", 1u, 2));
  // So do the phase listings the load computed.
  EXPECT_THAT(read_file_bytes(folder / "phase12.out").value_or(""),
              AllOf(HasSubstr("Results for " + a.phase(1).file_name + "\n"),
                    Not(HasSubstr(other.scratch.path_if_made().string()))));
  ScriptedUi third_ui;  // the same file chosen as a crystal file is loaded as a workspace
  Program third{third_ui, folder.path()};
  open_crystal(third, third_ui, "mix.cmp");
  EXPECT_EQ(third.workspace.phase_count(), 2) << third_ui.last_warning();
}

TEST_F(TotalDataFlowTest, AMalformedFileLeavesTheWorkspaceAsItWas) {
  std::string text = saved_workspace();
  text.replace(text.find("NBOB 1"), 6, "NBOB x");
  folder.write("bad.cmp", text);
  // Cut within a line at a place that does not move with the length of the temporary folder's name.
  folder.write("trunc.cmp", text.substr(0, text.find("Observed patterns") + 8));
  for (const char* name : {"bad.cmp", "trunc.cmp", "missing.cmp"}) {
    std::size_t warnings = ui.warnings.size();
    ui.choose_file(name);
    EXPECT_FALSE(open_workspace_file(program, TotalDataSender::Menu).loaded) << name;
    EXPECT_THAT(ui.last_warning(), HasSubstr(name));
    EXPECT_EQ(std::tuple(ui.warnings.size(), program.workspace.phase_count(),
                         program.workspace.observed_peaks.size()),
              std::tuple(warnings + 1, 2, 1u))
        << name;
  }
}

TEST_F(TotalDataFlowTest, LoadingWritesAndDeletesNothingOutsideItsScratchFolder) {
  std::string text = saved_workspace();
  std::string outside = (folder / "elsewhere").string();
  text.replace(text.find("NAME "), text.find('\n', text.find("NAME ")) - text.find("NAME "),
               "NAME " + outside + "/../elsewhere/evil.cry");
  text.replace(text.find("NOMF " + (folder / "peaks.dif").string()), 5 + (folder / "peaks.dif").string().size(),
               "NOMF " + outside + "/trap.dif");
  // A read-only folder holding the user's own files of the names that
  // loading used to write and delete there.
  const std::filesystem::path work = folder / "work";
  std::filesystem::create_directories(work);
  for (const char* name : {"evil.cmp", "dummy.cmp", "evil_mp.cry", "silicon_mp.cry", "trap_mp.prn"})
    write_text(work / name, name == std::string("evil.cmp") ? text : "the user's own");
  std::filesystem::permissions(work, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  program.current_folder = work;

  ASSERT_TRUE(open_workspace_file(program, TotalDataSender::FileList, (work / "evil.cmp").string()).loaded)
      << ui.last_warning();
  std::filesystem::permissions(work, std::filesystem::perms::owner_all);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(work)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_THAT(names, ElementsAre("dummy.cmp", "evil.cmp", "evil_mp.cry", "silicon_mp.cry", "trap_mp.prn"));
  EXPECT_EQ(std::tuple(read_file_bytes(work / "dummy.cmp"), std::filesystem::exists(folder / "elsewhere"),
                       program.scratch.holds(program.workspace.phase(1).file_name)),
            std::tuple(std::optional<std::string>("the user's own"), false, true));

  // Saved again, the workspace names the phases' own files, not the copies.
  ui.choose_file((folder / "again.cmp").string());
  ASSERT_TRUE(save_workspace_file(program, TotalDataSender::Menu)) << ui.last_warning();
  EXPECT_THAT(read_file_bytes(folder / "again.cmp").value_or(""), HasSubstr("NAME " + outside + "/../elsewhere/evil.cry\n"));
}

// Two programs load one file each into a scratch folder of its own; a second
// load replaces the first one's files.
TEST_F(TotalDataFlowTest, EachProgramLoadsIntoAScratchFolderOfItsOwn) {
  saved_workspace();
  ScriptedUi other_ui;
  Program other{other_ui, folder.path()};
  ASSERT_TRUE(open_workspace_file(program, TotalDataSender::FileList, "mix.cmp").loaded) << ui.last_warning();
  ASSERT_TRUE(open_workspace_file(other, TotalDataSender::FileList, "mix.cmp").loaded) << other_ui.last_warning();
  EXPECT_NE(program.workspace.phase(1).file_name, other.workspace.phase(1).file_name);
  const std::filesystem::path earlier = program.workspace.phase(1).file_name;
  ASSERT_TRUE(open_workspace_file(program, TotalDataSender::FileList, "mix.cmp").loaded);
  EXPECT_EQ(std::tuple(std::filesystem::exists(earlier),
                       std::filesystem::exists(program.workspace.phase(1).file_name)),
            std::tuple(false, true));
}

TEST_F(TotalDataFlowTest, DeletingAPhaseThenRestoreBringsBackTheWorkspace) {
  build_workspace();
  open_crystal(program, ui, "rutile.cry");
  ASSERT_EQ(program.workspace.phase_count(), 3) << ui.last_warning();
  recompute_all_phases(program);
  int redraws = ui.redraws;

  erase_phase_row(program, 2);
  ASSERT_EQ(program.workspace.phase_count(), 2);
  EXPECT_THAT(program.workspace.phase(2).crystal.title, HasSubstr("Rutile"));
  // The snapshot is the program's own, in its scratch folder; no recomputation.
  EXPECT_EQ(std::tuple(std::filesystem::exists(folder / kSnapshotName), ui.redraws),
            std::tuple(false, redraws));

  ASSERT_TRUE(restore_erased_phase(program).loaded) << ui.last_warning();
  ASSERT_EQ(program.workspace.phase_count(), 3);
  EXPECT_THAT(program.workspace.phase(2).crystal.title, HasSubstr("Sodium chloride"));
  EXPECT_EQ(program.main_form.phases.rows[1].name, "nacl");
}

TEST_F(TotalDataFlowTest, NeutronsComeBackWithTheirCaption) {
  TotalDataFile data{.neutrons = true, .wavelength = "1.5", .two_theta_low = "10", .two_theta_high = "60",
                     .u = "0", .v = "0", .w = "0.08", .wavelengths = {{1.5, 1.0}},
                     .patterns = {{"obs", 3, 1, 0, true, {{10, 1}, {11, 2}}}}};
  folder.write("neutrons.cmp", format_total_data_file(data));
  ASSERT_TRUE(open_workspace_file(program, TotalDataSender::FileList, "neutrons.cmp").loaded) << ui.last_warning();
  EXPECT_EQ(program.main_form.source_caption, "Source: Neutrons");
}

}  // namespace
}  // namespace calvane
