#include "flows/follow_up_steps.hpp"

#include "flows/crystal_page.hpp"
#include "flows/anomalous_terms.hpp"
#include "ui/anomalous_grid.hpp"
#include "flows/driver.hpp"
#include "flows/program.hpp"

namespace calvane {

void carry_out_follow_up(Program& program, const FollowUp& follow_up) {
  if (follow_up.commit_crystal_page && program.workspace.phase_count() > 0) commit_crystal_page(program);
  if (follow_up.refresh_anomalous_table)
    fill_anomalous_grid(program.main_form.crystal.anomalous, program.workspace.crystal.scattering_types,
                        program.workspace.settings.wavelengths);
  if (follow_up.set_plot_q_steps) {
    program.plot_state.minor_tick = 0.05;
    program.plot_state.major_tick = 0.1;
  }
  if (follow_up.recompute_all) recompute_all_phases(program);
}

}  // namespace calvane
