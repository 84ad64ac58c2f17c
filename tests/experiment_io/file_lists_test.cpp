// The file-list panel: masks, folders, and a click loading each kind of file
// through the real readers.
#include "flows/file_lists.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "flows/open_flow.hpp"
#include "flows/total_data_flows.hpp"
#include "flows/report_flows.hpp"
#include "util/files.hpp"
#include "support/program_in_folder.hpp"

namespace calvane {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::ScriptedUi;
using testing::TempFolder;

TEST(FileMaskTest, MatchesEachKindsExtensionsWithoutRegardToCase) {
  constexpr auto crystal = FileListKind::CrystalData, patterns = FileListKind::ObservedPatterns,
                 peaks = FileListKind::ObservedPeaks;
  const struct Case {
    const char* name;
    FileListKind kind;
    bool expected;
  } cases[] = {
      {"NaCl.CRY", crystal, true},   {"a.cifx", crystal, false},  // the extension must end the name
      {"a.cry.bak", crystal, false}, {"a.ics", crystal, false},    // not in the mask
      {"scan.dat", peaks, true},     {"scan.rd", peaks, false},   {"peaks.di", peaks, true},
      {"peaks.diff", peaks, false},  {"scan.RD", patterns, true}, {".cmp", FileListKind::TotalData, true}};
  for (const Case& c : cases)
    EXPECT_EQ(matches_file_mask(c.name, file_list_mask(c.kind)), c.expected)
        << c.name << " " << static_cast<int>(c.kind);
  EXPECT_TRUE(matches_file_mask("x.y", " *.q ; *.y "));
  // A long name against several stars stays quick and right.
  EXPECT_FALSE(matches_file_mask(std::string(5000, 'a'), "*a*a*a*a*b"));
}

TEST(FileMaskTest, ListsOnlyMatchingFilesSortedWithoutRegardToCase) {
  TempFolder folder;
  for (const char* name : {"b.cry", "A.CIF", "c.txt", "a.lzy", "notes.cry~"}) folder.write(name, "x");
  fs::create_directory(folder / "sub.cry");  // a folder, even with a matching name, is no file
  EXPECT_THAT(files_matching(folder.path(), file_list_mask(FileListKind::CrystalData)),
              ElementsAre("A.CIF", "a.lzy", "b.cry"));
  EXPECT_THAT(files_matching(folder / "missing", "*.cry"), IsEmpty());
}

// A program folder with the installation data files, and a folder of
// sample files the user browses.
struct FileListFlowTest : ::testing::Test, testing::ProgramInFolder {
  fs::path samples = folder / "samples";

  void SetUp() override {
    folder.add_data_files();
    fs::create_directory(samples);
    for (const char* name : {"silicon.cry", "nacl.cry", "rutile.cry"})
      fs::copy_file(testing::source_folder("examples") / name, samples / name);
  }

  void write_sample(const std::string& name, const std::string& content) {
    std::ofstream(samples / name, std::ios::binary) << content;
  }
  bool reclick(const std::string& name) { return open_listed_file(program, row_of(name)).loaded; }
  std::string already_loaded(const std::string& name) const {
    return "The file " + (samples / name).string() + " is already loaded";
  }
  int row_of(const std::string& name) const {
    const auto& files = program.file_list.files;
    auto found = std::find(files.begin(), files.end(), name);
    return found == files.end() ? -1 : static_cast<int>(found - files.begin());
  }

