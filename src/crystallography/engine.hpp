// The engine's per-wavelength entry point: reflection list, structure
// factors, intensities, scale factor and the two phase listings.
#pragma once

#include <string>

#include "crystallography/structure_factor.hpp"

namespace calvane {

struct Program;

/// What the driver keeps for one computation of a phase: the texts of the two
/// listings ("phase" + p + "2.out", detailed, and "phase" + p + ".out", short)
/// and the symmetry sums reused by the later wavelengths of the spectrum.
struct PhaseListings {
  std::string* detailed = nullptr;
  std::string* short_listing = nullptr;
  /// Printed in the headers; the local time when left empty.
  std::string date_time;
  /// The symmetry sums of a computation outside the phase table; a phase's
  /// own sums are kept by the program from one computation to the next.
  StructureFactorCache cache;
};

/// Writes both listing headers for the current wavelength. The driver calls
/// it at the first wavelength pass, after the composition step.
void write_listing_header(const Program& program, PhaseListings& listings);

/// Computes the current wavelength (Workspace::current_wavelength_index) of the
/// working crystal: fills Workspace::wavelength_reflections, sets the scale
/// factor K and appends a section to each listing. Returns 1 when no
/// reflection list could be made (the list is then empty), else 0.
int compute_wavelength(Program& program, PhaseListings& listings);

}  // namespace calvane
