#include "flows/space_group_window.hpp"

#include <gtest/gtest.h>

#include "flows/crystal_page.hpp"
#include "util/files.hpp"
#include "support/program_in_folder.hpp"

namespace calvane {
namespace {

// A program folder holding a copy of the installed catalogues.
struct SelectionWindow : testing::ProgramInFolder {
  SpaceGroupForm form;

  SelectionWindow() {
    std::filesystem::copy(testing::source_folder("data"), folder.path(),
                          std::filesystem::copy_options::recursive);
  }
  CurrentCrystal& crystal() { return program.workspace.crystal; }
  void open(const char* system, const char* symbol) {
    crystal().system_code = system;
    crystal().symbol = symbol;
    fill_space_group_lists(form, program);
  }
};

TEST(SpaceGroupWindow, ListsTheCataloguesOfThePhasesSystem) {
  SelectionWindow window;
  window.open("TETR", "");
  // 68 groups, 13 with two origins; no symbol yet: nothing to show, nothing unknown.
  EXPECT_EQ(std::tuple(window.form.standard_symbols.size(), window.form.catalogue_items.size(),
                       window.ui.warnings.size()),
            std::tuple(81u, 88u, 0u));
}

// The search field finds a group of the shipped catalogue by number or by any
// common spelling of its symbol, and only among the phase's system.
TEST(SpaceGroupWindow, SearchFindsAGroupByNumberOrAnySpelling) {
  const std::string p21c = "P 1 21/c 1  (No. 14, Hall -P 2ybc)", fm3m = "F m -3 m  (No. 225, Hall -F 4 2 3)";
  const std::tuple<const char*, const char*, std::string> cases[] = {
      {"MONO", "14", p21c},  {"MONO", "p2_1/c", p21c},    {"CUBI", "fm3m", fm3m},
      {"CUBI", "Fm-3m", fm3m}, {"CUBI", "P 4/m m m", ""}, {"CUBI", "14", ""}};
  for (const auto& [system, search, description] : cases) {
    SelectionWindow window;
    window.open(system, "");
    const auto& items = window.form.catalogue_items;
    const int found = find_catalogue_item(items, search);
    EXPECT_EQ(found < 0 ? "" : catalogue_item_description(items[static_cast<std::size_t>(found)]), description)
        << search;
  }
}

TEST(SpaceGroupWindow, ShowsASymbolTypedWithOtherBlanksInsteadOfErasingIt) {
  const struct Case { const char *system, *typed, *shown, *hall, *number; std::size_t operators; } cases[] = {
      {"MONO", "P21/c", "P 1 21/c 1", "-P 2ybc", "14", 4},
      {"CUBI", "Fm-3m", "F m -3 m", "-F 4 2 3", "225", 192},
      {"HEXA", "R-3m", "R -3 m:H", "-R 3 2\"", "166", 36},
      {"RHOM", "r -3 m", "R -3 m:R", "-P 3* 2", "166", 12},
  };
  for (const Case& c : cases) {
    SelectionWindow window;
    window.open(c.system, c.typed);
    const CrystalPageForm& page = window.program.main_form.crystal;
    EXPECT_EQ(std::tuple(window.ui.warnings.size(), window.crystal().symbol, page.hall,
                         page.space_group_number, window.crystal().symmetry.operators.size()),
              std::tuple(0u, c.shown, c.hall, c.number, c.operators))
        << c.typed << ": " << window.ui.last_warning();
  }
}

TEST(SpaceGroupWindow, UnknownSymbolIsReportedCutAndEmptiedAndCancelKeepsTheNextPick) {
  SelectionWindow window;
  window.open("CUBI", "P 4/m m m");  // a tetragonal group on a cubic phase
  window.open("CUBI", "Z 99 long name");
  EXPECT_EQ(std::tuple(window.ui.warnings, window.crystal().symbol),  // cut to 32 characters
            std::tuple(std::vector<std::string>{"P 4/m m m unknown space group", "Z 99 long name unknown space gro"},
                       std::string()));
  // A group picked afterwards stays when the window is cancelled.
  choose_standard_group(window.form, window.program, 0);
  cancel_space_group(window.form, window.program);
  EXPECT_EQ(window.crystal().symmetry.operators.size(), 12u);
}

TEST(SpaceGroupWindow, StandardListIsUsedWhenOnlyItKnowsTheSymbol) {
  SelectionWindow window;
  window.folder.write("spgr2.dat", "");  // an empty generator catalogue
  window.open("MONO", "P 21/c");
  EXPECT_EQ(std::tuple(window.ui.warnings.size(), window.crystal().symbol,
                       window.crystal().symmetry.operators.size()),
            std::tuple(0u, "P 1 21/c 1", 4u))
      << window.ui.last_warning();
}

TEST(SpaceGroupWindow, ClickingACatalogueItemRunsTheGeneratorInTheScratchFolder) {
  SelectionWindow window;
  testing::TempFolder user_folder;  // the folder the user works in
  window.program.current_folder = user_folder.path();
  const std::filesystem::path users_own = user_folder.write("scfs.dat", "the user's own file");
  window.open("ORTH", "");
  window.folder.write("scfs2.dat", "old");
  choose_catalogue_group(window.form, window.program, 1);  // "P 2 2 21"
  // The generator's file is the program's own: neither the user's folder nor
  // the program folder receives it.
  EXPECT_EQ(
      std::tuple(std::filesystem::exists(window.folder / "scfs2.dat"), read_file_bytes(users_own),
                 std::filesystem::exists(window.folder / "scfs.dat"), window.crystal().symmetry.hall_symbol),
      std::tuple(false, std::optional<std::string>("the user's own file"), false, "P 2c 2"));
  const TextGrid& grid = window.form.positions;
  ASSERT_EQ(grid.row_count(), 5);
  // International Tables, No. 17, position (2): -x, -y, z+1/2.
  EXPECT_EQ(grid.cells[2], (std::vector<std::string>{"2", "-X", "-Y", " Z+1/2", ""}));

  choose_standard_group(window.form, window.program, 2);  // "P 21 21 2"
  EXPECT_EQ(std::tuple(window.program.main_form.crystal.hall, window.form.positions.cells[2]),
            std::tuple(std::string(), std::vector<std::string>{"2", "-X", "-Y", " Z", ""}));
}

TEST(SpaceGroupWindow, AHallSymbolTypedOnTheCrystalPageRunsTheGeneratorInTheScratchFolder) {
  SelectionWindow window;
  window.crystal().system_code = "ORTH";
  window.crystal().symbol = "P 2 2 21";
  window.crystal().symmetry.hall_symbol = "P 2c 2";
  build_symmetry_operators(window.program);
  EXPECT_EQ(window.crystal().symmetry.operators.size(), 4u) << window.ui.last_warning();
  EXPECT_FALSE(std::filesystem::exists(window.folder / "scfs.dat"));
}

TEST(SpaceGroupWindow, OkRefusesAnEmptySymbolAndAddsAWaitingShelxPhase) {
  SelectionWindow window;
  int added = 0;
  auto add = [&added] { ++added; };
  window.open("CUBI", "");
  window.form.visible = true;
  EXPECT_FALSE(accept_space_group(window.form, window.program, add));
  EXPECT_EQ(std::tuple(window.ui.last_warning(), window.form.visible),
            std::tuple(std::string("No selected group!"), true));

  window.crystal().symbol = "F m -3 m";
  Workspace& workspace = window.program.workspace;
  // A waiting SHELX phase is added once; atoms edited add it elsewhere; a native file waits for nothing.
  for (auto [kind, changed] : {std::pair{CrystalFileKind::Shelx, true}, {CrystalFileKind::Shelx, false},
                               {CrystalFileKind::Native, false}}) {
    std::tie(workspace.crystal_file_kind, workspace.crystal_changed) = std::pair(kind, changed);
    EXPECT_TRUE(accept_space_group(window.form, window.program, add));
  }
  EXPECT_EQ(std::tuple(added, window.form.visible), std::tuple(1, false));
}

}  // namespace
}  // namespace calvane
