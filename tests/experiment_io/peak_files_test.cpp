// Observed peak readers against hand-made files.
#include "experiment_io/peak_files.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "byte_layout.hpp"

namespace calvane {
namespace {

using testing::ByteLayout;
using ::testing::HasSubstr;
using ::testing::StartsWith;

struct Peak {
  double two_theta, intensity;
};

void expect_peaks(const PeakReading& reading, const std::vector<Peak>& expected, double tolerance = 1e-4) {
  ASSERT_TRUE(reading.ok()) << reading.error;
  ASSERT_EQ(reading.list.peaks.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_NEAR(reading.list.peaks[i].two_theta, expected[i].two_theta, tolerance) << i;
    EXPECT_NEAR(reading.list.peaks[i].intensity, expected[i].intensity, tolerance) << i;
  }
}

std::string dif2_file(std::int16_t header, const std::vector<Peak>& peaks) {
  ByteLayout file(256 + std::max<int>(header, 96), '\0');
  file.text(0, "DIF2").put<std::int16_t>(256, header).put<std::int16_t>(262, static_cast<std::int16_t>(peaks.size()));
  for (std::size_t at = 352; at + 4 <= file.bytes().size(); at += 4) file.put<float>(at, 4444.0f);
  std::size_t data = 256 + static_cast<std::size_t>(std::max<int>(header, 96));
  for (std::size_t i = 0; i < peaks.size(); ++i) {
    file.put<float>(data + 16 * i, static_cast<float>(peaks[i].two_theta));
    file.put<float>(data + 16 * i + 4, static_cast<float>(peaks[i].intensity));
    file.put<double>(data + 16 * i + 8, 0.0);
  }
  return file.bytes();
}

TEST(DifPeaksTest, Dif2PeaksStartAfterTheRangeHeaderAndAreScaledToTheStrongestOrFailWithOneMessage) {
  // H = 96: first peak at 352; H = 100: at 356.
  for (std::int16_t header : {std::int16_t{96}, std::int16_t{100}}) {
    expect_peaks(read_dif_peaks(dif2_file(header, {{20.5, 50}, {30.25, 200}}), "q.dif"), {{20.5, 25}, {30.25, 100}});
  }
  // A wrong mark, a cut record or a cut header gives one message.
  EXPECT_THAT(read_dif_peaks("DIF3xxxx", "q.dif").error, StartsWith("It seems not to be a Bruker file (q.dif"));
  EXPECT_THAT(read_dif_peaks("", "q.dif").error, StartsWith("It seems not to be a Bruker file (q.dif"));
  std::string full = dif2_file(96, {{20, 1}, {21, 2}});
  EXPECT_THAT(read_dif_peaks(full.substr(0, full.size() - 3), "q.dif").error, HasSubstr("q.dif"));
  EXPECT_THAT(read_dif_peaks(full.substr(0, 260), "q.dif").error, HasSubstr("header"));
}

TEST(DifPeaksTest, Dif1RecordsHoldADoublePositionAfterTheSupplementaryHeader) {
  ByteLayout file(1016 + 4);
  file.text(0, "DIF1").put<std::int32_t>(720, 2).put<std::int32_t>(968, 4);
  for (int i = 0; i < 2; ++i) {
    std::size_t at = 1020 + 24 * static_cast<std::size_t>(i);
    file.put<double>(at, 25.125 + i).put<float>(at + 8, 10.0f * float(i + 1));
    file.put<std::int16_t>(at + 12, 1).put<std::int16_t>(at + 14, 2).put<std::int16_t>(at + 16, 3);
    file.put<std::int16_t>(at + 22, 0);
  }
  expect_peaks(read_dif_peaks(file.bytes(), "q.dif"), {{25.125, 50}, {26.125, 100}});
}

// An XFIT line with a position in columns 19-30 and an intensity in 51-64.
std::string xfit_line(double position, double intensity) {
  std::string line(64, ' ');
  std::string p = std::to_string(position), i = std::to_string(intensity);
  line.replace(18, p.size(), p);
  line.replace(50, i.size(), i);
  return line;
}

TEST(XfitPeaksTest, TheHeaderOrderChoosesTheColumns) {
  std::vector<std::string> with_intensities = {"Th2     Code   ", xfit_line(20.1, 40), xfit_line(22.2, 0),
                                               xfit_line(24.3, 80)};
  expect_peaks(read_xfit_peaks(with_intensities, "x.txt"), {{20.1, 50}, {24.3, 100}});
  with_intensities[0] = "  Code only";
  expect_peaks(read_xfit_peaks(with_intensities, "x.txt"), {{20.1, 50}, {24.3, 100}});

  std::string positions_line = std::string(42, '#') + "  31.75 9";
  for (std::string header : {"Code  Th2", "Th2"}) {
    expect_peaks(read_xfit_peaks({header, positions_line, ""}, "x.txt"), {{31.75, 100}});
  }
  // A file without its column names, or with a line too short for them, is refused.
  EXPECT_EQ(read_xfit_peaks({"Angle Int"}, "x.txt").error, "The file x.txt seems not to be an Xfit file");
  EXPECT_THAT(read_xfit_peaks({"Code", "short line"}, "x.txt").error, HasSubstr("line 2"));
}

TEST(WinfitPeaksTest, TakesTheFirstAndFifthNumbersAfterThePeakNumberFiftyAtMost) {
  // Peak 1 at 20.15 with intensity 57.0 before scaling.
  std::vector<std::string> lines = {"Sample q  Position  FWHM", "1\t20.15, 0.1 0.2 0.3 57.0", "  2 30.5 0 0 0 114 9"};
  expect_peaks(read_winfit_peaks(lines, "w.dat"), {{20.15, 50}, {30.5, 100}});
  EXPECT_THAT(read_winfit_peaks({"Sample only"}, "w.dat").error, StartsWith("It seems not a WINFIT file! (w.dat"));
  std::vector<std::string> many = {"Sample Position"};
  for (int i = 0; i < 60; ++i) many.push_back(std::to_string(i) + " " + std::to_string(10 + i) + " 0 0 0 5");
  PeakReading reading = read_winfit_peaks(many, "w.dat");
  ASSERT_TRUE(reading.ok());
  EXPECT_EQ(reading.list.peaks.size(), 50u);
  EXPECT_EQ(reading.peaks_in_file, 60);
}

std::string di_file(const std::vector<std::pair<std::int16_t, std::int16_t>>& records) {
  ByteLayout file(250, ' ');
  file.text(0, "V3DI");
  for (std::size_t i = 0; i < records.size(); ++i) {
    std::size_t at = 250 + 12 * i;
    file.put<std::int16_t>(at, records[i].first).put<std::int16_t>(at + 2, 0);
    file.put<std::int16_t>(at + 4, records[i].second).put<std::int16_t>(at + 6, 0);
    file.put<std::int16_t>(at + 8, 0).put<std::int16_t>(at + 10, 9);
  }
  return file.bytes();
}

TEST(DiPeaksTest, PositionsAreHalfHundredthsOfADegreeAndCutFilesAreRefused) {
  // p = 4000 gives 20.0°; p = 5689 gives 28.445°.
  expect_peaks(read_di_peaks(di_file({{4000, 30}, {5689, 60}}), "p.di"), {{20.0, 50}, {28.445, 100}});
  // Short or cut files are not Philips files.
  std::string full = di_file({{4000, 30}});
  for (std::string bytes : {std::string(), full.substr(0, 249), full.substr(0, full.size() - 5)})
    EXPECT_THAT(read_di_peaks(bytes, "p.di").error, StartsWith("It seems not to be a .RD Philips file (p.di"))
        << bytes.size();
}

TEST(ColumnPeaksTest, TheFirstLineChoosesTheLayout) {
  expect_peaks(read_column_peaks({"20.5", "30.25", ""}, "c.prn"), {{20.5, 100}, {30.25, 100}});
  // Intensities are kept as read; a position of 0 is dropped.
  expect_peaks(read_column_peaks({"20.5 12", "0 5", "30.25 300"}, "c.prn"), {{20.5, 12}, {30.25, 300}});
  PeakReading hkl = read_column_peaks({"28.44 100 1 1 1", "47.30 55 2 2 0"}, "c.prn");
  expect_peaks(hkl, {{28.44, 100}, {47.30, 55}});
  EXPECT_EQ(std::tuple(hkl.list.peaks[1].h, hkl.list.peaks[1].k, hkl.list.peaks[1].l), std::tuple(2, 2, 0));
}

TEST(PeakKindTest, TheExtensionOfTheNameRefinesTheMenuKind) {
  struct Case {
    std::string name;
    PeakFileKind menu, expected;
  };
  for (const Case& c : {Case{"a.DIF", PeakFileKind::Column, PeakFileKind::BrukerDif},
                        Case{"a.txt", PeakFileKind::BrukerDif, PeakFileKind::Xfit},
                        Case{"a.dat", PeakFileKind::BrukerDif, PeakFileKind::Winfit},
                        Case{"a.di", PeakFileKind::BrukerDif, PeakFileKind::PhilipsDi},
                        Case{"a.prn", PeakFileKind::BrukerDif, PeakFileKind::Column},
                        Case{"/data.dir/a.xyz", PeakFileKind::Xfit, PeakFileKind::Xfit}})
    EXPECT_EQ(peak_kind_from_name(c.name, c.menu), c.expected) << c.name;
}

}  // namespace
}  // namespace calvane
