// Every reader over mutated copies of valid files: flipped, cut, inserted
// and random bytes. Each reader either reads a table within its bounds or
// gives one message; a failed read through the flows leaves the workspace
// as it was. Each reader runs for a fixed, short time.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <random>

#include "byte_layout.hpp"
#include "experiment_io/observed_flows.hpp"
#include "experiment_io/pattern_files.hpp"
#include "experiment_io/peak_files.hpp"
#include "experiment_io/peak_writers.hpp"
#include "experiment_io/profile_writers.hpp"
#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"
#include "workspace/limits.hpp"
#include "workspace/program.hpp"

namespace calvane {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kTimePerReader = std::chrono::milliseconds(400);

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string current;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(current);
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty()) lines.push_back(current);
  return lines;
}

std::string mutate(const std::string& seed, std::mt19937& random) {
  std::string bytes = seed;
  auto pick = [&random](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n)(random); };
  auto byte = [&random] { return static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random)); };
  switch (std::uniform_int_distribution<int>(0, 4)(random)) {
    case 0:  // flip a few bytes
      for (int i = 0, n = 1 + static_cast<int>(pick(8)); i < n && !bytes.empty(); ++i) bytes[pick(bytes.size() - 1)] = byte();
      break;
    case 1:  // cut
      bytes.resize(pick(bytes.size()));
      break;
    case 2:  // insert
      bytes.insert(pick(bytes.size()), std::string(1 + pick(16), byte()));
      break;
    case 3:  // digits and separators where numbers stand
      for (int i = 0; i < 4 && !bytes.empty(); ++i) bytes[pick(bytes.size() - 1)] = "0123456789-.,e \n"[pick(15)];
      break;
    default:  // random bytes of the same length
      for (char& c : bytes) c = byte();
  }
  return bytes;
}

void fuzz(const std::string& seed, const std::function<void(const std::string&)>& check) {
  std::mt19937 random(20261206);
  check(seed);
  check(std::string());
  auto stop = Clock::now() + kTimePerReader;
  for (int iteration = 0; Clock::now() < stop; ++iteration) {
    SCOPED_TRACE(iteration);
    check(mutate(seed, random));
    if (::testing::Test::HasFailure()) return;
  }
}

void check_pattern(const PatternReading& reading) {
  if (!reading.ok()) return;
  const PatternReadingBuffer& b = reading.buffer;
  ASSERT_EQ(b.angles.size(), b.intensities.size());
  ASSERT_LE(b.point_count(), kMaxReadPoints);
  ASSERT_GE(b.points_in_file, b.point_count());
  for (float value : b.intensities) ASSERT_TRUE(value >= 0 && value <= 100.0001f) << value;
}

void check_peaks(const PeakReading& reading) {
  if (!reading.ok()) return;
  ASSERT_LE(reading.list.peaks.size(), static_cast<std::size_t>(kMaxObservedPeaks));
  for (const auto& peak : reading.list.peaks) ASSERT_TRUE(std::isfinite(peak.two_theta) && std::isfinite(peak.intensity));
}

PhaseData sample_phase() {
  PhaseData phase;
  phase.file_name = "sample.cry";
  phase.crystal.title = "Sample";
  for (int i = 0; i < 40; ++i) {
    phase.profile.push_back(float(i * i % 17));
    phase.reflections.push_back({i, 1, 0, 2, 1.5406, 3.0 - i * 0.01, 10.0 + i, 5.0 + i});
  }
  return phase;
}

ExperimentSettings sample_settings() {
  ExperimentSettings settings;
  settings.wavelengths = {1.54056, 1.54439};
  settings.fractions = {0.67, 0.33};
  return settings;
}

std::string raw_seed(std::string_view magic) {
  testing::ByteLayout file(1100);
  file.text(0, magic).put<std::int32_t>(4, 20).put<float>(12, 0.1f).put<float>(24, 10.0f);
  file.put<double>(728, 10.0).put<double>(888, 0.1).put<std::int32_t>(968, 0);
  for (std::size_t at = 156; at + 4 <= 236; at += 4) file.put<float>(at, float(at % 13));
  return file.bytes();
}

