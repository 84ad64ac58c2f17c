#include "flows/driver.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "flows/crystal_page.hpp"
#include "support/started_program.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "flows/main_actions.hpp"
#include "flows/program.hpp"

namespace calvane {
namespace {

auto hkl(const Reflection& r) { return std::tuple(r.h, r.k, r.l); }

struct Driver : ::testing::Test, testing::StartedProgram {
  PhaseData& phase(int p) { return program.workspace.phase(p); }
  std::uintmax_t size_of(const char* name) const { return std::filesystem::file_size(folder / name); }
};

TEST_F(Driver, StrainTypedInThousandthsSurvivesTheTableBeingRewritten) {
  open_example("silicon.cry");
  PhasesPageForm& table = program.main_form.phases;
  table.rows[0].strain = "2";
  recompute_all_phases(program, PlotSender::PhasesApply);
  EXPECT_DOUBLE_EQ(phase(1).strain, 0.002);
  open_example("nacl.cry");  // adding a phase rewrites the table
  EXPECT_EQ(trim(table.rows[0].strain), "2.00");
  recompute_all_phases(program, PlotSender::PhasesApply);
  EXPECT_EQ(std::tuple(phase(1).strain, phase(2).strain), std::tuple(0.002, 0.0));
}

TEST_F(Driver, RecomputingAllPhasesMovesTheCrystalDataBoxWithTheCurrentRow) {
  open_example("silicon.cry");
  open_example("nacl.cry");
  show_phase(program, 1);
  recompute_all_phases(program);
  EXPECT_EQ(std::tuple(program.workspace.current_phase, program.main_form.phases.rows[0].display,
                       program.main_form.phases.rows[1].display),
            std::tuple(2, false, true));
}

TEST_F(Driver, TwoWavelengthsGiveEveryLineTwiceInTwoThetaOrder) {
  open_example("silicon.cry");
  const std::size_t single = phase(1).reflections.size();
  ASSERT_GT(single, 0u);
  // A second phase, computed after silicon at each Apply: the sample's
  // absorption at the new wavelength must include it from the first Apply on.
  open_example("nacl.cry");
  // Cu Kα1 and Kα2 with the fractions 2:1, set as the wavelength dialog sets them.
  program.main_form.experiment.wavelength = "Multiple";
  program.wavelength_form.wavelength = {"1.54056", "1.54439", "", ""};
  program.wavelength_form.intensity = {"100", "50", "", ""};
  recompute_all_phases(program, PlotSender::ExperimentApply);
  ASSERT_EQ(program.workspace.settings.wavelength_count(), 2) << ui.last_warning();
  const auto lines = phase(1).reflections;
  ASSERT_EQ(lines.size(), 2 * single);
  EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end(),
                             [](const Reflection& a, const Reflection& b) { return a.two_theta < b.two_theta; }));
  // Each family appears once per wavelength; the Kα2 line has a third of the weight of both.
  EXPECT_EQ(std::tuple(hkl(lines[0]), lines[0].wavelength, lines[1].wavelength),
            std::tuple(hkl(lines[1]), 1.54056, 1.54439));
  EXPECT_NEAR(lines[1].intensity / lines[0].intensity, 0.5, 0.02);
  recompute_all_phases(program, PlotSender::ExperimentApply);  // a second Apply of the same spectrum
  for (std::size_t i = 0; i < lines.size(); ++i)
    EXPECT_NEAR(phase(1).reflections[i].intensity, lines[i].intensity, 1e-9 * lines[i].intensity);
}

