// Crystal files as users have them (a database's data_global CIF with an
// anisotropic loop, a CIF with operators and no symbol, one with a Hall symbol
// only, one with a syntax defect, a SHELXL result with free variables and
// riding hydrogens, PowderCell files of each atom-line shape), opened as the
// program opens them and computed, against the reflection lists cctbx makes of
// the same files (fixtures recorded by tools/record_crystal_file_references.py:
// it1992 form factors, no anomalous terms, U_eq for anisotropic atoms).
#include <gtest/gtest.h>


#include "crystal_io/crystal_file_kind.hpp"
#include "crystallography/crystal_builder.hpp"
#include "flows/open_flow.hpp"
#include "crystallography/intensities.hpp"
#include "crystallography/reflection_list.hpp"
#include "crystallography/site_weights.hpp"
#include "program_with_data.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "flows/program.hpp"

namespace calvane {
namespace {

using testing::ScriptedUi;

struct FileCase {
  const char* file;
  const char* reference;
  std::vector<const char*> notes;  // parts of the notice shown after opening
};

class CrystalFiles : public ::testing::TestWithParam<FileCase> {};

TEST_P(CrystalFiles, OpenWithTheirAssumptionsToldAndMatchCctbx) {
  const FileCase& c = GetParam();
  testing::ProgramWithData opened;
  ScriptedUi& ui = opened.ui;
  Program& program = opened.program;
  opened.open(c.file, testing::crystal_fixture(c.file), *crystal_kind_of_name(c.file));
  ASSERT_EQ(program.workspace.phase_count(), 1) << ui.last_warning();
  EXPECT_TRUE(ui.warnings.empty()) << ui.last_warning();
  ASSERT_EQ(ui.notices.size(), c.notes.empty() ? 0u : 1u);
  for (const char* note : c.notes) EXPECT_NE(ui.notices[0].find(note), std::string::npos) << ui.notices[0];

  // The crystal as read, computed with the reference's form factors.
  const testing::ReferenceCase reference = testing::read_reference_file(
      testing::source_folder("tests/crystal_io/fixtures").string() + "/reference_" + c.reference + ".txt");
  CurrentCrystal crystal = program.workspace.phase(1).crystal;
  crystal.scattering_types = reference.types;
  site_weights(crystal);
  for (AtomSite& atom : crystal.atoms) {
    atom.weight /= static_cast<double>(crystal.symmetry.operators.size());
    const std::string element = to_upper(trim(substring(atom.type, 0, 2)));
    for (std::size_t t = 0; t < reference.types.size(); ++t)
      if (reference.types[t].symbol == element) atom.type_index = static_cast<int>(t) + 1;
    ASSERT_GT(atom.type_index, 0) << atom.type;
  }
  const ReflectionListResult list =
      make_reflection_list(crystal, reference.wavelength, reference.two_theta_low, reference.two_theta_high, ui);
  ASSERT_EQ(list.status, 0);
  ExperimentSettings settings;
  settings.wavelengths = {reference.wavelength};
  PhaseComposition composition;
  composition.formula_units = 1;
  const std::array<double, 4> absorption{0, 0, 0, 0};
  const IntensityContext context{crystal, settings, composition, absorption, 1, reference.wavelength};
  StructureFactorCache cache;
  const WavelengthIntensities result = intensities_xray(context, list.reflections, cache);

  testing::expect_reference_families(result, reference, laue_rotations(crystal.symmetry), 0.15,
                                     [](const auto& expected, const ComputedLine& line) {
                                       EXPECT_NEAR(line.xray.mean_magnitude(), expected.f, 0.02 + 2e-3 * expected.f);
                                     });
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, CrystalFiles,
    ::testing::Values(
        FileCase{"amcsd_quartz.cif", "amcsd_quartz",
                 {"Elements taken from the atom labels", "equivalent isotropic U of the anisotropic U for Si, O"}},
        FileCase{"operators_only_calcite.cif", "operators_only_calcite",
                 {"Ions scattered as neutral atoms: Ca2+, C4+, O2-",
                  "Space group named from the symmetry operators: R -3 c:H"}},
        FileCase{"hall_only_corundum.cif", "hall_only_corundum",
                 {"B = 1.0 A^2 assumed (no displacement in the file) for O1"}},
        FileCase{"blank_value_diamond.cif", "blank_value_diamond",
                 {"CIF syntax defect skipped (blank_value_diamond.cif, line 2"}},
        FileCase{"brucite_shelxl.res", "brucite_shelxl", {}},
        FileCase{"rutile_z_xyz.cel", "rutile_z_xyz", {"B = 1.0 A^2 assumed (no B in the file) for Ti1, O1"}},
        FileCase{"rutile_sof.cel", "rutile_sof", {"B = 1.0 A^2 assumed (no B in the file) for Ti1, O1"}},
        FileCase{"rutile_sof_b.cel", "rutile_sof_b", {}}),
    [](const ::testing::TestParamInfo<FileCase>& each) { return std::string(each.param.reference); });

}  // namespace
}  // namespace calvane
