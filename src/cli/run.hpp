// One run of calvane-sim: the domain functions the desktop uses, driven by options.
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>

#include "cli/options.hpp"

namespace calvane {
struct Workspace;
struct PlotState;
}

namespace calvane::cli {

/// Draws the plot into a file by its extension at W × H pixels; empty on
/// success, else the reason. The desktop build passes its Qt renderer; without
/// one only the metafile (.emf) can be written.
using PlotRenderer = std::function<std::string(const std::filesystem::path&, const PlotState&, const Workspace&,
                                               int width, int height)>;

/// Lays out a scratch program folder with the data files of `data_folder`,
/// opens every crystal file as a phase, sets the experiment, computes all
/// phases and writes the asked outputs. Returns the exit status: 0 on
/// success, 1 when a warning stopped the work.
int run(const Options& options, const std::filesystem::path& data_folder, std::ostream& messages,
        const PlotRenderer& renderer = {});

/// Checks every output the options name (the listing files of `phase_count`
/// phases included) before anything is written: none may be an input file or
/// a data file of `data_folder` (whatever the spelling or link), none may be
/// written by two options, and none may exist unless --overwrite is given.
/// Prints the first fault found, naming the file; false then.
bool outputs_are_safe(const Options& options, const std::filesystem::path& data_folder, int phase_count,
                      std::ostream& messages);

}  // namespace calvane::cli