// Each refusal keeps the old lines; every occupancy 0 is said, not drawn as lines of 100.
TEST_F(Driver, RefusesWhatCannotBeComputedKeepingTheOldResults) {
  open_example("nacl.cry");
  const std::size_t before = phase(1).reflections.size();
  struct Case { void (*edit)(CrystalPageForm&); const char* message; };
  const Case cases[] = {
      {[](CrystalPageForm& page) { page.cell[3].text = ""; }, "Bad cell parameters!"},  // α empty reads 0
      {[](CrystalPageForm& page) {  // triclinic angles that cannot close a cell
         page.system_index = 6, page.cell[3].text = page.cell[4].text = page.cell[5].text = "120";
       },
       "Bad cell parameters! the angles alpha = 120"},
      {[](CrystalPageForm& page) { page.hermann_mauguin.clear(); }, "No Space group!"},
      {[](CrystalPageForm& page) { page.xray_atoms.set_cell(1, 6, "0"), page.xray_atoms.set_cell(2, 6, "0"); },
       "The phase scatters nothing: every atom has the occupancy 0"},
      {[](CrystalPageForm& page) { page.xray_atoms.set_cell(1, 6, "-1"); },
       "Bad occupancy: atom 1 (NA 1): the occupancy -1 is negative"},
      {[](CrystalPageForm& page) { page.xray_atoms.clear_below_heading(); }, "No atoms in the asymmetric unit"},
  };
  for (const Case& c : cases) {
    // A valid page, then one fault: the failed commit is stored, as the page is the authority.
    CrystalPageForm& page = program.main_form.crystal;
    page.system_index = 5;  // monoclinic: every cell field is read
    for (std::size_t i = 0; i < 6; ++i) page.cell[i].text = i < 3 ? "5.6402" : "90";
    page.hermann_mauguin = "F m -3 m";
    page.xray_atoms.set_cell(1, 0, "Na");
    for (int column = 2; column < 7; ++column) page.xray_atoms.set_cell(1, column, column == 6 ? "1" : "0");
    c.edit(page);
    EXPECT_FALSE(compute_current_phase(program));
    EXPECT_EQ(std::tuple(ui.last_warning().substr(0, std::string_view(c.message).size()), phase(1).reflections.size()),
              std::tuple(c.message, before));
  }
}

TEST_F(Driver, LinesOutsideTheRangeStayInThePhaseButNotInTheResults) {
  open_example("silicon.cry");
  // A narrower range (as a zoom sets it) lists fewer lines; the phase keeps them all.
  program.workspace.settings.two_theta_low = 30;
  fill_results_list(program);
  const auto& lines = phase(1).reflections;
  const auto outside = std::count_if(lines.begin(), lines.end(),
                                     [](const Reflection& r) { return r.two_theta < 30 || r.two_theta > 50; });
  EXPECT_GT(outside, 0);  // Si 111 at 28.4°
  const auto& results = program.main_form.results;
  EXPECT_EQ(static_cast<long>(results.size()) - 3, static_cast<long>(lines.size()) - outside);
}

TEST_F(Driver, TheNeutronGridShowsTheFermiLengthsOfTheElements) {
  open_example("nacl.cry");
  program.workspace.settings.source = RadiationSource::Neutrons;
  show_phase_page(program);
  // Sears (1992): Na 0.363, Cl 0.9577 (10⁻¹² cm).
  EXPECT_EQ(program.main_form.crystal.neutron_atoms.cell(2, 7), "0.958");
}

TEST_F(Driver, ListingsAreRewrittenWhole) {
  open_example("corundum.cry");
  const auto longer = size_of("phase12.out");
  // A narrower range rewrites both listings over the longer ones, whole.
  program.main_form.experiment.range_high = "30";
  ASSERT_TRUE(compute_current_phase(program));
  EXPECT_LT(size_of("phase12.out"), longer);
  EXPECT_EQ(std::tuple(*read_file_bytes(folder / "phase12.out"),
                       program.listing_texts.short_listing.find("2Theta Max =  30.00") != std::string::npos),
            std::tuple(program.listing_texts.detailed, true));
}

TEST_F(Driver, AListingThatCannotBeWrittenIsReported) {
  std::filesystem::create_directory(folder / "phase12.out");
  ui.choose_file(testing::source_folder("examples/corundum.cry").string());
  open_crystal_file_of_kind(program, CrystalFileKind::Native);
  // The computation itself stands.
  EXPECT_EQ(std::tuple(ui.warnings.size(), ui.last_warning().find("phase12.out") != std::string::npos,
                       phase(1).profile.empty()),
            std::tuple(1u, true, false));
}

}  // namespace
}  // namespace calvane
