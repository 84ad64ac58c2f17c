#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/scratch_folder.hpp"
#include "cli/simulation.hpp"
#include "reports/conventions.hpp"
#include "support/temp_folder.hpp"

namespace calvane::cli {
namespace {

using calvane::testing::TempFolder;
using ::testing::HasSubstr;
using ::testing::AllOf;

const std::filesystem::path kExamples = std::filesystem::path(CALVANE_SOURCE_DIR) / "examples";

Conventions computed_conventions(const std::string& file, const Options& options, const TempFolder& scratch) {
  const FileSimulation simulation = simulate_crystal_file(file, options, {CALVANE_PROGRAM_DIR, scratch.path()});
  EXPECT_TRUE(simulation.workspace) << simulation.message;
  return simulation.workspace ? conventions_of(*simulation.workspace) : Conventions{};
}

TEST(Conventions, NameTheFactorsOfEachSource) {
  struct Case {
    const char* name;
    Options options;
    const char* radiation;
    const char* lorentz_polarisation;
    const char* table;  // the source named for the scattering of the atoms
  };
  Options tube, synchrotron, neutrons;
  synchrotron.synchrotron_polarisation = 0.9;
  neutrons.neutrons = true;
  const Case cases[] = {
      {"tube", tube, "xray tube", "(1 + cos^2(2 theta)) / 2", "International Tables for Crystallography Vol. C"},
      {"synchrotron", synchrotron, "synchrotron", "((1 - p) + p cos^2(2 theta))", "Table 6.1.1.4"},
      {"neutrons", neutrons, "neutron", "no polarisation", "Sears, Neutron News 3 (1992)"},
  };
  TempFolder scratch;
  for (const Case& c : cases) {
    const Conventions conventions = computed_conventions((kExamples / "corundum.cry").string(), c.options, scratch);
    const std::string json = conventions_json(conventions);
    EXPECT_THAT(json, HasSubstr(std::string("\"radiation\": \"") + c.radiation + "\"")) << c.name;
    EXPECT_THAT(json, HasSubstr(c.lorentz_polarisation)) << c.name;
    EXPECT_THAT(json, HasSubstr(c.table)) << c.name;
    ASSERT_EQ(conventions.phases.size(), 1u);
    // Neutrons have no anomalous terms; X-rays list every element's.
    EXPECT_EQ(conventions.phases[0].anomalous.size(), c.options.neutrons ? 0u : 2u) << c.name;
  }
  EXPECT_THAT(conventions_json(computed_conventions((kExamples / "corundum.cry").string(), synchrotron, scratch)),
              HasSubstr("\"polarisation\": 0.9,"));
}

// f' and f'' of Al at Cu Ka1 and Mo Ka1 against the International Tables,
// Vol. C, Table 4.2.6.8 (0.204, 0.246 and 0.064, 0.056): the tables differ by
// a few hundredths at most.
TEST(Conventions, GiveTheAnomalousTermsUsedAtEachWavelength) {
  Options options;
  options.spectrum = {{1.540562, 100}, {0.709300, 50}};
  TempFolder scratch;
  const Conventions conventions = computed_conventions((kExamples / "corundum.cry").string(), options, scratch);
  ASSERT_EQ(conventions.wavelengths.size(), 2u);
  ASSERT_FALSE(conventions.phases.empty());
  const auto& terms = conventions.phases[0].anomalous;
  const auto aluminium = std::find_if(terms.begin(), terms.end(), [](const auto& t) { return t.element == "AL"; });
  ASSERT_NE(aluminium, terms.end());
  const std::size_t mo = conventions.wavelengths[0] < 1 ? 0 : 1, cu = 1 - mo;
  EXPECT_NEAR(aluminium->f_prime[cu], 0.204, 0.02);
  EXPECT_NEAR(aluminium->f_second[cu], 0.246, 0.01);
  EXPECT_NEAR(aluminium->f_prime[mo], 0.064, 0.01);
  EXPECT_NEAR(aluminium->f_second[mo], 0.056, 0.01);
}

TEST(Conventions, ListTheDefaultsAReaderAppliedWithTheirAtoms) {
  TempFolder folder;
  const auto cif = std::filesystem::path(CALVANE_SOURCE_DIR) / "tests/crystal_io/fixtures/hall_only_corundum.cif";
  const Conventions conventions = computed_conventions(cif.string(), Options{}, folder);
  ASSERT_EQ(conventions.phases.size(), 1u);
  const auto& defaults = conventions.phases[0].reader_defaults;
  EXPECT_THAT(defaults, ::testing::Contains(AllOf(HasSubstr("B = 1.0 A^2 assumed"), HasSubstr("O1"))));
  EXPECT_THAT(defaults, ::testing::Contains(HasSubstr("Elements taken from the atom labels")));
  std::vector<std::string> report = conventions_report_lines(conventions);
  EXPECT_THAT(report, ::testing::Contains(HasSubstr("Default: Elements taken from the atom labels")));
}

}  // namespace
}  // namespace calvane::cli
