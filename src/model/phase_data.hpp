// One crystal phase of the workspace: its crystal, composition, options and results.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/current_crystal.hpp"
#include "model/colour.hpp"
#include "model/pattern_corrections.hpp"
#include "model/reflection.hpp"

namespace calvane {

/// Anomalous-dispersion terms of one element at the wavelengths in use.
struct AnomalousTerms {
  std::string element;              // at most 4 characters
  std::array<double, 4> f_prime{};  // per wavelength index
  std::array<double, 4> f_second{};
};

/// What the composition step derives for a phase (formula, Z, M, density,
/// absorption) and the anomalous terms of its elements.
struct PhaseComposition {
  int formula_units = 0;          // Z, "Nb of mole/cell"
  double molecular_weight = 0;    // M, g/mol
  double density = 0;             // g/cm³
  std::string formula;
  std::array<double, 4> mass_absorption{};       // μ/ρ per wavelength, "Mass absorp."
  std::array<double, 4> absorption_from_f2{};    // companion value derived from f″
  std::vector<AnomalousTerms> anomalous;          // at most 20
  /// The table f′ and f″ are read from at each computation ("Brcow.an" or
  /// "Sasaki.an", as last chosen in the anomalous panel); empty after
  /// "Suppress correction": no anomalous correction.
  std::string anomalous_table = "Brcow.an";
  /// The wavelengths in use when f′ or f″ were typed into the anomalous
  /// table; empty when the terms are the table's. Typed terms replace the
  /// table's at each computation while these wavelengths stay in use.
  std::vector<double> typed_anomalous_wavelengths;
};

/// The data block of a CIF file a phase was read from: its number (from 1)
/// and name at the time; 0 and empty for other files.
struct CifBlockChoice {
  int number = 0;
  std::string name;
};

struct PhaseData {
  double fraction = 1;        // share 0..1 (weight or molar by the percent mode)
  double crystal_size = 5000; // Å
  double strain = 0;          // Δd/d
  bool draw = true;
  bool show_hkl = false;
  Rgb colour{};
  int pen_width = 1;
  int pen_style = 0;
  std::string file_name;      // the crystal file the phase came from
  CifBlockChoice cif_block;   // its data block when the file is a CIF

  CurrentCrystal crystal;     // title, system, symbol, cell, symmetry, atoms, types

  PhaseComposition composition;

  std::vector<Reflection> reflections;  // merged list of all wavelengths, 2θ ascending
  double scale_factor = 1;              // K
  std::vector<float> profile;           // at most 1600 points
  PreferredOrientation preferred_orientation{};
  double particle_radius_um = 0;        // Brindley microabsorption; 0: not corrected
};

}  // namespace calvane
