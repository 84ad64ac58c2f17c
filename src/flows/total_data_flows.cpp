#include "flows/total_data_flows.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "crystal_io/cry_file.hpp"
#include "flows/crystal_page.hpp"
#include "flows/open_flow.hpp"
#include "crystal_io/system_check.hpp"
#include "crystallography/operators.hpp"
#include "flows/export_flows.hpp"
#include "experiment_io/read_error.hpp"
#include "ui/spectrum.hpp"
#include "ui/quiet_ui.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "flows/driver.hpp"
#include "flows/program.hpp"

namespace calvane {

namespace {

// Decimals a wavelength's share may take beyond the classic two.
constexpr int kShareDecimals = 10;

std::uint32_t number_of(Rgb colour) { return colour_number(colour.red, colour.green, colour.blue); }

Rgb rgb_of(std::uint32_t number) {
  return Rgb{static_cast<std::uint8_t>(number & 0xFF), static_cast<std::uint8_t>((number >> 8) & 0xFF),
             static_cast<std::uint8_t>((number >> 16) & 0xFF)};
}

bool same_operator(const SymmetryOperator& a, const SymmetryOperator& b) {
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column)
      if (a.r(row, column) != b.r(row, column)) return false;
    // Translations as given: the engine does not bring 3/2 back to 1/2 in
    // every sum, so a list that holds 3/2 is kept as it is.
    if (std::fabs(a.t(row) - b.t(row)) > 1e-9) return false;
  }
  return true;
}

bool holds_every(const std::vector<SymmetryOperator>& list, const std::vector<SymmetryOperator>& wanted) {
  return std::all_of(wanted.begin(), wanted.end(), [&list](const SymmetryOperator& op) {
    return std::any_of(list.begin(), list.end(), [&op](const SymmetryOperator& other) { return same_operator(op, other); });
  });
}

// Whether a phase reopened from its symbol alone gets the operators it has:
// the reopened crystal file goes through the system check of the crystal
// reader, then the catalogue or the generator builds its operators.
bool symbol_rebuilds_operators(Program& program, const CurrentCrystal& crystal) {
  QuietUi quiet;
  CurrentCrystal probe;
  probe.system_code = crystal.system_code;
  probe.symbol = crystal.symbol;
  if (probe.symbol.empty()) return crystal.symmetry.operators.empty();
  if (auto number = find_space_group_number(program.data_file("csp.lst"), probe.symbol))
    if (check_system(probe.system_code, *number, probe.symbol, quiet)) return false;
  if (!build_operators_pos(probe, program.program_folder, quiet)) {
    const std::filesystem::path& scratch = program.scratch.path();
    if (scratch.empty() || !build_operators_getspec(probe, scratch, quiet)) return false;
  }
  const auto& rebuilt = probe.symmetry.operators;
  const auto& kept = crystal.symmetry.operators;
  return holds_every(rebuilt, kept) && holds_every(kept, rebuilt);
}

TotalDataPhase phase_record(Program& program, const PhaseData& phase) {
  TotalDataPhase record;
  record.file_path = program.shown_file_name(phase.file_name);
  record.draw = phase.draw;
  record.show_hkl = phase.show_hkl;
  record.colour = number_of(phase.colour);
  record.pen_width = phase.pen_width;
  record.pen_style = phase.pen_style;
  record.fraction = fixed(phase.fraction, 8, 2);
  record.size = fixed(phase.crystal_size, 8, 1);
  record.strain = fixed(phase.strain * 1000, 8, 1);  // the strain box's unit, Δd/d × 1000
  record.crystal = phase.crystal;
  record.keeps_operators = !symbol_rebuilds_operators(program, phase.crystal);
  record.orientation = phase.preferred_orientation;
  record.particle_radius_um = phase.particle_radius_um;
  return record;
}

struct RebuiltFiles {
  std::filesystem::path folder;  // in the scratch folder; holds one folder per phase
  std::vector<std::filesystem::path> crystals;
};