  FileListLoad click(FileListKind kind, const std::string& name) {
    show_file_list(program, kind);
    set_file_list_folder(program, samples);
    return open_listed_file(program, row_of(name));
  }
};

TEST_F(FileListFlowTest, OpeningSetsTheKindAndShowsTheCurrentFolder) {
  program.main_form.phases.restore_visible = true;
  program.current_folder = samples;
  show_file_list(program, FileListKind::ObservedPeaks);
  const FileListForm& form = program.file_list;
  EXPECT_EQ(std::tuple(program.main_form.phases.restore_visible, form.title),
            std::tuple(false, std::string("Observed peaks")));
  show_file_list(program, FileListKind::CrystalData);
  EXPECT_THAT(form.files, ElementsAre("nacl.cry", "rutile.cry", "silicon.cry"));
}

TEST_F(FileListFlowTest, WithEightPhasesTheListStillOpensButNoCrystalIsAdded) {
  program.workspace.phases.resize(8);
  show_file_list(program, FileListKind::CrystalData);
  EXPECT_THAT(ui.warnings, ElementsAre("Max. Nb of phases =8!"));
  set_file_list_folder(program, samples);
  EXPECT_EQ((std::tuple{reclick("nacl.cry"), ui.last_warning()}),
            std::tuple(false, std::string("eight phases only!")));
}

TEST_F(FileListFlowTest, ChangingTheFolderMakesItCurrentForNamesWrittenLater) {
  show_file_list(program, FileListKind::CrystalData);
  set_file_list_folder(program, "samples");  // relative to the current folder
  EXPECT_EQ(program.resolve("out.cmp"), samples / "out.cmp");
  EXPECT_FALSE(open_listed_file(program, 7).loaded);  // no such row: nothing happens
  // The file clicked is recorded: it heads the global report.
  ASSERT_TRUE(reclick("nacl.cry"));
  show_global_report(program);
  EXPECT_EQ(read_text_lines(program.program_folder / "report_cmp.txt")->front(), "File :" + (samples / "nacl.cry").string());
}

TEST_F(FileListFlowTest, ACrystalClickedTwiceIsLoadedOnceAndComputed) {
  program.plot_state.intensity_scale = 3.5;
  program.plot_state.scale_position = 35;
  FileListLoad first = click(FileListKind::CrystalData, "nacl.cry");
  ASSERT_TRUE(first.loaded) << ui.last_warning();
  EXPECT_EQ(program.plot_state.scale_position, 10);
  EXPECT_EQ((std::tuple{reclick("nacl.cry"), ui.last_warning()}),
            std::tuple(false, already_loaded("nacl.cry")));
}

TEST_F(FileListFlowTest, PatternsAndPeaksAreReadByTheirExtensionAndLoadedOnce) {
  write_sample("halite.cpi",  // start 20°, end 20.1°, step 0.05°, Cu Kα1
               "SIETRONICS XRD SCAN\n20.000\n20.100\n0.0500\nCuKa\n1.54060\n01/02/2026\n1\nSampleIdent halite\n"
               "SCANDATA\n200\n1000\n600\n");
  write_sample("halite.prn", "27.37 13\n31.70 100\n45.45 57\n");
  program.plot_state.pattern_scales.fill(2.0);
  FileListLoad pattern = click(FileListKind::ObservedPatterns, "halite.cpi");
  ASSERT_TRUE(pattern.loaded) << ui.last_warning();
  EXPECT_EQ(program.plot_state.pattern_scales[4], 1.0);
  EXPECT_FALSE(reclick("halite.cpi"));
  ASSERT_TRUE(click(FileListKind::ObservedPeaks, "halite.prn").loaded) << ui.last_warning();
  write_sample("one.prn", "20 1\n");
  program.workspace.observed_peaks.resize(8);
  EXPECT_EQ((std::tuple{click(FileListKind::ObservedPeaks, "one.prn").loaded, ui.last_warning()}),
            std::tuple(false, std::string("Too much peaks files!")));
}

// A workspace saved as "dummy.cmp" is read, not deleted as a stale snapshot.
TEST_F(FileListFlowTest, ATotalDataFileNamedDummyIsLoadedAndKept) {
  ASSERT_TRUE(click(FileListKind::CrystalData, "nacl.cry").loaded);
  ui.choose_file((samples / "dummy.cmp").string());
  ASSERT_TRUE(save_workspace_file(program, TotalDataSender::Menu)) << ui.last_warning();
  ScriptedUi other_ui;
  Program other{other_ui, samples};
  other.plot_state.intensity_scale = 4;
  show_file_list(other, FileListKind::TotalData);
  ASSERT_THAT(other.file_list.files, ElementsAre("dummy.cmp"));
  ASSERT_TRUE(open_listed_file(other, 0).loaded) << other_ui.last_warning();
  EXPECT_EQ(std::tuple(other.plot_state.intensity_scale, fs::exists(samples / "dummy.cmp")),
            std::tuple(1.0, true));
}

// The lists of measured patterns and peak lists show, and load, the formats read by content.
TEST_F(FileListFlowTest, MeasuredFormatsAreListedAndLoadedByContent) {
  const fs::path fixtures = testing::source_folder("tests/experiment_io/fixtures");
  for (const char* name : {"silicon.ras", "quartz_2scans.xrdml", "gold_v4.jcpds"})
    fs::copy_file(fixtures / name, samples / name);
  show_file_list(program, FileListKind::ObservedPatterns);
  set_file_list_folder(program, samples);
  EXPECT_EQ(std::tuple(row_of("silicon.ras") >= 0, row_of("gold_v4.jcpds")), std::tuple(true, -1));
  EXPECT_TRUE(open_listed_file(program, row_of("quartz_2scans.xrdml")).loaded);
  EXPECT_TRUE(click(FileListKind::ObservedPeaks, "gold_v4.jcpds").loaded);
}

}  // namespace
}  // namespace calvane
