#include "experiment_io/observed_flows.hpp"

#include <algorithm>
#include <cmath>

#include "util/files.hpp"
#include "util/text.hpp"
#include "workspace/driver.hpp"
#include "workspace/limits.hpp"
#include "workspace/program.hpp"

namespace calvane {

namespace {

constexpr std::size_t kMaxPatternNameLength = 50;
// Two wavelengths closer than this are taken as the same radiation (Å).
constexpr double kWavelengthTolerance = 0.05;

bool valid_pattern_entry(int entry) { return entry >= 1 && entry <= 6; }
bool valid_peak_entry(int entry) { return entry >= 1 && entry <= 5; }

std::string dropped_message(long long total, long long kept, std::string_view what, std::string_view name) {
  return "Only the first " + std::to_string(kept) + " " + std::string(what) + " of " + std::string(name) +
         " are kept: " + std::to_string(total - kept) + " were dropped";
}

// Reads a pattern file; a Rietveld file without a wavelength opens the
// Lambda missing window. The result says whether a pattern was stored.
bool read_and_store(Program& program, PatternFileKind kind, const std::filesystem::path& path) {
  if (kind == PatternFileKind::Rietveld) {
    auto lines = read_text_lines(path);
    if (lines && rietveld_lacks_wavelength(*lines)) {
      open_lambda_missing(program.lambda_missing, path.string());
      program.ui.show_window(WindowId::LambdaFromFile, true);
      return false;
    }
  }
  PatternReading reading = read_pattern_file(kind, path);
  if (!reading.ok()) {
    program.ui.warning(reading.error);
    return false;
  }
  return store_pattern(program, reading.buffer);
}

void close_lambda_missing(Program& program) {
  program.lambda_missing.visible = false;
  program.ui.show_window(WindowId::LambdaFromFile, false);
}

}  // namespace

void reconcile_wavelength(Program& program, double read_wavelength) {
  ExperimentSettings& settings = program.workspace.settings;
  // A file that reports no wavelength has nothing to reconcile; adopting 0
  // would leave the experiment without radiation.
  if (settings.wavelengths.empty() || !(read_wavelength > 0)) return;
  for (double wavelength : settings.wavelengths)
    if (std::abs(wavelength - read_wavelength) <= kWavelengthTolerance) return;
  const Workspace& workspace = program.workspace;
  if (workspace.observed_patterns.size() == 1 && workspace.phases.empty()) {
    settings.wavelengths = {read_wavelength};
    settings.fractions = {1.0};
    settings.single_wavelength = read_wavelength;
    settings.shortest_wavelength = settings.longest_wavelength = read_wavelength;
    program.main_form.experiment.wavelength = fixed(read_wavelength, 8, 5);
    program.main_form.experiment.default_wavelength_notice_visible = false;
    return;
  }
  program.ui.warning("Warning: The read wavelength (" + fixed(read_wavelength, 8, 5) +
                     ") is different from the current one (" + fixed(settings.wavelengths.front(), 8, 5) + ")");
}

bool store_pattern(Program& program, const PatternReadingBuffer& buffer) {
  Workspace& workspace = program.workspace;
  std::string name = file_name_of(buffer.file_name);
  if (static_cast<int>(workspace.observed_patterns.size()) >= kMaxObservedPatterns) {
    program.ui.warning("Max. Nb of observed patterns = 8");
    return false;
  }
  if (buffer.angles.empty()) {
    program.ui.warning("The file " + name + " holds no point");
    return false;
  }
  ObservedPattern pattern;
  pattern.wavelength = buffer.read_wavelength;
  pattern.draw = true;
  pattern.style_width = 3;
  pattern.style_kind = 1;
  pattern.points.reserve(buffer.angles.size());
  for (std::size_t i = 0; i < buffer.angles.size(); ++i) pattern.points.push_back({buffer.angles[i], buffer.intensities[i]});
  pattern.file_name = name.substr(0, std::min(name.size(), kMaxPatternNameLength));
  workspace.observed_patterns.push_back(std::move(pattern));
  workspace.observed_pattern_file_name = workspace.observed_patterns.back().file_name;
  reconcile_wavelength(program, buffer.read_wavelength);
  return true;
}

bool read_observed_pattern(Program& program, PatternFileKind kind, const std::filesystem::path& path) {
  if (static_cast<int>(program.workspace.observed_patterns.size()) >= kMaxObservedPatterns) {
    program.ui.warning("Max. Nb of observed patterns = 8");
    return false;
  }
  return read_and_store(program, kind, program.resolve(path.string()));
}

ObservedLoad ouvre_fichier_raw(Program& program, int entry) {
  ObservedLoad load;
  if (!valid_pattern_entry(entry)) return load;
  if (static_cast<int>(program.workspace.observed_patterns.size()) >= kMaxObservedPatterns) {
    program.ui.warning("Max. Nb of observed patterns = 8");
    return load;
  }
  auto chosen = program.ui.open_file({kPatternFilter, entry, program.current_folder.string(), {}});
  if (!chosen || chosen->path.empty()) return load;
  load.reset_intensity_scales = true;
  load.recompute_default_ticks = program.workspace.phases.empty() && program.workspace.observed_patterns.empty();
  load.added = read_and_store(program, static_cast<PatternFileKind>(entry), program.resolve(chosen->path));
  if (load.added) program.ui.redraw_plot();
  return load;
}

ObservedLoad lit_lambda(Program& program) {
  ObservedLoad load;
  LambdaMissingForm& form = program.lambda_missing;
  auto lines = read_text_lines(form.file_path);
  PatternReading reading = lines ? read_rietveld_pattern(*lines, file_name_of(form.file_path)) : PatternReading{};
  if (!lines || !reading.ok()) {
    program.ui.warning("Read error in the Rietveld file!");
    close_lambda_missing(program);
    return load;
  }
  auto number_or_zero = [](const std::string& text) { return parse_double(trim(text).empty() ? "0" : text); };
  auto wavelength = parse_double(form.lambda);
  if (!wavelength || *wavelength <= 0) {
    program.ui.warning("Lambda error!");
    return load;
  }
  auto alpha1 = number_or_zero(form.lambda1);
  if (!alpha1) {
    program.ui.warning("Lambda1 error!");
    return load;
  }
  auto alpha2 = number_or_zero(form.lambda2);
  if (!alpha2) {
    program.ui.warning("Lambda2 error!");
    return load;
  }
  PatternReadingBuffer& buffer = reading.buffer;
  buffer.file_name = form.file_path;
  buffer.read_wavelength = *wavelength;
  buffer.alpha1 = *alpha1;
  buffer.alpha2 = *alpha2;
  buffer.ratio = 0.5;
  buffer.anode = form.anode;
  if (form.anode_index < 0) {
    buffer.alpha1 = buffer.alpha2 = 0;
    buffer.anode = "?";
    buffer.ratio = 1.0;
  }
  close_lambda_missing(program);
  load.added = store_pattern(program, buffer);
  if (load.added) program.ui.redraw_plot();
  return load;
}

bool read_observed_peaks(Program& program, PeakFileKind kind, const std::string& chosen_name) {
  Workspace& workspace = program.workspace;
  if (static_cast<int>(workspace.observed_peaks.size()) >= kMaxObservedPeakLists) {
    program.ui.warning("Max. Nb of peaks file = 8");
    return false;
  }
  PeakReading reading = read_peak_file(kind, program.resolve(chosen_name));
  std::string name = file_name_of(chosen_name);
  if (!reading.ok()) {
    program.ui.warning(reading.error);
    return false;
  }
  if (reading.list.peaks.empty()) {
    program.ui.warning("The file " + name + " holds no peak");
    return false;
  }
  reading.list.file_name = chosen_name;
  workspace.observed_peaks.push_back(std::move(reading.list));
  auto kept = static_cast<long long>(workspace.observed_peaks.back().peaks.size());
  if (reading.peaks_in_file > kept) program.ui.warning(dropped_message(reading.peaks_in_file, kept, "peaks", name));
  return true;
}

ObservedLoad ouvre_fichier_dif(Program& program, int entry) {
  ObservedLoad load;
  if (!valid_peak_entry(entry)) return load;
  if (static_cast<int>(program.workspace.observed_peaks.size()) >= kMaxObservedPeakLists) {
    program.ui.warning("Max. Nb of peaks file = 8");
    return load;
  }
  auto chosen = program.ui.open_file({kPeakFilter, entry, program.current_folder.string(), {}});
  if (!chosen || chosen->path.empty()) return load;
  const std::string& name = chosen->path;
  for (const ObservedPeakList& list : program.workspace.observed_peaks) {
    if (list.file_name == name) {
      program.ui.warning("The file " + name + " is already loaded");
      return load;
    }
  }
  PeakFileKind kind = peak_kind_from_name(name, static_cast<PeakFileKind>(entry));
  load.added = read_observed_peaks(program, kind, name);
  if (load.added) click_button_plot_phase_data(program);
  return load;
}

}  // namespace calvane