// Writes the phases' crystal files into a new folder of the scratch folder,
// each in a folder of its own under the phase's own file name, and checks
// that every one reads. Empty string on success.
std::string rebuild_files(Program& program, const TotalDataFile& data, RebuiltFiles& files) {
  if (data.phases.empty()) return {};
  files.folder = program.scratch.new_subfolder("workspace-");
  if (files.folder.empty())
    return "The crystal files of the workspace cannot be made: " +
           (program.scratch.problem().empty() ? std::string("no scratch folder") : program.scratch.problem());
  for (std::size_t i = 0; i < data.phases.size(); ++i) {
    const TotalDataPhase& phase = data.phases[i];
    const std::filesystem::path folder = files.folder / std::to_string(i + 1);
    std::error_code error;
    std::filesystem::create_directory(folder, error);
    const std::filesystem::path path = folder / rebuilt_crystal_file_name(phase.file_path);
    if (std::string reason = write_file_atomically(path, format_rebuilt_crystal_file(phase.crystal)); !reason.empty())
      return "The crystal file of phase " + std::to_string(i + 1) + " could not be made: " + reason;
    CurrentCrystal check;
    if (CryReadResult read = read_cry_file(path, check); !read.ok) return read.message;
    files.crystals.push_back(path);
  }
  return {};
}

// The rebuilt files of earlier loads: their phases are gone.
void remove_earlier_rebuilt_files(const Program& program, const std::filesystem::path& kept) {
  const std::filesystem::path& scratch = program.scratch.path_if_made();
  if (scratch.empty()) return;
  std::error_code error;
  std::vector<std::filesystem::path> earlier;
  for (const auto& entry : std::filesystem::directory_iterator(scratch, error))
    if (entry.path() != kept && entry.path().filename().string().starts_with("workspace-")) earlier.push_back(entry.path());
  for (const auto& folder : earlier) std::filesystem::remove_all(folder, error);
}

void apply_source(Program& program, bool neutrons) {
  ExperimentSettings& settings = program.workspace.settings;
  MainForm& form = program.main_form;
  // A file saved with X-rays brings X-rays back, so that "Restore" returns
  // the workspace as it was.
  settings.source = neutrons ? RadiationSource::Neutrons : RadiationSource::XRays;
  form.xray_button_active = !neutrons;
  if (neutrons)
    form.source_caption = "Source: Neutrons";
  else if (settings.xray_source == XRaySource::Synchrotron)
    form.source_caption = "Source: X Synchr. p=" + fixed(settings.polarisation, 4, 2);
  else
    form.source_caption = "Source: X ray tube";
}

void apply_field_texts(ExperimentPageForm& page, const TotalDataFile& data) {
  page.wavelength = data.wavelength;
  page.range_low = data.two_theta_low;
  page.range_high = data.two_theta_high;
  page.u = data.u;
  page.v = data.v;
  page.w = data.w;
}

void apply_spectrum(Program& program, const TotalDataFile& data) {
  ExperimentSettings& settings = program.workspace.settings;
  ExperimentPageForm& page = program.main_form.experiment;
  apply_field_texts(page, data);
  settings.angle_scale = static_cast<AngleScale>(data.angle_scale);
  page.angle_scale_button = data.angle_scale;
  page.line_index = data.line_index;
  settings.chosen_line = data.line_index;
  if (data.wavelengths.empty()) return;
  settings.wavelengths.clear();
  settings.fractions.clear();
  for (auto [wavelength, fraction] : data.wavelengths) {
    settings.wavelengths.push_back(wavelength);
    settings.fractions.push_back(fraction);
  }
  settings.shortest_wavelength = *std::min_element(settings.wavelengths.begin(), settings.wavelengths.end());
  settings.longest_wavelength = *std::max_element(settings.wavelengths.begin(), settings.wavelengths.end());
  settings.single_wavelength = data.wavelengths.size() == 1 ? data.wavelengths[0].first : 0;
  if (data.wavelengths.size() < 2) return;
  // Several lines: the first four go into the multiple-wavelength dialog as
  // texts (λ 8:5, percentage 6:2, with the decimals a small share needs) and
  // the spectrum is rebuilt from them.
  WavelengthForm& dialog = program.wavelength_form;
  double strongest = 0;
  for (std::size_t row = 0; row < dialog.wavelength.size(); ++row) {
    bool used = row < data.wavelengths.size();
    dialog.wavelength[row] = used ? fixed(data.wavelengths[row].first, 8, 5) : std::string();
    dialog.intensity[row] = used ? fixed_to_precision(100 * data.wavelengths[row].second, 6, 2, kShareDecimals) : std::string();
    if (used) strongest = std::max(strongest, data.wavelengths[row].second);
  }
  read_spectrum_composition(SpectrumView{program.workspace, program.main_form, dialog, program.ui});
  // The dialog writes each share back relative to the strongest with two
  // decimals, and every computation reads the spectrum from those boxes: a
  // Kβ at a tenth of Kα1 would come back as 0.10, one at 0.123 as 0.12. The
  // boxes get the decimals the shares need.
  for (std::size_t row = 0; row < dialog.wavelength.size() && row < data.wavelengths.size(); ++row)
    if (!trim_view(dialog.wavelength[row]).empty() && strongest > 0)
      dialog.intensity[row] = fixed_to_precision(data.wavelengths[row].second / strongest, 6, 2, kShareDecimals);
  // Rebuilding the spectrum shows the settings' old range in the fields: the
  // file's texts are the ones the next computation must read.
  apply_field_texts(page, data);
}

