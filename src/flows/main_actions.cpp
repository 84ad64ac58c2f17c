#include "flows/main_actions.hpp"

#include <filesystem>

#include "flows/crystal_page.hpp"
#include "flows/total_data_flows.hpp"
#include "ui/spectrum.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "flows/program.hpp"
#include "flows/startup.hpp"

namespace calvane {

void show_phase(Program& program, int button) {
  Workspace& ws = program.workspace;
  MainForm& form = program.main_form;
  form.crystal.selector_visible = true;
  if (ws.phase_count() == 0 || button == ws.current_phase) return;
  if (button < 1 || button > ws.phase_count()) {
    form.crystal.selector_index = -1;
    return;
  }
  ws.current_phase = button;
  load_current_phase(ws);
  for (int i = 0; i < kMaxPhases; ++i) form.phases.rows[static_cast<std::size_t>(i)].display = (i == button - 1);
  show_phase_page(program);
}

void click_display(Program& program, int row) {
  Workspace& ws = program.workspace;
  MainForm& form = program.main_form;
  if (ws.phase_count() == 0 || row == ws.current_phase || row < 1 || row > kMaxPhases) return;
  if (row > ws.phase_count()) {
    form.phases.rows[static_cast<std::size_t>(row - 1)].display = false;
    return;
  }
  ws.current_phase = row;
  for (int i = 0; i < kMaxPhases; ++i) form.phases.rows[static_cast<std::size_t>(i)].display = (i == row - 1);
  form.page = MainPage::CrystalData;
  load_current_phase(ws);
  form.crystal.selector_index = row - 1;
  show_phase_page(program);
}

void delete_phases(Program& program) {
  Workspace& ws = program.workspace;
  MainForm& form = program.main_form;
  if (ws.phase_count() > 0) program.mark_workspace_modified();
  ws.fit_table.clear();
  for (int p = 1; p <= ws.phase_count(); ++p) {
    remove_scratch_file(program, ws.phase(p).file_name);
    remove_file_quietly(program.program_folder / ("phase" + std::to_string(p) + ".out"));
    remove_file_quietly(program.program_folder / ("phase" + std::to_string(p) + "2.out"));
  }
  ws.phases.clear();
  ws.current_phase = 0;
  // Every box of the table goes: no (hkl) or Crystal Data tick, no strain, stays behind.
  for (PhaseRow& row : form.phases.rows) row = PhaseRow{};
  CrystalPageForm& page = form.crystal;
  page.hermann_mauguin.clear();
  page.hall.clear();
  page.space_group_number.clear();
  page.formula.clear();
  page.molecular_weight.clear();
  page.formula_units.clear();
  page.density.clear();
  page.panel_visible = false;
  page.apply_bar_visible = false;
  page.selector_visible = false;
  form.results.clear();
  clear_crystal_page(program);
  // Without phases there is no calculated sum to compare: the difference
  // window closes rather than keep showing the old difference.
  program.plot_state.difference_open = false;
  program.plot_state.difference.clear();
}

void erase_all(Program& program) {
  Workspace& ws = program.workspace;
  if (!ws.observed_patterns.empty() || !ws.observed_peaks.empty()) program.mark_workspace_modified();
  ws.crystal_file_name.clear();
  program.main_form.crystal.data_caption = "Data";
  ws.observed_pattern_file_name.clear();
  ws.observed_patterns.clear();
  ws.observed_peaks.clear();
  ws.current_phase = 0;
  delete_phases(program);
  program.ui.redraw_plot();
}

void click_draw(Program& program) {
  Workspace& ws = program.workspace;
  PhasesPageForm& table = program.main_form.phases;
  for (int p = 1; p <= ws.phase_count(); ++p) ws.phase(p).draw = table.rows[static_cast<std::size_t>(p - 1)].draw;
  if (ws.phase_count() > 0) program.mark_workspace_modified();
  // The ninth box unchecked presses the "Sum" toggle: the sum is masked.
  table.sum_toggle_pressed = !table.sum_draw;
  ws.settings.draw_sum = table.sum_draw;
}

void change_page(Program& program, int page) {
  Workspace& ws = program.workspace;
  MainForm& form = program.main_form;
  if (page < 0 || page > 3) return;
  form.page = static_cast<MainPage>(page);
  if (ws.phase_count() == 0 && form.page == MainPage::CrystalData && !ws.keyboard_capture) {
    form.crystal.panel_visible = false;
    form.crystal.apply_bar_visible = false;
    form.crystal.selector_visible = false;
    return;
  }
  form.crystal.panel_visible = true;
  program.ui.show_window(WindowId::Colours, false);
  if (ws.keyboard_capture) form.page = MainPage::CrystalData;
  if (ws.current_phase > 0) form.crystal.apply_bar_visible = true;
  if (form.page == MainPage::StyleOptions &&
      (ws.phase_count() > 0 || !ws.observed_patterns.empty() || !ws.observed_peaks.empty()))
    program.ui.show_window(WindowId::Colours, true);
}

void reset_data(Program& program) {
  Workspace& ws = program.workspace;
  MainForm& form = program.main_form;
  if (ws.phase_count() == 0 && form.page == MainPage::CrystalData && ws.crystal_changed) {
    form.crystal.panel_visible = false;
    form.crystal.apply_bar_visible = false;
    form.crystal.selector_visible = false;
  } else {
    form.crystal.panel_visible = true;
  }
  if (!ws.crystal_file_name.empty()) {
    show_cell_fields(form.crystal, ws.crystal.cell, ws.crystal.system_code);
    show_experiment_settings(ws.settings, form.experiment);
  }
  form.source_caption = source_caption(ws.settings);
}

std::string source_caption(const ExperimentSettings& settings) {
  if (settings.source == RadiationSource::Neutrons) return "Source: Neutrons";
  if (settings.xray_source == XRaySource::Synchrotron)
    return "Source: X Synchr. p=" + fixed(settings.polarisation, 4, 2);
  return "Source: X ray tube";
}

void show_workspace_caption(Program& program) {
  const std::string name = std::filesystem::path(program.workspace_file).filename().string();
  program.main_form.caption = main_window_caption(name, program.workspace_modified);
}

bool settle_unsaved_workspace(Program& program) {
  const Workspace& ws = program.workspace;
  // The workspace file keeps phases and observed patterns; without either there is nothing to save.
  if (!program.workspace_modified || (ws.phases.empty() && ws.observed_patterns.empty())) return true;
  switch (program.ui.ask_to_save("Save the workspace before closing?")) {
    case SaveChoice::Save: return save_workspace_file(program, TotalDataSender::Menu);
    case SaveChoice::Discard: return true;
    case SaveChoice::Cancel: break;
  }
  return false;
}

void open_help_topic(Program& program) { program.ui.open_help(14); }

FollowUp choose_xrays(Program& program) {
  MainForm& form = program.main_form;
  form.xray_button_active = true;
  form.crystal.neutron_grid_visible = false;
  program.workspace.settings.source = RadiationSource::XRays;
  program.ui.show_window(WindowId::Polarisation, true);
  FollowUp follow;
  follow.reset_plot = true;
  return follow;
}

FollowUp choose_neutrons(Program& program) {
  MainForm& form = program.main_form;
  form.xray_button_active = false;
  form.crystal.neutron_grid_visible = true;
  program.workspace.settings.source = RadiationSource::Neutrons;
  form.source_caption = "Source: Neutrons";
  FollowUp follow;
  follow.reset_plot = true;
  follow.clear_plot = true;
  follow.recompute_all = program.workspace.phase_count() > 0;
  return follow;
}

}  // namespace calvane
