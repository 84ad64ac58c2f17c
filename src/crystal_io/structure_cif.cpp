#include "crystal_io/structure_cif.hpp"

#include <cmath>
#include <numbers>
#include <set>

#include "crystallography/operators.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

// A CIF value: quoted when it holds blanks or could be read as something else.
std::string cif_value(const std::string& text) {
  if (text.empty()) return "?";
  if (text.find_first_of(" \t'\"_#$;[]") == std::string::npos) return text;
  return text.find('\'') == std::string::npos ? "'" + text + "'" : "\"" + text + "\"";
}

std::string number(double value, int decimals) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

// The whole group: the listed operators, their inverses when the group is
// centrosymmetric, each with every centring translation; translations
// brought into [0, 1), duplicates dropped.
std::vector<SymmetryOperator> full_group(const SymmetryData& symmetry) {
  std::vector<std::array<double, 3>> translations{{0, 0, 0}};
  translations.insert(translations.end(), symmetry.centring_translations.begin(), symmetry.centring_translations.end());
  std::vector<SymmetryOperator> group;
  std::set<std::string> seen;
  for (const SymmetryOperator& listed : symmetry.operators)
    for (int sign : symmetry.centrosymmetric ? std::vector{1, -1} : std::vector{1})
      for (const auto& shift : translations) {
        SymmetryOperator op = listed;
        for (std::size_t row = 0; row < 3; ++row) {
          for (std::size_t column = 0; column < 4; ++column) op.m[row][column] *= sign;
          const double t = op.m[row][3] + shift[row];
          op.m[row][3] = t - std::floor(t + 1e-9);
        }
        if (seen.insert(operator_text(op)).second) group.push_back(op);
      }
  return group;
}

}  // namespace

std::string structure_cif_text(const CurrentCrystal& crystal, const std::string& block_name) {
  std::string text = "data_" + (block_name.empty() ? std::string("phase") : block_name) + "\n";
  text += "_chemical_name_common " + cif_value(std::string(trim_view(crystal.title))) + "\n";
  const CellParameters& cell = crystal.cell;
  const std::pair<const char*, double> lengths[] = {{"a", cell.a}, {"b", cell.b}, {"c", cell.c}};
  for (const auto& [name, value] : lengths) text += std::string("_cell_length_") + name + " " + number(value, 5) + "\n";
  const std::pair<const char*, double> angles[] = {{"alpha", cell.alpha}, {"beta", cell.beta}, {"gamma", cell.gamma}};
  for (const auto& [name, value] : angles) text += std::string("_cell_angle_") + name + " " + number(value, 4) + "\n";
  text += "_symmetry_space_group_name_H-M " + cif_value(std::string(trim_view(crystal.symbol))) + "\n";
  if (!crystal.symmetry.hall_symbol.empty())
    text += "_symmetry_space_group_name_Hall " + cif_value(crystal.symmetry.hall_symbol) + "\n";
  if (crystal.symmetry.space_group_number > 0)
    text += "_symmetry_Int_Tables_number " + std::to_string(crystal.symmetry.space_group_number) + "\n";
  text += "loop_\n_symmetry_equiv_pos_as_xyz\n";
  for (const SymmetryOperator& op : full_group(crystal.symmetry)) {
    std::string xyz = to_lower(operator_text(op));
    std::erase(xyz, ' ');
    text += "'" + xyz + "'\n";
  }
  text += "loop_\n_atom_site_label\n_atom_site_type_symbol\n_atom_site_fract_x\n_atom_site_fract_y\n"
          "_atom_site_fract_z\n_atom_site_U_iso_or_equiv\n_atom_site_occupancy\n";
  const double b_to_u = 1.0 / (8 * std::numbers::pi * std::numbers::pi);
  int number_of_site = 0;
  for (const AtomSite& atom : crystal.atoms) {
    // Labels must be unique in a CIF: the element with the site's number.
    const std::string label = atom.type + std::to_string(++number_of_site);
    text += cif_value(label) + " " + cif_value(atom.type) + " " + number(atom.x, 5) + " " + number(atom.y, 5) + " " +
            number(atom.z, 5) + " " + number(atom.b * b_to_u, 6) + " " + number(atom.population, 4) + "\n";
  }
  return text;
}

}  // namespace calvane