void apply_display_options(Program& program, const TotalDataFile& data) {
  ExperimentSettings& settings = program.workspace.settings;
  PhasesPageForm& table = program.main_form.phases;
  settings.draw_sum = data.draw_sum;
  table.sum_draw = data.draw_sum;
  table.sum_toggle_pressed = !data.draw_sum;
  const bool molar = data.percent_mode == 1;
  settings.percent_mode = molar ? "MOLEC" : "POIDS";
  table.molar_percent = molar;
  table.percent_caption = molar ? "Molec" : "Weight";
  table.sum_colour = rgb_of(data.sum_colour);
  DisplayStyles& styles = program.workspace.styles;
  styles.sum_colour = rgb_of(data.sum_colour);
  styles.sum_pen_width = data.sum_pen_width;
  styles.sum_pen_style = data.sum_pen_style;
  styles.background = rgb_of(data.background_colour);
  styles.text = rgb_of(data.text_colour);
}

void apply_phases(Program& program, const TotalDataFile& data, const RebuiltFiles& files) {
  Workspace& ws = program.workspace;
  program.workspace_file_names.clear();
  for (std::size_t i = 0; i < data.phases.size(); ++i) {
    const TotalDataPhase& record = data.phases[i];
    ws.crystal_file_name = files.crystals[i].string();
    if (!read_crystal_file(program, CrystalFileKind::Native, ws.crystal_file_name)) continue;
    program.workspace_file_names[ws.crystal_file_name] = record.file_path;
    if (record.keeps_operators) {
      // The operators the phase had, under the symbol it had.
      ws.crystal.symbol = record.crystal.symbol;
      ws.crystal.symmetry = record.crystal.symmetry;
    }
    add_loaded_phase(program);
    PhaseData& phase = ws.phase(ws.phase_count());
    phase.draw = record.draw;
    phase.show_hkl = record.show_hkl;
    phase.colour = rgb_of(record.colour);
    phase.pen_width = record.pen_width;
    phase.pen_style = record.pen_style;
    phase.preferred_orientation = record.orientation;
    phase.particle_radius_um = record.particle_radius_um;
  }
  ws.corrections = data.corrections;
  refresh_phase_table(program);
  // The boxes receive the texts as read; the driver reads them back (shares
  // renormalised to their sum, strain in thousandths) when it computes.
  for (std::size_t i = 0; i < data.phases.size() && i < static_cast<std::size_t>(ws.phase_count()); ++i) {
    PhaseRow& row = program.main_form.phases.rows[i];
    row.percent = data.phases[i].fraction;
    row.size = data.phases[i].size;
    row.strain = data.phases[i].strain;
    row.draw = data.phases[i].draw;
    row.hkl = data.phases[i].show_hkl;
  }
}

void apply_observed(Program& program, const TotalDataFile& data) {
  Workspace& ws = program.workspace;
  DisplayStyles& styles = ws.styles;
  ws.observed_patterns.clear();
  for (std::size_t i = 0; i < data.patterns.size(); ++i) {
    const TotalDataCurve& record = data.patterns[i];
    styles.pattern_colours[i] = rgb_of(record.colour);
    styles.pattern_pen_widths[i] = record.pen_width;
    // Lines, points, or both (1..3); anything else draws lines.
    styles.pattern_styles[i] = record.pen_style >= 1 && record.pen_style <= 3 ? record.pen_style : 1;
    ObservedPattern pattern;
    pattern.file_name = record.name;
    pattern.draw = record.draw;
    for (auto [angle, intensity] : record.points) pattern.points.push_back({angle, intensity});
    pattern.counts = record.counts;
    pattern.sigma = record.sigma;
    ws.observed_patterns.push_back(std::move(pattern));
    ws.observed_pattern_file_name = record.name;
  }
  ws.observed_peaks.clear();
  for (std::size_t i = 0; i < data.peak_lists.size(); ++i) {
    styles.peak_colours[i] = rgb_of(data.peak_lists[i].colour);
    styles.peak_pen_widths[i] = data.peak_lists[i].pen_width;
    ObservedPeakList list;
    list.file_name = data.peak_lists[i].name;
    list.draw = data.peak_lists[i].draw;
    for (auto [position, intensity] : data.peak_lists[i].points) list.peaks.push_back({0, 0, 0, position, intensity});
    ws.observed_peaks.push_back(std::move(list));
  }
}

