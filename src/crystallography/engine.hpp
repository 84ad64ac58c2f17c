// The engine's per-wavelength entry point: reflection list, structure
// factors, intensities, scale factor and the two phase listings.
#pragma once

#include <string>
#include <vector>

#include "crystallography/intensities.hpp"
#include "crystallography/structure_factor.hpp"

namespace calvane {

struct Program;

/// What the driver keeps for one computation of a phase: the texts of the two
/// listings ("phase" + p + "2.out", detailed, and "phase" + p + ".out", short)
/// and the symmetry sums reused by the later wavelengths of the spectrum.
/// One wavelength's results, kept so that its listing sections can be
/// written later, away from the computation.
struct ListingSection {
  double wavelength = 0;     // Å
  int wavelength_index = 1;  // 1-based
  WavelengthIntensities result;
};

/// Listing sections with a copy of what they print besides the results, so
/// that they can be written on another thread while the workspace goes on.
struct DeferredListing {
  CurrentCrystal crystal;
  ExperimentSettings settings;
  PhaseComposition composition;
  std::string crystal_file_name, date_time;
  std::vector<ListingSection> sections;
};

struct PhaseListings {
  std::string* detailed = nullptr;
  std::string* short_listing = nullptr;
  /// Printed in the headers; the local time when left empty.
  std::string date_time;
  /// The symmetry sums of a computation outside the phase table; a phase's
  /// own sums are kept by the program from one computation to the next.
  StructureFactorCache cache;
  /// When true, compute_wavelength keeps each wavelength's results in
  /// `sections` instead of writing them (see take_sections).
  bool keep_sections = false;
  std::vector<ListingSection> sections;
};

/// Writes both listing headers for the current wavelength. The driver calls
/// it at the first wavelength pass, after the composition step.
void write_listing_header(const Program& program, PhaseListings& listings);

/// Computes the current wavelength (Workspace::current_wavelength_index) of the
/// working crystal: fills Workspace::wavelength_reflections, sets the scale
/// factor K and appends a section to each listing. Returns 1 when no
/// reflection list could be made (the list is then empty), else 0.
int compute_wavelength(Program& program, PhaseListings& listings);

/// The kept sections, moved out of `listings`, with a copy of the workspace's
/// crystal, settings, composition and file name.
DeferredListing take_sections(const Program& program, PhaseListings& listings);

/// Appends the sections to the texts that are not null, as compute_wavelength
/// would have written them.
void write_sections(const DeferredListing& listing, std::string* detailed, std::string* short_listing);

}  // namespace calvane
