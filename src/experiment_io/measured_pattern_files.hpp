// Opening a measured pattern whatever its format: the extension proposes,
// the content decides, and a file no reader takes gets one message saying
// what was tried and why each failed.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "experiment_io/measured_scan.hpp"
#include "experiment_io/pattern_files.hpp"

namespace calvane {

/// Every extension a measured pattern may carry, lower-case with the dot.
const std::vector<std::string>& measured_pattern_extensions();

/// The open-dialog filter "All measured patterns (...)|...|", then "All files".
std::string measured_pattern_filter();

/// Reads the file's bytes with the first reader whose signature matches and
/// that reads it. `error` holds the one message when none could.
MeasuredReading read_measured_bytes(std::string_view bytes, std::string_view file_name);
MeasuredReading read_measured_file(const std::filesystem::path& path);

/// Turns scan `index` of a reading into the buffer the observed flows store:
/// 2θ in degrees (d and Q converted at `wavelength`, points beyond 180°
/// dropped), in increasing order, intensities scaled to 0..100. Time of
/// flight and energy are refused with the reason.
PatternReading pattern_of_scan(const MeasuredReading& reading, std::size_t index, double wavelength,
                               std::string_view file_name);

/// The wavelength a scan states: Kα1 when the file gives it (the line the
/// calculation defaults to), 0 when it gives none.
double stated_wavelength(const MeasuredScan& scan);

}  // namespace calvane
