// The total data file: its line layout, a full round trip, whole-file
// checking, what is refused before writing, and the rebuilt crystal files.
#include "experiment_io/total_data_file.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <span>
#include <tuple>

#include "byte_layout.hpp"
#include "support/temp_folder.hpp"
#include "util/files.hpp"

// Designated initialisers below leave the other members empty, as intended.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace calvane {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::lines_of;

TotalDataCurve curve(std::string name, int points, double intensity_step = 1.5) {
  TotalDataCurve c{.name = std::move(name),
                   .pen_width = 2,
                   .pen_style = 3,
                   .colour = colour_number(253, 108, 31),
                   .draw = false};
  for (int i = 0; i < points; ++i) c.points.emplace_back(10 + 0.02 * i, intensity_step * i);
  return c;
}

TotalDataReading reparse(const TotalDataFile& data) {
  return parse_total_data_file(lines_of(format_total_data_file(data)), "w.cmp");
}

// Each change of one line is refused naming that line.
void expect_each_refused_at_its_line(const std::vector<std::string>& lines,
                                     std::span<const std::pair<std::size_t, std::string>> changes) {
  for (const auto& [line, text] : changes) {
    auto changed = lines;
    changed[line] = text;
    EXPECT_THAT(parse_total_data_file(changed, "w.cmp").error, HasSubstr("w.cmp, line " + std::to_string(line + 1)))
        << text;
  }
}

TotalDataFile workspace_file() {
  TotalDataFile data{.neutrons = true,
                     .wavelength = "Multiple",
                     .two_theta_low = "10",
                     .two_theta_high = "80.5",
                     .u = "0",
                     .v = "-0.001",
                     .w = "0.08",
                     .angle_scale = 2,
                     .line_index = 0,
                     .wavelengths = {{1.54056, 0.67}, {1.54439, 0.33}},
                     .draw_sum = false,
                     .percent_mode = 1,
                     .sum_colour = colour_number(1, 2, 3),
                     .sum_pen_width = 2,
                     .sum_pen_style = 1,
                     .text_colour = 255};
  TotalDataPhase quartz{.file_path = "C:\\crystals\\quartz.cry",
                        .show_hkl = true,
                        .colour = colour_number(255, 124, 162),
                        .fraction = "    0.75",
                        .size = "  5000.0",
                        .strain = "     2.0"};
  quartz.crystal.title = "Quartz low";
  quartz.crystal.system_code = "HEXA";
  quartz.crystal.symbol = "P 32 2 1";
  quartz.crystal.cell = {.a = 4.9134, .b = 4.9134, .c = 5.4052, .alpha = 90, .beta = 90, .gamma = 120};
  quartz.crystal.atoms = {
      AtomSite{.type = "Si", .label = "1", .x = 0.4697, .y = 0, .z = 0, .b = 0.5},
      AtomSite{
          .type = "O2-", .label = "", .x = 0.4135, .y = 0.2669, .z = 0.1191, .b = 0.8, .population = 0.5}};
  TotalDataPhase empty_phase = quartz;
  empty_phase.file_path = "/home/u/halite_mp.cry";
  empty_phase.crystal.atoms.clear();
  empty_phase.crystal.system_code = "CUBI";
  data.phases = {quartz, empty_phase};
  data.patterns = {curve("obs1.raw", 12), curve("obs2.rd", 10)};
  data.peak_lists = {curve("C:\\peaks\\si.dif", 3, 12345.678)};
  return data;
}

// Whole files as the layout gives them: settings, a phase block, curves of
// five pairs per line and the peak-list section.
TEST(TotalDataLayoutTest, SettingsPhaseBlockAndCurves) {
  TotalDataFile curves{
      .wavelength = "1.5406", .wavelengths = {{1.5406, 1.0}}, .patterns = {curve("a", 12), curve("b", 10)}};
  TotalDataFile quartz = workspace_file();
  quartz.phases.resize(1);
  for (const auto& [data, file] : {std::pair{curves, "two_curves.cmp"}, std::pair{quartz, "quartz_phase.cmp"}})
    EXPECT_EQ(format_total_data_file(data), read_file_bytes(testing::source_folder("tests/experiment_io/fixtures") / file))
        << file;
}

