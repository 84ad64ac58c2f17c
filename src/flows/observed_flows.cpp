#include "flows/observed_flows.hpp"

#include <algorithm>
#include <cmath>

#include "experiment_io/measured_pattern_files.hpp"
#include "experiment_io/reference_peak_files.hpp"
#include "experiment_io/read_error.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "flows/driver.hpp"
#include "model/limits.hpp"
#include "flows/program.hpp"

namespace calvane {

namespace {

constexpr std::size_t kMaxPatternNameLength = 50;
// Two wavelengths closer than this are taken as the same radiation (Å).
constexpr double kWavelengthTolerance = 0.05;

// The tables hold eight patterns and eight peak lists; a ninth is refused with the table's message.
bool pattern_table_full(Program& program) {
  if (static_cast<int>(program.workspace.observed_patterns.size()) < kMaxObservedPatterns) return false;
  program.ui.warning("Max. Nb of observed patterns = 8");
  return true;
}

bool peak_table_full(Program& program) {
  if (static_cast<int>(program.workspace.observed_peaks.size()) < kMaxObservedPeakLists) return false;
  program.ui.warning("Max. Nb of peaks file = 8");
  return true;
}

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

namespace {

// Appends the buffer as the next ObservedPattern; the wavelength is settled by the caller.
bool add_observed_pattern(Program& program, const PatternReadingBuffer& buffer) {
  Workspace& workspace = program.workspace;
  std::string name = file_name_of(buffer.file_name);
  if (pattern_table_full(program)) return false;
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
  return true;
}

// The experiment takes `wavelength` as its only line, as when the first
// pattern of an empty workspace sets it.
void adopt_wavelength(Program& program, double wavelength) {
  ExperimentSettings& settings = program.workspace.settings;
  settings.wavelengths = {wavelength};
  settings.fractions = {1.0};
  settings.single_wavelength = wavelength;
  settings.shortest_wavelength = settings.longest_wavelength = wavelength;
  program.main_form.experiment.wavelength = fixed(wavelength, 8, 5);
  program.main_form.experiment.default_wavelength_notice_visible = false;
}

// A measured file's wavelength against the calculation's: within 0.0005 Å
// of any calculated line it is the same radiation; otherwise the user is
// told and may take the file's. The first pattern of an empty workspace
// sets the wavelength, as for the instrument formats.
void settle_file_wavelength(Program& program, double file_wavelength, const std::string& name,
                            MeasuredOpenChoices::FileWavelength policy) {
  constexpr double kSameRadiation = 0.0005;  // Å
  const ExperimentSettings& settings = program.workspace.settings;
  if (settings.wavelengths.empty() || !(file_wavelength > 0)) return;
  for (double wavelength : settings.wavelengths)
    if (std::abs(wavelength - file_wavelength) <= kSameRadiation) return;
  const Workspace& workspace = program.workspace;
  if (workspace.observed_patterns.empty() && workspace.phases.empty()) {
    adopt_wavelength(program, file_wavelength);
    return;
  }
  const std::string differs = "The wavelength of " + name + " (" + fixed(file_wavelength, 0, 5) +
                              " A) differs from the calculation's (" + fixed(settings.wavelengths.front(), 0, 5) +
                              " A) by more than 0.0005 A";
  using Policy = MeasuredOpenChoices::FileWavelength;
  if (policy == Policy::Take || (policy == Policy::Ask && program.ui.confirm(differs + ". Take the file's wavelength?") == Answer::Yes))
    adopt_wavelength(program, file_wavelength);
  else if (policy == Policy::Keep)
    program.ui.warning(differs + "; the calculation keeps its own");
}

// The scan to read (0-based), or nothing when the choice was cancelled or impossible.
std::optional<std::size_t> choose_scan(Program& program, const MeasuredReading& reading, const std::string& name,
                                       const MeasuredOpenChoices& choices) {
  const std::size_t count = reading.scans.size();
  if (choices.scan) {
    if (*choices.scan >= 1 && static_cast<std::size_t>(*choices.scan) <= count)
      return static_cast<std::size_t>(*choices.scan - 1);
    program.ui.warning("The file " + name + " holds " + std::to_string(count) + " scan" + (count > 1 ? "s" : "") +
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
  program.ui.warning("The file " + name + " holds " + std::to_string(count) + " scans; the first (" + names.front() +
                     ") is read");
  return 0;
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
    adopt_wavelength(program, read_wavelength);
    return;
  }
  program.ui.warning("Warning: The read wavelength (" + fixed(read_wavelength, 8, 5) +
                     ") is different from the current one (" + fixed(settings.wavelengths.front(), 8, 5) + ")");
}

bool store_pattern(Program& program, const PatternReadingBuffer& buffer) {
  if (!add_observed_pattern(program, buffer)) return false;
  reconcile_wavelength(program, buffer.read_wavelength);
  return true;
}

bool read_measured_pattern(Program& program, const std::filesystem::path& path, const MeasuredOpenChoices& choices) {
  if (pattern_table_full(program)) return false;
  const std::filesystem::path full = program.resolve(path.string());
  const std::string name = full.filename().string();
  // A Rietveld file whose first line is empty carries no wavelength: its own
  // reader asks for one (the Lambda missing window).
  if (to_lower(full.extension().string()) == ".dat") {
    auto lines = read_text_lines(full);
    if (lines && rietveld_lacks_wavelength(*lines)) return read_and_store(program, PatternFileKind::Rietveld, full);
  }
  MeasuredReading reading = read_measured_file(full);
  if (!reading.ok()) {
    program.ui.warning(reading.error);
    return false;
  }
  auto index = choose_scan(program, reading, name, choices);
  if (!index) return false;
  const MeasuredScan& scan = reading.scans[*index];
  if (scan.axis == ScanAxis::TwoTheta || scan.axis == ScanAxis::DSpacing || scan.axis == ScanAxis::Q)
    settle_file_wavelength(program, stated_wavelength(scan), name, choices.file_wavelength);
  const auto& wavelengths = program.workspace.settings.wavelengths;
  PatternReading pattern = pattern_of_scan(reading, *index, wavelengths.empty() ? 0.0 : wavelengths.front(), name);
  if (!pattern.ok()) {
    program.ui.warning(pattern.error);
    return false;
  }
  if (pattern.buffer.angles.size() > static_cast<std::size_t>(kMaxObservedPoints)) {
    program.ui.warning(read_error_message(name, "the file holds more than 2000000 points"));
    return false;
  }
  pattern.buffer.file_name = full.string();
  return add_observed_pattern(program, pattern.buffer);
}

ObservedLoad open_measured_pattern(Program& program, const MeasuredOpenChoices& choices) {
  ObservedLoad load;
  if (pattern_table_full(program)) return load;
  auto chosen = program.ui.open_file({measured_pattern_filter(), 1, program.current_folder.string(), {}});
  if (!chosen || chosen->path.empty()) return load;
  load.reset_intensity_scales = true;
  load.recompute_default_ticks = program.workspace.phases.empty() && program.workspace.observed_patterns.empty();
  load.added = read_measured_pattern(program, chosen->path, choices);
  if (load.added) program.ui.redraw_plot();
  return load;
}

bool read_any_peak_list(Program& program, const std::string& chosen_name) {
  Workspace& workspace = program.workspace;
  if (peak_table_full(program)) return false;
  const auto& wavelengths = workspace.settings.wavelengths;
  PeakReading reading =
      read_peak_list_file(program.resolve(chosen_name), wavelengths.empty() ? 0.0 : wavelengths.front());
  return append_peak_reading(program, std::move(reading), chosen_name);
}

ObservedLoad open_peak_list(Program& program) {
  ObservedLoad load;
  if (peak_table_full(program)) return load;
  auto chosen = program.ui.open_file({peak_list_filter(), 1, program.current_folder.string(), {}});
  if (!chosen || chosen->path.empty()) return load;
  for (const ObservedPeakList& list : program.workspace.observed_peaks) {
    if (list.file_name == chosen->path) {
      program.ui.warning("The file " + chosen->path + " is already loaded");
      return load;
    }
  }
  load.added = read_any_peak_list(program, chosen->path);
  if (load.added) click_button_plot_phase_data(program);
  return load;
}

bool read_observed_pattern(Program& program, PatternFileKind kind, const std::filesystem::path& path) {
  if (pattern_table_full(program)) return false;
  return read_and_store(program, kind, program.resolve(path.string()));
}

ObservedLoad ouvre_fichier_raw(Program& program, int entry) {
  ObservedLoad load;
  if (!valid_pattern_entry(entry)) return load;
  if (pattern_table_full(program)) return load;
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
  // As for a file whose wavelength was found: the plot's scales start again.
  load.reset_intensity_scales = true;
  load.recompute_default_ticks = program.workspace.phases.empty() && program.workspace.observed_patterns.empty();
  load.added = store_pattern(program, buffer);
  if (load.added) program.ui.redraw_plot();
  return load;
}

bool append_peak_reading(Program& program, PeakReading reading, const std::string& chosen_name) {
  std::string name = file_name_of(chosen_name);
  if (!reading.ok()) {
    program.ui.warning(reading.error);
    return false;
  }
  if (reading.list.peaks.empty()) {
    program.ui.warning("The file " + name + " holds no peak");
    return false;
  }
  Workspace& workspace = program.workspace;
  reading.list.file_name = chosen_name;
  workspace.observed_peaks.push_back(std::move(reading.list));
  auto kept = static_cast<long long>(workspace.observed_peaks.back().peaks.size());
  if (reading.peaks_in_file > kept) program.ui.warning(dropped_message(reading.peaks_in_file, kept, "peaks", name));
  return true;
}

bool read_observed_peaks(Program& program, PeakFileKind kind, const std::string& chosen_name) {
  if (peak_table_full(program)) return false;
  return append_peak_reading(program, read_peak_file(kind, program.resolve(chosen_name)), chosen_name);
}

ObservedLoad ouvre_fichier_dif(Program& program, int entry) {
  ObservedLoad load;
  if (!valid_peak_entry(entry)) return load;
  if (peak_table_full(program)) return load;
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
