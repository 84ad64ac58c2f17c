#include "experiment_io/output_formats.hpp"

#include <gtest/gtest.h>

namespace calvane {
namespace {

// The extension alone chooses: a name that merely holds ".dif" or ".di" somewhere
// (a backup "x.dif.bak", a folder "run.di/") chooses nothing.
TEST(OutputFormats, TheExtensionAloneChoosesTheFormat) {
  EXPECT_EQ(peak_list_format_of("A.DIF"), PeakListFormat::Bruker);
  EXPECT_EQ(peak_list_format_of("a.di"), PeakListFormat::Philips);
  EXPECT_EQ(peak_list_format_of("run.di/a.cif"), PeakListFormat::Cif);
  EXPECT_EQ(peak_list_format_of("a.prn"), PeakListFormat::Column);
  EXPECT_EQ(peak_list_format_of("a.dif.bak"), std::nullopt);
  EXPECT_EQ(peak_list_format_of("a"), std::nullopt);
  EXPECT_EQ(profile_format_of("x.CPD"), ProfileFileKind::Cpd);
  EXPECT_EQ(profile_format_of("x.sim.txt"), std::nullopt);
  EXPECT_EQ(extension_of(PeakListFormat::Philips), ".di");
  EXPECT_EQ(profile_output_extensions(), (std::vector<std::string>{".sim", ".cpi", ".cpd"}));
}

}  // namespace
}  // namespace calvane
