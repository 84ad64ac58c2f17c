#include "flows/follow_up_steps.hpp"

#include <gtest/gtest.h>

#include "crystallography/phase_scattering.hpp"
#include "support/phase_setup.hpp"
#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"
#include "util/text.hpp"
#include "flows/program.hpp"

namespace calvane {
namespace {

// The shipped data folder serves as program folder: the steps only read it.
struct FollowUpSteps : ::testing::Test {
  testing::ScriptedUi ui;
  Program program{ui, testing::source_folder("data")};
};

TEST_F(FollowUpSteps, AnomalousGridIsRefilledFromTheWorkingCrystalAndTheSpectrum) {
  testing::add_one_atom_phase(program);
  program.workspace.settings.wavelengths = {1.54056, 1.39222};
  program.main_form.crystal.anomalous.cells.clear();
  FollowUp follow_up;
  follow_up.refresh_anomalous_table = true;
  carry_out_follow_up(program, follow_up);
  // Row 0: each wavelength (7:4) over its two columns; row 2: the element.
  const TextGrid& grid = program.main_form.crystal.anomalous;
  EXPECT_EQ(std::tuple(grid.cell(0, 1), grid.cell(0, 3), trim(grid.cell(2, 0)), ui.warnings.size()),
            std::tuple(" 1.5406", " 1.3922", "FE", 0u));
}

TEST_F(FollowUpSteps, TheQScaleSetsThePlotsTickSteps) {
  FollowUp follow_up;
  follow_up.set_plot_q_steps = true;
  carry_out_follow_up(program, follow_up);
  EXPECT_EQ(std::pair(program.plot_state.minor_tick, program.plot_state.major_tick), std::pair(0.05, 0.1));
}

TEST_F(FollowUpSteps, RecomputingWithoutAPhaseComputesNothing) {
  FollowUp follow_up;
  follow_up.recompute_all = true;
  follow_up.commit_crystal_page = true;
  carry_out_follow_up(program, follow_up);
  EXPECT_EQ(std::tuple(program.workspace.phase_count(), ui.warnings.size(), ui.busy_depth), std::tuple(0, 0u, 0));
}

}  // namespace
}  // namespace calvane
