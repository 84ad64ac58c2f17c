#include "cli/simulation.hpp"

#include <algorithm>
#include <exception>
#include <ostream>
#include <sstream>
#include <utility>
#include <vector>

#include "crystal_io/cif_reader.hpp"
#include "crystal_io/crystal_file_kind.hpp"
#include "crystal_io/crystal_files.hpp"
#include "crystallography/operators.hpp"
#include "crystallography/phase_listing.hpp"
#include "fit/workspace_fit.hpp"
#include "plot/colours.hpp"
#include "profile/phase_computation.hpp"
#include "profile/profile_synthesis.hpp"
#include "profile/spectrum_setup.hpp"
#include "profile/wavelength_lines.hpp"
#include "util/message_sink.hpp"
#include "util/text.hpp"

namespace calvane::cli {

std::string extension_of(const std::string& name) { return to_lower(std::filesystem::path(name).extension().string()); }

namespace {

/// A CIF with several valuable blocks needs --block N; the blocks are listed otherwise.
bool choose_cif_block(const std::filesystem::path& path, const Options& options, CifBlockChoice& block,
                      MessageSink& messages, std::ostream& out) {
  auto blocks = scan_cif_file(path, path.filename().string(), messages);
  if (!blocks) return false;
  const int count = static_cast<int>(blocks->size());
  if (count == 1) return true;
  if (!options.cif_block || *options.cif_block > count) {
    out << "calvane-sim: the CIF file holds " << count << " data blocks; choose one with --block N:\n";
    for (int i = 0; i < count; ++i) out << "  " << i + 1 << "  " << (*blocks)[static_cast<std::size_t>(i)].name << '\n';
    return false;
  }
  block.number = *options.cif_block;
  block.name = (*blocks)[static_cast<std::size_t>(block.number - 1)].name;
  return true;
}

/// Keeps the first warning's text and passes every message on to the notices.
class FirstWarning final : public MessageSink {
public:
  explicit FirstWarning(std::string* notices) : notices_(notices) {}
  void warning(std::string_view text) override {
    if (first_.empty()) first_ = text;
  }
  void notice(std::string_view text) override {
    if (notices_ != nullptr) *notices_ += std::string(text) + "\n";
  }
  void beep() override {}
  const std::string& first() const { return first_; }
  bool warned() const { return !first_.empty(); }

private:
  std::string* notices_;
  std::string first_;
};

}  // namespace

std::optional<OpenedCrystal> open_crystal(const std::string& file, const Options& options,
                                          const CrystalFolders& folders, MessageSink& messages, std::ostream& out) {
  const std::filesystem::path path = std::filesystem::absolute(file);
  CrystalFileRequest request{path, crystal_kind_of_file(file, CrystalFileKind::Native), file, folders.data, {}};
  if (request.kind == CrystalFileKind::Cif && !choose_cif_block(path, options, request.block, messages, out))
    return std::nullopt;
  auto crystal = read_crystal_file(request, messages);
  if (!crystal) return std::nullopt;
  if (crystal->symbol.empty()) {
    messages.warning("the space group of " + file + " cannot be named from its operators; give it in the file");
    return std::nullopt;
  }
  for (const std::string& note : crystal->read_notes) messages.notice(file + ": " + note);
  if (crystal->symmetry.operators.empty()) build_symmetry_operators(*crystal, folders.data, folders.scratch, messages);
  return OpenedCrystal{std::move(*crystal), path.string(), request.block};
}

bool add_crystal_phase(Workspace& workspace, OpenedCrystal opened, MessageSink& messages) {
  PhaseData* phase = add_phase(workspace, std::move(opened.crystal), std::move(opened.path));
  if (phase == nullptr) {
    messages.warning("Max. Nb of phases =8!");
    return false;
  }
  phase->cif_block = opened.block;
  apply_phase_display_defaults(workspace.styles, *phase, workspace.phase_count());
  return true;
}

bool load_crystal(Workspace& workspace, const Options& options, const std::string& file,
                  const CrystalFolders& folders, MessageSink& messages, std::ostream& out) {
  auto opened = open_crystal(file, options, folders, messages, out);
  return opened && add_crystal_phase(workspace, std::move(*opened), messages);
}

void set_experiment(ExperimentSettings& settings, const Options& options) {
  if (options.wavelength) set_single_wavelength(settings, *options.wavelength);
  if (options.line) {
    settings.chosen_line = *options.line;
    set_one_line_spectrum(settings, kCharacteristicLines[static_cast<std::size_t>(*options.line - 1)]);
  }
  if (!options.spectrum.empty()) {
    std::vector<SpectrumLine> lines;
    for (std::size_t i = 0; i < options.spectrum.size(); ++i)
      if (options.spectrum[i].second > 0)
        lines.push_back({options.spectrum[i].first, 0.01 * options.spectrum[i].second, static_cast<int>(i)});
    if (!lines.empty()) {
      sort_by_wavelength(lines);
      set_spectrum(settings, lines);
      settings.single_wavelength = 0;
    }
  }
  set_two_theta_range(settings, options.range_low, options.range_high);
  settings.u = options.u;
  settings.v = options.v;
  settings.w = options.w;
  settings.profile_points = options.points;
  if (options.neutrons) settings.source = RadiationSource::Neutrons;
  if (options.synchrotron_polarisation) {
    settings.xray_source = XRaySource::Synchrotron;
    settings.polarisation = *options.synchrotron_polarisation;
  }
  settings.percent_mode = options.molar ? "MOLEC" : "POIDS";
}

/// Sizes, strains and shares of the options for every phase; shares are
/// taken relative to their sum.
bool set_phase_options(Workspace& workspace, const Options& options, MessageSink& messages) {
  double sum = 0;
  for (double percent : options.percents) sum += percent;
  if (!options.percents.empty() && !(sum > 0)) {
    messages.warning("Error on %");
    return false;
  }
  for (int p = 1; p <= workspace.phase_count(); ++p) {
    PhaseData& phase = workspace.phase(p);
    if (options.size) phase.crystal_size = *options.size;
    if (options.strain) phase.strain = 0.001 * *options.strain;  // given in thousandths
    if (!options.percents.empty()) phase.fraction = options.percents[static_cast<std::size_t>(p - 1)] / sum;
    if (options.no_anomalous) phase.composition.anomalous_table.clear();
  }
  return true;
}

namespace {

/// Computes the workspace's one phase; the outcome as a file simulation.
FileSimulation compute_single_phase(Workspace workspace, const Options& options, const CrystalFolders& folders,
                                    FirstWarning& messages) {
  FileSimulation result;
  if (set_phase_options(workspace, options, messages)) {
    ComputationCaches caches;
    const AllPhasesResult computed = compute_all_phases(workspace, caches, folders.data, current_date_time(), messages);
    if (computed.all_computed && !messages.warned()) {
      result.workspace = std::move(workspace);
      return result;
    }
  }
  result.refused = true;
  result.message = messages.warned() ? messages.first() : "the phase was not computed";
  return result;
}

}  // namespace

FileSimulation simulate_crystal_file(const std::string& file, const Options& options, const CrystalFolders& folders,
                                     std::string* notices) {
  FirstWarning messages(notices);
  std::ostringstream listing_of_blocks;
  try {
    auto opened = open_crystal(file, options, folders, messages, listing_of_blocks);
    if (opened) return simulate_crystal(std::move(*opened), options, folders, notices);
    FileSimulation result;
    result.refused = true;
    result.message = messages.warned() ? messages.first() : trim(listing_of_blocks.str());
    if (result.message.starts_with("calvane-sim: ")) result.message.erase(0, 13);
    if (result.message.empty()) result.message = file + " was not loaded";
    return result;
  } catch (const std::exception& error) {
    FileSimulation result;
    result.message = error.what();
    return result;
  }
}

FileSimulation simulate_crystal(OpenedCrystal crystal, const Options& options, const CrystalFolders& folders,
                                std::string* notices) {
  FirstWarning messages(notices);
  try {
    Workspace workspace;
    set_experiment(workspace.settings, options);
    if (add_crystal_phase(workspace, std::move(crystal), messages))
      return compute_single_phase(std::move(workspace), options, folders, messages);
    FileSimulation result;
    result.refused = true;
    result.message = messages.first();
    return result;
  } catch (const std::exception& error) {
    FileSimulation result;
    result.message = error.what();
    return result;
  }
}

}  // namespace calvane::cli

namespace calvane::cli {

PatternPoints grid_pattern(const Workspace& workspace) {
  PatternPoints points;
  points.two_theta = profile_grid(workspace.settings).abscissae();
  points.intensity = workspace_pattern(workspace, points.two_theta);
  const double highest =
      points.intensity.empty() ? 0.0 : *std::max_element(points.intensity.begin(), points.intensity.end());
  for (double& y : points.intensity) y = highest > 0 ? y * 10000 / highest : 0.0;
  return points;
}

std::string pattern_xy(const PatternPoints& points) {
  std::string text;
  for (std::size_t i = 0; i < points.two_theta.size(); ++i)
    text += fixed(points.two_theta[i], 0, 4) + " " + fixed(points.intensity[i], 0, 4) + "\n";
  return text;
}

}  // namespace calvane::cli
