#include "workspace/driver.hpp"

#include <algorithm>
#include <thread>

#include "crystal_io/crystal_page.hpp"
#include "crystallography/composition.hpp"
#include "crystallography/crystal_checks.hpp"
#include "crystallography/engine.hpp"
#include "crystallography/phase_listing.hpp"
#include "crystallography/phase_scattering.hpp"
#include "crystallography/site_weights.hpp"
#include "profile/experiment_reading.hpp"
#include "profile/phase_options.hpp"
#include "profile/profile_synthesis.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "workspace/program.hpp"
#include "workspace/results_list.hpp"

namespace calvane {

namespace {

/// The spectrum grid of the "Experimental Data" page when several wavelengths are in use.
void fill_spectrum_grid(Program& program) {
  const ExperimentSettings& settings = program.workspace.settings;
  ExperimentPageForm& page = program.main_form.experiment;
  page.spectrum_visible = true;
  page.spectrum.clear_below_heading();
  const double largest = *std::max_element(settings.fractions.begin(), settings.fractions.end());
  for (int k = 0; k < settings.wavelength_count(); ++k) {
    const auto j = static_cast<std::size_t>(k);
    page.spectrum.set_cell(k + 1, 0, fixed(settings.wavelengths[j], 8, 5));
    page.spectrum.set_cell(k + 1, 1, fixed(largest > 0 ? 100 * settings.fractions[j] / largest : 0, 4, 1));
    page.spectrum.set_cell(k + 1, 2, fixed(k < 4 ? program.workspace.sample_absorption[j] : 0, 6, 1));
  }
}

/// Z, M, density, formula and the absorption grid of the phase on the crystal page.
void show_composition(Program& program) {
  const Workspace& ws = program.workspace;
  CrystalPageForm& page = program.main_form.crystal;
  const PhaseComposition& composition = ws.composition;
  page.formula_units = std::to_string(composition.formula_units);
  page.molecular_weight = fixed(composition.molecular_weight, 7, 2);
  page.density = fixed(composition.density, 7, 2);
  page.formula = composition.formula;
  page.absorption.clear_below_heading();
  for (int k = 0; k < ws.settings.wavelength_count() && k < 4; ++k) {
    const auto j = static_cast<std::size_t>(k);
    page.absorption.set_cell(k + 1, 0, fixed(ws.settings.wavelengths[j], 8, 5));
    page.absorption.set_cell(k + 1, 1, fixed(composition.mass_absorption[j], 8, 2));
  }
}

/// Puts back the f′ and f″ the user typed into the anomalous table, which
/// the preparation of the scattering data has just replaced by the table's
/// values, as long as the wavelengths they were typed for are still in use.
void restore_typed_anomalous_terms(Program& program, const PhaseComposition& typed) {
  Workspace& ws = program.workspace;
  if (typed.typed_anomalous_wavelengths.empty()) return;
  if (typed.typed_anomalous_wavelengths != ws.settings.wavelengths) {
    ws.composition.typed_anomalous_wavelengths.clear();
    return;
  }
  std::vector<ScatteringType>& types = ws.crystal.scattering_types;
  for (ScatteringType& type : types)
    for (const AnomalousTerms& terms : typed.anomalous)
      if (terms.element == type.symbol) {
        type.f_prime = terms.f_prime;
        type.f_second = terms.f_second;
      }
  copy_anomalous_terms(types, ws.composition);
  ws.composition.typed_anomalous_wavelengths = typed.typed_anomalous_wavelengths;
  fill_anomalous_grid(program.main_form.crystal.anomalous, types, ws.settings.wavelengths);
}

bool crystal_is_computable(Program& program) {
  const CurrentCrystal& crystal = program.workspace.crystal;
  if (cell_product(crystal.cell) == 0) {
    program.ui.warning("Bad cell parameters!");
    return false;
  }
  if (std::string reason = impossible_cell_reason(crystal.cell); !reason.empty()) {
    program.ui.warning("Bad cell parameters! " + reason);
    return false;
  }
  if (trim_view(crystal.symbol).empty()) {
    program.ui.beep();
    program.ui.warning("No Space group!");
    return false;
  }
  if (crystal.atoms.empty()) {
    program.ui.warning("No atoms in the asymmetric unit");
    return false;
  }
  if (std::string reason = impossible_occupancy_in(crystal); !reason.empty()) {
    program.ui.warning("Bad occupancy: " + reason);
    return false;
  }
  if (scatters_nothing(crystal)) {
    program.ui.warning("The phase scatters nothing: every atom has the occupancy 0");
    return false;
  }
  return true;
}

/// Runs the engine at every wavelength of the spectrum and merges the lines,
/// each weighted by its wavelength's fraction, in ascending 2θ. Lines of equal
/// 2θ keep their wavelength order (a stable sort).
void compute_all_wavelengths(Program& program, PhaseListings& listings) {
  Workspace& ws = program.workspace;
  ExperimentSettings& settings = ws.settings;
  ws.merged_reflections.clear();
  ws.wavelength_pass = 0;
  PhaseData& phase = ws.phase(ws.current_phase);
  // The wavelengths' reflection lists are independent: they are made together.
  compute_derived_cell(ws.crystal.cell);
  program.reflection_lists.prefetch(ws.crystal, settings.wavelengths, settings.two_theta_low,
                                    settings.two_theta_high, ThreadPool::shared());
  for (int k = 1; k <= settings.wavelength_count(); ++k) {
    ++ws.wavelength_pass;
    ws.current_wavelength_index = k;
    if (ws.wavelength_pass == 1) write_listing_header(program, listings);
    compute_wavelength(program, listings);
    if (settings.wavelength_count() > 1) fill_spectrum_grid(program);
    if (ws.wavelength_reflections.empty()) continue;
    const double lambda = settings.wavelengths[static_cast<std::size_t>(k - 1)];
    const double fraction = settings.fractions[static_cast<std::size_t>(k - 1)];
    for (Reflection line : ws.wavelength_reflections) {
      if (static_cast<int>(ws.merged_reflections.size()) >= kMaxPhaseReflections) break;
      line.intensity *= fraction;
      line.wavelength = lambda;
      ws.merged_reflections.push_back(line);
    }
    std::stable_sort(ws.merged_reflections.begin(), ws.merged_reflections.end(),
                     [](const Reflection& a, const Reflection& b) { return a.two_theta < b.two_theta; });
    phase.reflections = ws.merged_reflections;
  }
  if (settings.wavelength_count() > 1) {
    double largest = 0;
    for (const Reflection& line : phase.reflections) largest = std::max(largest, line.intensity);
    ws.scale_factor = largest > 0 ? 100 / largest : 0;
  }
  phase.scale_factor = ws.scale_factor;
}

}  // namespace

bool calcule(Program& program, bool* results_due) {
  Workspace& ws = program.workspace;
  MainForm& form = program.main_form;
  // Whatever reaches a computation (a new phase, edited data or settings) changes the workspace.
  program.workspace_modified = true;
  if (ws.keyboard_capture) {
    save_captured_crystal(program);
    return false;
  }
  if (ws.current_phase < 1 || ws.current_phase > ws.phase_count()) return false;
  form.crystal.capture_panel_visible = false;
  form.crystal.selector_visible = true;
  commit_crystal_page(program);
  if (!crystal_is_computable(program)) return false;
  read_experiment_settings(ws.settings, form.experiment, program.wavelength_form, program.ui);
  if (form.crystal.modified || ws.crystal_changed) {
    commit_crystal_page(program);
    form.crystal.modified = false;
    ws.crystal_changed = false;
  }
  const PhaseComposition typed = ws.composition;
  if (!build_scattering_types(program)) return false;
  restore_typed_anomalous_terms(program, typed);
  site_weights(ws.crystal);
  if (std::string reason = composition(ws); !reason.empty()) {
    program.ui.warning(reason);
    return false;
  }

  program.ui.set_busy(true);
  const std::string p = std::to_string(ws.current_phase);
  // The listing headers are written as the computation starts; the sections,
  // most of the text, are formatted and written to disk on another thread
  // while the profile is synthesised. The writer is joined before calcule
  // returns.
  Program::ListingTexts& texts = program.listing_texts;
  texts.detailed.clear();
  texts.short_listing.clear();
  PhaseListings listings;
  listings.detailed = &texts.detailed;
  listings.short_listing = &texts.short_listing;
  listings.date_time = current_date_time();
  listings.keep_sections = true;
  compute_all_wavelengths(program, listings);
  std::string listing_failure;
  std::jthread listing_writer(
      [&texts, &listing_failure, listing = take_sections(program, listings), folder = program.program_folder, p] {
        write_sections(listing, &texts.detailed, &texts.short_listing);
        listing_failure = overwrite_file(folder / ("phase" + p + "2.out"), texts.detailed);
        if (listing_failure.empty())
          listing_failure = overwrite_file(folder / ("phase" + p + ".out"), texts.short_listing);
      });
  show_composition(program);
  store_current_phase(ws);
  program.ui.set_busy(false);

  PhaseData& phase = ws.phase(ws.current_phase);
  if (ws.merged_reflections.empty()) {
    program.ui.warning("No reflection in the angular range for phase#" + p);
    return false;
  }
  Broadening broadening{phase.crystal_size, phase.strain};
  const bool getspec_route = !ws.crystal.symmetry.hall_symbol.empty();
  if (synthesise_profile(ws, ws.merged_reflections, broadening, getspec_route, program.ui) ==
      ProfileStatus::Completed) {
    if (results_due != nullptr)
      *results_due = true;
    else
      fill_results_list(program);
  }
  const double factor = phase_weight_factor(ws.settings.percent_mode, phase.fraction, ws.composition.molecular_weight);
  phase.profile.resize(ws.profile_y.size());
  std::transform(ws.profile_y.begin(), ws.profile_y.end(), phase.profile.begin(),
                 [factor](double y) { return static_cast<float>(y * factor); });

  listing_writer.join();
  if (!listing_failure.empty()) program.ui.warning("The listing was not written: " + listing_failure);

  sync_plot_range(program.plot_state, ws.settings);
  ++ws.calculation_count;
  if (ws.calculation_count == 1)
    program.ui.show_window(WindowId::Plot, true);
  else if (ws.current_phase > 0)
    form.crystal.apply_bar_visible = true;
  return true;
}

void re_calcule(Program& program) {
  if (program.workspace.phase_count() == 0) return;
  calcule(program);
  program.ui.show_window(WindowId::Plot, true);
  program.ui.redraw_plot();
}

void click_button_plot_phase_data(Program& program, PlotSender sender) {
  Workspace& ws = program.workspace;
  MainForm& form = program.main_form;
  if (ws.phase_count() == 0) {
    program.ui.redraw_plot();
    return;
  }
  if (sender == PlotSender::CrystalApply) commit_crystal_page(program);
  read_phase_options(ws, form, program.ui);
  read_experiment_settings(ws.settings, form.experiment, program.wavelength_form, program.ui);
  program.ui.set_busy(true);
  bool results_due = false;
  for (int p = 1; p <= ws.phase_count(); ++p) {
    ws.current_phase = p;
    load_current_phase(ws);
    if (const std::string table = ws.composition.anomalous_table; sender == PlotSender::ExperimentApply && !table.empty())
      read_anomalous_table(program, table, PhaseRange::Current);
    show_phase_page(program);
    form.crystal.selector_index = p - 1;
    for (int row = 1; row <= kMaxPhases; ++row) form.phases.rows[static_cast<std::size_t>(row - 1)].display = row == p;
    calcule(program, &results_due);
  }
  // Built once for all phases rather than once per phase.
  if (results_due) fill_results_list(program);
  ws.new_phase = false;
  program.ui.set_busy(false);
  sync_plot_range(program.plot_state, ws.settings);
  program.ui.show_window(WindowId::Plot, true);
  program.ui.redraw_plot();
}

void fill_results_list(Program& program) {
  program.main_form.results = results_list_lines(program.workspace);
  program.main_form.results_selected = -1;
}

void ecrit(Program& program, int index) {
  if (!results_line_angle(program.main_form.results, index)) return;
  program.main_form.results_selected = index;
  program.ui.redraw_plot();
}

}  // namespace calvane
