#include "ui/spectrum.hpp"

#include "profile/spectrum_setup.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "profile/q_scale.hpp"
#include "profile/wavelength_lines.hpp"
#include "ui/ui_port.hpp"
#include "util/text.hpp"
#include "model/workspace.hpp"

namespace calvane {

namespace {

constexpr const char* kSpectrumHeadings[] = {"Lambda", "%", "<mu><rho>"};

bool has_anomalous_terms(const PhaseComposition& composition) { return !composition.anomalous.empty(); }

void show_dialog(WavelengthForm& dialog, Ui& ui, bool visible) {
  dialog.visible = visible;
  ui.show_window(WindowId::MultipleWavelength, visible);
}

double largest(const std::vector<double>& values) {
  return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}


// Reads one dialog row into `line`; a refusal focuses the box at fault and
// names it. An intensity of 0 leaves the fraction 0.
std::string read_dialog_row(WavelengthForm& dialog, int row, SpectrumLine& line) {
  const auto r = static_cast<std::size_t>(row);
  const auto wavelength = parse_double(dialog.wavelength[r]);
  if (!wavelength || *wavelength <= 0) {
    dialog.focused = WavelengthBox{row, false};
    return "Type error";
  }
  if (trim_view(dialog.intensity[r]).empty()) {
    dialog.focused = WavelengthBox{row, true};
    return "No percent on wavelength #" + std::to_string(row + 1);
  }
  const auto intensity = parse_double(dialog.intensity[r]);
  if (!intensity || *intensity < 0) {
    dialog.focused = WavelengthBox{row, true};
    return "Type error";
  }
  line = {*wavelength, *intensity, row};
  return {};
}

// The dialog rows that hold a wavelength, in row order; a row whose
// intensity is 0 is dropped and its boxes emptied. A refusal names the box.
std::string take_dialog_rows(WavelengthForm& dialog, std::vector<SpectrumLine>& lines) {
  for (int row = 0; row < kMaxDialogWavelengths; ++row) {
    const auto r = static_cast<std::size_t>(row);
    if (trim_view(dialog.wavelength[r]).empty()) continue;
    SpectrumLine line;
    if (std::string refusal = read_dialog_row(dialog, row, line); !refusal.empty()) return refusal;
    if (line.fraction == 0) {
      dialog.wavelength[r].clear();
      dialog.intensity[r].clear();
      continue;
    }
    lines.push_back(line);
  }
  return {};
}

// Fractions summing to 1; each row's intensity box shows its fraction
// relative to the strongest, in that row, so that reading the rows again
// before a computation gives the same spectrum.
void normalise_fractions(WavelengthForm& dialog, std::vector<SpectrumLine>& lines) {
  double sum = 0;
  for (const SpectrumLine& line : lines) sum += line.fraction;
  double strongest = 0;
  for (SpectrumLine& line : lines) strongest = std::max(strongest, line.fraction /= sum);
  for (const SpectrumLine& line : lines)
    dialog.intensity[static_cast<std::size_t>(line.row)] = fixed(line.fraction / strongest, 6, 2);
}




void clear_every_anomalous_term(Workspace& workspace) {
  zero_anomalous_terms(workspace.composition, workspace.crystal);
  for (PhaseData& phase : workspace.phases) zero_anomalous_terms(phase.composition, phase.crystal);
}

void clear_current_anomalous_terms(Workspace& workspace) {
  zero_anomalous_terms(workspace.composition, workspace.crystal);
  if (workspace.current_phase >= 1 && workspace.current_phase <= workspace.phase_count()) {
    PhaseData& phase = workspace.phase(workspace.current_phase);
    zero_anomalous_terms(phase.composition, phase.crystal);
  }
}

}  // namespace

void zero_anomalous_terms(PhaseComposition& composition, CurrentCrystal& crystal) {
  for (AnomalousTerms& terms : composition.anomalous) {
    terms.f_prime.fill(0);
    terms.f_second.fill(0);
  }
  for (ScatteringType& type : crystal.scattering_types) {
    type.f_prime.fill(0);
    type.f_second.fill(0);
  }
}

FollowUp clear_spectrum_results(Workspace& workspace, MainForm& form) {
  FollowUp follow_up;
  form.results.clear();
  form.results_selected = -1;
  if (workspace.current_phase >= 1 && has_anomalous_terms(workspace.composition)) {
    clear_current_anomalous_terms(workspace);
    follow_up.refresh_anomalous_table = true;
    form.crystal.apply_bar_visible = true;
  }
  follow_up.clear_plot = true;
  return follow_up;
}

FollowUp read_wavelength_field(Workspace& workspace, MainForm& form) {
  form.experiment.default_wavelength_notice_visible = false;
  FollowUp follow_up = clear_spectrum_results(workspace, form);
  form.experiment.line_index = -1;
  workspace.settings.chosen_line = -1;
  // The typed wavelength replaces the spectrum: its table no longer shows what will be computed.
  form.experiment.spectrum_visible = false;
  return follow_up;
}

FollowUp choose_wavelength_line(SpectrumView view, int index) {
  ExperimentSettings& settings = view.workspace.settings;
  ExperimentPageForm& page = view.form.experiment;
  if (index < 0 || index > kCopperDoubletIndex) return {};
  page.default_wavelength_notice_visible = false;
  FollowUp follow_up = clear_spectrum_results(view.workspace, view.form);
  follow_up.refresh_anomalous_table = true;
  clear_every_anomalous_term(view.workspace);
  settings.wavelengths.clear();
  settings.fractions.clear();
  page.spectrum_visible = false;
  page.line_index = index;
  settings.chosen_line = index;

  if (index == 0) {
    settings.single_wavelength = 0;
    show_dialog(view.dialog, view.ui, true);
    return follow_up;
  }
  if (index == kCopperDoubletIndex) {
    const CharacteristicLine& alpha1 = kCharacteristicLines[4];
    const CharacteristicLine& alpha2 = kCharacteristicLines[5];
    set_spectrum(settings, {{alpha1.wavelength, 2.0 / 3.0, 0}, {alpha2.wavelength, 1.0 / 3.0, 1}});
    update_q_range(settings);
    settings.single_wavelength = alpha1.wavelength;
    settings.anode_code = "Cu";
    page.spectrum_visible = true;
  } else {
    set_one_line_spectrum(settings, kCharacteristicLines[static_cast<std::size_t>(index - 1)]);
  }
  page.wavelength = fixed(settings.single_wavelength, 8, 5);
  follow_up.commit_crystal_page = view.workspace.phase_count() > 0;
  show_experiment_settings(settings, page);
  return follow_up;
}

FollowUp read_spectrum_composition(SpectrumView view) {
  std::vector<SpectrumLine> lines;
  std::string refusal = take_dialog_rows(view.dialog, lines);
  if (refusal.empty() && lines.empty()) refusal = "No Wavelength!";
  if (!refusal.empty()) {
    view.ui.warning(refusal);
    return {};
  }
  normalise_fractions(view.dialog, lines);
  sort_by_wavelength(lines);

  ExperimentSettings& settings = view.workspace.settings;
  set_spectrum(settings, lines);
  update_q_range(settings);
  settings.single_wavelength = settings.wavelengths.front();
  ExperimentPageForm& page = view.form.experiment;
  show_experiment_settings(settings, page);
  clear_current_anomalous_terms(view.workspace);
  page.spectrum_visible = lines.size() >= 2;
  view.dialog.focused.reset();
  show_dialog(view.dialog, view.ui, false);
  FollowUp follow_up;
  follow_up.refresh_anomalous_table = true;
  return follow_up;
}

void fill_anode_lines(ExperimentSettings& settings, WavelengthForm& dialog, int anode_index) {
  if (anode_index < 0 || anode_index >= static_cast<int>(kAnodes.size())) return;
  const Anode& anode = kAnodes[static_cast<std::size_t>(anode_index)];
  dialog.anode_index = anode_index;
  settings.anode_code = std::string(anode.code);
  for (std::size_t row = 0; row < anode.wavelengths.size(); ++row) {
    dialog.wavelength[row] = std::string(anode.wavelengths[row]);
    dialog.intensity[row] = std::string(kAnodeIntensities[row]);
  }
}

void set_harmonic_lines(WavelengthForm& dialog, Ui& ui) {
  if (trim_view(dialog.wavelength[0]).empty()) return;
  const auto primary = parse_double(dialog.wavelength[0]);
  if (!primary || *primary <= 0) {
    dialog.focused = WavelengthBox{0, false};
    ui.warning("Type error");
    return;
  }
  for (std::size_t row = 1; row < dialog.wavelength.size(); ++row) dialog.wavelength[row].clear();
  for (std::string& box : dialog.intensity) box.clear();
  dialog.wavelength[1] = fixed(*primary * 0.5, 8, 5);
  dialog.wavelength[2] = fixed(*primary * (1.0 / 3.0), 8, 5);
  for (std::size_t row = 0; row < kHarmonicIntensities.size(); ++row)
    dialog.intensity[row] = std::string(kHarmonicIntensities[row]);
}

void cancel_wavelength_dialog(WavelengthForm& dialog, Ui& ui) { show_dialog(dialog, ui, false); }

bool read_spectrum(ExperimentSettings& settings, const ExperimentPageForm& page, const WavelengthForm& dialog,
                   Ui& ui) {
  const std::string_view field = trim_view(page.wavelength);
  if (field.empty()) return true;
  if (field == "Multiple") {
    // Rows without a wavelength are skipped rather than ending the list, so
    // a row emptied by an intensity of 0 does not hide the rows below it.
    std::vector<SpectrumLine> lines;
    for (int row = 0; row < kMaxDialogWavelengths; ++row) {
      const auto r = static_cast<std::size_t>(row);
      if (trim_view(dialog.wavelength[r]).empty()) continue;
      const auto wavelength = parse_double(dialog.wavelength[r]);
      const auto intensity = parse_double(dialog.intensity[r]);
      if (!wavelength || *wavelength <= 0 || !intensity || *intensity < 0) {
        ui.warning("Type error");
        return false;
      }
      if (*intensity > 0) lines.push_back({*wavelength, 0.01 * *intensity, row});
    }
    if (lines.empty()) return true;
    sort_by_wavelength(lines);
    set_spectrum(settings, lines);
    return true;
  }
  const auto wavelength = parse_double(field);
  if (!wavelength || *wavelength <= 0) {
    ui.warning("Wavelength error");
    return false;
  }
  settings.single_wavelength = *wavelength;
  settings.wavelengths = {*wavelength};
  settings.fractions = {1.0};
  settings.shortest_wavelength = settings.longest_wavelength = *wavelength;
  return true;
}

void show_experiment_settings(const ExperimentSettings& settings, ExperimentPageForm& page) {
  const int count = settings.wavelength_count();
  if (count == 1) page.wavelength = fixed(settings.wavelengths.front(), 8, 5);
  if (count > 1) page.wavelength = "Multiple";
  switch (settings.angle_scale) {
    case AngleScale::Theta:
      show_range_fields(page, fixed(settings.two_theta_low / 2, 7, 3), fixed(settings.two_theta_high / 2, 7, 3));
      break;
    case AngleScale::TwoTheta:
      show_range_fields(page, fixed(settings.two_theta_low, 7, 3), fixed(settings.two_theta_high, 7, 3));
      break;
    case AngleScale::Q:
      show_range_fields(page, fixed(settings.q_low, 7, 4), fixed(settings.q_high, 7, 4));
      break;
  }
  page.spectrum.cells.clear();
  for (int column = 0; column < 3; ++column) page.spectrum.set_cell(0, column, kSpectrumHeadings[column]);
  const double strongest = largest(settings.fractions);
  const double display_factor = strongest > 0 ? 100.0 / strongest : 0.0;
  for (int j = 0; j < count; ++j) {
    const auto i = static_cast<std::size_t>(j);
    page.spectrum.set_cell(j + 1, 0, fixed(settings.wavelengths[i], 8, 5));
    if (i < settings.fractions.size())
      page.spectrum.set_cell(j + 1, 1, fixed(settings.fractions[i] * display_factor, 4, 1));
  }
}

}  // namespace calvane
