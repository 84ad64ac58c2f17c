// Observed pattern readers against hand-made files laid out field by field.
#include "experiment_io/pattern_files.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "byte_layout.hpp"
#include "experiment_io/peak_files.hpp"

namespace calvane {
namespace {

using testing::ByteLayout;
using ::testing::ElementsAre;
using ::testing::FloatNear;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// A RAW2 file: sample text, Cu doublet, range header of length `header`,
// then the counts. Bytes between 316 and the data are filled with a value
// that would show if they were taken as counts.
std::string raw2_file(std::int16_t header, const std::vector<float>& counts, float start = 10, float step = 0.5f) {
  ByteLayout file(256 + std::max<int>(header, 60), '\0');
  file.text(0, "RAW2").text(8, "quartz").text(188, "Cu");
  file.put<float>(190, 1.54056f).put<float>(194, 1.54439f).put<float>(198, 0.5f);
  file.put<std::int16_t>(256, header).put<std::int16_t>(258, static_cast<std::int16_t>(counts.size()));
  file.put<float>(268, step).put<float>(272, start);
  for (std::size_t at = 316; at + 4 <= file.bytes().size(); at += 4) file.put<float>(at, 9999.0f);
  std::size_t data = 256 + static_cast<std::size_t>(std::max<int>(header, 60));
  for (std::size_t i = 0; i < counts.size(); ++i) file.put<float>(data + 4 * i, counts[i]);
  return file.bytes();
}

TEST(RawPatternTest, Raw2DataStartsAfterTheRangeHeader) {
  // H = 60 puts the counts at 316; H = 72 skips 12 more bytes (at 328).
  for (std::int16_t header : {std::int16_t{60}, std::int16_t{72}, std::int16_t{-5}}) {
    PatternReading reading = read_raw_pattern(raw2_file(header, {10, 30, 20}), "q.raw");
    ASSERT_TRUE(reading.ok()) << reading.error;
    const PatternReadingBuffer& b = reading.buffer;
    EXPECT_THAT(b.intensities, ElementsAre(FloatNear(0, 1e-4), FloatNear(100, 1e-4), FloatNear(50, 1e-4))) << header;
    EXPECT_EQ(std::tuple(b.angles, b.title, b.anode, b.first_angle, b.last_angle),
              std::tuple(std::vector{10.0f, 10.5f, 11.0f}, "quartz (RAW2)", "Cu", 10.0, 11.0));
    // (0.5 × 1.54439 + 1.54056) / 1.5 = 1.541837 Å, by hand.
    EXPECT_NEAR(b.read_wavelength, 1.541837, 1e-6);
  }
}

TEST(RawPatternTest, ScalingStartsFromZeroForRaw2AndFromMinusTenThousandForRaw1) {
  // RAW2 counts -50, -20, -40: the highest stays at its start 0, so the
  // span is 50 and the values become 0, 60, 20.
  PatternReading raw2 = read_raw_pattern(raw2_file(60, {-50, -20, -40}), "n.raw");
  ASSERT_TRUE(raw2.ok());
  EXPECT_THAT(raw2.buffer.intensities, ElementsAre(FloatNear(0, 1e-4), FloatNear(60, 1e-4), FloatNear(20, 1e-4)));

  // RAW1 with the same counts: the highest starts at -10000, so it is -20
  // and the span 30: 0, 100, 33.33.
  ByteLayout raw1(1016 + 8);
  raw1.text(0, "RAW1").text(330, "corundum").text(608, "CoKa");
  raw1.put<double>(616, 1.7902).put<double>(624, 1.78897).put<double>(632, 1.79285);
  raw1.put<double>(728, 20.0).put<double>(888, 0.25).put<std::int32_t>(968, 8);
  raw1.put<float>(1016, 5555.0f).put<float>(1020, 5555.0f);  // supplementary header, skipped
  raw1.put<float>(1024, -50).put<float>(1028, -20).put<float>(1032, -40);
  std::string bytes = raw1.bytes() + std::string(2, '\0');  // a cut last value is not a point
  PatternReading reading = read_raw_pattern(bytes, "c.raw");
  ASSERT_TRUE(reading.ok()) << reading.error;
  EXPECT_THAT(reading.buffer.intensities, ElementsAre(FloatNear(0, 1e-4), FloatNear(100, 1e-4), FloatNear(33.3333, 1e-3)));
  EXPECT_EQ(std::tuple(reading.buffer.angles, reading.buffer.title, reading.buffer.anode,
                       reading.buffer.read_wavelength),
            std::tuple(std::vector{20.0f, 20.25f, 20.5f}, "corundum (RAW1)", "Co", 1.7902));
}

TEST(RawPatternTest, RawLayoutReadsAlphaOneAndAnUnknownAnode) {
  ByteLayout raw(156);
  raw.text(0, "RAW ").put<std::int32_t>(4, 2).put<float>(12, 0.02f).put<float>(24, 5.0f);
  raw.text(40, "silicon").put<float>(72, 0.7093f).put<float>(76, 0.71359f);
  raw.put<float>(156, 7.0f).put<float>(160, 3.0f);
  PatternReading reading = read_raw_pattern(raw.bytes(), "s.raw");
  ASSERT_TRUE(reading.ok()) << reading.error;
  EXPECT_EQ(std::tuple(reading.buffer.title, reading.buffer.anode, reading.buffer.intensities),
            std::tuple("silicon (RAW)", "?", std::vector{100.0f, 0.0f}));
  EXPECT_NEAR(reading.buffer.read_wavelength, 0.7093, 1e-6);
  EXPECT_THAT(reading.buffer.angles, ElementsAre(5.0f, FloatNear(5.02f, 1e-6)));
}

TEST(RawPatternTest, AllEqualCountsBecomeZerosInsteadOfDividingByZero) {
  PatternReading reading = read_raw_pattern(raw2_file(60, {5, 5, 5}), "flat.raw");
  ASSERT_TRUE(reading.ok());
  EXPECT_THAT(reading.buffer.intensities, ElementsAre(0.0f, 0.0f, 0.0f));
}

// A Philips .rd file: version, "RD", anode code, doublet, range, counts.
std::string rd_file(std::string_view version, std::uint8_t anode, const std::vector<std::int16_t>& values) {
  std::size_t data = version == "V5" ? 810 : 250;
  ByteLayout file(data, '\0');
  file.text(0, version).text(2, "RD").put<std::uint8_t>(85, anode);
  file.put<double>(94, 0.7093).put<double>(102, 0.71359).put<double>(110, 0.5);
  file.text(146, "alumina  ");
  file.put<double>(214, 0.02).put<double>(222, 20.0).put<double>(230, 20.0 + 0.02 * double(values.size() - 1));
  // Bytes that would show as counts if the wrong offset were taken.
  for (std::size_t at = 238; at + 2 <= data; at += 2) file.put<std::int16_t>(at, 777);
  for (std::size_t i = 0; i < values.size(); ++i) file.put<std::int16_t>(data + 2 * i, values[i]);
  return file.bytes();
}

TEST(RdPatternTest, CountsAreSquaredTenthsAtTheOffsetOfTheVersionAfterTheRdMark) {
  const struct Case {
    std::string version;
    std::uint8_t anode;
    std::string anode_code;
  } cases[] = {{"V5", 1, "Mo"}, {"V3", 0, "Cu"}, {"V4", 4, "Cr"}, {"V5", 9, ""}};
  for (const Case& c : cases) {
    // Values 0, 100, 50, 10 are intensities 0, 100, 25, 1 before scaling:
    // a stored 100 gives 100.
    PatternReading reading = read_rd_pattern(rd_file(c.version, c.anode, {0, 100, 50, 10}), "a.rd");
    ASSERT_TRUE(reading.ok()) << reading.error;
    const PatternReadingBuffer& b = reading.buffer;
    EXPECT_THAT(b.intensities, ElementsAre(FloatNear(0, 1e-4), FloatNear(100, 1e-4), FloatNear(25, 1e-4),
                                           FloatNear(1, 1e-4)))
        << c.version;
    EXPECT_EQ(std::tuple(b.highest, b.anode, b.title), std::tuple(100.0, c.anode_code, "alumina"));
    EXPECT_NEAR(std::hypot(b.read_wavelength - (0.5 * 0.71359 + 0.7093) / 1.5, b.last_angle - 20.06), 0,
                1e-12);
  }
  std::string bytes = rd_file("V5", 0, {1, 2});
  bytes[2] = 'X';
  EXPECT_THAT(read_rd_pattern(bytes, "x.rd").error, StartsWith("It seems not to be a .RD Philips file (x.rd"));
}

std::vector<std::string> cpi_lines(std::string wavelength_line, std::vector<std::string> data);

std::vector<std::string> rietveld_lines(std::vector<std::string> data) {
  std::vector<std::string> lines = {"SampleIdent=quartz sample DataFileName=q.dat", "ignored",
                                    "Alpha1=1.54056 Alpha2=1.54439 Ratio=0.5", "ignored", "10.0 0.02 10.2"};
  lines.insert(lines.end(), data.begin(), data.end());
  return lines;
}

TEST(RietveldPatternTest, ReadsTitleDoubletRangeAndValuesSeparatedByBlanksOrCommas) {
  PatternReading reading = read_rietveld_pattern(rietveld_lines({"1,2  3", "", "4\t5"}), "q.dat");
  ASSERT_TRUE(reading.ok()) << reading.error;
  const PatternReadingBuffer& b = reading.buffer;
  EXPECT_EQ(std::tuple(b.title, b.intensities, b.last_angle),
            std::tuple("quartz sample", std::vector{0.0f, 25.0f, 50.0f, 75.0f, 100.0f}, 10.2));
  EXPECT_NEAR(b.read_wavelength, 1.541837, 1e-6);
  EXPECT_THAT(b.angles, ElementsAre(10.0f, 10.02f, 10.04f, FloatNear(10.06f, 1e-5), FloatNear(10.08f, 1e-5)));
}

// Messages with their line are in RefusalMessages below.
TEST(RietveldPatternTest, ACutRangeLineOrFileNamesItsLine) {
  auto bad_range = rietveld_lines({});
  bad_range[4] = "10 0.02";
  EXPECT_THAT(read_rietveld_pattern(bad_range, "q.dat").error, HasSubstr("line 5"));
  EXPECT_THAT(read_rietveld_pattern({"SampleIdent x"}, "q.dat").error, HasSubstr("q.dat"));
}

// Found by the fuzz test: 1e300 became an infinity in the 32-bit buffer and
// the scaling then gave NaN intensities.
TEST(RietveldPatternTest, ValuesBeyondThirtyTwoBitRangeAreRefusedNotTurnedIntoNaN) {
  EXPECT_THAT(read_rietveld_pattern(rietveld_lines({"1 1e300 -1e300"}), "q.dat").error, HasSubstr("out of range"));
  EXPECT_THAT(read_cpi_pattern(cpi_lines("1.5406", {"1", "1e39"}), "h.cpi").error, HasSubstr("line 12"));
}

TEST(RietveldPatternTest, AnEmptyFirstLineMeansNoWavelength) {
  auto lines = rietveld_lines({"4 8"});
  lines[0] = "";
  EXPECT_TRUE(rietveld_lacks_wavelength(lines));
  PatternReading reading = read_rietveld_pattern(lines, "q.dat");
  ASSERT_TRUE(reading.ok());
  EXPECT_EQ(std::tuple(reading.buffer.read_wavelength, reading.buffer.point_count()), std::tuple(0.0, 2));
}

std::vector<std::string> cpi_lines(std::string wavelength_line, std::vector<std::string> data) {
  std::vector<std::string> lines = {"SIETRONICS XRD SCAN", "20.000", "20.100", "0.0500", "CuKa", wavelength_line,
                                    "01/02/2026", "1", "SampleIdent  halite ", "SCANDATA"};
  lines.insert(lines.end(), data.begin(), data.end());
  return lines;
}

TEST(CpiPatternTest, ReadsHeaderAndOneIntensityPerLineOrNamesAMalformedLine) {
  PatternReading reading = read_cpi_pattern(cpi_lines("1.54060", {"200", "1000", "600"}), "h.cpi");
  ASSERT_TRUE(reading.ok()) << reading.error;
  const PatternReadingBuffer& b = reading.buffer;
  EXPECT_EQ(std::tuple(b.anode, b.title, b.read_wavelength, b.intensities),
            std::tuple("Cu", "halite", 1.5406, std::vector{0.0f, 100.0f, 50.0f}));
  EXPECT_THAT(b.angles, ElementsAre(20.0f, 20.05f, 20.1f));
  // Malformed lines name the line.
  EXPECT_THAT(read_cpi_pattern(cpi_lines("1.5406", {"1", "2a"}), "h.cpi").error, HasSubstr("line 12"));
  EXPECT_THAT(read_cpi_pattern(cpi_lines("Cu", {"1"}), "h.cpi").error, HasSubstr("line 6"));
  EXPECT_THAT(read_cpi_pattern({"SIETRONICS XRD SCAN", "20"}, "h.cpi").error, HasSubstr("h.cpi"));
}

// Every refusal keeps the format's own text and adds the file, the line
// where one is known, and the reason.
TEST(RefusalMessages, NameTheFileTheLineAndTheReason) {
  const std::vector<std::string> rietveld = {"SampleIdent=q DataFileName=q.dat",
                                             "",
                                             "Alpha1=1.54 Alpha2=0 Ratio=0",
                                             "",
                                             "10 0.02 10.2",
                                             "1 2 3",
                                             "4 5,x6"};
  std::vector<std::string> no_ident = rietveld;
  no_ident[0] = "Quartz, 40 kV";
  const std::pair<std::string, std::string> cases[] = {
      {read_rietveld_pattern(rietveld, "q.dat").error, "Read error! (q.dat, line 7: \"x6\" is not a number)"},
      {read_rietveld_pattern(no_ident, "q.dat").error,
       "Error while reading the wavelength in Rietveld File (q.dat, line 1: the first line holds no "
       "\"SampleIdent\")"},
      {read_raw_pattern("STOE_RAW\1\2", "s.raw").error,
       "Unknown file type (s.raw: it starts with \"STOE_RA\"; the layouts read here are RAW, RAW1 and RAW2)"},
      {read_winfit_peaks({"Sample  Position", "1 20.1 0.1 0.2 0.3 5", "2 21.0 0.1 zz 0.3 5"}, "w.dat").error,
       "decode error (w.dat, line 3: \"zz\" is not a number)"},
      {read_winfit_peaks({"Sample  Position", "1 20.1 0.1"}, "w.dat").error,
       "decode error (w.dat, line 2: a peak line holds its number and at least 5 values (the 5th is the "
       "intensity))"},
      {read_di_peaks(std::string(100, ' '), "p.di").error,
       "It seems not to be a .RD Philips file (p.di: a Philips .di peak file has a 250-byte header; this "
       "file has 100 bytes)"},
      {read_di_peaks(std::string(250 + 12 + 5, ' '), "p.di").error,
       "It seems not to be a .RD Philips file (p.di: its last 12-byte peak record is cut short (5 bytes))"},
  };
  for (const auto& [read, message] : cases) EXPECT_EQ(read, message);
}

}  // namespace
}  // namespace calvane
