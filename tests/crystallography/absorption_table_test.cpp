#include "crystallography/absorption_table.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "profile/wavelength_lines.hpp"
#include "support/temp_folder.hpp"

namespace calvane {
namespace {

std::vector<ScatteringType> types_of(std::initializer_list<const char*> symbols) {
  std::vector<ScatteringType> types;
  for (const char* symbol : symbols) {
    types.emplace_back();
    types.back().symbol = symbol;
    types.back().absorption = {{9, 9}};  // stale points that a read must replace
  }
  return types;
}

TEST(AbsorptionTable, ReadsThePointsOfEachTypeInFileOrder) {
  testing::TempFolder folder;
  auto path = folder.write("muro.dat", "Fe 0.5 40\n\nO  1.0 2\r\nFe 1.0 100\nfe   2.0   300.5\nCu 1.0 50\n");
  auto types = types_of({"FE", "O", "SI"});
  AbsorptionReadResult result = read_absorption_table(path, types);
  EXPECT_TRUE(result.ok && result.message.empty()) << result.message;
  using Points = std::vector<std::pair<double, double>>;
  EXPECT_EQ((std::vector{types[0].absorption, types[1].absorption, types[2].absorption}),
            (std::vector<Points>{{{0.5, 40}, {1.0, 100}, {2.0, 300.5}}, {{1.0, 2}}, {}}));
}

TEST(AbsorptionTable, CutsAtThirtyPointsAndSkipsDisorderWithANotice) {
  testing::TempFolder folder;
  std::string content;
  for (int i = 1; i <= 32; ++i) content += "Fe " + std::to_string(0.1 * i) + " " + std::to_string(i) + "\n";
  content += "O 2.0 1\nO 1.0 5\nO 3.0 2\n";
  auto types = types_of({"FE", "O"});
  AbsorptionReadResult result = read_absorption_table(folder.write("muro.dat", content), types);
  EXPECT_EQ(std::tuple(result.ok, result.message),
            std::tuple(true, "More than 30 absorption points for FE in muro.dat: the others are ignored."));
  ASSERT_EQ(std::tuple(types[0].absorption.size(), types[1].absorption.size()), std::tuple(30u, 2u));
  EXPECT_EQ(std::tuple(types[0].absorption.back().second, types[1].absorption[1].first),
            std::tuple(30.0, 3.0));

  auto only_o = types_of({"O"});
  result = read_absorption_table(folder.write("muro.dat", "O 2.0 1\nO 1.0 5\n"), only_o);
  EXPECT_EQ(result.message,
            "Absorption points of O in muro.dat are not in ascending wavelength order: line 2 is ignored.");
}

TEST(AbsorptionTable, MalformedOrMissingFilesLeaveTheTypesAlone) {
  testing::TempFolder folder;
  const std::pair<const char*, const char*> files[] = {
      {"Fe 1.0 100\nFe 2.0 x\n", "Error in file muro.dat at line 2."},
      {"Fe 1.0\n", "Error in file muro.dat at line 1."},
      {"  1.0 100\n", "Error in file muro.dat at line 1."},
  };
  for (auto [content, message] : files) {
    auto types = types_of({"FE"});
    AbsorptionReadResult result = read_absorption_table(folder.write("muro.dat", content), types);
    EXPECT_EQ(std::tuple(result.ok, result.message, types[0].absorption.size()),
              std::tuple(false, message, 1u))
        << content;
  }
  auto types = types_of({"FE"});
  AbsorptionReadResult result = read_absorption_table(folder / "none.dat", types);
  EXPECT_EQ(std::tuple(result.ok, result.message), std::tuple(false, "File none.dat not found"));
}

TEST(AbsorptionTable, InterpolatesLinearlyInWavelength) {
  const std::vector<std::pair<double, double>> points{{0.5, 40}, {1.0, 100}, {2.0, 300}};
  const std::pair<double, double> cases[] = {
      {0.75, 70}, {1.0, 100}, {1.5, 200},
      {2.0, 300}, {0.2, 40},  // below the first point: the first point's value
      {2.5, 0},               // beyond the last point: nothing
  };
  for (auto [wavelength, expected] : cases)
    EXPECT_DOUBLE_EQ(tabulated_absorption(points, wavelength), expected) << wavelength;
  EXPECT_EQ(tabulated_absorption({}, 1.0), 0);
}

// The shipped table holds every line of the wavelength list; the values are
// xraylib 4.0 CS_Total (cm²/g) at those wavelengths.
TEST(AbsorptionTable, ShippedTableCoversTheLineList) {
  auto types = types_of({"FE", "O", "U"});
  AbsorptionReadResult result = read_absorption_table(testing::source_folder("data") / "muro.dat", types);
  ASSERT_TRUE(result.ok && result.message.empty()) << result.message;
  std::vector<double> lines{1.5406};  // the default wavelength, then the line list
  for (const CharacteristicLine& line : kCharacteristicLines) lines.push_back(line.wavelength);
  for (const ScatteringType& type : types) {
    EXPECT_LE(type.absorption.size(), 30u);
    for (double line : lines) {
      auto found = std::find_if(type.absorption.begin(), type.absorption.end(),
                                [&](const auto& p) { return std::abs(p.first - line) < 1e-9; });
      EXPECT_NE(found, type.absorption.end()) << type.symbol << " " << line;
    }
  }
  EXPECT_NEAR(tabulated_absorption(types[0].absorption, 1.54056), 301.048, 0.01);
  EXPECT_NEAR(tabulated_absorption(types[1].absorption, 0.7093), 1.21507, 1e-4);
}

}  // namespace
}  // namespace calvane
