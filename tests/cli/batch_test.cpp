#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "cli/batch.hpp"
#include "support/temp_folder.hpp"
#include "util/files.hpp"

namespace calvane::cli {
namespace {

using calvane::testing::TempFolder;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::filesystem::path kExamples = std::filesystem::path(CALVANE_SOURCE_DIR) / "examples";
const std::filesystem::path kData = std::filesystem::path(CALVANE_PROGRAM_DIR);

std::string text_of(const std::filesystem::path& path) {
  auto bytes = read_file_bytes(path);
  return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<missing>");
}

TEST(BatchInputs, ComeFromAFolderTreeAListFileOrStandardInput) {
  TempFolder folder;
  std::filesystem::create_directories(folder / "in/deep");
  folder.write("in/b.cry", "");
  folder.write("in/deep/a.CIF", "");
  folder.write("in/notes.txt", "");  // not a crystal format: left out of a folder
  folder.write("list.txt", "# two files\nin/b.cry\n\n  in/notes.txt  \n");
  std::istringstream none, lines("x.cel\n#y.cry\n");
  EXPECT_THAT(collect_batch_inputs((folder / "in").string(), none),
              ElementsAre(folder / "in/b.cry", folder / "in/deep/a.CIF"));
  EXPECT_THAT(collect_batch_inputs((folder / "list.txt").string(), none),
              ElementsAre("in/b.cry", "in/notes.txt"));
  EXPECT_THAT(collect_batch_inputs("-", lines), ElementsAre("x.cel"));
  EXPECT_THROW(collect_batch_inputs((folder / "missing").string(), none), std::invalid_argument);
}

TEST(BatchTasks, GiveCollidingNamesTheFirstFreeSuffix) {
  const auto tasks = batch_tasks({"a/x.cry", "b/x.cif", "c/summary.cry", "d/x-2.cry", "e/y.cel"});
  std::vector<std::string> names;
  for (const BatchTask& task : tasks) names.push_back(task.name);
  EXPECT_THAT(names, ElementsAre("x", "x-2", "summary-2", "x-2-2", "y"));
}

TEST(BatchSummary, ReadsBackWhatItWritesWhateverTheMessageHolds) {
  const std::vector<BatchRecord> records = {
      {"a,b.cry", "refused", "Bad cell parameters! \"alpha\"\nsecond line", "", "", 0, 0.5},
      {"c.cif", "ok", "", "Quartz, low", "P 32 2 1", 42, 0.0125}};
  const std::string csv = summary_csv(records);
  EXPECT_THAT(csv, HasSubstr("file,status,message,phase,space_group,reflections,seconds\n"));
  const auto back = read_summary_csv(csv);
  ASSERT_EQ(back.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(std::tuple(back[i].file, back[i].status, back[i].message, back[i].phase_name, back[i].space_group,
                         back[i].reflections),
              std::tuple(records[i].file, records[i].status, records[i].message, records[i].phase_name,
                         records[i].space_group, records[i].reflections));
    EXPECT_NEAR(back[i].seconds, records[i].seconds, 1e-4);
  }
}

// A folder of good files, one refused file and one name met twice.
struct BatchFixture {
  TempFolder folder;
  BatchFixture() {
    std::filesystem::create_directories(folder / "in/other");
    std::filesystem::copy_file(kExamples / "nacl.cry", folder / "in/nacl.cry");
    std::filesystem::copy_file(kExamples / "rutile.cry", folder / "in/other/nacl.cry");
    folder.write("in/broken.cry", "Broken\nCUBI\nF m -3 m\n   0.0   5.6   5.6  90.0  90.0  90.0\n"
                                  "Na  1    0.0  0.0  0.0    1.6   1.0\n");
    const auto cif = [](const char* name) { return *read_file_bytes(calvane::testing::source_folder("tests/crystal_io/fixtures") / name); };
    folder.write("in/two.cif", cif("low_albite.cif") + "\n" + cif("triclinic_test.cif"));
  }
  int run(Options options) {
    options.batch_inputs = (folder / "in").string();
    options.batch_out = (folder / "out").string();
    std::istringstream none;
    return run_batch(options, kData, none, messages, false);
  }
  std::vector<BatchRecord> summary() { return read_summary_csv(text_of(folder / "out/summary.csv")); }
  std::ostringstream messages;
};

TEST(Batch, ComputesEveryFileRecordsTheRefusedOneAndGoesOn) {
  BatchFixture batch;
  Options options;
  options.profile_xy = true;
  EXPECT_EQ(batch.run(options), 1);  // one file refused
  EXPECT_EQ(batch.messages.str(), "");  // quiet when not at a terminal
  auto rows = batch.summary();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(std::tuple(rows[0].status, rows[1].status, rows[2].status, rows[3].status),
            std::tuple("refused", "ok", "ok", "refused"));
  EXPECT_THAT(rows[0].message, HasSubstr("cell"));
  // Without --block, a CIF of two structures is refused with its blocks listed.
  EXPECT_THAT(rows[3].message, AllOf(HasSubstr("2 data blocks"), HasSubstr("1  low_albite\n  2  triclinic_test")));
  EXPECT_EQ(std::tuple(rows[1].phase_name, rows[1].space_group, rows[1].reflections),
            std::tuple("Sodium chloride, halite (rock-salt structure)", "F m -3 m", std::size_t{3}));
  EXPECT_EQ(std::tuple(rows[2].phase_name, rows[2].space_group), std::tuple("Rutile TiO2", "P 42/m n m"));
  // The second nacl (rutile's atoms) is written under the suffixed name, both tables and profiles.
  EXPECT_THAT(text_of(batch.folder / "out/nacl.csv"), HasSubstr("1,1,1,1,8,1.54060,3.25637,27.3662,"));
  EXPECT_THAT(text_of(batch.folder / "out/nacl-2.csv"), HasSubstr("1,1,1,0,4,1.54060,3.24"));
  EXPECT_THAT(text_of(batch.folder / "out/nacl-2.xy"), HasSubstr("10.0250 "));
  EXPECT_FALSE(std::filesystem::exists(batch.folder / "out/broken.csv"));
}

TEST(Batch, ResumeSkipsFilesWhoseOutputsExistAndKeepsTheirRows) {
  BatchFixture batch;
  Options options;
  batch.run(options);
  // A marker in the finished table shows whether resume wrote it again.
  write_file_atomically(batch.folder / "out/nacl.csv", "kept\n");
  std::filesystem::remove(batch.folder / "out/nacl-2.csv");
  options.resume = true;
  EXPECT_EQ(batch.run(options), 1);
  EXPECT_EQ(text_of(batch.folder / "out/nacl.csv"), "kept\n");
  EXPECT_THAT(text_of(batch.folder / "out/nacl-2.csv"), HasSubstr("phase,h,k,l"));
  const auto rows = batch.summary();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].status, "refused");  // no output: tried again, refused again
  // The skipped file keeps its row of the earlier summary.
  EXPECT_EQ(std::tuple(rows[1].status, rows[1].message, rows[1].space_group), std::tuple("ok", "", "F m -3 m"));
  EXPECT_EQ(rows[2].space_group, "P 42/m n m");
}

}  // namespace
}  // namespace calvane::cli
