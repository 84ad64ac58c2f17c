#include "cli/run.hpp"

#include "cli/scratch_folder.hpp"
#include "cli/simulation.hpp"

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "crystallography/phase_listing.hpp"
#include "experiment_io/observed_data.hpp"
#include "experiment_io/pattern_files.hpp"
#include "experiment_io/peak_files.hpp"
#include "experiment_io/output_formats.hpp"
#include "fit/fit_report.hpp"
#include "fit/workspace_fit.hpp"
#include "flows/unshown_workspace.hpp"
#include "plot/image_export.hpp"
#include "plot/plot_state.hpp"
#include "profile/phase_computation.hpp"
#include "profile/spectrum_setup.hpp"
#include "reports/conventions.hpp"
#include "reports/global_report.hpp"
#include "reports/plot_data.hpp"
#include "ui/results_list.hpp"
#include "util/file_cache.hpp"
#include "util/files.hpp"
#include "util/message_sink.hpp"
#include "util/text.hpp"

namespace calvane::cli {

namespace {

/// A terminal's message sink: everything on the error stream, warnings counted.
class TerminalMessages final : public MessageSink {
public:
  explicit TerminalMessages(std::ostream& out) : out_(out) {}
  void warning(std::string_view text) override {
    ++warnings_;
    out_ << "calvane-sim: " << text << '\n';
  }
  void notice(std::string_view text) override { out_ << "calvane-sim: " << text << '\n'; }
  void beep() override {}
  int warnings() const { return warnings_; }

private:
  std::ostream& out_;
  int warnings_ = 0;
};

bool load_inputs(Workspace& workspace, const Options& options, const CrystalFolders& folders,
                 TerminalMessages& messages, std::ostream& out) {
  for (const std::string& file : options.crystal_files) {
    const bool loaded = extension_of(file) == ".cmp"
                            ? [&] {
                                auto read = read_workspace_file(std::filesystem::absolute(file), folders.data,
                                                                messages);
                                if (!read) return false;
                                workspace = std::move(*read);
                                return workspace.phase_count() > 0 || !workspace.observed_patterns.empty();
                              }()
                            : load_crystal(workspace, options, file, folders, messages, out);
    if (!loaded) {
      out << "calvane-sim: " << file << " was not loaded\n";
      return false;
    }
  }
  return true;
}

/// A Rietveld file whose first line is empty gives no wavelength, and the
/// window that asks for one has no terminal counterpart: the file is read at
/// the calculation's first wavelength, and the note says so.
bool read_rietveld_without_wavelength(Workspace& workspace, const std::filesystem::path& path,
                                      TerminalMessages& messages) {
  auto lines = read_text_lines(path);
  if (!lines || !rietveld_lacks_wavelength(*lines)) return false;
  PatternReading reading = read_rietveld_pattern(*lines, path.filename().string());
  if (!reading.ok()) {
    messages.warning("Read error in the Rietveld file!");
    return false;
  }
  const auto& wavelengths = workspace.settings.wavelengths;
  const double wavelength = wavelengths.empty() ? 1.5406 : wavelengths.front();
  messages.notice(path.string() + " gives no wavelength (its first line is empty); it is read at " +
                  fixed(wavelength, 0, 5) + " A");
  PatternReadingBuffer& buffer = reading.buffer;
  buffer.file_name = path.string();
  buffer.read_wavelength = wavelength;
  buffer.alpha1 = buffer.alpha2 = 0;
  buffer.anode.assign(1, '?');
  buffer.ratio = 1.0;
  return add_pattern_reading(workspace, buffer, messages);
}

bool load_observed(Workspace& workspace, const Options& options, TerminalMessages& messages) {
  MeasuredOpenChoices choices;
  choices.scan = options.scan;
  choices.file_wavelength = options.use_file_wavelength ? MeasuredOpenChoices::FileWavelength::Take
                                                        : MeasuredOpenChoices::FileWavelength::Keep;
  for (const std::string& file : options.observed_patterns) {
    const std::filesystem::path path = std::filesystem::absolute(file);
    if (!pattern_table_has_room(workspace, messages)) return false;
    if (extension_of(file) == ".dat" && read_rietveld_without_wavelength(workspace, path, messages)) continue;
    if (!add_measured_pattern(workspace, path, choices, messages)) return false;
  }
  for (const std::string& file : options.observed_peaks) {
    const std::filesystem::path path = std::filesystem::absolute(file);
    if (!peak_table_has_room(workspace, messages)) return false;
    // The instrument peak formats by their extension, as their menu reads them; the rest by content.
    const auto kind = peak_kind_of(extension_of(file));
    const bool added = kind && *kind != PeakFileKind::Column
                           ? add_peak_reading(workspace, read_peak_file(*kind, path), path.string(), messages)
                           : add_any_peak_list(workspace, path, path.string(), messages);
    if (!added) return false;
  }
  return true;
}

bool phase_number_known(int phase, const Workspace& workspace, const char* option, TerminalMessages& messages) {
  if (phase >= 1 && phase <= workspace.phase_count()) return true;
  messages.warning(std::string(option) + " names phase " + std::to_string(phase) + " but there are " +
                   std::to_string(workspace.phase_count()) + " phases");
  return false;
}

/// --zero, --displacement, --po and --particle-radius, and the texture
/// directions --fit refines along.
bool set_corrections(Workspace& workspace, const Options& options, TerminalMessages& messages) {
  if (options.zero_shift) workspace.corrections.zero_shift_deg = *options.zero_shift;
  if (options.displacement) workspace.corrections.displacement_um = *options.displacement;
  for (const OrientationSetting& setting : options.orientations) {
    if (!phase_number_known(setting.phase, workspace, "--po", messages)) return false;
    workspace.phase(setting.phase).preferred_orientation = {setting.direction, setting.ratio};
  }
  for (const auto& [phase, radius] : options.particle_radii) {
    if (!phase_number_known(phase, workspace, "--particle-radius", messages)) return false;
    workspace.phase(phase).particle_radius_um = radius;
  }
  if (!options.fit) return true;
  for (const FitSelection::Orientation& orientation : options.fit->orientations) {
    if (!phase_number_known(orientation.phase, workspace, "--fit po", messages)) return false;
    PreferredOrientation& target = workspace.phase(orientation.phase).preferred_orientation;
    if (target.direction != orientation.direction) target = {orientation.direction, 1.0};
  }
  return true;
}

FitChoices fit_choices_of(const FitSelection& selection, int phase_count) {
  FitChoices choices;
  choices.background_order = selection.background_order.value_or(-1);
  choices.zero_shift = selection.zero;
  choices.displacement = selection.displacement;
  const auto count = static_cast<std::size_t>(phase_count);
  choices.orientation.assign(count, false);
  choices.size.assign(count, selection.size);
  choices.cell.assign(count, selection.cell);
  for (const FitSelection::Orientation& orientation : selection.orientations)
    choices.orientation[static_cast<std::size_t>(orientation.phase - 1)] = true;
  return choices;
}

std::string fit_curves_csv(const FitRequest& request, const FitResult& result) {
  std::string csv = "two_theta,observed,calculated,background,difference\n";
  const MeasuredPoints& measured = request.measured;
  for (std::size_t i = 0; i < measured.two_theta.size() && i < result.calculated.size(); ++i) {
    const double background = i < result.background_curve.size() ? result.background_curve[i] : 0.0;
    csv += fixed(measured.two_theta[i], 0, 4) + "," + fixed(measured.counts[i], 0, 3) + "," +
           fixed(result.calculated[i], 0, 3) + "," + fixed(background, 0, 3) + "," +
           fixed(measured.counts[i] - result.calculated[i], 0, 3) + "\n";
  }
  return csv;
}

// The phases as a measurement shows them, the highest point made 10 000
// counts: on the first measured pattern's own 2θ points, else on the
// settings' grid.
std::string pattern_csv(const Workspace& workspace) {
  std::vector<double> x = measured_points_of(workspace).two_theta;
  if (x.empty()) x = profile_grid(workspace.settings).abscissae();
  std::vector<double> y = workspace_pattern(workspace, x);
  const double highest = y.empty() ? 0.0 : *std::max_element(y.begin(), y.end());
  std::string csv = "two_theta,intensity\n";
  for (std::size_t i = 0; i < x.size(); ++i)
    csv += fixed(x[i], 0, 4) + "," + fixed(highest > 0 ? y[i] * 10000 / highest : 0.0, 0, 4) + "\n";
  return csv;
}

// Every file the options would write, with the option that names it.
std::vector<std::pair<std::string, std::filesystem::path>> output_files(const Options& options, int phase_count) {
  std::vector<std::pair<std::string, std::filesystem::path>> outputs;
  auto add = [&outputs](const char* option, const std::optional<std::string>& name) {
    if (name) outputs.emplace_back(option, std::filesystem::absolute(*name));
  };
  add("--reflections", options.reflections_csv);
  add("--profile", options.profile_file);
  add("--peaks", options.peaks_file);
  add("--save-workspace", options.workspace_file);
  add("--plot", options.plot_file);
  add("--report", options.report_file);
  add("--fit-report", options.fit_report);
  add("--fit-curves", options.fit_curves);
  add("--pattern", options.pattern_file);
  add("--conventions", options.conventions_file);
  if (options.listings_folder) {
    const std::filesystem::path folder = std::filesystem::absolute(*options.listings_folder);
    for (int p = 1; p <= phase_count; ++p)
      for (const char* suffix : {".out", "2.out"})
        outputs.emplace_back("--listings", folder / ("phase" + std::to_string(p) + suffix));
  }
  return outputs;
}

// Every file the run reads: the inputs named on the command line and the data files.
std::vector<std::filesystem::path> input_files(const Options& options, const std::filesystem::path& data_folder) {
  std::vector<std::filesystem::path> inputs;
  for (const auto* names : {&options.crystal_files, &options.observed_patterns, &options.observed_peaks})
    for (const std::string& name : *names) inputs.emplace_back(std::filesystem::absolute(name));
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(data_folder, error)) inputs.push_back(entry.path());
  return inputs;
}

// Two names of one file: an existing file by its inode (a link or another
// spelling of the path), a file not yet written by its path once dots and
// links are resolved (an existing file is never the same as a missing one).
// Found once per name: resolving a path costs a system call per component.
struct FileIdentity {
  std::optional<FileStamp> stamp;
  std::filesystem::path resolved;  // for a missing file; empty when it cannot be resolved
};

FileIdentity identity_of(const std::filesystem::path& path) {
  FileIdentity identity{file_stamp(path), {}};
  std::error_code error;
  if (!identity.stamp) identity.resolved = std::filesystem::weakly_canonical(path, error);
  if (error) identity.resolved.clear();
  return identity;
}

bool same_file(const FileIdentity& a, const FileIdentity& b) {
  if (a.stamp && b.stamp) return a.stamp->device == b.stamp->device && a.stamp->inode == b.stamp->inode;
  return !a.stamp && !b.stamp && !a.resolved.empty() && a.resolved == b.resolved;
}

}  // namespace

