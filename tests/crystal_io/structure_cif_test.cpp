// The CIF written for structure viewers, read back by the program's own CIF reader.
#include "crystal_io/structure_cif.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "crystal_io/cry_file.hpp"
#include "crystal_io/crystal_files.hpp"
#include "crystallography/operators.hpp"
#include "support/temp_folder.hpp"
#include "util/files.hpp"
#include "util/message_sink.hpp"

namespace calvane {
namespace {

TEST(StructureCif, ReadsBackWithTheSameCellAtomsAndWholeGroup) {
  testing::TempFolder folder;
  folder.add_data_files();
  // Rock salt (F m -3 m, 192 operators: centring and inversion multiplied in) and
  // corundum (R -3 c in hexagonal axes, 36).
  for (auto [example, operators] : {std::pair{"nacl.cry", 192u}, std::pair{"corundum.cry", 36u}}) {
    CollectedMessages messages;
    auto crystal = read_crystal_file(
        {testing::source_folder(std::string("examples/") + example), CrystalFileKind::Native, example, folder.path(), {}},
        messages);
    ASSERT_TRUE(crystal) << example;
    build_symmetry_operators(*crystal, folder.path(), folder.path(), messages);
    const std::filesystem::path written = folder.path() / "viewer.cif";
    const std::string text = structure_cif_text(*crystal, "phase");
    ASSERT_EQ(overwrite_file(written, text), "");
    // Every operator of the group once: the xyz loop's quoted lines.
    std::size_t xyz_lines = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
      xyz_lines += line.starts_with("'") && std::count(line.begin(), line.end(), ',') == 2;
    EXPECT_EQ(xyz_lines, operators) << example;
    const auto again = read_crystal_file({written, CrystalFileKind::Cif, "viewer.cif", folder.path(), {}}, messages);
    ASSERT_TRUE(again) << example;
    EXPECT_TRUE(again->symbol.starts_with(crystal->symbol)) << again->symbol;  // "R -3 c:H" names its axes
    // Cell and atoms as the .cry writer lays them out; B goes through Uiso = B / 8π².
    CurrentCrystal back = *again;
    back.title = crystal->title;
    back.symbol = crystal->symbol;
    ASSERT_EQ(back.atoms.size(), crystal->atoms.size());
    for (std::size_t i = 0; i < back.atoms.size(); ++i) back.atoms[i].label = crystal->atoms[i].label;  // renumbered
    EXPECT_EQ(format_cry_file(back), format_cry_file(*crystal));
  }
}

}  // namespace
}  // namespace calvane
