#include "flows/start_files.hpp"

#include <gtest/gtest.h>

#include "model/workspace.hpp"

namespace calvane {
namespace {

TEST(StartFiles, EachExtensionOpensThroughItsMenuEntry) {
  struct Case { const char* path; StartFileMenu menu; int entry; };
  const Case cases[] = {
      {"/home/ann/nacl.cry", StartFileMenu::Crystal, static_cast<int>(CrystalFileKind::Native)},
      {"QUARTZ.CIF", StartFileMenu::Crystal, static_cast<int>(CrystalFileKind::Cif)},  // case does not matter
      {"a/b.res", StartFileMenu::Crystal, static_cast<int>(CrystalFileKind::Shelx)},
      {"x.ics", StartFileMenu::Crystal, static_cast<int>(CrystalFileKind::Icsd)},  // its entry refuses it with its message
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
    EXPECT_EQ(found.menu, c.menu) << c.path;
    EXPECT_EQ(found.entry, c.entry) << c.path;
  }
}

}  // namespace
}  // namespace calvane