bool outputs_are_safe(const Options& options, const std::filesystem::path& data_folder, int phase_count,
                      std::ostream& messages) {
  const auto outputs = output_files(options, phase_count);
  const auto inputs = input_files(options, data_folder);
  std::vector<FileIdentity> input_identities, output_identities;
  for (const auto& input : inputs) input_identities.push_back(identity_of(input));
  for (const auto& output : outputs) output_identities.push_back(identity_of(output.second));
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const auto& [option, path] = outputs[i];
    for (std::size_t k = 0; k < inputs.size(); ++k) {
      const auto& input = inputs[k];
      if (same_file(output_identities[i], input_identities[k])) {
        messages << "calvane-sim: " << option << " " << path.string() << " is the input file " << input.string()
                 << "; an output never replaces an input\n";
        return false;
      }
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (same_file(output_identities[i], output_identities[j])) {
        messages << "calvane-sim: " << option << " and " << outputs[j].first << " both write " << path.string()
                 << '\n';
        return false;
      }
    }
    std::error_code error;
    if (!options.overwrite && std::filesystem::exists(std::filesystem::symlink_status(path, error))) {
      messages << "calvane-sim: " << path.string() << " already exists; --overwrite replaces it\n";
      return false;
    }
  }
  return true;
}

namespace {

bool write_output(const std::filesystem::path& path, const std::string& content, std::ostream& messages) {
  if (std::string reason = write_file_atomically(path, content); !reason.empty()) {
    messages << "calvane-sim: " << reason << '\n';
    return false;
  }
  return true;
}

bool write_listings(const AllPhasesResult& computed, const std::filesystem::path& folder, std::ostream& messages) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  for (std::size_t i = 0; i < computed.listings.size(); ++i) {
    const std::string p = std::to_string(i + 1);
    if (!write_output(folder / ("phase" + p + ".out"), computed.listings[i].short_listing, messages) ||
        !write_output(folder / ("phase" + p + "2.out"), computed.listings[i].detailed, messages))
      return false;
  }
  return true;
}

