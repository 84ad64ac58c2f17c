#include "crystal_io/cif_reader.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "crystal_io/cry_file.hpp"
#include "flows/open_flow.hpp"
#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "flows/program.hpp"
#include "crystal_io/space_group_names.hpp"

namespace calvane {
namespace {

using testing::ScriptedUi;

std::filesystem::path fixture(const std::string& name) {
  return testing::source_folder("tests/crystal_io/fixtures") / name;
}

CifFile parse_text(const std::string& text) {
  std::string error;
  auto file = parse_cif(text, "test.cif", error);
  EXPECT_TRUE(file.has_value()) << error;
  return file.value_or(CifFile{});
}

CifFile parse_fixture(const std::string& name) {
  return parse_text(read_file_bytes(fixture(name)).value_or(""));
}

// The single valuable block of a file, read.
std::optional<CurrentCrystal> read_only_block(const CifFile& file, ScriptedUi& ui) {
  auto blocks = valuable_blocks(file);
  EXPECT_EQ(blocks.size(), 1u);
  if (blocks.size() != 1) return std::nullopt;
  return read_cif_block(file.blocks[static_cast<std::size_t>(blocks[0].document_index)], ui);
}

// Each crystal system as a CIF in one of the dictionaries and writings, and
// the same structure typed as a .cry file. Operator counts are those of
// gemmi's space-group table for the group.
TEST(CifReader, EveryCrystalSystemReadsAsItsNativeFile) {
  const struct {
    const char *cif, *cry, *title, *symbol;
    std::size_t operators;
  } cases[] = {
      {"nacl_current_dictionary.cif", "nacl.cry", "ClNa", "F m -3 m", 192},
      {"rutile_old_dictionary.cif", "rutile.cry", "O2Ti", "P 42/m n m", 16},
      {"ybco_quoted_operators.cif", "ybco.cry", "YBa2Cu3O6.92", "P m m m", 8},
      {"zno_hall.cif", "zno.cry", "OZn", "P 63 m c", 12},
      {"bismuth_rhombohedral.cif", "bismuth.cry", "Bi", "R -3 m:R", 12},
      {"zro2_multiline.cif", "zro2.cry", "ZrO2", "P 1 21/c 1", 4},
      {"triclinic_test.cif", "triclinic.cry", "ClKO", "P -1", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cif);
    ScriptedUi ui;
    auto read = read_only_block(parse_fixture(c.cif), ui);
    ASSERT_TRUE(read.has_value()) << ui.last_warning();
    EXPECT_TRUE(ui.warnings.empty()) << ui.last_warning();
    CurrentCrystal native;
    ASSERT_TRUE(read_cry_file(fixture(c.cry), native).ok);

    // A Hall symbol of a tabulated group is named by its Hermann-Mauguin symbol.
    EXPECT_EQ(std::tuple(read->title, read->system_code, read->symbol, read->symmetry.hall_symbol,
                         read->symmetry.operators.size(), read->symmetry.operator_texts.size()),
              std::tuple(c.title, native.system_code, c.symbol, "", c.operators, c.operators));
    // Cell and atoms as the .cry writer lays them out (B to its three decimals).
    EXPECT_NEAR(read->cell.volume, native.cell.volume, 1e-9);
    read->title = native.title;
    read->symbol = native.symbol;
    EXPECT_EQ(format_cry_file(*read), format_cry_file(native));
  }
}

TEST(CifReader, OperatorsKeepTheirFileOrderAndNumbersTheirUncertainty) {
  ScriptedUi ui;
  auto crystal = read_only_block(parse_fixture("rutile_old_dictionary.cif"), ui);
  ASSERT_TRUE(crystal.has_value());
  // Written "2 -y+1/2,x+1/2,z+1/2", "4.5937(2)" and "?".
  EXPECT_EQ(std::tuple(crystal->symmetry.operator_texts[1], crystal->cell.a, crystal->cell.beta),
            std::tuple("-Y+1/2,X+1/2,Z+1/2", 4.5937, 90.0));
}

// The atom-site loop header with the three coordinates.
const std::string kSites =
    "loop_\n_atom_site_label\n_atom_site_fract_x\n_atom_site_fract_y\n_atom_site_fract_z\n";

const char* const kCubicHeader =
    "data_fe\n_cell_length_a 2.8665\n_cell_length_b 2.8665\n_cell_length_c 2.8665\n"
    "_cell_angle_alpha 90\n_cell_angle_beta 90\n_cell_angle_gamma 90\n"
    "_symmetry_space_group_name_H-M 'I m -3 m'\n";

TEST(CifReader, AtomColumnsGiveTypeLabelBAndPopulation) {
  const struct {
    std::string loop;
    const char *type, *label;
    double b, population;
  } cases[] = {
      // U = 0.01 gives 8π²·0.01 = 0.78957.
      {"loop_\n_atom_site_label\n_atom_site_type_symbol\n_atom_site_fract_x\n_atom_site_fract_y\n"
       "_atom_site_fract_z\n_atom_site_U_iso_or_equiv\n_atom_site_occupancy\nFe1 Fe 0.25 0.25 0.25 0.01 1\n",
       "Fe", "1", 0.7895683520871486, 1},
      {kSites + "Fe1 0.25 0.25 0.25\n", "Fe", "1", 1.0, 1},
      // Our own powder CIF writes B; a U column wins when both exist.
      {kSites + "_atom_site_B_iso_or_equiv\n_atom_site_occupancy\nFe1 0.25 0.25 0.25 0.35(1) 0.5(1)\n", "Fe",
       "1", 0.35, 0.5},
      {kSites + "_atom_site_B_iso_or_equiv\n_atom_site_U_iso_or_equiv\nFe1 0.25 0.25 0.25 0.35 0.01\n", "Fe",
       "1", 0.7895683520871486, 1},
      // The type symbol names the element when the label does not.
      {"loop_\n_atom_site_label\n_atom_site_type_symbol\n_atom_site_fract_x\n_atom_site_fract_y\n"
       "_atom_site_fract_z\n_atom_site_occupancy\nM1 Fe3+ 0.25 0.25 0.25 ?\n",
       "Fe", "1", 1.0, 1},
      // Quoted labels with a blank, values split over lines.
      {kSites + "_atom_site_U_iso_or_equiv\n'Fe 1'\n 0.25\n 0.25 0.25\n .\n", "Fe", " 1", 1.0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.loop);
    ScriptedUi ui;
    auto crystal = read_only_block(parse_text(std::string(kCubicHeader) + c.loop), ui);
    ASSERT_TRUE(crystal.has_value()) << ui.last_warning();
    ASSERT_EQ(crystal->atoms.size(), 1u);
    const AtomSite& atom = crystal->atoms[0];
    EXPECT_EQ(
        std::tuple(ui.warnings.size(), crystal->system_code, atom.type, atom.label, atom.x, atom.population),
        std::tuple(0u, "CUBI", c.type, c.label, 0.25, c.population));
    EXPECT_NEAR(atom.b, c.b, 1e-12);
  }
}

TEST(CifReader, HallSymbolsAreNamedOrKeptAsWrittenAndUnknownLabelsRefused) {
  const std::string atoms = kSites + "C1 0 0 0\n";
  const struct {
    const char *hall, *symbol, *hall_box;
  } cases[] = {
      {"'-P 2ybc'", "P 1 21/c 1", ""},       // International Tables, Vol. B, Table A1.4.2.7
      {"'-F 4vw 2vw 3'", "F d -3 m:2", ""},  // origin choice 2
      {"'P 9q'", "P 9q", "P 9q"},            // no such group: kept for the generator
  };
  for (const auto& c : cases) {
    ScriptedUi ui;
    std::string text = std::string("data_x\n_cell_length_a 5\n_cell_length_b 5\n_cell_length_c 5\n") +
                       "_space_group_name_Hall " + c.hall + "\n" + atoms;
    auto crystal = read_only_block(parse_text(text), ui);
    ASSERT_TRUE(crystal.has_value()) << c.hall;
    EXPECT_EQ(std::tuple(crystal->symbol, crystal->symmetry.hall_symbol),
              std::tuple(std::string(c.symbol), std::string(c.hall_box)));
  }
  ScriptedUi ui;  // a label that names no element refuses the block, naming the label
  auto crystal = read_only_block(parse_text(kCubicHeader + kSites + "Q1 0 0 0\nXx2 0 0 0\n"), ui);
  EXPECT_FALSE(crystal.has_value());
  EXPECT_EQ(ui.warnings,
            std::vector<std::string>{"cannot decode Label Q1, Xx2 (no element is named by the label)"});
}

TEST(CifReader, ValuableBlocksNeedCellAndSymmetryAndAGlobalBlockItsAtoms) {
  CifFile file = parse_text(
      "data_global\n_cell_length_a 1\n_symmetry_space_group_name_H-M 'P 1'\n"
      "data_number\n_cell_length_a 5.0\n_space_group_IT_number 225\n"
      "data_cell_only\n_cell_length_a 5.0\n"
      "data_symmetry_only\n_symmetry_space_group_name_H-M 'P 1'\n"
      "data_current\n_cell_length_a 5.0\n_space_group_name_H-M_alt 'P 1'\n"
      "data_operators\n_cell_length_a 5.0\nloop_\n_symmetry_equiv_pos_as_xyz\nx,y,z\n"
      "data_two_symbols\n_symmetry_space_group_name_H-M 'P 1'\n_symmetry_space_group_name_Hall 'P 1'\n");
  std::vector<std::string> names;
  for (const CifBlockEntry& entry : valuable_blocks(file)) names.push_back(entry.name);
  EXPECT_EQ(names, (std::vector<std::string>{"number", "current", "operators"}));

  // A global block holding the structure, as in the American Mineralogist database.
  file = parse_text("data_global\n_cell_length_a 1\n_symmetry_space_group_name_H-M 'P 1'\n" + kSites +
                    "Si1 0 0 0\n");
  ASSERT_EQ(valuable_blocks(file).size(), 1u);
}

TEST(CifReader, RefusesBlocksThatCannotGiveACrystal) {
  const std::string cell = "data_x\n_cell_length_a 5\n_cell_length_b 5\n_cell_length_c 5\n";
  const std::string symbol = "_symmetry_space_group_name_H-M 'P 1'\n";
  const std::string atoms = kSites + "C1 0 0 0\n";
  std::string many_atoms = kSites;
  for (int i = 0; i < 401; ++i) many_atoms += "C1 0 0 0\n";
  std::string many_operators = "loop_\n_symmetry_equiv_pos_as_xyz\n";
  for (int i = 0; i < 193; ++i) many_operators += "x,y,z\n";
  const struct {
    std::string text;
    const char* message;
  } cases[] = {
      {cell + atoms, "Lumiso cannot find symmetry operators or Space group"},
      {cell + symbol, "No atom site found"},
      {cell + symbol + "loop_\n_atom_site_label\n_atom_site_U_iso_or_equiv\nC1 0.01\n", "No atom site found"},
      {cell + "loop_\n_symmetry_equiv_pos_as_xyz\nx,y,z\n-x,-y,w\n" + atoms, "cannot decode position W"},
      {cell + "loop_\n_symmetry_equiv_pos_as_xyz\nx,y,z+1/q\n" + atoms, "Cannot decode translation 1/Q"},
      {"data_x\n_cell_length_a 5\n_cell_length_c 5\n" + symbol + atoms, "Cell parameters not found!"},
      {cell + "_cell_angle_beta abc\n" + symbol + atoms, "Cell parameters not found!"},
      {cell + symbol + many_atoms, "The number of atoms is > 400!"},
      {cell + many_operators + atoms, "More than 192 symmetry operators in the data block"},
      {cell + symbol + kSites + "C1 0 ? 0\n", "Cannot read the coordinates of the atom site C1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 200));
    CifFile file = parse_text(c.text);
    ASSERT_EQ(file.blocks.size(), 1u);
    ScriptedUi ui;
    EXPECT_FALSE(read_cif_block(file.blocks[0], ui).has_value());
    ASSERT_EQ(ui.warnings.size(), 1u);
    EXPECT_EQ(ui.warnings[0].rfind(c.message, 0), 0u) << ui.warnings[0];
  }
}

TEST(SpaceGroupNames, CommonSpellingsNumbersAndOperatorsGiveOneSymbol) {
  const std::pair<const char*, const char*> spellings[] = {
      {"P 21/n", "P 1 21/n 1"},     {"P2(1)/c", "P 1 21/c 1"}, {"P 1 21/c 1", "P 1 21/c 1"},
      {"'R -3 c H'", "R -3 c:H"},   {"R -3 c", "R -3 c:H"},    {"F d -3 m:2", "F d -3 m:2"},
      {"Fd-3m", "F d -3 m:1"},      {"P42/mnm", "P 42/m n m"}, {"R -3 m R", "R -3 m:R"},
  };
  for (auto [written, expected] : spellings) EXPECT_EQ(standard_symbol_of(written).value_or("-"), expected) << written;
  EXPECT_EQ(
      std::tuple(standard_symbol_of("Q 9"), standard_symbol_of_number(227), standard_symbol_of_number(231)),
      std::tuple(std::nullopt, std::optional<std::string>("F d -3 m:1"), std::nullopt));
  EXPECT_EQ(std::tuple(fitted_symbol("P 1 21/c 1"), fitted_symbol("P 42/n b c:2 x")),
            std::tuple(std::string("P 1 21/c 1"), std::string("P42/nbc:2x")));
}

TEST(CifReader, StrictParseFailuresAreMendedOnlyWhereTheLineCanBeRead) {
  // A value with blanks is read whole and a stray line is left out, each told
  // with its line; a loop that lost a value is still refused.
  const std::string atoms = kSites + "C1 0 0 0\n";
  const std::string cell = "data_x\n_cell_length_a 5\n_cell_length_b 5\n_cell_length_c 5\n";
  const std::string symbol = "_symmetry_space_group_name_H-M 'P 1'\n";
  testing::TempFolder folder;
  folder.add_data_files();
  const struct {
    std::string text;
    const char* note;  // empty: refused
  } cases[] = {
      {cell + "_chemical_name_mineral Diamond cubic\n" + symbol + atoms, "line 5: a value with blanks"},
      {cell + "%%%\n" + symbol + atoms, "line 5: a line outside the items is left out"},
      {cell + symbol + kSites + "C1 0 0 0\nC2 0 0\n", ""},
  };
  for (const auto& c : cases) {
    ScriptedUi ui;
    Program program{ui, folder.path()};
    ui.choose_file(folder.write("mended.cif", c.text).string());
    open_crystal_file_of_kind(program, CrystalFileKind::Cif);
    if (std::string(c.note).empty()) {
      EXPECT_EQ(program.workspace.phase_count(), 0) << c.text;
      ASSERT_FALSE(ui.warnings.empty());
      EXPECT_EQ(ui.warnings[0].rfind("The file mended.cif is not a readable CIF file", 0), 0u) << ui.warnings[0];
      continue;
    }
    ASSERT_EQ(program.workspace.phase_count(), 1) << ui.last_warning();
    ASSERT_EQ(ui.notices.size(), 1u);
    EXPECT_NE(ui.notices[0].find(std::string("CIF syntax defect skipped (mended.cif, ") + c.note),
              std::string::npos)
        << ui.notices[0];
  }
}

}  // namespace
}  // namespace calvane
