#include "flows/observed_flows.hpp"

#include <algorithm>
#include <cmath>

#include "experiment_io/measured_pattern_files.hpp"
#include "experiment_io/observed_data.hpp"
#include "experiment_io/reference_peak_files.hpp"
#include "experiment_io/read_error.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "flows/driver.hpp"
#include "model/limits.hpp"
#include "flows/program.hpp"

namespace calvane {

namespace {

bool pattern_table_full(Program& program) { return !pattern_table_has_room(program.workspace, program.ui); }
bool peak_table_full(Program& program) { return !peak_table_has_room(program.workspace, program.ui); }

/// The experiment page shows the wavelength a file gave the experiment.
void show_adopted_wavelength(Program& program, const std::vector<double>& before) {
  const auto& wavelengths = program.workspace.settings.wavelengths;
  if (wavelengths == before || wavelengths.size() != 1) return;
  program.main_form.experiment.wavelength = fixed(wavelengths.front(), 8, 5);
  program.main_form.experiment.default_wavelength_notice_visible = false;
}




bool valid_pattern_entry(int entry) { return entry >= 1 && entry <= 6; }
bool valid_peak_entry(int entry) { return entry >= 1 && entry <= 5; }


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





}  // namespace




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
  if (load.added) recompute_all_phases(program);
  return load;
}

bool read_observed_pattern(Program& program, PatternFileKind kind, const std::filesystem::path& path) {
  if (pattern_table_full(program)) return false;
  return read_and_store(program, kind, program.resolve(path.string()));
}

ObservedLoad open_pattern_file_of_kind(Program& program, int entry) {
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

ObservedLoad read_missing_wavelength(Program& program) {
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
    buffer.anode.assign(1, '?');  // (a literal here trips a false -Wrestrict of GCC 12)
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


bool read_observed_peaks(Program& program, PeakFileKind kind, const std::string& chosen_name) {
  if (peak_table_full(program)) return false;
  return append_peak_reading(program, read_peak_file(kind, program.resolve(chosen_name)), chosen_name);
}

ObservedLoad open_peak_file_of_kind(Program& program, int entry) {
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
  if (load.added) recompute_all_phases(program);
  return load;
}

bool store_pattern(Program& program, const PatternReadingBuffer& buffer) {
  const std::vector<double> before = program.workspace.settings.wavelengths;
  const bool added = add_pattern_reading(program.workspace, buffer, program.ui);
  show_adopted_wavelength(program, before);
  return added;
}

bool read_measured_pattern(Program& program, const std::filesystem::path& path, const MeasuredOpenChoices& choices) {
  if (pattern_table_full(program)) return false;
  const std::filesystem::path full = program.resolve(path.string());
  // A Rietveld file whose first line is empty carries no wavelength: its own
  // reader asks for one (the Lambda missing window).
  if (to_lower(full.extension().string()) == ".dat") {
    auto lines = read_text_lines(full);
    if (lines && rietveld_lacks_wavelength(*lines)) return read_and_store(program, PatternFileKind::Rietveld, full);
  }
  MeasuredOpenChoices asked = choices;
  if (!asked.take_file_wavelength)
    asked.take_file_wavelength = [&program](const std::string& question) {
      return program.ui.confirm(question) == Answer::Yes;
    };
  const std::vector<double> before = program.workspace.settings.wavelengths;
  const bool added = add_measured_pattern(program.workspace, full, asked, program.ui);
  show_adopted_wavelength(program, before);
  return added;
}

bool append_peak_reading(Program& program, PeakReading reading, const std::string& chosen_name) {
  return add_peak_reading(program.workspace, std::move(reading), chosen_name, program.ui);
}

bool read_any_peak_list(Program& program, const std::string& chosen_name) {
  return add_any_peak_list(program.workspace, program.resolve(chosen_name), chosen_name, program.ui);
}

}  // namespace calvane
