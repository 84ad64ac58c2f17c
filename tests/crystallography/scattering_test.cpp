#include "crystallography/scattering.hpp"

#include <gtest/gtest.h>


#include "crystallography/tables/scattering_tables.hpp"

namespace calvane {
namespace {

CurrentCrystal crystal_of(std::initializer_list<const char*> atom_types) {
  CurrentCrystal crystal;
  for (const char* type : atom_types) crystal.atoms.push_back(AtomSite{type, "", 0, 0, 0, 0, 1, 0, 0, 0});
  return crystal;
}

ScatteringType looked_up(const char* symbol) {
  ScatteringType type;
  type.symbol = symbol;
  EXPECT_EQ(lookup_form_factor(type), "") << symbol;
  return type;
}

// Neutron scattering lengths (Sears 1992) under the spellings of atom types;
// atomic weights are checked through the molecular weights in composition_test.
TEST(ScatteringTables, FindLengthsUnderEverySpelling) {
  EXPECT_EQ(atomic_weight("Xx"), 0);
  const std::pair<const char*, double> lengths[] = {
      {"LI", -0.203}, {"BE", 0.78},  {"C", 0.665},    {"O", 0.58},  {"NI", 1.03},
      {"H", -0.374},  {"D.", 0.667}, {" fe ", 0.945}, {"D", 0.667}, {"NI..", -0.87}};
  for (auto [name, length] : lengths) EXPECT_EQ(neutron_length(name), length) << name;
  EXPECT_FALSE(neutron_length("XX").has_value());
}

// f0 at s = sin θ/λ = 0, 0.25, 0.5 and 1.0 Å⁻¹, recorded from cctbx
// (cctbx.eltbx.xray_scattering.it1992(label).fetch().at_stol(s)).
TEST(FormFactor, MatchesCctbxIt1992) {
  struct Case {
    const char* species;
    double f[4];
  };
  const Case cases[] = {
      {"Fe", {25.9904, 18.36261, 11.50569, 6.54892}}, {"O2-.", {9.99929, 5.08142, 2.27419, 1.36729}},
      {"Si", {13.9976, 8.86095, 6.24009, 2.69907}},   {"Cu2+", {26.9995, 21.5576, 13.71045, 7.12227}},
      {"U", {91.9693, 72.74194, 55.41775, 35.45661}}, {"H.", {0.99987, 0.34987, 0.07071, 0.00694}},
      {"C", {5.9992, 2.94976, 1.68576, 1.1152}},      {"H", {0.99995, 0.43801, 0.10303, 0.0091}},
  };
  const double s_values[] = {0.0, 0.25, 0.5, 1.0};
  for (const Case& c : cases) {
    const ScatteringType type = looked_up(c.species);
    for (std::size_t i = 0; i < 4; ++i)
      EXPECT_NEAR(form_factor(type, s_values[i], 0).real, c.f[i], 2e-4) << c.species << " s=" << s_values[i];
  }
}

TEST(FormFactor, AddsTheAnomalousTermsDeuteriumTakesHydrogenAndUnknownElementsAreNamed) {
  ScatteringType fe = looked_up("FE");
  fe.f_prime = {-1.1, -2.2, -3.3, -4.4};
  fe.f_second = {3.1, 3.2, 3.3, 3.4};
  const double f0 = form_factor(fe, 0.3, 0).real;
  // No fifth wavelength in the tables.
  EXPECT_EQ(std::tuple(form_factor(fe, 0.3, 2).real, form_factor(fe, 0.3, 2).imaginary,
                       form_factor(fe, 0.3, 4).real, form_factor(fe, 0.3, 5).imaginary),
            std::tuple(f0 - 2.2, 3.2, f0 - 4.4, 0.0));
  const ScatteringType d = looked_up("D"), h = looked_up("H");
  EXPECT_EQ(std::tuple(d.a, d.c), std::tuple(h.a, h.c));
  ScatteringType unknown;
  unknown.symbol = "XX";
  EXPECT_EQ(lookup_form_factor(unknown), "element XX not found!");
  EXPECT_EQ(std::tuple(find_form_factor_species("fe3+")->name, find_form_factor_species("FE3")),
            std::tuple("Fe3+", nullptr));
}

TEST(ScatteringTypes, OneTypePerElementInOrderOfFirstAppearance) {
  CurrentCrystal crystal = crystal_of({"Fe1", "O2-", "Fe3+", "fe", "O", "D", "Si"});
  ASSERT_EQ(assign_scattering_types(crystal), "");
  std::vector<std::string> symbols;
  std::vector<int> indices;
  for (const auto& type : crystal.scattering_types) symbols.push_back(type.symbol);
  for (const auto& atom : crystal.atoms) indices.push_back(atom.type_index);
  EXPECT_EQ(std::tuple(symbols, indices), std::tuple(std::vector<std::string>{"FE", "O", "D", "SI"},
                                                     std::vector<int>{1, 2, 1, 1, 2, 3, 4}));
  // Rebuilding keeps the values of kept elements.
  crystal.scattering_types[0].f_second[0] = 3.2;
  crystal.atoms.insert(crystal.atoms.begin(), AtomSite{"Cu", "", 0, 0, 0, 0, 1, 0, 0, 0});
  ASSERT_EQ(assign_scattering_types(crystal), "");
  EXPECT_EQ(std::tuple(crystal.scattering_types[1].symbol, crystal.scattering_types[1].f_second[0],
                       crystal.scattering_types[0].f_second[0]),
            std::tuple("FE", 3.2, 0.0));
}

TEST(ScatteringTypes, MoreThanTwentyElementsAreRefusedAndChangeNothing) {
  const char* elements[] = {"H",  "He", "Li", "Be", "B", "C",  "N",  "O", "F",  "Ne", "Na",
                            "Mg", "Al", "Si", "P",  "S", "Cl", "Ar", "K", "Ca", "Sc"};
  CurrentCrystal crystal;
  for (const char* element : elements) crystal.atoms.push_back(AtomSite{element, "", 0, 0, 0, 0, 1, 0, 0, 0});
  EXPECT_NE(assign_scattering_types(crystal).find("at most 20"), std::string::npos);
  EXPECT_EQ(std::tuple(crystal.scattering_types.size(), crystal.atoms.back().type_index), std::tuple(0u, 0));
  crystal.atoms.pop_back();
  EXPECT_EQ(assign_scattering_types(crystal), "");
  EXPECT_EQ(crystal.scattering_types.size(), 20u);
}

}  // namespace
}  // namespace calvane
