// The computation of a phase's lines: at every wavelength of the spectrum the
// reflection list, the structure factors and the intensities, merged into
// one list, and the two phase listings written from them.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "crystallography/intensities.hpp"
#include "crystallography/structure_factor.hpp"
#include "model/reflection.hpp"

namespace calvane {

class MessageSink;
class ReflectionListCache;
class ThreadPool;

/// One wavelength's results, kept so that its listing sections can be
/// written later, away from the computation.
struct ListingSection {
  double wavelength = 0;     // Å
  int wavelength_index = 1;  // 1-based
  WavelengthIntensities result;
};

/// What the two listings ("phase" + p + "2.out", detailed, and "phase" + p +
/// ".out", short) print: a copy of the phase and the experiment, so that they
/// can be written on another thread while the workspace goes on.
struct DeferredListing {
  CurrentCrystal crystal;
  ExperimentSettings settings;
  PhaseComposition composition;
  std::string crystal_file_name, date_time;
  std::vector<ListingSection> sections;
};

/// The phase to compute: its crystal ready for computation (scattering types,
/// site weights and derived cell quantities set), its composition and the
/// sample's absorption at each wavelength.
struct PhaseLinesRequest {
  const CurrentCrystal& crystal;
  const ExperimentSettings& settings;
  const PhaseComposition& composition;
  const std::array<double, 4>& sample_absorption;
};

struct PhaseLines {
  /// Every wavelength's lines, each intensity weighted by its wavelength's
  /// fraction and tagged with its wavelength, in ascending 2θ; lines of equal
  /// 2θ keep their wavelength order. At most kMaxPhaseReflections.
  std::vector<Reflection> reflections;
  /// K: the last wavelength's scale factor, or 100 over the strongest merged
  /// line when the spectrum has several wavelengths.
  double scale_factor = 1;
  std::vector<ListingSection> sections;
};

/// Computes the lines of the phase at every wavelength of the settings.
/// Reflection lists come from (and go to) `lists`, symmetry sums from `sums`;
/// a wavelength without any reflection in the range is warned about and left
/// out. The lists of the wavelengths are made together on `pool` when given.
PhaseLines compute_phase_lines(const PhaseLinesRequest& request, ReflectionListCache& lists,
                               StructureFactorCache& sums, ThreadPool* pool, MessageSink& messages);

/// Appends both listing headers (at the first wavelength) to the texts that are not null.
void write_listing_headers(const DeferredListing& listing, std::string* detailed, std::string* short_listing);

/// Appends the sections to the texts that are not null.
void write_sections(const DeferredListing& listing, std::string* detailed, std::string* short_listing);

}  // namespace calvane