// Writing what was read gives the same text: no saved value is lost, including
// a B wider than its field and peak intensities wider than their 8:3 field.
TEST(TotalDataRoundTripTest, EverySavedValueReadsBack) {
  TotalDataFile data = workspace_file();
  data.phases[1].crystal.symbol = "P 63/m m c :H2";
  data.phases[0].crystal.atoms[0].b = 123456;
  TotalDataReading reading = reparse(data);
  ASSERT_TRUE(reading.ok()) << reading.error;
  EXPECT_DOUBLE_EQ(reading.data.phases[0].crystal.atoms[0].b, 123456);
  EXPECT_EQ(reading.data.phases[1].crystal.symbol, "P 63/m m c :");  // cut to twelve characters
  data.phases[1].crystal.symbol = "P 63/m m c :";
  EXPECT_EQ(format_total_data_file(reading.data), format_total_data_file(data));
}

TEST(TotalDataReadTest, AFileEndingAfterThePatternsHasNoPeakLists) {
  auto lines = lines_of(format_total_data_file(workspace_file()));
  auto peaks = std::find(lines.begin(), lines.end(), "Observed peaks");
  for (auto end : {peaks, peaks + 1}) {
    TotalDataReading reading = parse_total_data_file(std::vector<std::string>(lines.begin(), end), "w.cmp");
    ASSERT_TRUE(reading.ok()) << reading.error;
    EXPECT_TRUE(reading.data.peak_lists.empty());
    EXPECT_EQ(reading.data.patterns.size(), 2u);
  }
}

TEST(TotalDataReadTest, AMalformedFileNamesItsLineAndYieldsNothing) {
  const auto good = lines_of(format_total_data_file(workspace_file()));
  auto line_of = [&good](std::string_view text) {
    return static_cast<std::size_t>(std::find(good.begin(), good.end(), text) - good.begin());
  };
  struct Case {
    std::size_t line;  // 0-based line to replace
    std::string text, expected;
  };
  const std::vector<Case> cases = {
      {7, "ABSC 3", "line 8: ABSC must be a whole number from 0 to 2"},
      {9, "   11", "line 10: the number of wavelengths"},
      {10, " 1.54056", "line 11: 2 numbers are expected"},
      {13, "PhNb     9", "line 14: PhNb"},
      {line_of("PCEN     0.75"), "PCEN  three", "PCEN must be a number"},
      {line_of("HEXA"), "HEXAGONAL", "the crystal system"},
      {line_of("DRAW TRUE"), "HKL  TRUE", "\"DRAW\" is expected"},
      {line_of("NBOB 2"), "NBOB 9", "NBOB"},
      {line_of("NBOB 2") + 8, "  10.000   0.000  10.020", "numbers are expected for the points"},
      {line_of("NBPI 1"), "NBPI x", "NBPI"},
      // Field texts the program could not compute with.
      {1, "WL   abc", "the wavelength must be a number above 0 or \"Multiple\""},
      {2, "2TH1 abc", "line 3: 2TH1 must be a number"},
      {4, "U    inf", "U must be a number"},
      {10, " 1.54056    -nan", "2 numbers are expected"},
      {10, " -1.54056    0.67", "the wavelength must be above 0"},
      {11, " 1.54439   -0.33", "must not be negative"},
  };
  for (const Case& c : cases) {
    auto lines = good;
    lines[c.line] = c.text;
    TotalDataReading reading = parse_total_data_file(lines, "w.cmp");
    EXPECT_THAT(reading.error, HasSubstr(c.expected)) << c.text;
    EXPECT_THAT(reading.error, HasSubstr("w.cmp, line " + std::to_string(c.line + 1))) << c.text;
    EXPECT_TRUE(reading.data.phases.empty());
  }
  auto cut = std::vector<std::string>(good.begin(), good.begin() + static_cast<long>(line_of("NBOB 2")) + 10);
  EXPECT_THAT(parse_total_data_file(cut, "w.cmp").error, HasSubstr("the file ends before"));
  EXPECT_FALSE(parse_total_data_file({}, "w.cmp").ok());
}

