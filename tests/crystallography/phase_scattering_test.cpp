#include "flows/anomalous_terms.hpp"
#include "flows/program.hpp"
#include "ui/anomalous_grid.hpp"

#include <gtest/gtest.h>

#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"
#include "util/text.hpp"

namespace calvane {
namespace {

AtomSite atom(const char* type) { return AtomSite{type, "", 0, 0, 0, 0, 1, 0, 0, 0}; }

// The shipped data folder serves as program folder: the flows only read it.
struct PhaseScatteringTest : ::testing::Test {
  testing::ScriptedUi ui;
  Program program{ui, testing::source_folder("data")};

  void add_phase(std::initializer_list<const char*> atom_types) {
    PhaseData phase;
    for (const char* type : atom_types) phase.crystal.atoms.push_back(atom(type));
    program.workspace.phases.push_back(phase);
    program.workspace.current_phase = program.workspace.phase_count();
    load_current_phase(program.workspace);
    ASSERT_TRUE(build_phase_scattering_types(program));
  }
};

TEST_F(PhaseScatteringTest, BuildingTypesFillsCoefficientsAbsorptionAndBrennanCowanTerms) {
  program.workspace.settings.wavelengths = {1.5406, 0.7093};
  program.workspace.crystal.atoms = {atom("Fe2+"), atom("O"), atom("Fe3+")};
  ASSERT_TRUE(build_phase_scattering_types(program));
  const auto& types = program.workspace.crystal.scattering_types;
  ASSERT_EQ(types.size(), 2u);
  EXPECT_EQ(std::tuple(ui.warnings.size(), types[0].a[0], types[0].absorption.size()),
            std::tuple(0u, 11.7695, 29u));
  // The values themselves are checked in anomalous_table_test.
  ASSERT_EQ(program.workspace.composition.anomalous.size(), 2u);
  EXPECT_EQ(program.workspace.composition.anomalous[0].f_second, types[0].f_second);

  const TextGrid& grid = program.main_form.crystal.anomalous;
  ASSERT_EQ(grid.row_count(), 4);
  EXPECT_EQ((std::vector{grid.cell(0, 1), grid.cell(0, 4), grid.cell(1, 0), grid.cell(1, 1), grid.cell(1, 2),
                         grid.cell(2, 0), grid.cell(2, 1), grid.cell(3, 0)}),
            (std::vector<std::string>{" 1.5406", " 0.7093", "Elem.", "f '", "f \"", "FE",
                                      fixed(types[0].f_prime[0], 6, 3), "O"}));
}

TEST_F(PhaseScatteringTest, UnknownElementOrTooManyElementsLeaveTheCrystalAsItWas) {
  add_phase({"Fe", "O"});
  const auto before = program.workspace.crystal.scattering_types;
  program.workspace.crystal.atoms.push_back(atom("Xx"));
  EXPECT_FALSE(build_phase_scattering_types(program));
  EXPECT_EQ(std::tuple(ui.last_warning(), ui.beeps, program.workspace.crystal.scattering_types.size(),
                       program.workspace.crystal.atoms.back().type_index),
            std::tuple("element XX not found!", 1, before.size(), 0));
}

}  // namespace
}  // namespace calvane
