// The two text listings of a phase: the detailed one ("phase" + p + "2.out")
// and the short one ("phase" + p + ".out"), a header and one section per wavelength.
#pragma once

#include <string>

#include "crystallography/intensities.hpp"

namespace calvane {

/// What the listings print about the phase and the experiment.
struct ListingContext {
  const CurrentCrystal& crystal;
  const ExperimentSettings& settings;
  const PhaseComposition& composition;
  std::string crystal_file_name;
  std::string date_time;
  double wavelength = 0;     // Å, the current one
  int wavelength_index = 1;  // 1-based
};

/// "13 E": the value in exponent form with four decimals and a four-digit
/// exponent, 13 characters for every finite value (" 1.2346E+0002").
std::string exponent_text(double value);

/// The local date and time as "dd/mm/yyyy hh:mm:ss".
std::string current_date_time();

// Each appends its text to `out`.
void write_detailed_header(std::string& out, const ListingContext& context);
void write_short_header(std::string& out, const ListingContext& context);
void write_detailed_section(std::string& out, const ListingContext& context,
                            const WavelengthIntensities& result);
void write_short_section(std::string& out, const ListingContext& context,
                         const WavelengthIntensities& result);

}  // namespace calvane
