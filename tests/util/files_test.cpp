// The program's scratch folder: where it is made, how private it is, and
// that it is made somewhere whatever the environment says.
#include "util/files.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

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
    EXPECT_EQ(made.parent_path(), home / ".cache" / "calvane");
    EXPECT_EQ(permissions_of(made), fs::perms::owner_all);
    EXPECT_EQ(permissions_of(made.parent_path()), fs::perms::owner_all);
    const fs::path sub = scratch.new_subfolder("workspace-");
    EXPECT_NE(sub, scratch.new_subfolder("workspace-"));
    std::ofstream(sub / "a.cry") << "x";
    EXPECT_TRUE(scratch.holds(sub / "a.cry"));
    EXPECT_TRUE(scratch.holds(sub / ".." / "b"));
    EXPECT_FALSE(scratch.holds(made / ".." / "b"));
    EXPECT_FALSE(scratch.holds(made));
    EXPECT_FALSE(scratch.holds(home / "a.cry"));
    // Two folders of one environment are never the same.
    ScratchFolder other(ScratchEnvironment{"", home.path().string(), ""});
    EXPECT_NE(other.path(), made);
  }
  EXPECT_FALSE(fs::exists(made));
  EXPECT_TRUE(fs::exists(home / ".cache" / "calvane"));
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
    EXPECT_EQ(made.parent_path(), c.expected_parent);
    EXPECT_EQ(permissions_of(made), fs::perms::owner_all) << made;
  }
}

}  // namespace
}  // namespace calvane