TEST(TotalDataWriteTest, SharesKeepTheirDigitsWhereTwoDecimalsWouldLoseThem) {
  // Cu Kα1, Kα2 and Kβ at 100, 50 and 10: Kβ is 1/16 of the whole.
  TotalDataFile data{.wavelengths = {{1.39222, 0.0625}, {1.54056, 0.625}, {1.54439, 0.3125}, {0.7, 1.0 / 3}}};
  auto lines = lines_of(format_total_data_file(data));
  EXPECT_EQ(lines[10], " 1.39222  0.0625");
  EXPECT_EQ(lines[11], " 1.54056   0.625");
  EXPECT_EQ(lines[13], " 0.70000 0.333333333");
  TotalDataReading reading = reparse(data);
  ASSERT_TRUE(reading.ok()) << reading.error;
  for (std::size_t i = 0; i < data.wavelengths.size(); ++i)
    EXPECT_NEAR(reading.data.wavelengths[i].second, data.wavelengths[i].second, 1e-9 * data.wavelengths[i].second);
}

TEST(TotalDataRoundTripTest, OperatorListsReadBackForThePhasesThatKeepThem) {
  TotalDataFile data = workspace_file();
  SymmetryData& symmetry = data.phases[1].crystal.symmetry;
  SymmetryOperator screw = SymmetryOperator::identity();
  screw.m[0][0] = -1;
  screw.m[1][1] = -1;
  screw.m[2][3] = 1.0 / 3;
  symmetry.operators = {SymmetryOperator::identity(), screw};
  symmetry.operator_texts = {"X,Y,Z", "-X,-Y,Z+1/3"};
  symmetry.centring_translations = {{0.5, 0.5, 0}};
  symmetry.lattice_letter = 'C';
  symmetry.centrosymmetric = true;
  data.phases[1].keeps_operators = true;
  TotalDataReading reading = reparse(data);
  ASSERT_TRUE(reading.ok()) << reading.error;
  EXPECT_EQ(format_total_data_file(reading.data), format_total_data_file(data));
  EXPECT_TRUE(reading.data.phases[0].crystal.symmetry.operators.empty());
  const SymmetryData& read = reading.data.phases[1].crystal.symmetry;
  ASSERT_EQ(read.operators.size(), 2u);
  EXPECT_NEAR(read.operators[1].t(2), 1.0 / 3, 1e-12);
  EXPECT_EQ(
      std::tuple(read.operator_texts, read.centring_translations, read.lattice_letter, read.centrosymmetric),
      std::tuple(symmetry.operator_texts, symmetry.centring_translations, 'C', true));

  // The section comes after everything a classic reader reads.
  const auto lines = lines_of(format_total_data_file(data));
  auto section = std::find(lines.begin(), lines.end(), "Phase symmetry");
  ASSERT_NE(section, lines.end());
  EXPECT_GT(section - lines.begin(), std::find(lines.begin(), lines.end(), "NBPI 1") - lines.begin());
  EXPECT_EQ(*(section + 1), "SYMP     2    2    1 C TRUE");
  const auto at = static_cast<std::size_t>(section - lines.begin());
  const std::pair<std::size_t, std::string> broken[] = {
      {at + 1, "SYMP     3    2    1 C TRUE"},          // no third phase
      {at + 1, "SYMP     2    0    1 C TRUE"},          // no operator
      {at + 1, "SYMP     2    2    1"},                 // no lattice letter
      {at + 3, "  1  0  0 0.5  0  1  0 0  0  0  1"},     // 11 numbers
      {at + 4, "0.5 0 0 0 0 1 0 0 0 0 1 0"},             // a rotation that is not whole
      {at, "Phase symmetri"},
  };
  expect_each_refused_at_its_line(lines, broken);
}

