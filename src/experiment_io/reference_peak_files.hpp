// Peak lists of any kind, recognised by content, and reference patterns
// given as d-spacings: JCPDS cards and calibrant d lists.
//
// JCPDS cards, as written for the equation-of-state tools of high-pressure
// work and read by area-detector integration programs: version 4 is
// keyword lines ("VERSION: 4", "COMMENT: <name>", "NAME: <name>",
// "SYMMETRY:", "A:", ... and one "DIHKL: d I h k l" per reflection);
// versions 1 to 3 start with the version number on line 1 and the name on
// line 2, and list their reflections as lines "d I h k l", after a
// "D-SPACINGS:" line when there is one.
// Calibrant lists (the calibrant files of powder integration): comment
// lines starting with "#", the first naming the calibrant, then one line
// per reflection "d # (h k l) multiplicity".
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "experiment_io/peak_files.hpp"

namespace calvane {

/// JCPDS card: sticks at the 2θ of each d at `wavelength`, intensities as
/// given (scaled to 100), labelled with the card's name and hkl.
PeakReading read_jcpds_card(const std::vector<std::string>& lines, std::string_view file_name,
                            double wavelength);

/// Calibrant d list: sticks of height 100 at the 2θ of each d.
PeakReading read_calibrant_list(const std::vector<std::string>& lines, std::string_view file_name,
                                double wavelength);

/// Column list with comment lines ("#", "!", ";"); a heading or comment
/// whose first word names d ("d", "d-spacing") gives d-spacings, converted
/// at `wavelength`.
PeakReading read_column_list(const std::vector<std::string>& lines, std::string_view file_name,
                             double wavelength);

/// Any peak list: Bruker DIF, JCPDS, calibrant, WINFIT, XFIT, Philips .di,
/// or columns, recognised by content (the .di binary by its extension).
PeakReading read_peak_list_file(const std::filesystem::path& path, double wavelength);

/// Every extension a peak list may carry, lower-case with the dot.
const std::vector<std::string>& peak_list_extensions();

/// "All peak lists (...)|...|All files (*)|*|".
std::string peak_list_filter();

}  // namespace calvane
