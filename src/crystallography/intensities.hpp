// Integrated intensities of a reflection list for an X-ray tube, a synchrotron
// or neutrons, and the scale factor K that puts the strongest line at 100.
#pragma once

#include <array>
#include <vector>

#include "crystallography/structure_factor.hpp"
#include "model/experiment_settings.hpp"
#include "model/phase_data.hpp"

namespace calvane {

/// One reflection with what the listings print beside it.
struct ComputedLine {
  Reflection reflection;
  double lorentz_polarisation = 0;  // the "LP" column
  XrayStructureFactor xray;
  NeutronStructureFactor neutron;
};

struct WavelengthIntensities {
  std::vector<ComputedLine> lines;  // empty when nothing is left for this wavelength
  double scale_factor = 0;          // K = 100 / largest intensity
  int absorption_index = 0;         // 1-based spectrum entry used for μ(λ), 0 when none matched
  /// X-rays: (f_r, f_i) of every scattering type for each line, line after
  /// line, as used in its structure factor (the detailed listing prints them).
  std::vector<std::pair<double, double>> form_factors;
};

/// Lorentz-polarisation factor of a powder line at Bragg angle θ (radians):
/// tube (1 + cos²2θ)/2 / (cos θ·sin²θ); synchrotron with polarisation p
/// ((1 − p) + p·cos²2θ) / (cos θ·sin²θ).
double lorentz_polarisation_xray(double theta, XRaySource source, double polarisation);

/// Lorentz factor of a neutron line: 1 / (cos θ·sin²θ).
double lorentz_neutron(double theta);

/// First spectrum entry (1-based) within 0.001 Å of `wavelength`, 0 when none.
int spectrum_entry_of(const ExperimentSettings& settings, double wavelength);

/// What the intensities need besides the crystal and the reflections.
struct IntensityContext {
  const CurrentCrystal& crystal;
  const ExperimentSettings& settings;
  const PhaseComposition& composition;
  const std::array<double, 4>& sample_absorption;
  int wavelength_index = 1;  // 1-based index of the current wavelength
  double wavelength = 0;     // Å
};

/// Intensities I = ½·G·m·Lp (G the mean of |F+|² and |F−|²), at least 0.05,
/// divided by Z² and by the sample absorption μ(λ).
WavelengthIntensities intensities_xray(const IntensityContext& context,
                                       const std::vector<Reflection>& reflections,
                                       StructureFactorCache& cache);

/// Intensities I = m·|F|²/(cos θ·sin²θ), at least 0.05, divided by Z².
WavelengthIntensities intensities_neutron(const IntensityContext& context,
                                          const std::vector<Reflection>& reflections,
                                          StructureFactorCache& cache);

}  // namespace calvane
