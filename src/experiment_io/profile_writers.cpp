#include "experiment_io/profile_writers.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <numeric>

#include "experiment_io/binary_io.hpp"
#include "profile/wavelength_lines.hpp"
#include "util/text.hpp"
#include "model/experiment_settings.hpp"
#include "model/phase_data.hpp"

namespace calvane {

namespace {

double largest_of(const std::vector<double>& values) {
  double largest = 0;
  for (double v : values) largest = std::max(largest, v);
  return largest;
}

// value × full / largest, or 0 for a profile without a positive value.
double scaled(double value, double largest, double full) { return largest > 0 ? value * full / largest : 0; }

std::string cpi_text(const ProfileExport& profile, const std::string& anode_line, const std::string& wavelength_line) {
  std::string out;
  auto line = [&out](std::string_view text) {
    out.append(text);
    out.append("\n");
  };
  line("SIETRONICS XRD SCAN");
  line(trim_left(fixed(profile.first_two_theta, 7, 3)));
  line(trim_left(fixed(profile.last_two_theta, 7, 3)));
  line(trim_left(fixed(profile.two_theta(1) - profile.two_theta(0), 7, 4)));
  line(anode_line);
  line(wavelength_line);
  line(profile.date);
  line("1");
  line("SampleIdent " + profile.title);
  line("SCANDATA");
  double largest = largest_of(profile.values);
  for (double value : profile.values) line(trim_left(fixed(scaled(value, largest, 10000), 10, 0)));
  return out;
}

}  // namespace

double line_wavelength(int index) {
  return index >= 1 && index <= 20 ? kCharacteristicLines[static_cast<std::size_t>(index - 1)].wavelength : 0;
}

// The anode is the first two letters of the line's item ("CuKa1" gives "Cu").
std::string line_anode(int index) {
  if (index < 1 || index > 20) return {};
  return std::string(kCharacteristicLines[static_cast<std::size_t>(index - 1)].item.substr(0, 2));
}

double ProfileExport::step() const {
  return values.size() > 1 ? (last_two_theta - first_two_theta) / static_cast<double>(values.size() - 1) : 0;
}

double ProfileExport::two_theta(int index) const { return first_two_theta + index * step(); }

ProfileExport profile_export_of(const PhaseData& phase, const ExperimentSettings& settings, std::string date) {
  ProfileExport profile;
  profile.values.assign(phase.profile.begin(), phase.profile.end());
  profile.first_two_theta = settings.two_theta_low;
  profile.last_two_theta = settings.two_theta_high;
  profile.title = phase.crystal.title;
  profile.wavelengths = settings.wavelengths;
  profile.fractions = settings.fractions;
  profile.date = std::move(date);
  if (double tube = line_wavelength(settings.chosen_line); tube > 0) {
    profile.tube_wavelength = tube;
    profile.tube_anode = line_anode(settings.chosen_line);
  } else {
    profile.tube_wavelength = settings.wavelengths.empty() ? 0 : settings.wavelengths.front();
    profile.tube_anode = settings.anode_code;
  }
  return profile;
}

std::string today_text() {
  std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  localtime_r(&now, &local);
  char text[48];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", local.tm_mday, local.tm_mon + 1, local.tm_year + 1900);
  return text;
}

std::string write_sim_profile(const ProfileExport& profile) {
  ByteWriter file;
  file.text("RAW2", 4);
  file.i16(1);
  file.text("  " + profile.title, 34);
  file.text("Fichier provenant de CALVANE", 128);
  file.text(profile.date, 20);
  file.text("Cu", 2);
  file.f32(static_cast<float>(profile.tube_wavelength));
  file.f32(0);
  file.f32(0);
  file.i16(0);
  file.i16(0);
  file.f32(1.39f);
  file.f32(1000.0f);
  file.fill(8, '\0');
  file.fill(34, ' ');
  file.i16(60);
  file.i16(static_cast<std::int16_t>(std::min<std::size_t>(profile.values.size(), 32767)));
  file.i16(10);
  file.i16(0);
  file.f32(1.0f);
  file.f32(static_cast<float>(profile.step()));
  file.f32(static_cast<float>(profile.first_two_theta));
  file.f32(static_cast<float>(profile.first_two_theta * 0.5));
  for (int i = 0; i < 4; ++i) file.f32(0);
  for (int i = 0; i < 5; ++i) file.i16(0);
  file.f32(0);
  file.f32(0);
  file.i16(0);
  std::size_t count = std::min<std::size_t>(profile.values.size(), 32767);
  for (std::size_t i = 0; i < count; ++i) file.f32(static_cast<float>(10 * profile.values[i]));
  return file.take();
}

std::string write_cpi_profile(const ProfileExport& profile) {
  std::string anode = profile.tube_anode.empty() ? "Xx" : profile.tube_anode;
  double first = profile.wavelengths.empty() ? 0 : profile.wavelengths.front();
  return cpi_text(profile, anode, trim_left(fixed(first, 8, 5)));
}

std::string write_cpd_profile(const ProfileExport& profile) {
  std::size_t count = std::min(profile.wavelengths.size(), profile.fractions.size());
  std::string anode = count > 1 || profile.tube_anode.empty() ? "Xx" : profile.tube_anode;
  std::vector<std::size_t> order(count);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return profile.fractions[a] > profile.fractions[b]; });
  double total = std::accumulate(profile.fractions.begin(), profile.fractions.begin() + static_cast<long>(count), 0.0);
  // Each field is separated by a blank so that the CPI/CPD reader finds the
  // first wavelength as one number; run together they could not be parsed.
  std::string line;
  for (std::size_t i : order) {
    if (!line.empty()) line += ' ';
    line += fixed(profile.wavelengths[i], 8, 5) + " " + fixed(scaled(profile.fractions[i], total, 100), 6, 3);
  }
  return cpi_text(profile, anode, trim_left(line));
}

}  // namespace calvane