int write_outputs(const Workspace& workspace, const Options& options, const std::filesystem::path& program_folder,
                  TerminalMessages& messages, std::ostream& out, const PlotRenderer& renderer,
                  const std::vector<std::string>& fit_table) {
  const bool has_phase = workspace.current_phase >= 1 && workspace.current_phase <= workspace.phase_count();
  if (options.profile_file) {
    if (!has_phase || workspace.phase(workspace.current_phase).profile.empty()) {
      messages.warning("The current phase has no calculated profile");
      return 1;
    }
    const ProfileExport profile = profile_export_of(workspace.phase(workspace.current_phase), workspace.settings, "");
    const ProfileFileKind kind = profile_format_of(*options.profile_file).value_or(ProfileFileKind::NativeSim);
    if (!write_output(*options.profile_file, write_profile(kind, profile), out)) return 1;
  }
  if (options.peaks_file && has_phase) {
    // The options accept only names whose extension chooses a format.
    const auto format = peak_list_format_of(*options.peaks_file).value_or(PeakListFormat::Column);
    const PeakFileContent content =
        write_peak_list(format, workspace.phase(workspace.current_phase), workspace.settings);
    if (!write_output(*options.peaks_file, content.bytes, out)) return 1;
    if (content.left_out > 0)
      messages.notice(std::to_string(content.left_out) + " reflections do not fit the layout of " +
                      file_name_of(*options.peaks_file) + " and were left out");
  }
  if (options.workspace_file) {
    if (std::string reason = write_workspace_file(workspace, *options.workspace_file, program_folder);
        !reason.empty()) {
      messages.warning("The workspace cannot be saved in " + file_name_of(*options.workspace_file) + ": " + reason);
      return 1;
    }
  }
  if (options.plot_file) {
    PlotState state;
    sync_plot_range(state, workspace.settings);
    state.on_measured_points = options.fit.has_value();  // a fit is shown on the points it was fitted to
    state.intensity_axis = options.intensity_axis;
    state.d_axis = options.d_axis;
    std::string reason;
    if (renderer)
      reason = renderer(*options.plot_file, state, workspace, options.plot_width, options.plot_height);
    else if (extension_of(*options.plot_file) == ".emf")
      reason = write_plot_metafile(*options.plot_file, state, workspace, HklMode::AlongTop, options.plot_width - 20,
                                   options.plot_height - 56);
    else
      reason = "this build draws plots only as metafiles (.emf)";
    if (!reason.empty()) {
      out << "calvane-sim: " << reason << '\n';
      return 1;
    }
  }
  if (options.report_file) {
    std::string text;
    for (const std::string& line : build_global_report(workspace, results_list_lines(workspace), std::string()))
      text += line + "\n";
    if (!fit_table.empty()) text += "\n";
    for (const std::string& line : fit_table) text += line + "\n";
    if (!write_output(*options.report_file, text, out)) return 1;
  }
  return 0;
}

