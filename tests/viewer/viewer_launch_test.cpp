// Finding and starting the structure viewer: the date test, "lumipath.txt",
// the path dialog and the disk search.
#include "flows/viewer_launch.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>

#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"
#include "flows/program.hpp"

namespace calvane {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;
using testing::ScriptedUi;
using testing::TempFolder;
using ::testing::ElementsAre;

/// Sets a file's last write to noon of a day, so that the local date is that
/// day in every time zone within 11 hours of UTC.
void date_file(const fs::path& file, year_month_day date) {
  fs::last_write_time(file, file_clock::from_sys(time_point_cast<system_clock::duration>(sys_days{date} + hours{12})));
}

fs::path make_viewer(const fs::path& file, year_month_day date = year{2024} / 5 / 1) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << "viewer";
  date_file(file, date);
  return file;
}

TEST(ViewerDateTest, ViewersBeforeTheEleventhOfAugust2003AreTooOld) {
  TempFolder folder;
  struct Case { int year; unsigned month, day; bool too_old; };
  for (const Case& c : {Case{2003, 8, 10, true}, {2003, 8, 11, false}, {2002, 12, 31, true}, {2019, 1, 1, false}}) {
    fs::path viewer = make_viewer(folder / "lumiso2.exe", year{c.year} / c.month / c.day);
    EXPECT_EQ(viewer_too_old(viewer), c.too_old) << c.year << "-" << c.month << "-" << c.day;
  }
  EXPECT_TRUE(viewer_too_old(folder / "missing.exe"));
}

TEST(ViewerCommandTest, AnExeGoesThroughWineWhenThereIsOneAndNeverThroughAShell) {
  using Command = std::pair<std::string, std::vector<std::string>>;
  const auto command = [](const ViewerCommand& c) { return Command{c.program, c.arguments}; };
  // One argument, blanks kept.
  EXPECT_EQ(command(viewer_command("/opt/lumiso2.exe", "/data/my quartz.cry", "")),
            (Command{"/opt/lumiso2.exe", {"/data/my quartz.cry"}}));
  EXPECT_EQ(command(viewer_command("/opt/Lumiso2.EXE", "/data/q.cry", "/usr/bin/wine")),
            (Command{"/usr/bin/wine", {"/opt/Lumiso2.EXE", "/data/q.cry"}}));
  EXPECT_EQ(viewer_command("/opt/lumiso2.exe.sh", "/data/q.cry", "/usr/bin/wine").program, "/opt/lumiso2.exe.sh");
}

class ViewerLaunchTest : public ::testing::Test {
protected:
  TempFolder folder;
  ScriptedUi ui;
  Program program{ui, folder / "program"};
  fs::path crystals = folder / "crystals";
  fs::path viewer = make_viewer(folder / "apps" / "lumiso2.exe");

  void SetUp() override {
    fs::create_directories(program.program_folder);
    fs::create_directories(crystals);
    program.workspace.phases.emplace_back();
    program.workspace.current_phase = 1;
    program.current_folder = crystals;
    program.workspace.crystal_file_name = "quartz.cry";  // relative to the current folder
  }
  void store_path(const std::string& text) { std::ofstream(program.program_folder / kViewerPathFile) << text << "\n"; }
  std::optional<std::string> stored() const { return read_viewer_path(program); }
  bool path_window_shown() const {
    return !ui.window_changes.empty() && ui.window_changes.back() == std::make_pair(WindowId::ViewerPath, true);
  }
  /// The last viewer started, without the wine this machine may have.
  std::string started_crystal() const {
    const auto& started = ui.started_programs;
    return started.empty() || started.back().second.empty() ? "" : started.back().second.back();
  }
};

TEST_F(ViewerLaunchTest, NothingStartsWithoutAPhaseOrACrystalFile) {
  program.workspace.phases.clear();
  launch_structure_viewer(program);
  program.workspace.phases.emplace_back();
  program.workspace.crystal_file_name = "  ";
  store_path(viewer.string());
  launch_structure_viewer(program);
  EXPECT_EQ(std::tuple(ui.warnings, ui.started_programs.size()), std::tuple(std::vector<std::string>{"No phase!"}, 0u));
}

TEST_F(ViewerLaunchTest, AStoredViewerIsStartedOnTheCrystalsFullName) {
  store_path("  " + viewer.string() + "  ");
  launch_structure_viewer(program);
  EXPECT_EQ(std::tuple(ui.warnings.size(), started_crystal()), std::tuple(0u, (crystals / "quartz.cry").string()));

  // A name without folder is found in the program folder, not where the program was started from.
  fs::path local = make_viewer(program.program_folder / "viewers" / "lumiso2.exe");
  store_path("viewers/lumiso2.exe");
  launch_structure_viewer(program);
  EXPECT_EQ(program.workspace.viewer_path, local.string());
  ui.program_starts = false;  // a failed start is reported
  launch_structure_viewer(program);
  EXPECT_THAT(ui.warnings, ElementsAre(local.string() + " could not be started"));
}

TEST_F(ViewerLaunchTest, AMissingOrOldStoredViewerIsRefused) {
  store_path((folder / "gone" / "lumiso2.exe").string());
  launch_structure_viewer(program);
  // Kept: the volume may come back.
  EXPECT_EQ(std::tuple(ui.last_warning(), stored().has_value()),
            std::tuple((folder / "gone" / "lumiso2.exe").string() + " File not found", true));

  date_file(viewer, year{2003} / 8 / 10);
  store_path(viewer.string());
  launch_structure_viewer(program);
  // Deleted: the next launch asks again.
  EXPECT_EQ(std::tuple(ui.last_warning(), stored().has_value()), std::tuple(std::string(kOldViewerMessage), false));
  launch_structure_viewer(program);
  EXPECT_TRUE(path_window_shown());
}

