// One phase as the fit sees it: its lines, what turns them into a pattern on
// any abscissae, and the quantities the Hill–Howard relation needs.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "model/pattern_corrections.hpp"
#include "model/phase_data.hpp"
#include "model/reflection.hpp"
#include "profile/peak_width.hpp"

namespace calvane {

struct Workspace;

struct FitPhase {
  std::string name;                     // the crystal file, for the report
  std::vector<Reflection> reflections;  // merged lines, intensities per cell
  /// cos²α of every member of each reflection's family with the texture
  /// direction, for the March–Dollase factor at any ratio.
  std::vector<std::vector<double>> member_cos2;
  int formula_units = 0;         // Z
  double molecular_weight = 0;   // M, g/mol
  double volume = 0;             // V, Å³
  PhaseComposition composition;  // density and absorption, for microabsorption
  double particle_radius_um = 0;
  Broadening broadening;
  PreferredOrientation orientation;
};

/// What moves the lines of a phase or changes their shape.
struct PhaseShape {
  double orientation_ratio = 1;   // March–Dollase r
  double crystal_size_angstrom = 0;  // 0: no size broadening
  double cell_scale = 1;          // every length of the cell times this
};

struct InstrumentShape {
  Resolution resolution;
  double zero_shift_deg = 0;
  double displacement_um = 0;
  double goniometer_radius_mm = 240;
  double fallback_wavelength = 0;  // for lines that carry none
};

/// The fit's phase from a computed phase of the workspace (number from 1):
/// its lines with the engine's per-cell normalisation undone (1/Z² for
/// X-rays, 1/(Z·M)² for neutrons) so that a scale times Z·M·V is
/// proportional to the phase's weight in the sample.
FitPhase fit_phase_of(const Workspace& workspace, int number);

/// The pattern of one phase at unit scale on the ascending abscissae `x`
/// (degrees 2θ): pseudo-Voigt peaks of the program's shape, each summed
/// over ±50 half widths, where their tails hold less than 1 % of the area.
void phase_pattern(const FitPhase& phase, const PhaseShape& shape, const InstrumentShape& instrument,
                   std::span<const double> x, std::span<double> y);

/// March–Dollase factor from the members' cos²α.
double march_dollase_of(std::span<const double> member_cos2, double ratio);

/// The half width at half maximum (degrees 2θ) as the program combines it,
/// in full double precision so that the fit sees a smooth function.
double fit_peak_width(const Resolution& resolution, double crystal_size_angstrom, double strain,
                      double two_theta_deg, double wavelength_angstrom);

}  // namespace calvane
