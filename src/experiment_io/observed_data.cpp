#include "experiment_io/observed_data.hpp"

#include <algorithm>
#include <cmath>

#include "experiment_io/measured_pattern_files.hpp"
#include "experiment_io/read_error.hpp"
#include "experiment_io/reference_peak_files.hpp"
#include "model/limits.hpp"
#include "util/files.hpp"
#include "util/message_sink.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

constexpr std::size_t kMaxPatternNameLength = 50;
// Two wavelengths closer than this are taken as the same radiation (Å).
constexpr double kWavelengthTolerance = 0.05;

std::string dropped_message(long long total, long long kept, std::string_view what, std::string_view name) {
  return "Only the first " + std::to_string(kept) + " " + std::string(what) + " of " + std::string(name) +
         " are kept: " + std::to_string(total - kept) + " were dropped";
}

// Appends the buffer as the next ObservedPattern; the wavelength is settled by the caller.
bool store_observed_pattern(Workspace& workspace, const PatternReadingBuffer& buffer, MessageSink& messages) {
  std::string name = file_name_of(buffer.file_name);
  if (!pattern_table_has_room(workspace, messages)) return false;
  if (buffer.angles.empty()) {
    messages.warning("The file " + name + " holds no point");
    return false;
  }
  ObservedPattern pattern;
  pattern.wavelength = buffer.read_wavelength;
  pattern.draw = true;
  pattern.style_width = 3;
  pattern.style_kind = 1;
  pattern.points.reserve(buffer.angles.size());
  for (std::size_t i = 0; i < buffer.angles.size(); ++i) pattern.points.push_back({buffer.angles[i], buffer.intensities[i]});
  if (buffer.counts.size() == buffer.angles.size()) pattern.counts = buffer.counts;
  pattern.file_name = name.substr(0, std::min(name.size(), kMaxPatternNameLength));
  workspace.observed_patterns.push_back(std::move(pattern));
  workspace.observed_pattern_file_name = workspace.observed_patterns.back().file_name;
  return true;
}

// A measured file's wavelength against the calculation's: within 0.0005 Å
// of any calculated line it is the same radiation; otherwise the user is
// told and may take the file's. The first pattern of an empty workspace
// sets the wavelength, as for the instrument formats.
void settle_file_wavelength(Workspace& workspace, double file_wavelength, const std::string& name,
                            const MeasuredOpenChoices& choices, MessageSink& messages) {
  const MeasuredOpenChoices::FileWavelength policy = choices.file_wavelength;
  constexpr double kSameRadiation = 0.0005;  // Å
  const ExperimentSettings& settings = workspace.settings;
  if (settings.wavelengths.empty() || !(file_wavelength > 0)) return;
  for (double wavelength : settings.wavelengths)
    if (std::abs(wavelength - file_wavelength) <= kSameRadiation) return;
  if (workspace.observed_patterns.empty() && workspace.phases.empty()) {
    adopt_wavelength(workspace.settings, file_wavelength);
    return;
  }
  const std::string differs = "The wavelength of " + name + " (" + fixed(file_wavelength, 0, 5) +
                              " A) differs from the calculation's (" + fixed(settings.wavelengths.front(), 0, 5) +
                              " A) by more than 0.0005 A";
  using Policy = MeasuredOpenChoices::FileWavelength;
  if (policy == Policy::Take || (policy == Policy::Ask && choices.take_file_wavelength &&
                                   choices.take_file_wavelength(differs + ". Take the file's wavelength?")))
    adopt_wavelength(workspace.settings, file_wavelength);
  else if (policy == Policy::Keep)
    messages.warning(differs + "; the calculation keeps its own");
}

// The scan to read (0-based), or nothing when the choice was cancelled or impossible.
std::optional<std::size_t> choose_scan(MessageSink& messages, const MeasuredReading& reading, const std::string& name,
                                       const MeasuredOpenChoices& choices) {
  const std::size_t count = reading.scans.size();
  if (choices.scan) {
    if (*choices.scan >= 1 && static_cast<std::size_t>(*choices.scan) <= count)
      return static_cast<std::size_t>(*choices.scan - 1);
    messages.warning("The file " + name + " holds " + std::to_string(count) + " scan" + (count > 1 ? "s" : "") +
                       "; there is no scan " + std::to_string(*choices.scan));
    return std::nullopt;
  }
  if (count == 1) return 0;
  std::vector<std::string> names;
  for (const MeasuredScan& scan : reading.scans) names.push_back(scan.name);
  if (choices.choose_scan) {
    auto chosen = choices.choose_scan(name, names);
    if (!chosen || *chosen < 0 || static_cast<std::size_t>(*chosen) >= count) return std::nullopt;
    return static_cast<std::size_t>(*chosen);
  }
  messages.warning("The file " + name + " holds " + std::to_string(count) + " scans; the first (" + names.front() +
                     ") is read");
  return 0;
}

