// What a spectrum, range or phase-option action leaves to other parts of the
// program. The caller does the flagged work in the order of the fields.
#pragma once

namespace calvane {

struct FollowUp {
  bool commit_crystal_page = false;      // decode the crystal page into the current phase
  bool refresh_anomalous_table = false;  // empty the anomalous table and list the phase's elements
  bool set_plot_q_steps = false;         // the plot's two Q step settings become 0.05 and 0.1
  bool clear_plot = false;
  bool reset_plot = false;
  bool recompute_all = false;  // recompute_all_phases
};

}  // namespace calvane
