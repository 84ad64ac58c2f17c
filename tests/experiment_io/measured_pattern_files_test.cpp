// Measured patterns in every format, from small files written for these
// tests (fixtures/), read through the one entry that recognises them.
#include "experiment_io/measured_pattern_files.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "util/files.hpp"

namespace calvane {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

std::filesystem::path fixture(const std::string& name) {
  return std::filesystem::path(CALVANE_SOURCE_DIR) / "tests/experiment_io/fixtures" / name;
}

TEST(MeasuredPatternFiles, EveryFormatReadsItsPointsWavelengthAndScans) {
  const struct Case {
    const char* file;
    std::size_t scans, points;  // of the first scan
    double first_x, last_x, top_x, alpha1;
    ScanAxis axis = ScanAxis::TwoTheta;
  } cases[] = {
      // XRDML 2.x: <counts>, start and end positions, two scans, Cu Kα1.
      {"quartz_2scans.xrdml", 2, 5, 20.0, 20.08, 20.04, 1.540598},
      // XRDML 1.x: <intensities> on listed positions, Co Kα1.
      {"corundum_v1.xrdml", 1, 4, 40.0, 40.2, 40.05, 1.78901},
      {"raw4_two_ranges.raw", 2, 5, 20.0, 20.08, 20.04, 0},
      {"quartz.brml", 1, 4, 30.0, 30.06, 30.02, 1.5406},
      // The third point's attenuation factor of 10 makes it the strongest.
      {"silicon.ras", 1, 4, 28.0, 28.06, 28.04, 1.540593},
      {"quartz.xy", 1, 5, 20.0, 20.08, 20.04, 0},
      {"comma.csv", 1, 3, 20.0, 20.04, 20.02, 0},
      {"comma_tab.xy", 1, 3, 20.0, 20.04, 20.02, 0},
      {"quartz.uxd", 1, 5, 20.0, 20.08, 20.04, 1.5406},
      {"quartz.chi", 1, 3, 20.0, 20.04, 20.02, 0},
      {"quartz.gsa", 1, 12, 20.0, 20.22, 20.04, 0},
      {"quartz.fxye", 1, 3, 20.0, 20.04, 20.02, 0},
      {"nacl_d.xy", 1, 3, 3.256, 1.9941, 2.8201, 0, ScanAxis::DSpacing},
      {"bank_tof.xye", 1, 3, 10000, 10020, 10020, 0, ScanAxis::TimeOfFlight},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    MeasuredReading reading = read_measured_file(fixture(c.file));
    ASSERT_TRUE(reading.ok()) << reading.error;
    ASSERT_EQ(reading.scans.size(), c.scans);
    const MeasuredScan& scan = reading.scans.front();
    ASSERT_EQ(std::tuple(scan.x.size(), scan.counts.size()), std::tuple(c.points, c.points));
    const auto top = std::max_element(scan.counts.begin(), scan.counts.end()) - scan.counts.begin();
    EXPECT_NEAR(std::hypot(scan.x.front() - c.first_x, scan.x.back() - c.last_x,
                           scan.x[static_cast<std::size_t>(top)] - c.top_x),
                0, 1e-9);
    EXPECT_NEAR(scan.alpha1, c.alpha1, 1e-6);
    EXPECT_EQ(scan.axis, c.axis);
  }
}

TEST(MeasuredPatternFiles, SecondScansAndStatedRadiation) {
  MeasuredReading xrdml = read_measured_file(fixture("quartz_2scans.xrdml"));
  ASSERT_TRUE(xrdml.ok());
  EXPECT_EQ(
      std::tuple(xrdml.title, xrdml.scans[1].x, xrdml.scans[1].counts, xrdml.scans[0].ratio,
                 xrdml.scans[0].anode),
      std::tuple("quartz Q-7", std::vector{26.0, 26.5, 27.0}, std::vector<double>{10, 20, 30}, 0.5, "Cu"));
  EXPECT_NEAR(xrdml.scans[0].alpha2, 1.544426, 1e-9);

  MeasuredReading raw4 = read_measured_file(fixture("raw4_two_ranges.raw"));
  ASSERT_TRUE(raw4.ok());
  EXPECT_EQ(
      std::tuple(raw4.scans[1].name, raw4.scans[1].x, raw4.scans[1].counts),
      std::tuple("range 2 (Detector Scan)", std::vector{40.0, 40.5, 41.0}, std::vector<double>{10, 30, 20}));

  MeasuredReading ras = read_measured_file(fixture("silicon.ras"));
  ASSERT_TRUE(ras.ok());
  EXPECT_EQ(std::tuple(ras.title, ras.scans[0].anode, ras.scans[0].counts[2]),
            std::tuple("silicon SRM", "Cu", 900.0));
}

TEST(MeasuredPatternFiles, AFileNoReaderTakesGivesOneMessageSayingWhatWasTried) {
  const struct Case {
    const char* file;
    std::vector<std::string> parts;
  } cases[] = {
      {"broken.xrdml",
       {"Cannot read broken.xrdml as a measured pattern: tried PANalytical XRDML (XML error"}},
      {"raw4_cut.raw", {"tried Bruker RAW v4 (range 2: the file ends inside its header)"}},
      {"empty.brml", {"tried Bruker .brml (the archive holds no Experiment*/RawData*.xml member)"}},
      {"cut.ras", {"tried Rigaku RAS (the file ends inside a scan (no *RAS_INT_END))"}},
      {"instrument.instprm", {"instrument.instprm is not a pattern: it is a GSAS instrument parameter file"}},
      {"instrument.prm", {"instrument.prm is not a pattern"}},
  };
  for (const Case& c : cases) {
    MeasuredReading reading = read_measured_file(fixture(c.file));
    EXPECT_FALSE(reading.ok()) << c.file;
    for (const std::string& part : c.parts) EXPECT_THAT(reading.error, HasSubstr(part)) << c.file;
  }
  EXPECT_EQ(read_measured_bytes("", "e.xy").error, "Cannot read e.xy: the file is empty");
  EXPECT_THAT(read_measured_bytes(std::string("\x01\x02\x03\x04garbage\x00\x05", 13), "g.bin").error,
              StartsWith("Cannot read g.bin as a measured pattern: "));
}

TEST(MeasuredPatternFiles, ScansBecomeTwoThetaPatternsScaledToAHundred) {
  // d = 2.8201 Å at 1.5406 Å is 2θ = 31.70°, by hand from λ = 2d sin θ.
  MeasuredReading d = read_measured_file(fixture("nacl_d.xy"));
  PatternReading nacl = pattern_of_scan(d, 0, 1.5406, "nacl_d.xy");
  ASSERT_TRUE(nacl.ok()) << nacl.error;
  ASSERT_EQ(nacl.buffer.angles.size(), 3u);
  EXPECT_NEAR(nacl.buffer.angles[1], 31.70, 0.01);
  // d = 3.256 Å, the weakest, comes first in 2θ.
  EXPECT_EQ(std::tuple(std::is_sorted(nacl.buffer.angles.begin(), nacl.buffer.angles.end()),
                       nacl.buffer.intensities[0]),
            std::tuple(true, 0.0f));
  EXPECT_FLOAT_EQ(nacl.buffer.intensities[1], 100.0f);

  // At 7 Å only d ≥ 3.5 Å reflects: no point is left.
  EXPECT_THAT(pattern_of_scan(d, 0, 7.0, "nacl_d.xy").error, HasSubstr("no point lies below 180 degrees"));

  // Q = 4π sin θ / λ: Q = 2.2282 Å⁻¹ is the NaCl 200 line again.
  MeasuredReading q;
  q.scans.push_back({"q", ScanAxis::Q, {2.2282}, {5}, 0, 0, 0, {}});
  EXPECT_NEAR(pattern_of_scan(q, 0, 1.5406, "q.xy").buffer.angles[0], 31.70, 0.01);

  for (const char* file : {"bank_tof.xye", "tof.gsa"}) {
    PatternReading tof = pattern_of_scan(read_measured_file(fixture(file)), 0, 1.5406, file);
    EXPECT_THAT(tof.error, HasSubstr("its x axis is time of flight")) << file;
  }
}

}  // namespace
}  // namespace calvane
