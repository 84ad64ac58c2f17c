#include "flows/start_files.hpp"

#include <gtest/gtest.h>

#include "model/workspace.hpp"

namespace calvane {
namespace {

// Crystal names are told apart by the readers' own table, tested with the readers.
TEST(StartFiles, EachExtensionOpensThroughItsMenuEntry) {
  struct Case { const char* path; StartFileMenu menu; int entry; };
  const Case cases[] = {
      {"/home/ann/nacl.cry", StartFileMenu::Crystal, static_cast<int>(CrystalFileKind::Native)},
      {"run.Raw", StartFileMenu::ObservedPattern, 1},
      {"scan.dat", StartFileMenu::ObservedPattern, 4},
      {"scan.cpd", StartFileMenu::ObservedPattern, 6},
      {"peaks.di", StartFileMenu::ObservedPeaks, 4},  // not taken for the ".dif" entry
      {"peaks.dif", StartFileMenu::ObservedPeaks, 1},
      {"peaks.prn", StartFileMenu::ObservedPeaks, 5},
      {"work.cmp", StartFileMenu::TotalData, 0},
      {"notes.doc", StartFileMenu::Unknown, 0},
      {"cry", StartFileMenu::Unknown, 0},  // a name without an extension
      {"archive.cry.gz", StartFileMenu::Unknown, 0},
  };
  for (const Case& c : cases) {
    const StartFileEntry found = start_file_entry(c.path);
    EXPECT_EQ(std::pair(found.menu, found.entry), std::pair(c.menu, c.entry)) << c.path;
  }
}

}  // namespace
}  // namespace calvane