TEST(ReaderFuzzTest, BinaryPatternReaders) {
  ProfileExport profile = profile_export_of(sample_phase(), sample_settings(), "d");
  for (const std::string& seed : {write_sim_profile(profile), raw_seed("RAW "), raw_seed("RAW1")})
    fuzz(seed, [](const std::string& bytes) { check_pattern(read_raw_pattern(bytes, "f.raw")); });
  testing::ByteLayout rd(250 + 40);
  rd.text(0, "V3RD").put<double>(214, 0.1).put<double>(222, 10.0).put<double>(230, 11.9);
  fuzz(rd.bytes(), [](const std::string& bytes) { check_pattern(read_rd_pattern(bytes, "f.rd")); });
}

TEST(ReaderFuzzTest, TextPatternReaders) {
  ProfileExport profile = profile_export_of(sample_phase(), sample_settings(), "d");
  fuzz(write_cpd_profile(profile),
       [](const std::string& text) { check_pattern(read_cpi_pattern(split_lines(text), "f.cpd")); });
  std::string rietveld =
      "SampleIdent=s DataFileName=f\nx\nAlpha1=1.5 Alpha2=1.6 Ratio=0.5\nx\n10 0.1 12\n1 2 3 4 5 6 7 8 9 10 11\n4,5\n";
  fuzz(rietveld, [](const std::string& text) { check_pattern(read_rietveld_pattern(split_lines(text), "f.dat")); });
}

TEST(ReaderFuzzTest, PeakReaders) {
  PhaseData phase = sample_phase();
  ExperimentSettings settings = sample_settings();
  fuzz(write_dif_peaks(phase, settings).bytes, [](const std::string& b) { check_peaks(read_dif_peaks(b, "f.dif")); });
  fuzz(write_di_peaks(phase, settings).bytes, [](const std::string& b) { check_peaks(read_di_peaks(b, "f.di")); });
  fuzz("28.44 100 1 1 1\n47.3 50 2 2 0\n56.1 30\n",
       [](const std::string& t) { check_peaks(read_column_peaks(split_lines(t), "f.prn")); });
  fuzz("Sample Position\n1 20.15 0.1 0.2 0.3 57\n2 30 0 0 0 9\n",
       [](const std::string& t) { check_peaks(read_winfit_peaks(split_lines(t), "f.dat")); });
  std::string xfit = "Th2 Code\n" + std::string(18, ' ') + "20.5        " + std::string(20, ' ') + "40.0\n";
  fuzz(xfit, [](const std::string& t) { check_peaks(read_xfit_peaks(split_lines(t), "f.txt")); });
}

TEST(ReaderFuzzTest, AFailedReadThroughTheFlowsChangesNothing) {
  testing::TempFolder folder;
  testing::ScriptedUi ui;
  Program program(ui, folder.path());
  ProfileExport profile = profile_export_of(sample_phase(), sample_settings(), "d");
  std::string seed = write_sim_profile(profile);
  std::mt19937 random(7);
  auto stop = Clock::now() + kTimePerReader;
  while (Clock::now() < stop) {
    folder.write("f.sim", mutate(seed, random));
    folder.write("f.dif", mutate(write_dif_peaks(sample_phase(), sample_settings()).bytes, random));
    std::size_t warnings = ui.warnings.size();
    auto wavelengths = program.workspace.settings.wavelengths;
    bool stored = read_observed_pattern(program, PatternFileKind::NativeSim, "f.sim");
    if (!stored) {
      EXPECT_TRUE(program.workspace.observed_patterns.empty());
      EXPECT_EQ(program.workspace.settings.wavelengths, wavelengths);
      EXPECT_EQ(ui.warnings.size(), warnings + 1);
    }
    warnings = ui.warnings.size();
    bool added = read_observed_peaks(program, PeakFileKind::BrukerDif, "f.dif");
    if (!added) {
      EXPECT_TRUE(program.workspace.observed_peaks.empty());
      EXPECT_EQ(ui.warnings.size(), warnings + 1);
    }
    program.workspace.observed_patterns.clear();
    program.workspace.observed_peaks.clear();
    if (::testing::Test::HasFailure()) return;
  }
}

}  // namespace
}  // namespace calvane
