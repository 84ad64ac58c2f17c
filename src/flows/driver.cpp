#include "flows/driver.hpp"

#include <algorithm>
#include <functional>
#include <thread>

#include "flows/crystal_page.hpp"
#include "crystallography/composition.hpp"
#include "crystallography/crystal_checks.hpp"
#include "crystallography/engine.hpp"
#include "crystallography/phase_scattering.hpp"
#include "profile/phase_computation.hpp"
#include "crystallography/phase_listing.hpp"
#include "flows/anomalous_terms.hpp"
#include "ui/anomalous_grid.hpp"
#include "crystallography/site_weights.hpp"
#include "ui/experiment_reading.hpp"
#include "ui/phase_options.hpp"
#include "profile/profile_synthesis.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "flows/program.hpp"
#include "ui/results_list.hpp"

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

// The listings, most of the text, are formatted and written to disk on
// another thread while `work` (the profile's synthesis) runs; the writer is
// joined before this returns. Their buffers stay allocated from one
// computation to the next.
void write_listings_during(Program& program, DeferredListing listing, const std::function<void()>& work) {
  Program::ListingTexts& texts = program.listing_texts;
  texts.detailed.clear();
  texts.short_listing.clear();
  write_listing_headers(listing, &texts.detailed, &texts.short_listing);
  const std::string p = std::to_string(program.workspace.current_phase);
  std::string listing_failure;
  {
    std::jthread listing_writer(
        [&texts, &listing_failure, listing = std::move(listing), folder = program.program_folder, p] {
          write_sections(listing, &texts.detailed, &texts.short_listing);
          listing_failure = overwrite_file(folder / ("phase" + p + "2.out"), texts.detailed);
          if (listing_failure.empty())
            listing_failure = overwrite_file(folder / ("phase" + p + ".out"), texts.short_listing);
        });
    work();
  }
  if (!listing_failure.empty()) program.ui.warning("The listing was not written: " + listing_failure);
}

}  // namespace

bool compute_current_phase(Program& program, bool* results_due) {
  Workspace& ws = program.workspace;
  MainForm& form = program.main_form;
  // Whatever reaches a computation (a new phase, edited data or settings) changes the workspace.
  program.mark_workspace_modified();
  if (ws.keyboard_capture) {
    save_captured_crystal(program);
    return false;
  }
  if (ws.current_phase < 1 || ws.current_phase > ws.phase_count()) return false;
  form.crystal.capture_panel_visible = false;
  form.crystal.selector_visible = true;
  commit_crystal_page(program);
  if (!crystal_is_computable(ws.crystal, program.ui)) return false;
  read_experiment_settings(ws.settings, form.experiment, program.wavelength_form, program.ui);
  if (form.crystal.modified || ws.crystal_changed) {
    commit_crystal_page(program);
    form.crystal.modified = false;
    ws.crystal_changed = false;
  }

  program.ui.set_busy(true);
  auto listing = compute_current_phase_lines(ws, program.caches, program.program_folder,
                                             program.shown_file_name(ws.crystal_file_name), current_date_time(),
                                             program.ui);
  fill_anomalous_grid(form.crystal.anomalous, ws.crystal.scattering_types, ws.settings.wavelengths);
  if (ws.settings.wavelength_count() > 1) fill_spectrum_grid(program);
  show_composition(program);
  program.ui.set_busy(false);
  if (!listing) return false;

  write_listings_during(program, std::move(*listing), [&] {
    if (store_current_phase_profile(ws, program.ui) == ProfileStatus::Completed) {
      if (results_due != nullptr)
        *results_due = true;
      else
        fill_results_list(program);
    }
  });

  sync_plot_range(program.plot_state, ws.settings);
  ++ws.calculation_count;
  if (ws.calculation_count == 1)
    program.ui.show_window(WindowId::Plot, true);
  else if (ws.current_phase > 0)
    form.crystal.apply_bar_visible = true;
  return true;
}

void recompute_current_phase(Program& program) {
  if (program.workspace.phase_count() == 0) return;
  compute_current_phase(program);
  program.ui.show_window(WindowId::Plot, true);
  program.ui.redraw_plot();
}

void recompute_all_phases(Program& program, PlotSender sender) {
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
      read_phase_anomalous_table(program, table, PhaseRange::Current);
    show_phase_page(program);
    form.crystal.selector_index = p - 1;
    for (int row = 1; row <= kMaxPhases; ++row) form.phases.rows[static_cast<std::size_t>(row - 1)].display = row == p;
    compute_current_phase(program, &results_due);
  }
  // Built once for all phases rather than once per phase.
  if (results_due) fill_results_list(program);
  program.ui.set_busy(false);
  sync_plot_range(program.plot_state, ws.settings);
  program.ui.show_window(WindowId::Plot, true);
  program.ui.redraw_plot();
}

void fill_results_list(Program& program) {
  program.main_form.results = results_list_lines(program.workspace);
  program.main_form.results_selected = -1;
}

void select_results_line(Program& program, int index) {
  if (!results_line_angle(program.main_form.results, index)) return;
  program.main_form.results_selected = index;
  program.ui.redraw_plot();
}

}  // namespace calvane
