// Adding measured patterns and peak lists to the workspace: reading the file,
// choosing the scan, settling the wavelength and storing every point. The
// desktop's menus and the command line both add observed data through these.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "experiment_io/pattern_files.hpp"
#include "experiment_io/peak_files.hpp"
#include "model/workspace.hpp"

namespace calvane {

class MessageSink;

/// What a person would otherwise answer while a measured pattern opens.
struct MeasuredOpenChoices {
  /// Shows the scans of a file that holds several and returns the chosen
  /// one (0-based), or nothing when the user cancels. Without it, and
  /// without `scan`, the first scan is read and a note says so.
  std::function<std::optional<int>(const std::string& file_name, const std::vector<std::string>& scans)> choose_scan;
  std::optional<int> scan;  // a scan chosen in advance, 1-based
  /// A file wavelength more than 0.0005 Å from every calculated one: ask
  /// whether to take it, take it, or keep the calculation's with a note.
  enum class FileWavelength { Ask, Take, Keep } file_wavelength = FileWavelength::Ask;
  /// The question of FileWavelength::Ask; true takes the file's wavelength.
  std::function<bool(const std::string& question)> take_file_wavelength;
};

/// Whether the pattern table (or the peak-list table) has room; warns "Max.
/// Nb of observed patterns = 8" ("Max. Nb of peaks file = 8") when not.
bool pattern_table_has_room(const Workspace& workspace, MessageSink& messages);
bool peak_table_has_room(const Workspace& workspace, MessageSink& messages);

/// Reads a measured pattern of any format (`path` absolute) and stores the
/// chosen scan: d-spacing and Q are converted to 2θ at the calculation's
/// wavelength. False, after one message, when nothing was stored.
bool add_measured_pattern(Workspace& workspace, const std::filesystem::path& path, const MeasuredOpenChoices& choices,
                          MessageSink& messages);

/// Stores a successful pattern reading as the next observed pattern, every
/// point kept, and compares its wavelength with the experiment's: the first
/// pattern of an empty workspace sets it, another one is warned about.
bool add_pattern_reading(Workspace& workspace, const PatternReadingBuffer& buffer, MessageSink& messages);

/// Appends a successful peak reading as the next list named `chosen_name`;
/// shows the reading's message and adds nothing when it failed or is empty.
bool add_peak_reading(Workspace& workspace, PeakReading reading, const std::string& chosen_name,
                      MessageSink& messages);

/// Reads a peak or reference list of any kind (recognised by its content) at
/// `path` and appends it under `chosen_name`.
bool add_any_peak_list(Workspace& workspace, const std::filesystem::path& path, const std::string& chosen_name,
                       MessageSink& messages);

/// The experiment takes `wavelength` as its only line.
void adopt_wavelength(ExperimentSettings& settings, double wavelength);

}  // namespace calvane
