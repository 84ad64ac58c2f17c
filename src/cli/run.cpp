#include "cli/run.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <stdlib.h>  // mkdtemp

#include "cli/terminal_ui.hpp"
#include "crystal_io/crystal_file_kind.hpp"
#include "flows/open_flow.hpp"
#include "flows/export_flows.hpp"
#include "flows/observed_flows.hpp"
#include "experiment_io/pattern_files.hpp"
#include "experiment_io/peak_files.hpp"
#include "flows/total_data_flows.hpp"
#include "flows/image_export_flows.hpp"
#include "plot/plot_state.hpp"
#include "ui/experiment_reading.hpp"
#include "ui/spectrum.hpp"
#include "flows/report_flows.hpp"
#include "flows/cif_block_window.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "flows/driver.hpp"
#include "flows/program.hpp"
#include "flows/startup.hpp"

namespace calvane::cli {

namespace {

/// A scratch program folder holding links to the data files: listings and
/// scratch files are written there, never beside the installed data. It is
/// made by mkdtemp (a new folder of mode 0700 under a name nobody else holds)
/// in the first usable of: $TMPDIR, /tmp, the current folder.
class ScratchFolder {
public:
  /// Empty, with the reasons in `messages`, when no candidate folder takes it.
  static std::optional<ScratchFolder> create(const std::filesystem::path& data_folder, std::ostream& messages);
  ScratchFolder(ScratchFolder&& other) noexcept : path_(std::exchange(other.path_, {})) {}
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ScratchFolder& operator=(ScratchFolder&&) = delete;
  ~ScratchFolder() {
    std::error_code error;
    if (!path_.empty()) std::filesystem::remove_all(path_, error);
  }
  const std::filesystem::path& path() const { return path_; }

private:
  explicit ScratchFolder(std::filesystem::path path) : path_(std::move(path)) {}
  std::filesystem::path path_;
};

std::optional<std::filesystem::path> make_private_folder(const std::filesystem::path& parent) {
  std::string name = (parent / "calvane-sim-XXXXXX").string();
  if (::mkdtemp(name.data()) == nullptr) return std::nullopt;
  return std::filesystem::path(name);
}

std::optional<ScratchFolder> ScratchFolder::create(const std::filesystem::path& data_folder, std::ostream& messages) {
  std::vector<std::pair<std::string, std::filesystem::path>> candidates;
  if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir != nullptr && *tmpdir != '\0')
    candidates.emplace_back("TMPDIR", tmpdir);
  candidates.emplace_back("/tmp", "/tmp");
  std::error_code error;
  if (auto current = std::filesystem::current_path(error); !error) candidates.emplace_back("the current folder", current);
  for (const auto& [label, parent] : candidates) {
    auto made = make_private_folder(parent);
    if (!made) {
      messages << "calvane-sim: no scratch folder in " << label << " (" << parent.string()
               << "): " << std::strerror(errno) << '\n';
      continue;
    }
    ScratchFolder scratch(*made);
    for (const auto& entry : std::filesystem::directory_iterator(data_folder, error))
      if (entry.is_regular_file(error))
        std::filesystem::create_symlink(std::filesystem::absolute(entry.path(), error), *made / entry.path().filename(),
                                        error);
    return scratch;
  }
  messages << "calvane-sim: no folder to hold the scratch files; set TMPDIR to a writable folder\n";
  return std::nullopt;
}

std::string extension_of(const std::string& name) { return to_lower(std::filesystem::path(name).extension().string()); }

CrystalFileKind kind_of(const std::string& name) { return crystal_kind_of_file(name, CrystalFileKind::Native); }

std::optional<PeakFileKind> peak_kind(const std::string& name) { return peak_kind_of(extension_of(name)); }

/// A CIF with several valuable blocks opens the block chooser: --block answers it.
bool choose_cif_block(Program& program, const Options& options, std::ostream& messages) {
  CifBlockForm& chooser = program.cif_block_form;
  if (!chooser.visible) return true;
  const int count = static_cast<int>(chooser.blocks.size());
  if (!options.cif_block || *options.cif_block > count) {
    messages << "calvane-sim: the CIF file holds " << count << " data blocks; choose one with --block N:\n";
    for (int i = 0; i < count; ++i) messages << "  " << i + 1 << "  " << chooser.blocks[static_cast<std::size_t>(i)] << '\n';
    return false;
  }
  chooser.selected = *options.cif_block - 1;
  BitBtn1Click(program);
  return true;
}

bool load_input(Program& program, TerminalUi& ui, const Options& options, const std::string& file,
                std::ostream& messages) {
  const std::string path = std::filesystem::absolute(file).string();
  if (extension_of(file) == ".cmp") {
    ouvre_fichier_mpm(program, TotalDataSender::FileList, path);
    return program.workspace.phase_count() > 0 || !program.workspace.observed_patterns.empty();
  }
  const int before = program.workspace.phase_count();
  ui.answer_next_dialog(path);
  lit_fichier_cry(program, kind_of(file));
  if (!choose_cif_block(program, options, messages)) return false;
  return program.workspace.phase_count() == before + 1;
}

/// A Rietveld file whose first line is empty gives no wavelength, and the
/// window that asks for one has no terminal counterpart: the file is read at
/// the calculation's first wavelength, and the note says so.
bool read_rietveld_without_wavelength(Program& program, const std::string& file, std::ostream& messages) {
  if (!program.lambda_missing.visible) return false;
  const auto& wavelengths = program.workspace.settings.wavelengths;
  const std::string wavelength = fixed(wavelengths.empty() ? 1.5406 : wavelengths.front(), 0, 5);
  messages << "calvane-sim: " << file << " gives no wavelength (its first line is empty); it is read at " << wavelength
           << " A\n";
  program.lambda_missing.lambda = wavelength;
  return lit_lambda(program).added;
}

bool load_observed(Program& program, const Options& options, std::ostream& messages) {
  MeasuredOpenChoices choices;
  choices.scan = options.scan;
  choices.file_wavelength = options.use_file_wavelength ? MeasuredOpenChoices::FileWavelength::Take
                                                        : MeasuredOpenChoices::FileWavelength::Keep;
  for (const std::string& file : options.observed_patterns) {
    if (!read_measured_pattern(program, std::filesystem::absolute(file), choices) &&
        !read_rietveld_without_wavelength(program, file, messages))
      return false;
  }
  for (const std::string& file : options.observed_peaks) {
    const std::string path = std::filesystem::absolute(file).string();
    auto kind = peak_kind(file);
    // The instrument peak formats by their extension, as their menu reads them; the rest by content.
    if (!(kind && *kind != PeakFileKind::Column ? read_observed_peaks(program, *kind, path)
                                                : read_any_peak_list(program, path)))
      return false;
  }
  return true;
}

void set_experiment(Program& program, const Options& options) {
  MainForm& form = program.main_form;
  ExperimentSettings& settings = program.workspace.settings;
  if (options.wavelength) form.experiment.wavelength = fixed(*options.wavelength, 0, 5);
  if (!options.spectrum.empty()) {
    form.experiment.wavelength = "Multiple";
    for (std::size_t i = 0; i < options.spectrum.size(); ++i) {
      program.wavelength_form.wavelength[i] = fixed(options.spectrum[i].first, 0, 5);
      program.wavelength_form.intensity[i] = fixed(options.spectrum[i].second, 0, 3);
    }
  }
  form.experiment.range_low = fixed(options.range_low, 0, 4);
  form.experiment.range_high = fixed(options.range_high, 0, 4);
  form.experiment.u = fixed(options.u, 0, 6);
  form.experiment.v = fixed(options.v, 0, 6);
  form.experiment.w = fixed(options.w, 0, 6);
  settings.profile_points = options.points;
  if (options.neutrons) settings.source = RadiationSource::Neutrons;
  if (options.synchrotron_polarisation) {
    settings.xray_source = XRaySource::Synchrotron;
    settings.polarisation = *options.synchrotron_polarisation;
  }
  form.phases.molar_percent = options.molar;
  settings.percent_mode = options.molar ? "MOLEC" : "POIDS";
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

// Same file: the same inode (a link or another spelling of the path), or, for
// files not yet written, the same path once its dots and links are resolved.
bool same_file(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code error;
  if (std::filesystem::equivalent(a, b, error)) return true;
  const auto canonical_a = std::filesystem::weakly_canonical(a, error);
  if (error) return false;
  const auto canonical_b = std::filesystem::weakly_canonical(b, error);
  return !error && canonical_a == canonical_b;
}

}  // namespace

bool outputs_are_safe(const Options& options, const std::filesystem::path& data_folder, int phase_count,
                      std::ostream& messages) {
  const auto outputs = output_files(options, phase_count);
  const auto inputs = input_files(options, data_folder);
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const auto& [option, path] = outputs[i];
    for (const auto& input : inputs) {
      if (same_file(path, input)) {
        messages << "calvane-sim: " << option << " " << path.string() << " is the input file " << input.string()
                 << "; an output never replaces an input\n";
        return false;
      }
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (same_file(path, outputs[j].second)) {
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

void set_phase_options(Program& program, const Options& options) {
  Workspace& ws = program.workspace;
  for (int p = 1; p <= ws.phase_count(); ++p) {
    PhaseRow& row = program.main_form.phases.rows[static_cast<std::size_t>(p - 1)];
    if (options.size) row.size = fixed(*options.size, 0, 3);
    if (options.strain) row.strain = fixed(*options.strain, 0, 4);
    if (!options.percents.empty()) row.percent = fixed(options.percents[static_cast<std::size_t>(p - 1)], 0, 4);
  }
}

bool write_output(const std::filesystem::path& path, const std::string& content, std::ostream& messages) {
  if (std::string reason = write_file_atomically(path, content); !reason.empty()) {
    messages << "calvane-sim: " << reason << '\n';
    return false;
  }
  return true;
}

bool copy_listings(const Program& program, const std::filesystem::path& folder, std::ostream& messages) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  for (int p = 1; p <= program.workspace.phase_count(); ++p) {
    for (const std::string& name : {"phase" + std::to_string(p) + ".out", "phase" + std::to_string(p) + "2.out"}) {
      auto content = read_file_bytes(program.program_folder / name);
      if (!content || !write_output(folder / name, *content, messages)) return false;
    }
  }
  return true;
}

bool save_through_dialog(TerminalUi& ui, const std::string& path, const std::function<bool()>& flow) {
  ui.answer_next_dialog(std::filesystem::absolute(path).string());
  return flow() && !ui.unanswered_question();
}

int write_outputs(Program& program, TerminalUi& ui, const Options& options, std::ostream& messages,
                  const PlotRenderer& renderer) {
  if (options.profile_file) {
    const std::string ext = extension_of(*options.profile_file);
    const ProfileFileKind kind = ext == ".cpi" ? ProfileFileKind::Cpi
                                 : ext == ".cpd" ? ProfileFileKind::Cpd
                                                 : ProfileFileKind::NativeSim;
    if (!save_through_dialog(ui, *options.profile_file, [&] { return export_profile(program, kind, ""); })) return 1;
  }
  if (options.peaks_file) {
    const std::string ext = extension_of(*options.peaks_file);
    const int entry = ext == ".dif" ? 2 : ext == ".di" ? 3 : ext == ".cif" ? 4 : 1;
    if (!save_through_dialog(ui, *options.peaks_file, [&] { return save_hkl_list(program, entry); })) return 1;
  }
  if (options.workspace_file &&
      !save_through_dialog(ui, *options.workspace_file,
                           [&] { return SavetheTotaldata1Click(program, TotalDataSender::Menu); }))
    return 1;
  if (options.plot_file) {
    PlotState state;
    sync_plot_range(state, program.workspace.settings);
    std::string reason;
    if (renderer)
      reason = renderer(*options.plot_file, state, program.workspace, options.plot_width, options.plot_height);
    else if (extension_of(*options.plot_file) == ".emf")
      reason = write_plot_metafile(*options.plot_file, state, program.workspace, HklMode::AlongTop,
                                   options.plot_width - 20, options.plot_height - 56);
    else
      reason = "this build draws plots only as metafiles (.emf)";
    if (!reason.empty()) {
      messages << "calvane-sim: " << reason << '\n';
      return 1;
    }
  }
  if (options.report_file) {
    std::string reason =
        write_global_report(*options.report_file, program.workspace, program.main_form.results, std::string());
    if (!reason.empty()) {
      messages << "calvane-sim: " << reason << '\n';
      return 1;
    }
  }
  return 0;
}

}  // namespace

std::string reflections_csv(const Workspace& workspace) {
  std::string csv = "phase,h,k,l,mult,lambda,d,two_theta,intensity,k_intensity\n";
  for (int p = 1; p <= workspace.phase_count(); ++p) {
    const PhaseData& phase = workspace.phase(p);
    for (const Reflection& r : phase.reflections) {
      csv += std::to_string(p) + "," + std::to_string(r.h) + "," + std::to_string(r.k) + "," + std::to_string(r.l) +
             "," + std::to_string(r.multiplicity) + "," + fixed(r.wavelength, 0, 5) + "," + fixed(r.d, 0, 5) + "," +
             fixed(r.two_theta, 0, 4) + "," + fixed(r.intensity, 0, 6) + "," +
             fixed(phase.scale_factor * r.intensity, 0, 4) + "\n";
    }
  }
  return csv;
}

int run(const Options& options, const std::filesystem::path& data_folder, std::ostream& messages,
        const PlotRenderer& renderer) {
  auto scratch = ScratchFolder::create(data_folder, messages);
  if (!scratch) return 1;
  TerminalUi ui(messages, options.overwrite);
  Program program(ui, scratch->path());
  if (!init_creation(program)) return 1;
  std::error_code error;
  program.current_folder = std::filesystem::current_path(error);
  set_experiment(program, options);
  if (options.line) set_lambda(SpectrumView{program.workspace, program.main_form, program.wavelength_form, ui}, *options.line);

  for (const std::string& file : options.crystal_files) {
    if (!load_input(program, ui, options, file, messages)) {
      messages << "calvane-sim: " << file << " was not loaded\n";
      return 1;
    }
  }
  // Observed files are compared with the calculation's wavelengths, so these are read first.
  if (!read_experiment_settings(program.workspace.settings, program.main_form.experiment, program.wavelength_form, ui))
    return 1;
  if (!load_observed(program, options, messages)) return 1;
  const int phases = program.workspace.phase_count();
  if (!options.percents.empty() && options.percents.size() != static_cast<std::size_t>(phases)) {
    messages << "calvane-sim: --percent gives " << options.percents.size() << " shares for " << phases << " phases\n";
    return 1;
  }
  if (!outputs_are_safe(options, data_folder, phases, messages)) return 1;
  set_phase_options(program, options);
  if (options.no_anomalous)
    for (PhaseData& phase : program.workspace.phases) phase.composition.anomalous_table.clear();
  const int warnings_before = ui.warning_count();
  click_button_plot_phase_data(program, PlotSender::PhasesApply);
  if (ui.warning_count() != warnings_before || ui.unanswered_question()) return 1;

  if (options.reflections_csv && !write_output(*options.reflections_csv, reflections_csv(program.workspace), messages))
    return 1;
  if (options.listings_folder && !copy_listings(program, *options.listings_folder, messages)) return 1;
  return write_outputs(program, ui, options, messages, renderer);
}

}  // namespace calvane::cli