// A measured pattern's own counts and σ come back exactly, with the
// corrections before them or without, so that a fit after reopening weighs
// the points as before (the scaled points alone would lose the counts).
TEST(TotalDataRoundTripTest, MeasuredCountsAndSigmaReadBack) {
  TotalDataFile data = workspace_file();
  TotalDataCurve& second = data.patterns[1];
  for (std::size_t i = 0; i < second.points.size(); ++i) {
    second.counts.push_back(1000.0 / 3 + 7 * static_cast<double>(i));
    second.sigma.push_back(std::sqrt(second.counts.back()) * 1.01);
  }
  for (double zero : {0.0, 0.025}) {
    data.corrections.zero_shift_deg = zero;
    const TotalDataReading reading = reparse(data);
    ASSERT_TRUE(reading.ok()) << reading.error;
    EXPECT_EQ(std::tuple(reading.data.patterns[1].counts, reading.data.patterns[1].sigma),
              std::tuple(second.counts, second.sigma));
    EXPECT_TRUE(reading.data.patterns[0].counts.empty());
    EXPECT_DOUBLE_EQ(reading.data.corrections.zero_shift_deg, zero);
  }
  const auto lines = lines_of(format_total_data_file(data));
  const auto at = static_cast<std::size_t>(std::find(lines.begin(), lines.end(), "Pattern counts") - lines.begin());
  ASSERT_LT(at + 2, lines.size());
  const std::pair<std::size_t, std::string> broken[] = {
      {at + 1, "CNTS  3 10 TRUE"},   // no third pattern
      {at + 1, "CNTS  2 9 TRUE"},    // not one count per point
      {at + 2, "12.5"},              // σ missing
      {at + 2, "x 3"},
  };
  expect_each_refused_at_its_line(lines, broken);
}

TEST(TotalDataRoundTripTest, PatternCorrectionsReadBackAfterTheSymmetryOrWithoutIt) {
  TotalDataFile data = workspace_file();
  EXPECT_THAT(format_total_data_file(data), ::testing::Not(HasSubstr("Pattern corrections")));
  data.corrections.zero_shift_deg = -0.0375;
  data.corrections.displacement_um = 123.5;
  data.corrections.goniometer_radius_mm = 217.5;
  data.corrections.background = {412.25, -37.0625, 1.0 / 3};
  data.phases[1].orientation = {{1, 0, -4}, 0.8125};
  data.phases[1].particle_radius_um = 2.5;
  for (bool with_symmetry : {false, true}) {
    data.phases[0].keeps_operators = with_symmetry;
    data.phases[0].crystal.symmetry.operators = {SymmetryOperator::identity()};
    TotalDataReading reading = reparse(data);
    ASSERT_TRUE(reading.ok()) << reading.error;
    EXPECT_EQ(reading.data.corrections, data.corrections);
    EXPECT_EQ(reading.data.phases[0].orientation, PreferredOrientation{});
    EXPECT_EQ(reading.data.phases[1].orientation, data.phases[1].orientation);
    EXPECT_DOUBLE_EQ(reading.data.phases[1].particle_radius_um, 2.5);
    EXPECT_EQ(reading.data.phases[0].keeps_operators, with_symmetry);
  }
  const auto lines = lines_of(format_total_data_file(data));
  const auto at = static_cast<std::size_t>(std::find(lines.begin(), lines.end(), "Pattern corrections") - lines.begin());
  ASSERT_LT(at + 4, lines.size());
  EXPECT_EQ(lines[at + 4].substr(0, 19), "PHCO  2   1   0  -4");
  const std::pair<std::size_t, std::string> broken[] = {
      {at + 1, "ZERO x"},
      {at + 2, "DISP 100 0"},                   // no goniometer radius
      {at + 3, "BACK 14"},                      // more than 13 coefficients
      {at + 3, "BACK  2 1.5"},                  // one coefficient short
      {at + 4, "PHCO  3   1   0   4 0.8 0"},    // no third phase
      {at + 4, "PHCO  2   1   0   4 -0.8 0"},   // a ratio that is not above 0
      {at + 4, "PHCO  2   1   0   4 0.8 -1"},   // a negative radius
      {at + 4, "PHCO  2   1   0"},
  };
  expect_each_refused_at_its_line(lines, broken);
}

