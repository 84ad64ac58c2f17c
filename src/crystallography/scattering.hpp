// Scattering types of a phase and what the built-in tables give them: X-ray
// form factors, atomic weights and neutron scattering lengths.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/current_crystal.hpp"
#include "model/scattering_type.hpp"
#include "crystallography/tables/scattering_tables.hpp"

namespace calvane {

/// A phase holds at most this many distinct elements (its scattering types).
inline constexpr int kMaxScatteringTypes = 20;

/// The element an atom type stands for, in capitals: its leading letters, at
/// most two ("Fe3+" and "fe" give "FE", "O2-" and "O1" give "O").
std::string scattering_symbol(std::string_view atom_type);

/// Builds the crystal's type list (one type per element, in order of first
/// appearance) and gives each atom its 1-based type index. Types whose symbol
/// is kept keep their coefficients, f′, f″ and absorption points. Returns an
/// empty string, or a message when the phase has more than 20 elements, in
/// which case the crystal is left unchanged.
std::string assign_scattering_types(CurrentCrystal& crystal);

/// Fills a1…a4, b1…b4 and c of `type` from the 213-species table (first match
/// of the symbol, compared in capitals; deuterium "D" takes hydrogen's).
/// Returns an empty string, or "element " + symbol + " not found!".
std::string lookup_form_factor(ScatteringType& type);

/// The species of the form-factor table called `name` ("Fe3+", "O2-."), compared
/// trimmed and in capitals; null when the table has none (the ion check of the
/// crystal page).
const FormFactorCoefficients* find_form_factor_species(std::string_view name);

struct FormFactor {
  double real = 0;       // f0 + f′
  double imaginary = 0;  // f″
};

/// f_r = c + f′ + Σ a_i exp(−b_i s²) and f_i = f″ at s = sin θ / λ = 1/(2d), with the
/// anomalous terms of wavelength `wavelength_index` (1-based, as
/// Workspace::current_wavelength_index); an index outside 1..4 takes f′ = f″ = 0.
FormFactor form_factor(const ScatteringType& type, double s, int wavelength_index);

/// Standard atomic weight (g/mol) of an element symbol, compared in capitals;
/// "D" is deuterium. 0 when the table has no such element.
double atomic_weight(std::string_view symbol);

/// Coherent neutron scattering length (10⁻¹² cm) of a name of the neutron
/// table ("FE", "D.", "NI.."), compared trimmed and in capitals. A name with
/// no entry of its own takes its variant with a point: "D" is deuterium, "D.".
std::optional<double> neutron_length(std::string_view name);

}  // namespace calvane