TEST_F(ViewerLaunchTest, OkRefusesAnotherFileAndKeepsTheDialogOpen) {
  launch_structure_viewer(program);
  ASSERT_TRUE(path_window_shown());
  const std::size_t window_changes = ui.window_changes.size();
  fs::path other = make_viewer(folder / "apps" / "lumiso.exe");
  const std::string nowhere = (folder / "nowhere" / "Lumiso2.exe").string();
  const std::pair<std::string, std::string> cases[] = {
      {other.string(), " This is not the Lumiso2.exe file"},
      {(folder / "lumiso2.exe.bak").string(), " This is not the Lumiso2.exe file"},
      {nowhere, nowhere + " File not found"}};
  for (const auto& [text, message] : cases) {
    program.viewer_path_form.path_text = text;
    accept_viewer_path(program);
    EXPECT_EQ(ui.last_warning(), message) << text;
  }
  date_file(viewer, year{2003} / 8 / 10);
  program.viewer_path_form.path_text = viewer.string();
  accept_viewer_path(program);
  EXPECT_EQ(std::tuple(ui.last_warning(), ui.window_changes.size(), stored()),
            std::tuple(std::string(kOldViewerMessage), window_changes, std::nullopt));
}

TEST_F(ViewerLaunchTest, OkStoresThePathStartsTheViewerAndCloses) {
  // Names on this system are case-sensitive: the path is kept as typed,
  // only the file name is compared without regard to case.
  fs::path upper = make_viewer(folder / "Apps" / "LUMISO2.EXE");
  launch_structure_viewer(program);
  program.viewer_path_form.path_text = " " + upper.string() + " ";
  accept_viewer_path(program);
  EXPECT_EQ(std::tuple(ui.warnings.size(), stored(), program.viewer_path_form.visible, started_crystal()),
            std::tuple(0u, std::optional(upper.string()), false, (crystals / "quartz.cry").string()));
  launch_structure_viewer(program);  // the next launch uses the stored path without asking
  EXPECT_EQ(ui.started_programs.size(), 2u);
}

TEST(ViewerSearchTest, StopsAtTheFirstViewerWalkingFilesBeforeSubfoldersFromEachRoot) {
  TempFolder folder;
  fs::path first = make_viewer(folder / "a" / "lumiso2.exe");
  fs::path shallow = make_viewer(folder / "z" / "lumiso2.exe");
  fs::path top = make_viewer(folder / "lumiso2.exe");
  for (const fs::path& next : {top, first, shallow}) {
    EXPECT_EQ(find_viewer({folder.path()}, [] { return true; }), next);
    fs::remove(next);
  }
  fs::path deep = make_viewer(folder / "a" / "b" / "c" / "d" / "old-Lumiso2.exe.lnk");  // the name holds it, any case
  int steps = 0;
  EXPECT_EQ(find_viewer({folder / "missing", folder.path()}, [&steps] { return ++steps > 0; }), deep);
  EXPECT_GT(steps, 3);  // the window was let through between entries
}

TEST(ViewerSearchTest, LinkLoopsAndUnreadableFoldersDoNotStopTheSearch) {
  TempFolder folder;
  fs::create_directories(folder / "a" / "b");
  fs::create_directory_symlink(folder / "a", folder / "a" / "b" / "back");  // a loop
  fs::create_directory_symlink(folder / "gone", folder / "a" / "dangling");
  fs::path hidden = make_viewer(folder / "locked" / "lumiso2.exe");
  fs::permissions(folder / "locked", fs::perms::none);
  // Root reads every folder: then the locked one is walked like any other.
  const bool locked = ::access((folder / "locked").c_str(), R_OK) != 0;
  fs::path viewer = make_viewer(folder / "z" / "lumiso2.exe");
  int steps = 0;
  auto found = find_viewer({folder / "missing", folder.path()}, [&steps] { return ++steps < 10000; });
  EXPECT_EQ(found, locked ? viewer : hidden);
  EXPECT_LT(steps, 100);
  fs::remove(viewer);
  if (locked) {
    EXPECT_FALSE(find_viewer({folder.path()}, [] { return true; }).has_value());
  }
  fs::permissions(folder / "locked", fs::perms::owner_all);
}

TEST_F(ViewerLaunchTest, AutomaticSearchFillsTheBoxOrSaysNothingWasFound) {
  search_for_viewer(program, {crystals});
  EXPECT_EQ(std::tuple(ui.warnings, ui.busy_depth), std::tuple(std::vector<std::string>{"Pathname not found"}, 0));
  search_for_viewer(program, {crystals, folder.path()});
  EXPECT_EQ(program.viewer_path_form.path_text, viewer.string());
}

TEST_F(ViewerLaunchTest, CancelStopsARunningSearch) {
  // The fake Ui's event processing stands for the user pressing "Cancel".
  struct CancellingUi : ScriptedUi {
    Program* program = nullptr;
    int events = 0;
    void process_events() override {
      if (++events == 3) cancel_viewer_path(*program);
    }
  } cancelling;
  Program p{cancelling, folder.path()};
  cancelling.program = &p;
  for (int i = 0; i < 20; ++i) fs::create_directories(folder / "many" / std::to_string(i));
  search_for_viewer(p, {folder / "many", folder.path()});
  EXPECT_EQ(cancelling.events, 3);
  EXPECT_TRUE(p.viewer_path_form.path_text.empty());
}

}  // namespace
}  // namespace calvane
