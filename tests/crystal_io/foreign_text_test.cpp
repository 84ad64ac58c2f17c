#include "crystal_io/foreign_text.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "crystal_io/cif_reader.hpp"
#include "crystal_io/shelx_reader.hpp"
#include "crystal_io/xyz_operator.hpp"

namespace calvane {
namespace {

TEST(NumberList, SeparatesNumbersWrittenWithoutAGap) {
  // Fixed-column SHELX numbers run together when the second is negative.
  const std::pair<const char*, const char*> cases[] = {
      {"0.1230-0.4560", "0.1230 -0.4560"},
      {"1.2345-0.5 -3", "1.2345 -0.5 -3"},
      {"7.-2.", "7. -2."},
      {"1.0E-3 -1", "1.0E-3 -1"},  // an exponent keeps its sign
      {"-0.5", "-0.5"},
  };
  for (auto [text, expected] : cases) EXPECT_EQ(separate_run_together_numbers(text), expected) << text;
  EXPECT_EQ(read_number_list(separate_run_together_numbers("0.1230-0.4560")),
            (std::vector<double>{0.1230, -0.4560}));
}

TEST(AtomNameSplit, SplitsElementAndLabel) {
  const struct {
    const char *name, *type, *label;
  } cases[] = {
      {"O12", "O", "12"}, {"Si3", "SI", "3"}, {"C12A", "C", "12"}, {"CL1", "CL", "1"},
      {"N", "N", ""},     {"fe", "FE", ""},   {"", "", ""},        {"H1A", "H", "1A"},
  };
  for (const auto& c : cases) {
    const SplitAtomName split = split_atom_name(c.name);
    EXPECT_EQ(split.type + "|" + split.label, std::string(c.type) + "|" + c.label) << c.name;
  }
}

// A code is given only to a cell of that shape: the crystal page copies
// lengths and angles by the code (RHOM: β = γ = α; HEXA: b = a), so a wrong
// code would change the cell.
TEST(CrystalSystem, FollowsTheCellShape) {
  const struct {
    double a, b, c, alpha, beta, gamma;
    const char* code;
  } cases[] = {
      {5.431, 5.431, 5.431, 90, 90, 90, "CUBI"},
      {5.431, 5.4315, 5.4305, 90, 90, 90, "CUBI"},  // within 0.001 Å
      {4.5937, 4.5937, 2.9587, 90, 90, 90, "TETR"},
      {3.8227, 3.8872, 11.6802, 90, 90, 90, "ORTH"},
      {3.0, 5.0, 5.0, 90, 90, 90, "ORTH"},  // b = c: still rectangular
      {5.431, 5.433, 5.431, 90, 90, 90, "ORTH"},
      {3.2495, 3.2495, 5.2069, 90, 90, 120, "HEXA"},
      {4.7459, 4.7459, 4.7459, 57.23, 57.23, 57.23, "RHOM"},
      {5.1505, 5.2116, 5.3173, 90, 99.23, 90, "MONO"},
      {5.1, 6.2, 7.3, 90, 90, 101.5, "MONO"},  // unique axis c
      {5.1, 6.2, 7.3, 81.5, 95.2, 102.4, "TRIC"},
      // Near misses: equal lengths with unequal angles, a γ of 120° with a ≠ b.
      {5, 5, 5, 80, 90, 100, "TRIC"},
      {5, 5, 5, 80, 80, 80.5, "TRIC"},
      {5, 5, 5, 90, 90, 100, "MONO"},
      {5, 5, 5, 90, 90, 120, "HEXA"},
      {5, 5.01, 5, 60, 60, 60, "TRIC"},
      {4.9, 5.2, 6.0, 90, 90, 120, "MONO"},
  };
  for (const auto& c : cases) {
    const CellParameters cell{c.a, c.b, c.c, c.alpha, c.beta, c.gamma};
    EXPECT_EQ(crystal_system_from_cell(cell), c.code)
        << c.a << " " << c.b << " " << c.c << " " << c.alpha << " " << c.beta << " " << c.gamma;
  }
}

TEST(FreeVariables, FollowTheShelxlConvention) {
  // SHELXL manual: 10m + p means p·FV(m); −(10m + p) means p·(1 − FV(m));
  // m = 1 fixes p; |value| < 5 is a plain number.
  const std::vector<double> fv = {0.9, 0.6, 0.25};
  const std::pair<double, double> cases[] = {
      {31.0, 0.25}, {-31.0, 0.75},    {10.5, 0.5},  {11.0, 1.0}, {-10.5, -0.5},
      {20.5, 0.3},  {0.1234, 0.1234}, {-0.4, -0.4}, {21.0, 0.6}, {-21.0, 0.4},
  };
  for (auto [written, expected] : cases)
    EXPECT_NEAR(resolve_free_variable(written, fv).value_or(1e9), expected, 1e-12) << written;
  EXPECT_FALSE(resolve_free_variable(41.0, fv) ||
               resolve_free_variable(-1e300, fv));  // FV(4) was never given
}

TEST(AnisotropicB, MatchesCctbxForObliqueCells) {
  // Expected values: cctbx adptbx.u_cart_as_u_iso(u_cif_as_u_cart(cell, U)) × 8π².
  // The tolerance allows for the program's degree factor 57.2957; leaving out
  // the factor 2 of the cross terms would be off by about 1e-2.
  CurrentCrystal monoclinic;
  ASSERT_EQ(set_cell_from_numbers(monoclinic, {5.1505, 5.2116, 5.3173, 90, 99.23, 90}, 0), "");
  EXPECT_NEAR(
      b_from_anisotropic_u(monoclinic.cell, {0.011, 0.012, 0.013, -0.002, 0.003, 0.001}, kEightPiSquared),
      0.9381641690, 2e-5);
  CurrentCrystal triclinic;
  ASSERT_EQ(set_cell_from_numbers(triclinic, {7.039, 7.053, 6.578, 92.58, 101.17, 119.83}, 0), "");
  EXPECT_NEAR(
      b_from_anisotropic_u(triclinic.cell, {0.020, 0.025, 0.030, 0.002, 0.004, 0.008}, kEightPiSquared),
      2.1411971397, 2e-5);
}

TEST(CifLabels, DecodeElementAndLabel) {
  const struct {
    const char *text, *type, *label;
    bool known;
  } cases[] = {
      {"Fe1", "Fe", "1", true},   {"O2a", "O", "2a", true},  {"Oa", "O", "", true},
      {"FE12", "Fe", "12", true}, {"C12", "C", "12", true},  {"Ca1", "Ca", "1", true},
      {"OW1", "O", "1", true},    {" Si ", "Si", "", true},  {"O", "O", "", true},
      {"Q1", "Q", "1", false},    {"Xx3", "Xx", "3", false}, {"H1A", "H", "1A", true},
  };
  for (const auto& c : cases) {
    const DecodedLabel decoded = decode_atom_label(c.text);
    EXPECT_EQ(std::tuple(decoded.type, decoded.label, decoded.known), std::tuple(c.type, c.label, c.known))
        << c.text;
  }
}

using Rows = std::array<std::array<double, 4>, 3>;

TEST(XyzOperators, DecodeEveryWritingOfATerm) {
  const struct {
    const char* text;
    Rows rows;
  } cases[] = {
      {"x,y,z", {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}}}},
      {"-X+Y,-X,Z+1/3", {{{-1, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 1.0 / 3}}}},
      {"1/2-x, -y, 1/2+z", {{{-1, 0, 0, 0.5}, {0, -1, 0, 0}, {0, 0, 1, 0.5}}}},
      {"'y-x, +x , -z+0.25'", {{{-1, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, -1, 0.25}}}},
      {"x-y,-y,-z+2/3", {{{1, -1, 0, 0}, {0, -1, 0, 0}, {0, 0, -1, 2.0 / 3}}}},
      // Terms a fixed pattern list would mistake: a mixed row and a negative translation.
      {"-x+z,y,x-1/2", {{{-1, 0, 1, 0}, {0, 1, 0, 0}, {1, 0, 0, -0.5}}}},
      {"z,x,y", {{{0, 0, 1, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}}}},
  };
  for (const auto& c : cases) {
    const XyzDecoding decoding = decode_xyz_operator(c.text);
    EXPECT_EQ(decoding.error, "") << c.text;
    double worst = 0;
    for (std::size_t i = 0; i < 12; ++i)
      worst = std::max(worst, std::abs(decoding.op.m[i / 4][i % 4] - c.rows[i / 4][i % 4]));
    EXPECT_LT(worst, 1e-12) << c.text;
  }
}

TEST(XyzOperators, NameThePartTheyCannotDecode) {
  const std::pair<const char*, const char*> cases[] = {
      {"x,y", "cannot decode position X,Y"},       {"x,y,1/2", "cannot decode position 1/2"},
      {"x,y,z+a", "Cannot decode translation A"},  {"x,y,z+1/0", "Cannot decode translation 1/0"},
      {"x,y,0.5x", "cannot decode position 0.5X"}, {"x,y,z,x", "cannot decode position X,Y,Z,X"},
      {"x,y,z++", "cannot decode position Z++"},   {"", "cannot decode position "},
  };
  for (auto [text, error] : cases) EXPECT_EQ(decode_xyz_operator(text).error, error) << text;
}

}  // namespace
}  // namespace calvane
