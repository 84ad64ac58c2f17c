#include <gtest/gtest.h>

#include <cmath>

#include "crystal_io/crystal_files.hpp"
#include "flows/cif_open.hpp"
#include "program_with_data.hpp"
#include "flows/cif_block_window.hpp"
#include "util/message_sink.hpp"
#include "util/text.hpp"

namespace calvane {
namespace {

using testing::crystal_fixture;

struct Flow : ::testing::Test, testing::ProgramWithData {};

const char* const kBlock =
    "data_%s\n_cell_length_a 5.6402\n_cell_length_b 5.6402\n_cell_length_c 5.6402\n"
    "_cell_angle_alpha 90\n_cell_angle_beta 90\n_cell_angle_gamma 90\n"
    "_symmetry_space_group_name_H-M 'F m -3 m'\n"
    "loop_\n_atom_site_label\n_atom_site_fract_x\n_atom_site_fract_y\n_atom_site_fract_z\n%s 0 0 0\n";

std::string block(const std::string& name, const std::string& label) {
  char text[600];
  std::snprintf(text, sizeof text, kBlock, name.c_str(), label.c_str());
  return text;
}

TEST_F(Flow, OneStructureBlockIsAddedWithoutTheChooser) {
  open("rutile.cif", crystal_fixture("rutile_old_dictionary.cif"), CrystalFileKind::Cif);
  ASSERT_EQ(program.workspace.phase_count(), 1) << ui.last_warning();
  EXPECT_EQ(std::tuple(ui.warnings.size(), program.main_form.crystal.data_caption),
            std::tuple(0u, "Data (rutile.cif)"));
  for (const auto& change : ui.window_changes) EXPECT_NE(change.first, WindowId::CifBlocks);
}

TEST_F(Flow, SeveralBlocksOpenTheChooserWhereOkReadsTheChosenOne) {
  open("two.cif", "data_global\n_journal_year 2004\n" + block("first", "Na1") + block("second", "Cl1"),
       CrystalFileKind::Cif);
  EXPECT_EQ(
      std::tuple(ui.window_changes.back(), program.cif_block_form.blocks, program.cif_block_form.selected),
      std::tuple(std::pair(WindowId::CifBlocks, true), std::vector<std::string>{"first", "second"}, 0));
  close_cif_block_chooser(program);  // Close reads nothing
  EXPECT_EQ(program.workspace.phase_count(), 0);

  program.cif_block_form.selected = 1;
  accept_cif_block(program);
  ASSERT_EQ(program.workspace.phase_count(), 1) << ui.last_warning();
  EXPECT_EQ(to_upper(program.workspace.phase(1).crystal.atoms[0].type), "CL");
}

TEST_F(Flow, MoreThanTenBlocksOfferTheFirstTenAndACifWithoutStructureGivesOneMessage) {
  std::string text;
  for (int i = 1; i <= 12; ++i) text += block("b" + std::to_string(i), "Na1");
  open("many.cif", text, CrystalFileKind::Cif);
  EXPECT_EQ(std::tuple(ui.warnings.size(), program.cif_block_form.blocks.size(),
                       program.cif_block_form.blocks.back()),
            std::tuple(1u, 10u, "b10"));
  ui.warnings.clear();
  open("none.cif", "data_global\n_cell_length_a 5\n", CrystalFileKind::Cif);
  EXPECT_EQ(ui.warnings, std::vector<std::string>{"Calvane cannot find any valid block"});
  // A CIF that cannot be parsed: CifReader.StrictParseFailuresAreMendedOnlyWhereTheLineCanBeRead.
}

// A SHELX file's group is named from its cards; one the catalogue does not
// know comes back unnamed for the space-group window; a bad card refuses the file.
TEST(ShelxFile, GroupNamedFromItsCardsOrLeftToTheUser) {
  testing::TempFolder folder;
  folder.add_data_files();
  CollectedMessages messages;
  auto read = [&](const std::string& name, const std::string& text) {
    return read_crystal_file({folder.write(name, text), CrystalFileKind::Shelx, name, folder.path(), {}}, messages);
  };
  // P2(1)/c from LATT 1 and one SYMM card.
  auto zro2 = read("zro2.ins", crystal_fixture("zro2.ins"));
  ASSERT_TRUE(zro2.has_value());
  EXPECT_NE(zro2->symbol, "");
  // Quartz's Si sits on a twofold axis (3 images of 6): its SHELX site
  // occupation factor 0.5 is a full occupancy.
  std::string quartz = crystal_fixture("quartz_without_latt.ins");
  quartz.insert(quartz.find("SYMM"), "LATT -1\n");  // non-centrosymmetric P3(2)21
  auto read_quartz = read("quartz.ins", quartz);
  ASSERT_TRUE(read_quartz.has_value());
  EXPECT_NEAR(std::hypot(read_quartz->atoms[0].population - 1, read_quartz->atoms[1].population - 1), 0,
              1e-12);
  EXPECT_FALSE(messages.has_warning());

  std::string text = crystal_fixture("zro2.ins");
  text.replace(text.find("SYMM -X, 0.5+Y, 0.5-Z"), 21, "SYMM -X, 0.5+Y, 0.3-Z");
  auto odd = read("odd.ins", text);
  ASSERT_TRUE(odd.has_value());
  EXPECT_EQ(odd->symbol, "");
  text.replace(text.find("SYMM -X, 0.5+Y, 0.3-Z"), 21, "SYMM -X, 0.5+Y, 0.5-W");
  EXPECT_FALSE(read("bad.ins", text).has_value());
  EXPECT_TRUE(messages.has_warning());
}

}  // namespace
}  // namespace calvane