/// Fits the computed phases to the first measured pattern, takes the result
/// into the workspace, computes the phases again and writes the fit's own
/// outputs. The global report's fit table is returned through `fit_table`.
int fit_and_recompute(Workspace& workspace, const Options& options, ComputationCaches& caches,
                      const std::filesystem::path& data_folder, TerminalMessages& sink, std::ostream& messages,
                      std::vector<std::string>& fit_table) {
  const FitChoices choices = fit_choices_of(*options.fit, workspace.phase_count());
  const FitRequest request = workspace_fit_request(workspace, choices);
  const FitResult result = fit_pattern(request);
  if (result.status == FitStatus::Refused || result.status == FitStatus::Cancelled) {
    sink.warning("The fit cannot be made: " + result.message);
    return 1;
  }
  for (const std::string& note : result.notes) sink.notice(note);
  apply_fit_result(workspace, result, choices);
  const int warnings_before = sink.warnings();
  const AllPhasesResult computed = compute_all_phases(workspace, caches, data_folder, current_date_time(), sink);
  if (!computed.all_computed || sink.warnings() != warnings_before) return 1;
  fit_table = fit_table_lines(result, choices);
  if (options.fit_report && !write_output(*options.fit_report, fit_report_json(result, choices), messages)) return 1;
  if (options.fit_curves && !write_output(*options.fit_curves, fit_curves_csv(request, result), messages)) return 1;
  return 0;
}

}  // namespace

