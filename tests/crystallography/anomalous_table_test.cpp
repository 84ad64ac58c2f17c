#include "crystallography/anomalous_table.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "../experiment_io/byte_layout.hpp"
#include "support/temp_folder.hpp"

namespace calvane {
namespace {

// A block as the tables lay it out: a two-character symbol, a 32-bit count,
// then energy, f' and f'' of each point as 32-bit floats.
std::string block(const char* symbol, std::initializer_list<AnomalousPoint> points) {
  testing::ByteLayout bytes(6);
  bytes.text(0, std::string_view(symbol, 2)).put<std::int32_t>(2, static_cast<std::int32_t>(points.size()));
  std::size_t at = 6;
  for (const AnomalousPoint& p : points) {
    bytes.put(at, p.energy_ev).put(at + 4, p.f_prime).put(at + 8, p.f_second);
    at += 12;
  }
  return bytes.bytes();
}

// Energies chosen so that 12400/λ is exact: λ = 2 Å is 6200 eV, λ = 1 Å is 12400 eV.
const std::string kTwoBlocks = block("O ", {{5000, 0.1F, 0.05F}}) +
                               block("Fe", {{6000, -2, 2}, {7000, -4, 4}, {12400, -1, 3}, {20000, 0, 1}});

AnomalousTable parsed(const std::string& bytes) {
  AnomalousTable table;
  EXPECT_EQ(parse_anomalous_table(bytes, "test.an", table), "");
  return table;
}

TEST(AnomalousTable, ReadsTheBinaryBlocks) {
  const AnomalousTable table = parsed(kTwoBlocks);
  ASSERT_EQ(table.elements.size(), 2u);
  ASSERT_EQ(table.elements[1].points.size(), 4u);
  EXPECT_EQ(std::tuple(table.elements[0].symbol, table.elements[1].points[2].energy_ev,
                       table.elements[1].points[2].f_second),
            std::tuple("O ", 12400.0F, 3.0F));
  EXPECT_EQ((std::vector{find_anomalous_element(table, " o"), find_anomalous_element(table, "FE"),
                         find_anomalous_element(table, "CU")}),
            (std::vector<const AnomalousElement*>{&table.elements[0], &table.elements[1], nullptr}));
}

TEST(AnomalousTable, DamagedFilesAreRefusedWithTheirName) {
  const std::string truncated = kTwoBlocks.substr(0, kTwoBlocks.size() - 5);
  const std::string negative_count = testing::ByteLayout(6).text(0, "Fe").put<std::int32_t>(2, -1).bytes();
  const std::string huge_count = testing::ByteLayout(6).text(0, "Fe").put<std::int32_t>(2, 0x7FFFFFFF).bytes();
  const std::string cases[] = {truncated, negative_count, huge_count, "F"};
  for (const std::string& bytes : cases) {
    AnomalousTable table;
    table.elements.push_back({"Cu", {}});
    EXPECT_EQ(parse_anomalous_table(bytes, "Brcow.an", table),
              "File Brcow.an is damaged: it is not an anomalous dispersion table.");
    EXPECT_EQ(table.elements.size(), 1u);  // left as it was
  }
  AnomalousTable table;
  EXPECT_EQ(read_anomalous_file(testing::TempFolder() / "Sasaki.an", table), "File Sasaki.an not found");
}

TEST(AnomalousTable, AComputationReadsOnlyItsElementsButTheWholeFileIsChecked) {
  testing::TempFolder folder;
  const auto path = folder.write("Brcow.an", kTwoBlocks + block("Cu", {{9000, -1, 1}}));
  AnomalousTable table;
  ASSERT_EQ(read_anomalous_elements(path, {"cu", " O"}, table), "");
  ASSERT_EQ(table.elements.size(), 2u);
  EXPECT_EQ(std::pair(table.elements[0].symbol, table.elements[1].points[0].energy_ev),
            std::pair(std::string("O "), 9000.0F));
  folder.write("Brcow.an", kTwoBlocks + "C");  // damage after the wanted block
  EXPECT_EQ(read_anomalous_elements(path, {"O"}, table),
            "File Brcow.an is damaged: it is not an anomalous dispersion table.");
  EXPECT_EQ(table.elements.size(), 2u);  // left as it was
}

TEST(AnomalousTable, InterpolatesLinearlyInEnergy) {
  const AnomalousTable table = parsed(kTwoBlocks);
  const AnomalousElement& fe = table.elements[1];
  struct Case {
    double wavelength, f_prime, f_second;
  };
  const Case cases[] = {
      {12400.0 / 6500.0, -3.0, 3.0},  // half way between 6000 and 7000 eV
      {1.0, -1.0, 3.0},               // exactly on a point
      {0.8, -0.592105, 2.184211},     // 15500 eV: 3100/7600 of the way from 12400 to 20000 eV
      {3.0, -2.0, 2.0},               // 4133 eV, below the first point: the first point's values
  };
  for (const Case& c : cases) {
    auto value = interpolate_anomalous(fe, c.wavelength);
    ASSERT_TRUE(value.has_value()) << c.wavelength;
    EXPECT_NEAR(std::hypot(value->f_prime - c.f_prime, value->f_second - c.f_second), 0, 1e-4)
        << c.wavelength;
  }
  EXPECT_FALSE(interpolate_anomalous(fe, 0.5).has_value());  // 24800 eV, past the last point
}

TEST(AnomalousTable, ApplyFillsEachWavelengthAndKeepsValuesItCannotReplace) {
  const AnomalousTable table = parsed(kTwoBlocks);
  std::vector<ScatteringType> types(3);
  for (std::size_t i = 0; i < 3; ++i) {
    types[i].symbol = std::array{"FE", "CU", "O"}[i];  // no block for CU
    types[i].f_prime.fill(9);
    types[i].f_second.fill(9);
  }
  apply_anomalous_table(table, {1.0, 0.5, 2.0, 3.0, 0.9}, types);
  const std::array<double, 4> fe_prime{-1, 9, -2.4, -2};  // 24800 eV lies beyond the Fe block
  const std::array<double, 4> fe_second{3, 9, 2.4, 2};
  for (std::size_t j = 0; j < 4; ++j) {
    EXPECT_NEAR(std::hypot(types[0].f_prime[j] - fe_prime[j], types[0].f_second[j] - fe_second[j]), 0, 1e-4)
        << j;
    EXPECT_EQ(types[1].f_prime[j], 9) << j;
  }
  // O's single point at 5000 eV: only the 4133 eV wavelength lies at or below it.
  EXPECT_EQ(std::tuple(types[2].f_prime[0], types[2].f_second[2]), std::tuple(9.0, 9.0));
  EXPECT_FLOAT_EQ(types[2].f_second[3], 0.05F);
}

// The shipped tables at Cu Kα (1.5406 Å, E = 12400/λ = 8048.8 eV). References:
// xraylib 4.0 Fi(26, 8.0488) = -1.1045, -Fii = 3.1910; cctbx sasaki Fe at 8048.8 eV:
// f' = -1.1782, f'' = 3.1970.
TEST(AnomalousTable, ShippedTablesGiveIronAtCopperKAlpha) {
  struct Case {
    const char* file;
    double f_prime, f_second;
  };
  const Case cases[] = {{"Brcow.an", -1.1045, 3.1910}, {"Sasaki.an", -1.1782, 3.1970}};
  for (const Case& c : cases) {
    AnomalousTable table;
    ASSERT_EQ(read_anomalous_file(testing::source_folder("data") / c.file, table), "");
    const AnomalousElement* fe = find_anomalous_element(table, "FE");
    ASSERT_NE(fe, nullptr) << c.file;
    auto value = interpolate_anomalous(*fe, 1.5406);
    ASSERT_TRUE(value.has_value());
    EXPECT_NEAR(value->f_prime, c.f_prime, 0.03) << c.file;
    EXPECT_NEAR(value->f_second, c.f_second, 0.03) << c.file;
  }
}

}  // namespace
}  // namespace calvane