void reconcile_wavelength(Workspace& workspace, double read_wavelength, MessageSink& messages) {
  ExperimentSettings& settings = workspace.settings;
  // A file that reports no wavelength has nothing to reconcile; adopting 0
  // would leave the experiment without radiation.
  if (settings.wavelengths.empty() || !(read_wavelength > 0)) return;
  for (double wavelength : settings.wavelengths)
    if (std::abs(wavelength - read_wavelength) <= kWavelengthTolerance) return;
  if (workspace.observed_patterns.size() == 1 && workspace.phases.empty()) {
    adopt_wavelength(workspace.settings, read_wavelength);
    return;
  }
  messages.warning("Warning: The read wavelength (" + fixed(read_wavelength, 8, 5) +
                     ") is different from the current one (" + fixed(settings.wavelengths.front(), 8, 5) + ")");
}

}  // namespace

bool pattern_table_has_room(const Workspace& workspace, MessageSink& messages) {
  if (static_cast<int>(workspace.observed_patterns.size()) < kMaxObservedPatterns) return true;
  messages.warning("Max. Nb of observed patterns = 8");
  return false;
}

bool peak_table_has_room(const Workspace& workspace, MessageSink& messages) {
  if (static_cast<int>(workspace.observed_peaks.size()) < kMaxObservedPeakLists) return true;
  messages.warning("Max. Nb of peaks file = 8");
  return false;
}

void adopt_wavelength(ExperimentSettings& settings, double wavelength) {
  settings.wavelengths = {wavelength};
  settings.fractions = {1.0};
  settings.single_wavelength = wavelength;
  settings.shortest_wavelength = settings.longest_wavelength = wavelength;
}

bool add_pattern_reading(Workspace& workspace, const PatternReadingBuffer& buffer, MessageSink& messages) {
  if (!store_observed_pattern(workspace, buffer, messages)) return false;
  reconcile_wavelength(workspace, buffer.read_wavelength, messages);
  return true;
}

bool add_measured_pattern(Workspace& workspace, const std::filesystem::path& path, const MeasuredOpenChoices& choices,
                          MessageSink& messages) {
  if (!pattern_table_has_room(workspace, messages)) return false;
  const std::filesystem::path& full = path;
  const std::string name = full.filename().string();
  MeasuredReading reading = read_measured_file(full);
  if (!reading.ok()) {
    messages.warning(reading.error);
    return false;
  }
  auto index = choose_scan(messages, reading, name, choices);
  if (!index) return false;
  const MeasuredScan& scan = reading.scans[*index];
  if (scan.axis == ScanAxis::TwoTheta || scan.axis == ScanAxis::DSpacing || scan.axis == ScanAxis::Q)
    settle_file_wavelength(workspace, stated_wavelength(scan), name, choices, messages);
  const auto& wavelengths = workspace.settings.wavelengths;
  PatternReading pattern = pattern_of_scan(reading, *index, wavelengths.empty() ? 0.0 : wavelengths.front(), name);
  if (!pattern.ok()) {
    messages.warning(pattern.error);
    return false;
  }
  if (pattern.buffer.angles.size() > static_cast<std::size_t>(kMaxObservedPoints)) {
    messages.warning(read_error_message(name, "the file holds more than 2000000 points"));
    return false;
  }
  pattern.buffer.file_name = full.string();
  return store_observed_pattern(workspace, pattern.buffer, messages);
}

bool add_peak_reading(Workspace& workspace, PeakReading reading, const std::string& chosen_name,
                      MessageSink& messages) {
  std::string name = file_name_of(chosen_name);
  if (!reading.ok()) {
    messages.warning(reading.error);
    return false;
  }
  if (reading.list.peaks.empty()) {
    messages.warning("The file " + name + " holds no peak");
    return false;
  }
  reading.list.file_name = chosen_name;
  workspace.observed_peaks.push_back(std::move(reading.list));
  auto kept = static_cast<long long>(workspace.observed_peaks.back().peaks.size());
  if (reading.peaks_in_file > kept) messages.warning(dropped_message(reading.peaks_in_file, kept, "peaks", name));
  return true;
}

bool add_any_peak_list(Workspace& workspace, const std::filesystem::path& path, const std::string& chosen_name,
                       MessageSink& messages) {
  if (!peak_table_has_room(workspace, messages)) return false;
  const auto& wavelengths = workspace.settings.wavelengths;
  PeakReading reading =
      read_peak_list_file(path, wavelengths.empty() ? 0.0 : wavelengths.front());
  return add_peak_reading(workspace, std::move(reading), chosen_name, messages);
}

}  // namespace calvane