int run(const Options& options, const std::filesystem::path& data_folder, std::ostream& messages,
        const PlotRenderer& renderer) {
  // Workspace files are read and written by the desktop's own flows, which
  // rebuild crystal files: they work in a private copy of the data folder.
  // Other runs read the data folder itself and keep only the operator
  // generator's scratch file apart.
  const bool workspace_file = options.workspace_file || std::any_of(options.crystal_files.begin(),
                                                                      options.crystal_files.end(), [](const auto& f) {
                                                                        return extension_of(f) == ".cmp";
                                                                      });
  auto scratch = ScratchFolder::create(workspace_file ? data_folder : std::filesystem::path(), messages);
  if (!scratch) return 1;
  const CrystalFolders folders{workspace_file ? scratch->path() : data_folder, scratch->path()};
  TerminalMessages sink(messages);
  Workspace workspace;
  set_experiment(workspace.settings, options);
  if (!load_inputs(workspace, options, folders, sink, messages)) return 1;
  // Observed files are compared with the calculation's wavelengths, so these are set first.
  if (!load_observed(workspace, options, sink)) return 1;
  const int phases = workspace.phase_count();
  if (!options.percents.empty() && options.percents.size() != static_cast<std::size_t>(phases)) {
    messages << "calvane-sim: --percent gives " << options.percents.size() << " shares for " << phases << " phases\n";
    return 1;
  }
  if (!outputs_are_safe(options, data_folder, phases, messages)) return 1;
  if (!set_phase_options(workspace, options, sink) || !set_corrections(workspace, options, sink)) return 1;
  if (options.fit && !cover_measured_range(workspace)) {
    sink.warning("--fit needs a measured pattern (--observed FILE)");
    return 1;
  }
  ComputationCaches caches;
  const int warnings_before = sink.warnings();
  const AllPhasesResult computed = compute_all_phases(workspace, caches, data_folder, current_date_time(), sink);
  if (!computed.all_computed || sink.warnings() != warnings_before) return 1;

  if (options.reflections_csv && !write_output(*options.reflections_csv, reflection_table_csv(workspace), messages))
    return 1;
  if (options.listings_folder && !write_listings(computed, *options.listings_folder, messages)) return 1;
  if (options.pattern_file && !write_output(*options.pattern_file, pattern_csv(workspace), messages)) return 1;
  if (options.conventions_file &&
      !write_output(*options.conventions_file, conventions_json(conventions_of(workspace)), messages))
    return 1;
  std::vector<std::string> fit_table;
  if (options.fit && fit_and_recompute(workspace, options, caches, data_folder, sink, messages, fit_table) != 0)
    return 1;
  return write_outputs(workspace, options, folders.data, sink, messages, renderer, fit_table);
}

}  // namespace calvane::cli