std::optional<std::filesystem::path> chosen_total_data_file(Program& program, TotalDataSender sender,
                                                             const std::string& list_file) {
  switch (sender) {
    case TotalDataSender::FileList:
      if (trim_view(list_file).empty()) return std::nullopt;
      return program.resolve(list_file);
    case TotalDataSender::RestoreButton:
      if (program.scratch.path_if_made().empty()) return std::nullopt;
      return program.scratch.path_if_made() / kSnapshotName;
    case TotalDataSender::None:
      if (trim_view(program.workspace.crystal_file_name).empty()) return std::nullopt;
      return program.resolve(program.workspace.crystal_file_name);
    case TotalDataSender::Menu:
    case TotalDataSender::PhaseNameBox:
      break;
  }
  auto chosen = program.ui.open_file({kTotalDataOpenFilter, 1, program.current_folder.string(), {}});
  if (!chosen || trim_view(chosen->path).empty()) return std::nullopt;
  return program.resolve(chosen->path);
}

}  // namespace

TotalDataFile total_data_of(Program& program) {
  const Workspace& ws = program.workspace;
  const MainForm& form = program.main_form;
  const ExperimentSettings& settings = ws.settings;
  TotalDataFile data;
  data.neutrons = settings.source == RadiationSource::Neutrons;
  data.wavelength = form.experiment.wavelength;
  data.two_theta_low = form.experiment.range_low;
  data.two_theta_high = form.experiment.range_high;
  data.u = form.experiment.u;
  data.v = form.experiment.v;
  data.w = form.experiment.w;
  data.angle_scale = static_cast<int>(settings.angle_scale);
  data.line_index = form.experiment.line_index;
  // The fractions as shares of the whole (1.00 for 100 %): the driver holds
  // them on the scale of the dialog's boxes read × 0.01, where only their
  // ratios count.
  double total = 0;
  for (std::size_t k = 0; k < settings.wavelengths.size() && k < settings.fractions.size() && k < kMaxWavelengths; ++k) {
    data.wavelengths.emplace_back(settings.wavelengths[k], settings.fractions[k]);
    total += settings.fractions[k];
  }
  if (total > 0 && std::isfinite(total))
    for (auto& line : data.wavelengths) line.second /= total;
  data.draw_sum = settings.draw_sum;
  data.percent_mode = settings.percent_mode == "MOLEC" ? 1 : 0;
  const DisplayStyles& styles = ws.styles;
  data.sum_colour = number_of(styles.sum_colour);
  data.sum_pen_width = styles.sum_pen_width;
  data.sum_pen_style = styles.sum_pen_style;
  data.background_colour = number_of(styles.background);
  data.text_colour = number_of(styles.text);
  for (const PhaseData& phase : ws.phases) data.phases.push_back(phase_record(program, phase));
  for (std::size_t i = 0; i < ws.observed_patterns.size() && i < kMaxObservedPatterns; ++i) {
    const ObservedPattern& pattern = ws.observed_patterns[i];
    TotalDataCurve record{pattern.file_name, styles.pattern_pen_widths[i], styles.pattern_styles[i],
                          number_of(styles.pattern_colours[i]), pattern.draw, {}};
    for (const ObservedPoint& point : pattern.points) record.points.emplace_back(point.two_theta, point.intensity);
    record.counts = pattern.counts;
    record.sigma = pattern.sigma;
    data.patterns.push_back(std::move(record));
  }
  // Peak lists are drawn as sticks: they have no style of their own, 0 is written.
  for (std::size_t i = 0; i < ws.observed_peaks.size() && i < kMaxObservedPeakLists; ++i) {
    const ObservedPeakList& list = ws.observed_peaks[i];
    TotalDataCurve record{list.file_name, styles.peak_pen_widths[i], 0, number_of(styles.peak_colours[i]), list.draw, {}};
    for (const ObservedPeak& peak : list.peaks) record.points.emplace_back(peak.two_theta, peak.intensity);
    data.peak_lists.push_back(std::move(record));
  }
  data.corrections = ws.corrections;
  return data;
}

