#include "flows/fit_flows.hpp"

#include "fit/fit_report.hpp"
#include "fit/workspace_fit.hpp"
#include "flows/driver.hpp"
#include "flows/open_flow.hpp"
#include "ui/spectrum.hpp"

namespace calvane {

FitResult fit_to_measured_pattern(Program& program, const FitChoices& choices, const FitRunner& run) {
  Workspace& ws = program.workspace;
  FitResult refused;
  if (ws.phases.empty() || ws.observed_patterns.empty()) {
    refused.message = ws.phases.empty() ? "No phase to fit!" : "No observed diagram!";
    program.ui.warning(refused.message);
    return refused;
  }
  // Every line that can reach a measured point is computed, then fitted.
  cover_measured_range(ws);
  show_experiment_settings(ws.settings, program.main_form.experiment);
  recompute_all_phases(program);
  const FitRequest request = workspace_fit_request(ws, choices);
  FitResult result = run(request);
  if (result.status == FitStatus::Refused || result.status == FitStatus::Cancelled) {
    if (result.status == FitStatus::Refused) program.ui.warning("The fit cannot be made: " + result.message);
    return result;
  }
  apply_fit_result(ws, result, choices);
  ws.fit_table = fit_table_lines(result, choices);
  // The phase table shows the fitted shares and sizes before the phases are computed with them.
  refresh_phase_table(program);
  // The fitted pattern is shown where it was fitted: on the measured points, in counts.
  program.plot_state.on_measured_points = true;
  recompute_all_phases(program);
  program.mark_workspace_modified();
  return result;
}

}  // namespace calvane
