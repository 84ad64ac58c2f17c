#include "crystal_io/cry_file.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "support/temp_folder.hpp"
#include "util/files.hpp"

namespace calvane {
namespace {

using testing::TempFolder;

const char* const kSilicon =
    "Silicon\n"
    "CUBI\n"
    "F d -3 m\n"
    "5.431 5.431 5.431 90 90 90\n"
    "Si  1  0.125 0.125 0.125 0.5 1.0\n";

std::string atom_lines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "O   1  0.1 0.2 0.3 0.5 1\n";
  return text;
}

TEST(CryFile, ReadsHeaderCellAndAtomsNormalisesSystemAndCutsTheSymbolLine) {
  TempFolder folder;
  CurrentCrystal crystal;
  auto result = read_cry_file(folder.write("si.cry", kSilicon), crystal);
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(crystal.title + "|" + crystal.system_code + "|" + crystal.symbol, "Silicon|CUBI|F d -3 m");
  ASSERT_EQ(crystal.atoms.size(), 1u);
  EXPECT_EQ(std::tuple(crystal.atoms[0].type, crystal.atoms[0].label, crystal.atoms[0].x, crystal.atoms[0].b),
            std::tuple("Si", "1", 0.125, 0.5));
  // 5.431³ = 160.1915 Å³ (hand-computed); cubic a* = 1/a.
  EXPECT_NEAR(crystal.cell.volume, 160.1915, 1e-3);
  EXPECT_NEAR(std::hypot(crystal.cell.a_star - 1 / 5.431, (crystal.cell.alpha_star - 90.0) / 1000), 0, 1e-6);
  auto path = folder.write("rutile.cry",
                           "Rutile\r\nquad\r\n  P 42/m n m   extra text\r\n4.594 4.594 2.959 90 90 90\r\n"
                           "Ti  1  0 0 0 0.4 1\r\n");
  ASSERT_TRUE(read_cry_file(path, crystal).ok);
  // Only the first 12 characters of the symbol line count, trimmed.
  EXPECT_EQ(std::tuple(crystal.system_code, crystal.symbol), std::tuple("TETR", "P 42/m n m"));
}

TEST(CryFile, WriterLaysOutColumnsExactly) {
  CurrentCrystal crystal;
  crystal.title = "Silicon";
  crystal.system_code = "CUBI";
  crystal.symbol = "F d -3 m";
  crystal.cell = {5.431, 5.431, 5.431, 90, 90, 90};
  crystal.atoms.push_back({"Si", "a", 0.125, 0.125, 0.125, 0.5, 1.0});
  crystal.atoms.push_back({"O", "", -0.25, 0.5, 1, 1.25, 0.5});
  EXPECT_EQ(format_cry_file(crystal),
            "Silicon\nCUBI\nF d -3 m\n"
            "   5.4310   5.4310   5.4310  90.000  90.000  90.000\n"
            "Si  a    0.125000  0.125000  0.125000    0.500   1.0000\n"
            "O       -0.250000  0.500000  1.000000    1.250   0.5000\n");
}

TEST(CryFile, Accepts400AtomsAndRefuses401) {
  TempFolder folder;
  const std::string header = "Big\nORTH\nP m m m\n10 11 12 90 90 90\n";
  CurrentCrystal crystal;
  auto ok = read_cry_file(folder.write("ok.cry", header + atom_lines(400)), crystal);
  ASSERT_TRUE(ok.ok) << ok.message;
  EXPECT_EQ(crystal.atoms.size(), 400u);

  CurrentCrystal untouched;
  untouched.title = "before";
  auto refused = read_cry_file(folder.write("big.cry", header + atom_lines(401)), untouched);
  EXPECT_EQ(std::tuple(refused.ok, refused.too_many_atoms, refused.message, untouched.title),
            std::tuple(false, true, "The number of atoms is > 400!", "before"));
}

TEST(CryFile, MalformedFilesNameFileAndLineAndChangeNothing) {
  TempFolder folder;
  const std::pair<const char*, const char*> cases[] = {
      {"T\nCUBI\nP m -3 m\n", "line 4"},                                    // missing cell line
      {"T\nCUBI\nP m -3 m\n4.0 4.0 x 90 90 90\n", "line 4"},                // bad number in the cell
      {"T\nCUBI\nP m -3 m\n4 4 4 90 90 90\nNa  1  0 0 0 0.5\n", "line 5"},  // population missing
      {"T\nCUBI\nP m -3 m\n4 4 4 90 90 90\nNa  1  0 0 0 0.5 1\nCl1 0 0\n", "line 6"},
      {"", "line 1"},
  };
  for (auto [content, line] : cases) {
    CurrentCrystal crystal;
    crystal.title = "before";
    auto result = read_cry_file(folder.write("bad.cry", content), crystal);
    EXPECT_EQ(std::tuple(result.ok, result.message.find("bad.cry") != std::string::npos,
                         result.message.find(line) != std::string::npos, crystal.title),
              std::tuple(false, true, true, "before"))
        << result.message;
  }
}

}  // namespace
}  // namespace calvane