bool save_workspace_file(Program& program, TotalDataSender sender) {
  const Workspace& ws = program.workspace;
  if (ws.phases.empty() && ws.observed_patterns.empty()) return false;
  std::filesystem::path path;
  if (sender == TotalDataSender::PhaseNameBox) {
    // The snapshot is the program's own: it lives in its scratch folder.
    if (program.scratch.path().empty()) {
      program.ui.warning(std::string("The file ") + kSnapshotName + " could not be written: " + program.scratch.problem());
      return false;
    }
    path = program.scratch.path() / kSnapshotName;
  } else {
    auto chosen = program.ui.save_file({kTotalDataSaveFilter, 2, program.current_folder.string(), {}});
    if (!chosen || trim_view(chosen->path).empty()) return false;
    std::string name = chosen->path;
    if (!contains(to_lower(file_name_of(name)), ".cmp")) name += ".cmp";
    path = program.resolve(name);
    std::error_code error;
    if (std::filesystem::exists(path, error) && program.ui.confirm(kOverwriteQuestion) != Answer::Yes) return false;
  }
  const TotalDataFile data = total_data_of(program);
  if (std::string reason = unwritable_reason(data); !reason.empty()) {
    program.ui.warning("The workspace cannot be saved in " + path.filename().string() + ": " + reason);
    return false;
  }
  if (std::string error = write_file_atomically(path, format_total_data_file(data)); !error.empty()) {
    program.ui.warning("The file " + path.filename().string() + " could not be written: " + error);
    return false;
  }
  // The snapshot of a deletion is the program's own: the user's workspace is not saved by it.
  if (sender != TotalDataSender::PhaseNameBox) {
    program.workspace_file = path.string();
    program.workspace_modified = false;
  }
  return true;
}

TotalDataLoad open_workspace_file(Program& program, TotalDataSender sender, const std::string& list_file) {
  TotalDataLoad load;
  auto path = chosen_total_data_file(program, sender, list_file);
  if (!path) return load;
  const std::string name = path->filename().string();
  auto lines = read_text_lines(*path);
  if (!lines) {
    program.ui.warning(read_error_message(name, "the file cannot be opened"));
    return load;
  }
  TotalDataReading reading = parse_total_data_file(*lines, name);
  if (!reading.ok()) {
    program.ui.warning(reading.error);
    return load;
  }
  RebuiltFiles files;
  if (std::string error = rebuild_files(program, reading.data, files); !error.empty()) {
    std::error_code ignored;
    if (!files.folder.empty()) std::filesystem::remove_all(files.folder, ignored);
    program.ui.warning(error);
    return load;
  }
  remove_earlier_rebuilt_files(program, files.folder);

  Workspace& ws = program.workspace;
  program.main_form.phases.restore_visible = false;
  program.ui.set_busy(true);
  ws.phases.clear();
  ws.current_phase = 0;
  apply_source(program, reading.data.neutrons);
  apply_spectrum(program, reading.data);
  apply_display_options(program, reading.data);
  apply_phases(program, reading.data, files);
  apply_observed(program, reading.data);
  program.main_form.page = MainPage::ExperimentalData;
  program.ui.set_busy(false);
  load.loaded = true;
  if (ws.phase_count() > 0)
    recompute_all_phases(program);
  else
    program.ui.redraw_plot();
  // "Restore" brings back the workspace before a deletion, which was never saved as such.
  if (sender == TotalDataSender::RestoreButton) {
    program.mark_workspace_modified();
  } else {
    program.workspace_file = path->string();
    program.workspace_modified = false;
    ++program.workspace_revision;  // a change all the same: opening another file can be undone
  }
  return load;
}

void erase_phase_row(Program& program, int row) {
  Workspace& ws = program.workspace;
  if (row < 1 || row > ws.phase_count()) return;
  // Without its snapshot the deletion could not be undone: it is not made.
  if (!save_workspace_file(program, TotalDataSender::PhaseNameBox)) return;
  program.main_form.phases.restore_visible = true;
  delete_phase(ws, row);
  program.mark_workspace_modified();
  refresh_phase_table(program);
  // The crystal page shows the working copy, which now holds the current phase.
  if (ws.current_phase > 0)
    show_phase_page(program);
  else
    clear_crystal_page(program);
}

TotalDataLoad restore_erased_phase(Program& program) {
  return open_workspace_file(program, TotalDataSender::RestoreButton);
}

}  // namespace calvane
