#include "util/program_folder.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "support/temp_folder.hpp"
#include "util/files.hpp"

namespace calvane {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

void write(const fs::path& file, std::string_view content) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
}

std::string content_of(const fs::path& file) { return read_file_bytes(file).value_or("<missing>"); }

std::set<std::string> sorted(const std::vector<std::string>& names) { return {names.begin(), names.end()}; }

// An installed tree: <prefix>/bin and <prefix>/share/calvane with two data files.
struct InstalledTree {
  TempFolder root;
  fs::path bin = root / "usr/bin";
  fs::path data = root / "usr/share/calvane";
  fs::path home = root / "home/ann";
  FolderEnvironment environment{"", home.string()};

  InstalledTree() {
    fs::create_directories(bin);
    write(data / "spgr2.dat", "catalogue v1");
    write(data / "muro.dat", "absorption v1");
  }
  fs::path user_folder() const { return home / ".local/share/calvane"; }
};

TEST(ProgramFolder, UserFolderFollowsTheXdgRules) {
  struct Case { const char* xdg; const char* home; std::optional<fs::path> expected; };
  const Case cases[] = {
      {"/data/ann", "/home/ann", fs::path("/data/ann/calvane")},
      {"", "/home/ann", fs::path("/home/ann/.local/share/calvane")},
      {"relative/data", "/home/ann", fs::path("/home/ann/.local/share/calvane")},  // relative XDG values are ignored
      {"", "", std::nullopt},
      {"", "home/ann", std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(per_user_folder({c.xdg, c.home}), c.expected) << "XDG_DATA_HOME=" << c.xdg << " HOME=" << c.home;
}

TEST(ProgramFolder, InstalledProgramWorksInACopyInTheUsersFolderAndNeverInThePrefix) {
  InstalledTree tree;
  const ProgramFolderChoice first = choose_program_folder(tree.bin, tree.root.path(), tree.environment);
  EXPECT_EQ(std::tuple(first.problem, first.per_user, first.folder, sorted(first.copied),
                       content_of(tree.user_folder() / "spgr2.dat")),
            std::tuple("", true, tree.user_folder(), std::set<std::string>{"muro.dat", "spgr2.dat"}, "catalogue v1"));

  // The user's settings and scratch files written since survive the next start.
  write(tree.user_folder() / "couleurs.txt", "saved colours");
  write(tree.user_folder() / "scfs.dat", "operators");
  const ProgramFolderChoice second = choose_program_folder(tree.bin, tree.root.path(), tree.environment);
  EXPECT_EQ(std::tuple(second.copied.size(), content_of(tree.user_folder() / "couleurs.txt"),
                       content_of(tree.user_folder() / "scfs.dat")),
            std::tuple(0u, "saved colours", "operators"));
  for (const char* name : {"couleurs.txt", "scfs.dat"}) EXPECT_FALSE(fs::exists(tree.data / name)) << name;
}

TEST(ProgramFolder, ANewerInstalledDataFileOrAMissingCopyIsCopiedAgain) {
  InstalledTree tree;
  tree.environment = {(tree.root / "xdg").string(), tree.home.string()};
  const fs::path user = tree.root / "xdg/calvane";
  ASSERT_EQ(choose_program_folder(tree.bin, tree.root.path(), tree.environment).folder, user);

  write(tree.data / "spgr2.dat", "catalogue v2");
  fs::last_write_time(tree.data / "spgr2.dat", fs::last_write_time(user / "spgr2.dat") + std::chrono::hours(1));
  fs::remove(user / "muro.dat");
  const ProgramFolderChoice again = choose_program_folder(tree.bin, tree.root.path(), tree.environment);
  EXPECT_EQ(std::tuple(sorted(again.copied), content_of(user / "spgr2.dat"), content_of(user / "muro.dat")),
            std::tuple(std::set<std::string>{"muro.dat", "spgr2.dat"}, "catalogue v2", "absorption v1"));
  for (const auto& entry : fs::directory_iterator(user)) EXPECT_NE(entry.path().extension(), ".part");  // no temporary
}

TEST(ProgramFolder, BuildTreeAndPlainFoldersKeepTheirOwnFolder) {
  TempFolder root;
  const fs::path build_program = root / "build/program";
  write(build_program / "Spgr2.DAT", "catalogue");  // found without regard to case
  const fs::path elsewhere = root / "elsewhere";
  fs::create_directories(elsewhere);
  const FolderEnvironment environment{"", (root / "home").string()};

  const ProgramFolderChoice build = choose_program_folder(build_program, elsewhere, environment);
  EXPECT_EQ(std::tuple(build.folder, build.per_user, fs::exists(root / "home")),
            std::tuple(build_program, false, false));
  // A bin/ folder without an installed data folder is no installation: the
  // current folder stays the program folder, and the start-up reports what is missing.
  fs::create_directories(root / "opt/bin");
  const ProgramFolderChoice bare = choose_program_folder(root / "opt/bin", elsewhere, environment);
  EXPECT_EQ(std::tuple(bare.folder, bare.per_user, bare.problem), std::tuple(elsewhere, false, ""));
}

TEST(ProgramFolder, AnInstalledProgramWithoutAUsableUserFolderSaysWhy) {
  InstalledTree tree;
  const ProgramFolderChoice homeless = choose_program_folder(tree.bin, tree.root.path(), {"", ""});
  EXPECT_TRUE(!homeless.problem.empty() && homeless.folder.empty());
  // A plain file stands where the user's folder must be made.
  write(tree.home / ".local/share", "not a folder");
  const ProgramFolderChoice blocked = choose_program_folder(tree.bin, tree.root.path(), tree.environment);
  EXPECT_TRUE(blocked.problem.find("cannot create the folder") != std::string::npos && blocked.copied.empty())
      << blocked.problem;
}

}  // namespace
}  // namespace calvane
