// Profile and peak-list writers: byte layouts, texts, and round trips
// through the readers.
#include "experiment_io/output_formats.hpp"
#include "experiment_io/peak_writers.hpp"
#include "experiment_io/profile_writers.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "byte_layout.hpp"
#include "experiment_io/pattern_files.hpp"
#include "experiment_io/peak_files.hpp"
#include "util/text.hpp"
#include "model/experiment_settings.hpp"
#include "model/phase_data.hpp"

namespace calvane {
namespace {

using testing::lines_of;
using testing::field_at;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Silicon, Fd-3m, a = 5.4309 Å; 2θ of 111, 220, 311 for Cu Kα1 computed
// by hand from Bragg's law (28.443°, 47.303°, 56.123°).
PhaseData silicon() {
  PhaseData phase;
  phase.file_name = "/home/user/crystals/silicon.cry";
  phase.crystal.title = "Silicon";
  phase.crystal.system_code = "CUBI";
  phase.crystal.symbol = "F d -3 m";
  phase.crystal.cell = {.a = 5.4309, .b = 5.4309, .c = 5.4309, .alpha = 90, .beta = 90, .gamma = 90};
  phase.crystal.cell.volume = 160.18;
  phase.crystal.symmetry.operator_texts = {"x,y,z", "-x,-y,z"};
  phase.crystal.atoms = {AtomSite{.type = "Si", .label = "1", .x = 0.125, .y = 0.125, .z = 0.125, .b = 0.5}};
  phase.composition.formula_units = 8;
  phase.reflections = {{1, 1, 1, 8, 1.54056, 3.13553, 28.443, 100.0},
                       {2, 2, 0, 12, 1.54056, 1.92011, 47.303, 55.0},
                       {3, 1, 1, 24, 1.54056, 1.63747, 56.123, 30.0}};
  phase.profile = {0.0f, 2.0f, 8.0f, 4.0f, 1.0f};
  return phase;
}

ExperimentSettings cu_doublet() {
  ExperimentSettings settings;
  settings.wavelengths = {1.54056, 1.54439};
  settings.fractions = {2.0 / 3.0, 1.0 / 3.0};
  settings.two_theta_low = 20;
  settings.two_theta_high = 22;
  settings.chosen_line = 5;  // CuKa1
  return settings;
}

TEST(SimWriterTest, LayoutAndRoundTripThroughTheRaw2Reader) {
  PhaseData phase = silicon();
  phase.profile.assign(1500, 0.0f);
  for (int i = 0; i < 1500; ++i) phase.profile[static_cast<std::size_t>(i)] = float(i % 100);
  ExperimentSettings settings = cu_doublet();
  settings.two_theta_high = 20 + 0.02 * 1499;
  std::string bytes = write_sim_profile(profile_export_of(phase, settings, "06/12/2026"));

  ASSERT_EQ(bytes.size(), 316u + 6000u);
  EXPECT_EQ(std::tuple(bytes.substr(0, 4), bytes.substr(6, 10), bytes.substr(40, 28), bytes.substr(168, 10),
                       bytes.substr(188, 2)),
            std::tuple("RAW2", "  Silicon ", "Fichier provenant de CALVANE", "06/12/2026", "Cu"));
  EXPECT_EQ(std::tuple(field_at<std::int16_t>(bytes, 4), field_at<std::int16_t>(bytes, 256),
                       field_at<std::int16_t>(bytes, 258)),
            std::tuple(1, 60, 1500));
  // Wavelength, start, 10 and the counts as 10 × value.
  EXPECT_EQ(std::tuple(field_at<float>(bytes, 190), field_at<float>(bytes, 272), field_at<float>(bytes, 276),
                       field_at<float>(bytes, 316 + 4 * 7)),
            std::tuple(1.54056f, 20.0f, 10.0f, 70.0f));
  EXPECT_FLOAT_EQ(field_at<float>(bytes, 268), 0.02f);

  PatternReading reading = read_raw_pattern(bytes, "silicon.sim");
  ASSERT_TRUE(reading.ok()) << reading.error;
  EXPECT_EQ(reading.buffer.title, "Silicon (RAW2)");
  EXPECT_NEAR(reading.buffer.angles[1499], 20 + 0.02 * 1499, 1e-3);
  EXPECT_NEAR(reading.buffer.intensities[50], 50.0 * 100 / 99, 1e-4);
}

TEST(CpiWriterTest, TextLinesAndRoundTrip) {
  std::string text = write_cpi_profile(profile_export_of(silicon(), cu_doublet(), "06/12/2026"));
  auto lines = lines_of(text);
  ASSERT_EQ(lines.size(), 15u);
  EXPECT_THAT(std::vector<std::string>(lines.begin(), lines.begin() + 11),
              ElementsAre("SIETRONICS XRD SCAN", "20.000", "22.000", "0.5000", "Cu", "1.54056", "06/12/2026", "1",
                          "SampleIdent Silicon", "SCANDATA", "0"));
  // The largest value is written as exactly 10000.
  EXPECT_THAT(std::vector<std::string>(lines.begin() + 10, lines.end()), ElementsAre("0", "2500", "10000", "5000", "1250"));

  PatternReading reading = read_cpi_pattern(lines, "silicon.cpi");
  ASSERT_TRUE(reading.ok()) << reading.error;
  EXPECT_THAT(reading.buffer.angles, ElementsAre(20.0f, 20.5f, 21.0f, 21.5f, 22.0f));
  EXPECT_THAT(reading.buffer.intensities, ElementsAre(0.0f, 25.0f, 100.0f, 50.0f, 12.5f));
}

TEST(CpdWriterTest, WavelengthsBySharesSeparatedByBlanksAndReadBack) {
  ExperimentSettings settings = cu_doublet();
  settings.wavelengths = {1.39222, 1.54056, 1.54439};
  settings.fractions = {0.1, 0.6, 0.3};
  auto lines = lines_of(write_cpd_profile(profile_export_of(silicon(), settings, "d")));
  EXPECT_THAT(std::vector(lines.begin() + 4, lines.begin() + 6),  // "Xx": more than one wavelength
              ElementsAre("Xx", "1.54056 60.000  1.54439 30.000  1.39222 10.000"));
  PatternReading reading = read_cpi_pattern(lines, "s.cpd");
  ASSERT_TRUE(reading.ok()) << reading.error;
  EXPECT_DOUBLE_EQ(reading.buffer.read_wavelength, 1.54056);

  settings.wavelengths = {1.5406};
  settings.fractions = {1};
  lines = lines_of(write_cpd_profile(profile_export_of(silicon(), settings, "d")));
  EXPECT_THAT(std::vector(lines.begin() + 4, lines.begin() + 6), ElementsAre("Cu", "1.54060 100.000"));
}

TEST(ProfileWritersTest, AProfileOfZerosIsWrittenAsZeros) {
  PhaseData phase = silicon();
  phase.profile.assign(3, 0.0f);
  auto cpi = lines_of(write_cpi_profile(profile_export_of(phase, cu_doublet(), "d")));
  EXPECT_THAT(std::vector<std::string>(cpi.begin() + 10, cpi.end()), ElementsAre("0", "0", "0"));
  std::string cif = write_powder_cif(phase, cu_doublet()).bytes;
  EXPECT_THAT(cif, HasSubstr("    _pd_calc_intensity_total\n      0.00\n      0.00\n      0.00\n#--eof"));
}

TEST(PrnWriterTest, OnePositionPerLineReadsBackAtFullIntensity) {
  std::string text = write_prn_peaks(silicon()).bytes;
  EXPECT_EQ(text, "  28.443\n  47.303\n  56.123\n");
  PeakReading reading = read_column_peaks(lines_of(text), "s.prn");
  ASSERT_EQ(reading.list.peaks.size(), 3u);
  for (const auto& peak : reading.list.peaks) EXPECT_EQ(peak.intensity, 100);
}

TEST(DifWriterTest, HeaderFieldsAndRoundTrip) {
  std::string bytes = write_dif_peaks(silicon(), cu_doublet()).bytes;
  ASSERT_EQ(bytes.size(), 352u + 3 * 16);
  EXPECT_EQ(std::tuple(bytes.substr(0, 4), bytes.substr(8, 12), field_at<std::int16_t>(bytes, 4),
                       field_at<std::int16_t>(bytes, 256), field_at<std::int16_t>(bytes, 262)),
            std::tuple("DIF2", "silicon.cry ", 1, 96, 3));
  EXPECT_EQ(std::tuple(field_at<float>(bytes, 190), field_at<float>(bytes, 352), field_at<float>(bytes, 356)),
            std::tuple(1.54056f, 28.443f, 100.0f));
  EXPECT_FLOAT_EQ(field_at<float>(bytes, 198), float(1.54439 / 1.54056));

  PeakReading reading = read_dif_peaks(bytes, "s.dif");
  ASSERT_EQ(reading.list.peaks.size(), 3u) << reading.error;
  EXPECT_NEAR(reading.list.peaks[1].intensity, 55.0, 1e-4);
}

TEST(DiWriterTest, PositionsInHalfHundredthsAndRoundTrip) {
  PhaseData phase = silicon();
  phase.reflections.push_back({4, 4, 4, 8, 1.54056, 0.78, 170.0, 5.0});  // beyond the 16-bit field: left out
  PeakFileContent content = write_di_peaks(phase, cu_doublet());
  EXPECT_EQ(content.left_out, 1);
  const std::string& bytes = content.bytes;
  ASSERT_EQ(bytes.size(), 250u + 3 * 12);
  EXPECT_EQ(std::tuple(bytes.substr(0, 4), bytes.substr(146, 12), field_at<double>(bytes, 94)),
            std::tuple("V3DI", "silicon.cry ", 1.54056));
  EXPECT_DOUBLE_EQ(field_at<double>(bytes, 110), 1.54056 / 1.54439);
  // Count 3; 28.443 × 200 = 5688.6, written as 5689.
  EXPECT_EQ(std::tuple(field_at<std::int16_t>(bytes, 204), field_at<std::int16_t>(bytes, 250),
                       field_at<std::int16_t>(bytes, 254), field_at<std::int16_t>(bytes, 260)),
            std::tuple(3, 5689, 100, 9));

  PeakReading reading = read_di_peaks(bytes, "s.di");
  ASSERT_EQ(reading.list.peaks.size(), 3u) << reading.error;
  EXPECT_NEAR(reading.list.peaks[0].two_theta, 28.445, 1e-9);
}

TEST(PowderCifTest, WritesStructurePeaksAndProfile) {
  auto lines = lines_of(write_powder_cif(silicon(), cu_doublet()).bytes);
  // The line `after` lines below the one reading `text`.
  auto at = [&lines](std::string_view text, long after) {
    return *(std::find(lines.begin(), lines.end(), text) + after);
  };
  // The reflection line holds h, k, l, d, intensity × 1000 / largest, wavelength.
  EXPECT_THAT(
      (std::vector{lines[0], lines[6], lines[8], lines[14], lines[15], lines[16], lines[17], lines[21],
                   at("_atom_site_occupancy", 1), at("  _refln_wavelength", 2), at("#Calculated Profile", 3),
                   at("#Calculated Profile", 4), at("    _pd_calc_intensity_total", 3), lines.back()}),
      ElementsAre("data_silicon", "\"silicon\"", "_cell_length_a                      5.4309",
                  "_cell_volume                        160.18", "_cell_formula_units_Z           8",
                  "_symmetry_cell_setting          Cubic", "_symmetry_space_group_name_H-M   'F D -3 M'",
                  "         'x,y,z'", "Si1      0.12500   0.12500   0.12500    0.50    1.00",
                  "   2   2   0   1.92011    550.00   1.54056", "    _pd_proc_2theta_range_inc    0.4000",
                  "    _pd_proc_number_of_points      5", "   1000.00", "#--eof"));
}

TEST(PowderCifTest, AHallSymbolKeepsTheTextAfterItsFirstBlank) {
  PhaseData phase = silicon();
  phase.crystal.symmetry.hall_symbol = "-F 4vw 2vw 3";
  phase.crystal.symbol = "F d -3 m:1";
  std::string cif = write_powder_cif(phase, cu_doublet()).bytes;
  EXPECT_THAT(cif, HasSubstr("_symmetry_space_group_name_Hall  'd -3 m:1'\n\nloop_\n"));
  phase.crystal.symbol = "";
  EXPECT_THAT(write_powder_cif(phase, cu_doublet()).bytes, ::testing::Not(HasSubstr("_symmetry_space_group_name")));
}

// The extension alone chooses: a name that merely holds ".dif" or ".di" somewhere
// (a backup "x.dif.bak", a folder "run.di/") chooses nothing.
TEST(OutputFormats, TheExtensionAloneChoosesTheFormat) {
  const std::pair<const char*, std::optional<PeakListFormat>> peak_lists[] = {
      {"A.DIF", PeakListFormat::Bruker},     {"a.di", PeakListFormat::Philips},
      {"run.di/a.cif", PeakListFormat::Cif}, {"a.prn", PeakListFormat::Column},
      {"a.dif.bak", std::nullopt},           {"a", std::nullopt}};
  for (const auto& [name, format] : peak_lists) EXPECT_EQ(peak_list_format_of(name), format) << name;
  EXPECT_EQ(profile_format_of("x.CPD"), ProfileFileKind::Cpd);
  EXPECT_EQ(profile_format_of("x.sim.txt"), std::nullopt);
}

}  // namespace
}  // namespace calvane
