#include "flows/anomalous_panel.hpp"

#include <gtest/gtest.h>

#include "support/phase_setup.hpp"
#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"

namespace calvane {
namespace {

// The shipped data folder serves as program folder: the panel only reads it.
struct AnomalousPanelTest : ::testing::Test {
  testing::ScriptedUi ui;
  Program program{ui, testing::source_folder("data")};
  AnomalousPanelForm panel;
  int resets = 0, recomputes = 0;
  AnomalousPanelActions actions{[this](Program&) { ++resets; }, [this](Program&) { ++recomputes; }};

  void add_phase(const char* atom_type) { testing::add_one_atom_phase(program, atom_type); }
  double f_second(int phase) const {
    const Workspace& w = program.workspace;
    const auto& types =
        phase == w.current_phase ? w.crystal.scattering_types : w.phase(phase).crystal.scattering_types;
    return types.at(0).f_second[0];
  }
};

TEST_F(AnomalousPanelTest, WavelengthFieldIsCheckedAndReadBeforeThePanelOpens) {
  add_phase("Fe");
  for (auto [text, message] : {std::pair{"", "No WaveLength!"}, {"0.00000", "No WaveLength!"},
                                {"abc", "Error on WaveLength!"}, {"-1.5", "Error on WaveLength!"},
                                {"1.5x", "Error on WaveLength!"}}) {
    program.main_form.experiment.wavelength = text;
    ui.warnings.clear();
    open_anomalous_panel(program, panel, actions);
    EXPECT_EQ(std::tuple(ui.last_warning(), panel.visible), std::tuple(std::string(message), false))
        << '"' << text << '"';
  }
  EXPECT_EQ(std::tuple(resets, program.workspace.settings.wavelengths), std::tuple(0, std::vector{1.5406}));
  // A number becomes the single wavelength; "Multiple" keeps the spectrum.
  program.main_form.experiment.wavelength = " 0.70930 ";
  open_anomalous_panel(program, panel, actions);
  EXPECT_EQ(std::tuple(panel.visible, resets, program.workspace.settings.longest_wavelength),
            std::tuple(true, 1, 0.7093));
  program.workspace.settings.wavelengths = {1.54056, 1.54439};
  program.main_form.experiment.wavelength = "Multiple";
  open_anomalous_panel(program, panel, actions);
  EXPECT_EQ(program.workspace.settings.wavelengths.size(), 2u);
}

TEST_F(AnomalousPanelTest, ApplyNeedsATableAndActsOnTheChosenPhases) {
  add_phase("Cu");
  add_phase("Fe");
  remove_anomalous_correction(program, panel, actions);  // the current phase only, by default
  EXPECT_EQ(std::tuple(f_second(2), f_second(1) > 0), std::tuple(0.0, true));

  panel.visible = true;
  apply_chosen_anomalous_table(program, panel, actions);
  EXPECT_EQ(std::tuple(ui.last_warning(), panel.visible), std::tuple(std::string("Select the File!"), true));

  panel.table_choice = 1;  // Sasaki
  panel.apply_to = 1;      // all the phases
  apply_chosen_anomalous_table(program, panel, actions);
  EXPECT_EQ(std::tuple(panel.visible, recomputes), std::tuple(false, 2));
  EXPECT_NEAR(f_second(2), 3.197, 0.03);  // cctbx sasaki Fe at 8048.8 eV
  EXPECT_NEAR(f_second(1), 0.59, 0.05);   // Cu below its K edge (8979 eV)
  remove_anomalous_correction(program, panel, actions);
  EXPECT_EQ(std::tuple(f_second(1), f_second(2)), std::tuple(0.0, 0.0));
}

// Every computation rebuilds the scattering types; the table chosen in the
// panel (or none) must survive that, for each phase and after a reload.
TEST_F(AnomalousPanelTest, TheChosenTableOutlivesTheNextComputation) {
  add_phase("Cu");
  add_phase("Fe");
  const double brennan_cowan = f_second(2);
  panel.table_choice = 1;  // Sasaki, all the phases
  panel.apply_to = 1;
  apply_chosen_anomalous_table(program, panel, actions);
  const double sasaki = f_second(2);
  ASSERT_NE(sasaki, brennan_cowan);
  ASSERT_TRUE(build_phase_scattering_types(program));
  EXPECT_EQ(f_second(2), sasaki);

  program.workspace.current_phase = 1;  // the other phase, loaded as its computation does
  load_current_phase(program.workspace);
  panel.apply_to = 0;
  remove_anomalous_correction(program, panel, actions);
  ASSERT_TRUE(build_phase_scattering_types(program));
  EXPECT_EQ(f_second(1), 0);
  store_current_phase(program.workspace);
  program.workspace.current_phase = 2;
  load_current_phase(program.workspace);
  ASSERT_TRUE(build_phase_scattering_types(program));
  EXPECT_EQ(f_second(2), sasaki);
}

TEST_F(AnomalousPanelTest, WithoutAtomsTheCheckBeepsAndApplyOnlyClosesAndAMissingTableKeepsItOpen) {
  program.main_form.experiment.wavelength = "1.5406";
  open_anomalous_panel(program, panel, actions);
  EXPECT_EQ(std::tuple(ui.last_warning(), panel.visible),
            std::tuple(std::string("No atom in the asymmetric unit!"), false));
  panel.visible = true;
  panel.table_choice = 0;
  apply_chosen_anomalous_table(program, panel, actions);
  EXPECT_EQ(std::tuple(panel.visible, ui.warnings.size()), std::tuple(false, std::size_t{1}));

  add_phase("Fe");
  testing::TempFolder empty;
  program.program_folder = empty.path();
  panel.visible = true;
  apply_chosen_anomalous_table(program, panel, actions);
  EXPECT_EQ(std::tuple(ui.last_warning(), panel.visible),
            std::tuple(std::string("File Brcow.an not found"), true));
}

}  // namespace
}  // namespace calvane
