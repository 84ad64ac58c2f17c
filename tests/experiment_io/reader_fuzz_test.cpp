// Every reader over mutated copies of valid files (flipped, cut, inserted
// and random bytes), a fixed number of each: a read either yields a
// table within its bounds or one message, and a failed read through the
// flows leaves the workspace as it was. Meant to run under AddressSanitizer.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "byte_layout.hpp"
#include "flows/observed_flows.hpp"
#include "experiment_io/peak_writers.hpp"
#include "experiment_io/profile_writers.hpp"
#include "experiment_io/total_data_file.hpp"
#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"
#include "util/files.hpp"
#include "model/limits.hpp"
#include "flows/program.hpp"

namespace calvane {
namespace {

using testing::lines_of;

std::string mutate(std::string bytes, std::mt19937& random) {
  auto pick = [&random](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n)(random); };
  auto byte = [&random] { return static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random)); };
  if (bytes.empty()) return bytes;
  switch (pick(3)) {
    case 0:
      for (std::size_t i = 0, n = 1 + pick(8); i < n; ++i) bytes[pick(bytes.size() - 1)] = byte();
      break;
    case 1:
      bytes.resize(pick(bytes.size()));
      break;
    case 2:  // digits and separators where numbers stand
      for (int i = 0; i < 4; ++i) bytes[pick(bytes.size() - 1)] = "0123456789-.,e \n"[pick(15)];
      break;
    default:
      for (char& c : bytes) c = byte();
  }
  return bytes;
}

PhaseData sample_phase() {
  PhaseData phase;
  phase.file_name = "sample.cry";
  for (int i = 0; i < 40; ++i) {
    phase.profile.push_back(float(i * i % 17));
    phase.reflections.push_back({i, 1, 0, 2, 1.5406, 3.0 - i * 0.01, 10.0 + i, 5.0 + i});
  }
  return phase;
}

struct Target {
  const char* name;
  std::string seed;
  std::function<std::string(const std::string&)> read;  // the error, empty on success
};

std::string pattern_check(const PatternReading& reading) {
  if (!reading.ok()) return reading.error.empty() ? "no message" : std::string();
  const PatternReadingBuffer& b = reading.buffer;
  for (float v : b.intensities)
    if (!(v >= 0 && v <= 100.0001f)) return "intensity out of 0..100";
  return b.angles.size() == b.intensities.size() && b.point_count() <= kMaxObservedPoints ? "" : "bad table";
}

std::string peak_check(const PeakReading& reading) {
  if (!reading.ok()) return reading.error.empty() ? "no message" : std::string();
  return reading.list.peaks.size() <= static_cast<std::size_t>(kMaxObservedPeaks) ? "" : "bad table";
}

TEST(ReaderFuzzTest, EveryReaderGivesATableOrOneMessage) {
  ExperimentSettings settings;
  ProfileExport profile = profile_export_of(sample_phase(), settings, "d");
  testing::ByteLayout raw1(1100), rd(290);
  raw1.text(0, "RAW1").put<double>(728, 10.0).put<double>(888, 0.1);
  rd.text(0, "V3RD").put<double>(214, 0.1).put<double>(222, 10.0).put<double>(230, 11.9);
  const std::vector<Target> targets = {
      {"sim", write_sim_profile(profile), [](auto& b) { return pattern_check(read_raw_pattern(b, "f")); }},
      {"raw1", raw1.bytes(), [](auto& b) { return pattern_check(read_raw_pattern(b, "f")); }},
      {"rd", rd.bytes(), [](auto& b) { return pattern_check(read_rd_pattern(b, "f")); }},
      {"cpd", write_cpd_profile(profile), [](auto& t) { return pattern_check(read_cpi_pattern(lines_of(t), "f")); }},
      {"rietveld", "SampleIdent=s DataFileName=f\nx\nAlpha1=1.5 Alpha2=1.6 Ratio=0.5\nx\n10 0.1 12\n1 2 3\n4,5\n",
       [](auto& t) { return pattern_check(read_rietveld_pattern(lines_of(t), "f")); }},
      {"dif", write_dif_peaks(sample_phase(), settings).bytes, [](auto& b) { return peak_check(read_dif_peaks(b, "f")); }},
      {"di", write_di_peaks(sample_phase(), settings).bytes, [](auto& b) { return peak_check(read_di_peaks(b, "f")); }},
      {"prn", "28.44 100 1 1 1\n47.3 50 2 2 0\n", [](auto& t) { return peak_check(read_column_peaks(lines_of(t), "f")); }},
      {"winfit", "Sample Position\n1 20.15 0.1 0.2 0.3 57\n",
       [](auto& t) { return peak_check(read_winfit_peaks(lines_of(t), "f")); }},
      {"xfit", "Th2 Code\n" + std::string(18, ' ') + "20.5" + std::string(28, ' ') + "40.0\n",
       [](auto& t) { return peak_check(read_xfit_peaks(lines_of(t), "f")); }},
      {"cmp", *read_file_bytes(testing::source_folder("tests/experiment_io/fixtures") / "quartz_phase.cmp"), [](auto& t) {
         TotalDataReading r = parse_total_data_file(lines_of(t), "f");
         return r.ok() || !r.error.empty() ? std::string() : std::string("no message");
       }},
  };
  for (const Target& target : targets) {
    std::mt19937 random(20261206);
    ASSERT_EQ(target.read(target.seed), "") << target.name << " seed";
    ASSERT_EQ(target.read(""), "") << target.name << " empty";
    for (int trial = 0; trial < 600; ++trial) {
      std::string bytes = mutate(target.seed, random);
      ASSERT_EQ(target.read(bytes), "") << target.name << ": " << ::testing::PrintToString(bytes);
    }
  }
}

TEST(ReaderFuzzTest, AFailedReadThroughTheFlowsChangesNothing) {
  testing::TempFolder folder;
  testing::ScriptedUi ui;
  Program program(ui, folder.path());
  std::string sim = write_sim_profile(profile_export_of(sample_phase(), ExperimentSettings{}, "d"));
  std::string dif = write_dif_peaks(sample_phase(), ExperimentSettings{}).bytes;
  std::mt19937 random(7);
  for (int trial = 0; trial < 200; ++trial) {
    folder.write("f.sim", mutate(sim, random));
    folder.write("f.dif", mutate(dif, random));
    std::size_t warnings = ui.warnings.size();
    if (!read_observed_pattern(program, PatternFileKind::NativeSim, "f.sim")) {
      ASSERT_TRUE(program.workspace.observed_patterns.empty());
      ASSERT_EQ(program.workspace.settings.wavelengths, std::vector<double>{1.5406});
      ASSERT_EQ(ui.warnings.size(), warnings + 1);
    }
    warnings = ui.warnings.size();
    if (!read_observed_peaks(program, PeakFileKind::BrukerDif, "f.dif")) {
      ASSERT_TRUE(program.workspace.observed_peaks.empty());
      ASSERT_EQ(ui.warnings.size(), warnings + 1);
    }
    program.workspace.observed_patterns.clear();
    program.workspace.observed_peaks.clear();
    program.workspace.settings.wavelengths = {1.5406};
  }
}

}  // namespace
}  // namespace calvane