TEST(TotalDataWriteTest, WhatWouldNotReadBackIsRefusedBeforeWriting) {
  EXPECT_EQ(unwritable_reason(workspace_file()), "");
  const std::pair<void (*)(TotalDataFile&), const char*> cases[] = {
      {[](TotalDataFile& d) { d.phases[0].file_path = "/home/u/a\nb.cry"; }, "its file name holds a line break"},
      {[](TotalDataFile& d) { d.phases[1].crystal.title = "two\rlines"; }, "phase 2"},
      {[](TotalDataFile& d) { d.phases[0].crystal.atoms[1].b = std::nan(""); }, "atom 2 (O2-): a number is not finite"},
      {[](TotalDataFile& d) { d.phases[0].crystal.atoms[0].type = "Silic"; }, "atom 1 (Silic)"},
      {[](TotalDataFile& d) { d.phases[0].crystal.cell.a = INFINITY; }, "its cell"},
      {[](TotalDataFile& d) { d.phases[0].fraction = "     Nan"; }, "its fraction, size or strain"},
      {[](TotalDataFile& d) { d.u = "abc"; }, "U must be a number (it reads \"abc\")"},
      {[](TotalDataFile& d) { d.wavelength = "0"; }, "the wavelength must be"},
      {[](TotalDataFile& d) { d.wavelengths[0].second = -1; }, "a wavelength of the spectrum"},
      {[](TotalDataFile& d) { d.patterns[1].points[3].second = NAN; }, "obs2.rd: a point"},
      {[](TotalDataFile& d) { d.peak_lists[0].name = "si\n.dif"; }, "line break"},
  };
  for (auto [change, expected] : cases) {
    TotalDataFile data = workspace_file();
    change(data);
    EXPECT_THAT(unwritable_reason(data), HasSubstr(expected)) << expected;
  }
}

TEST(RebuiltCrystalFileTest, OwnNamesAndNumbersKeptApart) {
  const std::pair<const char*, const char*> crystals[] = {
      {"C:\\crystals\\quartz.cry", "quartz.cry"},
      {"/home/u/quartz_mp.cry", "quartz.cry"},
      {"../../etc/cron.d/evil.cif", "evil.cry"},
      {"a_mpb_mp.cif", "ab.cry"},
      {"/home/u/.cry", "phase.cry"},
  };
  for (auto [path, name] : crystals) EXPECT_EQ(rebuilt_crystal_file_name(path), name) << path;

  CurrentCrystal crystal = workspace_file().phases[0].crystal;
  crystal.cell.a = 123456.5;
  crystal.atoms[0].b = 123456;
  crystal.atoms[0].z = -1234.5;
  EXPECT_THAT(lines_of(format_rebuilt_crystal_file(crystal)),
              ElementsAre("Quartz low", "HEXA", "P 32 2 1", "123456.5000   4.9134   5.4052  90.000  90.000 120.000",
                          "Si  1    0.469700  0.000000 -1234.500000 123456.000   1.0000",
                          "O2-      0.413500  0.266900  0.119100    0.800   0.5000"));
}

}  // namespace
}  // namespace calvane
