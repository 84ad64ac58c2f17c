// The working crystal: the one record every reader fills, every writer reads
// and the engine computes on.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/scattering_type.hpp"
#include "model/symmetry_operator.hpp"
#include "model/atom_site.hpp"

namespace calvane {

/// Cell lengths in Å and angles in degrees, with the derived reciprocal cell.
struct CellParameters {
  double a = 0, b = 0, c = 0;
  double alpha = 0, beta = 0, gamma = 0;
  double a_star = 0, b_star = 0, c_star = 0;              // 1/Å
  double alpha_star = 0, beta_star = 0, gamma_star = 0;  // degrees
  double volume = 0;                                      // Å³
  std::array<std::array<double, 3>, 3> b_matrix{};        // reciprocal-cell orthogonalisation
};

/// Symmetry data of a crystal: the operator list with centring copies
/// multiplied in (primitive operators first, then one block per centring
/// translation), their texts, and what the engine derives from them.
struct SymmetryData {
  std::vector<SymmetryOperator> operators;   // at most 192
  std::vector<std::string> operator_texts;   // x,y,z notation, at most 24 characters each
  std::vector<std::array<double, 3>> centring_translations;  // besides the identity, 0..3
  bool centrosymmetric = false;
  char lattice_letter = 'P';
  std::string hall_symbol;   // the "Hall" box; empty selects the ".pos" route
  int space_group_number = 0;
};

struct CurrentCrystal {
  std::string title;
  std::string system_code;  // "CUBI", "TETR", "ORTH", "HEXA", "RHOM", "MONO", "TRIC"
  std::string symbol;       // Hermann-Mauguin symbol as typed, at most 12 characters
  CellParameters cell;
  std::vector<AtomSite> atoms;  // at most 400
  SymmetryData symmetry;
  std::vector<ScatteringType> scattering_types;  // at most 20
  /// What a reader assumed where the file said nothing or said it oddly
  /// (default B, element from a label, ...): shown once after the file opens.
  std::vector<std::string> read_notes;
};

/// Volume, reciprocal cell and B matrix from a, b, c, α, β, γ (angles in
/// degrees, converted with the exact factor π/180).
void compute_derived_cell(CellParameters& cell);

/// The product a·b·c·α·β·γ that the driver and the keyboard save test against 0.
double cell_product(const CellParameters& cell);

}  // namespace calvane
