// The program's scratch folder: where it is made, how private it is, and
// that it is made somewhere whatever the environment says.
#include "util/files.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "support/temp_folder.hpp"

namespace calvane {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

fs::perms permissions_of(const fs::path& path) { return fs::status(path).permissions() & fs::perms::all; }

TEST(ScratchFolderTest, MadeInTheCacheFolderPrivatelyAndRemovedWithItsContent) {
  TempFolder home;
  fs::path made;
  {
    ScratchFolder scratch(ScratchEnvironment{"", home.path().string(), ""});
    EXPECT_TRUE(scratch.path_if_made().empty());  // nothing is made before it is needed
    made = scratch.path();
    ASSERT_FALSE(made.empty()) << scratch.problem();
    EXPECT_EQ(std::tuple(made.parent_path(), permissions_of(made), permissions_of(made.parent_path())),
              std::tuple(home / ".cache" / "calvane", fs::perms::owner_all, fs::perms::owner_all));
    const fs::path sub = scratch.new_subfolder("workspace-");
    EXPECT_NE(sub, scratch.new_subfolder("workspace-"));
    std::ofstream(sub / "a.cry") << "x";
    EXPECT_EQ(
        (std::vector{scratch.holds(sub / "a.cry"), scratch.holds(sub / ".." / "b"),
                     scratch.holds(made / ".." / "b"), scratch.holds(made), scratch.holds(home / "a.cry")}),
        (std::vector{true, true, false, false, false}));
    // Two folders of one environment are never the same.
    ScratchFolder other(ScratchEnvironment{"", home.path().string(), ""});
    EXPECT_NE(other.path(), made);
  }
  EXPECT_EQ(std::tuple(fs::exists(made), fs::exists(home / ".cache" / "calvane")), std::tuple(false, true));
}

TEST(ScratchFolderTest, AnUnusableCacheFallsBackAndNothingAborts) {
  TempFolder base;
  const fs::path not_a_folder = base.write("file", "x");
  fs::create_directories(base / "shared" / "calvane");
  fs::permissions(base / "shared" / "calvane", fs::perms::all);  // writable by others: not ours to use
  fs::create_directories(base / "xdg");
  struct Case {
    ScratchEnvironment environment;
    fs::path expected_parent;
  };
  const Case cases[] = {
      {{(base / "xdg").string(), (base / "home").string(), ""}, base / "xdg" / "calvane"},
      {{"relative/cache", (base / "home").string(), ""}, base / "home" / ".cache" / "calvane"},
      {{(base / "shared").string(), "", base.path().string()}, base.path()},
      {{(not_a_folder / "x").string(), "", (not_a_folder).string()}, "/tmp"},
      {{"", "", "/no/such/folder"}, "/tmp"},
  };
  for (const Case& c : cases) {
    ScratchFolder scratch(c.environment);
    const fs::path made = scratch.path();
    ASSERT_FALSE(made.empty()) << c.expected_parent << ": " << scratch.problem();
    EXPECT_EQ(std::tuple(made.parent_path(), permissions_of(made)),
              std::tuple(c.expected_parent, fs::perms::owner_all));
  }
}

// The number of a process that has ended (a child already waited for).
long ended_process() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

TEST(ScratchFolderTest, AStartRemovesTheFoldersOfEndedRunsOnlyAndAFolderNamesItsProcess) {
  TempFolder home, temporary, user_files;
  const ScratchEnvironment environment{"", home.path().string(), temporary.path().string()};
  ScratchFolder scratch(environment);
  const fs::path mine = scratch.path();
  ASSERT_FALSE(mine.empty()) << scratch.problem();
  const fs::path cache = mine.parent_path();
  const std::string name = mine.filename().string();
  // "run-<pid>-<machine>-XXXXXX"
  const std::string own = "run-" + std::to_string(::getpid()) + "-";
  ASSERT_TRUE(name.starts_with(own)) << name;
  const std::string machine = name.substr(own.size(), name.size() - own.size() - 6);  // "<machine>-"

  const std::string ended = std::to_string(ended_process());
  const std::string running = std::to_string(::getppid());
  user_files.write("keep.txt", "the user's");
  struct Case {
    fs::path folder;
    bool removed;
  } cases[] = {
      {cache / ("run-" + ended + "-" + machine + "a1B2c3"), true},
      {temporary / ("calvane-run-" + ended + "-" + machine + "Zz9yY8"), true},
      {cache / ("run-" + running + "-" + machine + "a1B2c3"), false},            // a live process
      {cache / (own + machine + "OtHeR1"), false},                               // another object of this one
      {cache / ("run-" + ended + "-other-machine-a1B2c3"), false},               // made elsewhere
      {temporary / ("run-" + ended + "-" + machine + "a1B2c3"), false},          // not our name there
      {cache / ("run-" + ended + "-" + machine + "a1B2c"), false},               // not a mkdtemp name
      {cache / ("run-0" + ended + "-" + machine + "a1B2c3"), false},
      {cache / "notes", false},
  };
  for (const Case& c : cases) {
    fs::create_directory(c.folder);
    std::ofstream(c.folder / "a.cry") << "x";
  }
  // A link or a file named like an ended run's folder is not ours: it stays,
  // and so does what the link points to.
  const fs::path link = cache / ("run-" + ended + "-" + machine + "LiNk00");
  fs::create_directory_symlink(user_files.path(), link);
  const fs::path file = cache / ("run-" + ended + "-" + machine + "FiLe00");
  std::ofstream(file) << "x";

  ScratchFolder(environment).remove_abandoned();
  for (const Case& c : cases) EXPECT_EQ(fs::exists(c.folder), !c.removed) << c.folder;
  EXPECT_TRUE(fs::is_directory(mine) && fs::is_symlink(link) && fs::exists(user_files / "keep.txt") &&
              fs::exists(file));
}

}  // namespace
}  // namespace calvane
