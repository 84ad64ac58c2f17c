// Opening observed patterns and observed peak lists: the menu flows, the
// storing of a read pattern and the wavelength reconciliation.
//
// After a pattern is added the flow asks the plot to redraw through
// Ui::redraw_plot; after a peak list it recomputes every phase through the
// driver, which redraws. Where the behaviour also wants plot state changed
// (the eleven intensity scale factors back to 1, the default tick spacing),
// the flow returns an ObservedLoad that says so and the caller that owns the
// plot acts on it.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "experiment_io/pattern_files.hpp"
#include "experiment_io/observed_data.hpp"
#include "experiment_io/peak_files.hpp"

namespace calvane {

struct Program;

/// What a flow did, for the caller that owns the plot and the driver.
struct ObservedLoad {
  bool added = false;                // a pattern or a peak list was stored
  bool reset_intensity_scales = false;  // the plot's intensity scale factors go back to 1.0
  bool recompute_default_ticks = false; // the plot's default tick spacing is recomputed
};

inline constexpr const char* kPatternFilter =
    "Bruker format (*.raw|*.raw|Philips format (*.rd)|*.rd|Calvane format (*.sim)|*.sim|Rietveld format "
    "(*.dat)|*.dat|CPI format (*.cpi)|*.cpi|CPD format (*.cpd)|*.cpd|";
inline constexpr const char* kPeakFilter =
    "Bruker format (*.dif|*.dif|XFIT format (*.txt)|*.txt|WINFIT format (*.dat)|*.dat|Philips format "
    "(*.di)|*.di|Column format (*.prn)|*.prn|";

/// "Open measured pattern...": any format, recognised by content.
ObservedLoad open_measured_pattern(Program& program, const MeasuredOpenChoices& choices);

/// Reads a measured pattern of any format and stores the chosen scan:
/// d-spacing and Q are converted to 2θ at the calculation's wavelength.
/// False, after one message, when nothing was stored.
bool read_measured_pattern(Program& program, const std::filesystem::path& path, const MeasuredOpenChoices& choices);

/// "Open peak list...": any peak or reference list, recognised by content.
ObservedLoad open_peak_list(Program& program);

/// Reads a peak or reference list of any kind and appends it.
bool read_any_peak_list(Program& program, const std::string& chosen_name);

/// `open_pattern_file_of_kind`: entry 1..6 of "Open an observed diagram data file".
ObservedLoad open_pattern_file_of_kind(Program& program, int entry);

/// Reads a pattern file of `kind` without a dialog (the file lists) and
/// stores it. A Rietveld file without a wavelength opens the Lambda missing
/// window instead. False when nothing was stored.
bool read_observed_pattern(Program& program, PatternFileKind kind, const std::filesystem::path& path);

/// `read_missing_wavelength`: OK of the Lambda missing window.
ObservedLoad read_missing_wavelength(Program& program);

/// Turns a successful read into the next ObservedPattern, every point kept. False when the table
/// is full or the file held no point.
bool store_pattern(Program& program, const PatternReadingBuffer& buffer);

/// Appends a successful peak reading as the next list named `chosen_name`;
/// shows the reading's message and adds nothing when it failed or is empty.
bool append_peak_reading(Program& program, PeakReading reading, const std::string& chosen_name);

/// `open_peak_file_of_kind`: entry 1..5 of "Open an observed peaks file".
ObservedLoad open_peak_file_of_kind(Program& program, int entry);

/// Reads a peak file of `kind` named `chosen_name` (resolved against the
/// current folder) and appends it. False, with one message, when nothing
/// was added.
bool read_observed_peaks(Program& program, PeakFileKind kind, const std::string& chosen_name);

}  // namespace calvane
