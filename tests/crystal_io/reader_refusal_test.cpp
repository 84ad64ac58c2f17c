// Crystals that cannot be computed are refused where they enter, with the
// file, the line and the reason; files are told apart by their own extension.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "crystal_io/crystal_file_kind.hpp"
#include "flows/open_flow.hpp"
#include "program_with_data.hpp"
#include "util/files.hpp"
#include "flows/program.hpp"

namespace calvane {
namespace {


struct Refusals : ::testing::Test, testing::ProgramWithData {};

// Rock salt as a CIF with one text changed.
std::string nacl_cif(const std::string& from, const std::string& to) {
  std::string text = testing::crystal_fixture("nacl_current_dictionary.cif");
  return text.replace(text.find(from), from.size(), to);
}

struct BadFile {
  const char* name;
  std::string text;
  CrystalFileKind kind;
  const char* expected;  // a part of the one message that refuses it
};

TEST_F(Refusals, EveryReaderRefusesImpossibleCellsAndNegativeOccupancies) {
  const BadFile cases[] = {
      {"neg.cry", "NaCl\nCUBI\nF m -3 m\n-5.64 5.64 5.64 90 90 90\nNa  1 0 0 0 1 1\n", CrystalFileKind::Native,
       "Impossible cell in neg.cry, line 4: the cell length a = -5.64 is not above 0"},
      {"occ.cry", "NaCl\nCUBI\nF m -3 m\n5.64 5.64 5.64 90 90 90\nNa  1 0 0 0 1 -1\n", CrystalFileKind::Native,
       "Read error in occ.cry, line 5: the occupancy -1 is negative"},
      {"angle.cel", "CELL 5 5 5 -9999 90 90\nNa1 11 0 0 0 1 1\nRGNR 225\n", CrystalFileKind::PowderCell,
       "Impossible cell in angle.cel, line 1: the cell angle alpha = -9999"},
      {"occ.cel", "CELL 5 5 5 90 90 90\nNa1 11 0 0 0 -0.5 1\nRGNR 225\n", CrystalFileKind::PowderCell,
       "Read error (occ.cel, line 2: the occupancy -0.5 is negative)"},
      {"flat.lzy", "CELL 5 5 5 120 120 120\nSPCGRP P1\nATOM NA  1 0 0 0 1 1\n", CrystalFileKind::LazyPulverix,
       "Impossible cell in flat.lzy, line 1: the angles alpha = 120, beta = 120, gamma = 120 do not close"},
      {"occ.lzy", "CELL 5 5 5 90 90 90\nSPCGRP P1\nATOM NA  1 0 0 0 -1 1\n", CrystalFileKind::LazyPulverix,
       "Read error (occ.lzy, line 3: the occupancy -1 is negative)"},
      {"cell.ins", "TITL x\nCELL 1.54 5 5 5 90 190 90\nFVAR 1\nNA1 1 0 0 0 11 0.01\nEND\n", CrystalFileKind::Shelx,
       "Impossible cell in cell.ins, line 2: the cell angle beta = 190"},
      {"occ.ins", "TITL x\nCELL 1.54 5 5 5 90 90 90\nFVAR 1 0.3\nNA1 1 0 0 0 -10.5 0.01\nEND\n",
       CrystalFileKind::Shelx, "read error (occ.ins, line 4: NA1: the occupancy -0.5 is negative)"},
      {"cell.cif", nacl_cif("_cell_angle_alpha 90", "_cell_angle_alpha -9999"), CrystalFileKind::Cif, "Impossible cell in cell.cif"},
      {"occ.cif", nacl_cif("0.98(2) 1.0", "0.98(2) -1"), CrystalFileKind::Cif, "the occupancy -1 is negative"},
  };
  for (const BadFile& bad : cases) {
    ui.warnings.clear();
    open(bad.name, bad.text, bad.kind);
    EXPECT_EQ(program.workspace.phase_count(), 0) << bad.name;
    EXPECT_NE(all_warnings().find(bad.expected), std::string::npos) << bad.name << ":\n" << all_warnings();
  }
}

TEST_F(Refusals, ShelxIncludeLinesAreRefusedWithTheirLine) {
  open("inc.ins", "TITL x\nCELL 1.54 5 5 5 90 90 90\nLATT 4\n+nacl.inc\nFVAR 1\nNA1 1 0 0 0 11 0.01\nEND\n",
       CrystalFileKind::Shelx);
  EXPECT_EQ(program.workspace.phase_count(), 0);
  ASSERT_FALSE(ui.warnings.empty());
  EXPECT_EQ(ui.warnings.front(),
            "read error (inc.ins, line 4: an '+include' line asks for another file, which is not read)");
}

TEST(CrystalFileKinds, ComeFromTheFileNamesOwnExtensionWithoutRegardToCase) {
  const std::pair<const char*, std::optional<CrystalFileKind>> cases[] = {
      {"/data/proj.cif.d/nacl.cry", CrystalFileKind::Native},
      {"/data/run.res.old/quartz.CIF", CrystalFileKind::Cif},
      {"ZRO2.RES", CrystalFileKind::Shelx},
      {"a.Ins", CrystalFileKind::Shelx},
      {"a.inp", CrystalFileKind::Shelx},
      {"rutile.Cel", CrystalFileKind::PowderCell},
      {"rutile.LZY", CrystalFileKind::LazyPulverix},
      {"x.ics", CrystalFileKind::Icsd},
      {"nacl.cif.txt", std::nullopt},
      {"/data/x.cry/readme", std::nullopt},
  };
  for (auto [name, kind] : cases) EXPECT_EQ(crystal_kind_of_name(name), kind) << name;
}

TEST(CrystalFileKinds, ComeFromTheContentWhenTheNameSaysNothing) {
  const std::pair<const char*, std::optional<CrystalFileKind>> cases[] = {
      {"data_x\n_cell_length_a 5\n", CrystalFileKind::Cif},
      {"TITL x\nCELL 0.71 5 5 5 90 90 90\nLATT 1\n", CrystalFileKind::Shelx},
      {"CELL 5 5 5 90 90 90\nNa1 11 0 0 0\nRGNR 225\n", CrystalFileKind::PowderCell},
      {"TITLE x\nCELL 5 5 5 90 90 90\nSPCGRP P 1\n", CrystalFileKind::LazyPulverix},
      {"NaCl\nCUBI\nF m -3 m\n5.64 5.64 5.64 90 90 90\n", CrystalFileKind::Native},
      {"hello\n", std::nullopt},
  };
  for (auto [text, kind] : cases) EXPECT_EQ(crystal_kind_of_text(text), kind) << text;
}

}  // namespace
}  // namespace calvane
