// One run of calvane-sim: the same flows as the desktop program, driven by options.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

#include "cli/options.hpp"

namespace calvane {
struct Workspace;
}

namespace calvane::cli {

/// Lays out a scratch program folder with the data files of `data_folder`,
/// opens every crystal file as a phase, sets the experiment, computes all
/// phases and writes the asked outputs. Returns the exit status: 0 on
/// success, 1 when a warning stopped the work.
int run(const Options& options, const std::filesystem::path& data_folder, std::ostream& messages);

/// The reflections of every phase as CSV: a header line, then one row per merged line.
std::string reflections_csv(const Workspace& workspace);

}  // namespace calvane::cli
