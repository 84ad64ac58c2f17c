// One phase from one crystal file, computed with the options of the command
// line: the path that the single run, the batch and the Python module share.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli/options.hpp"
#include "model/workspace.hpp"

namespace calvane {
class MessageSink;
}

namespace calvane::cli {

/// Wavelengths, line or spectrum, source, range, resolution and points of the options.
void set_experiment(ExperimentSettings& settings, const Options& options);

/// Sizes, strains and shares of the options for every phase; shares are
/// taken relative to their sum. False after "Error on %" when they sum to 0.
bool set_phase_options(Workspace& workspace, const Options& options, MessageSink& messages);

/// Where a computation reads the data files and where it may write its
/// scratch files (the operator generator's output). Tasks that run at once
/// need scratch folders of their own.
struct CrystalFolders {
  std::filesystem::path data, scratch;
};

/// A crystal read from its file, ready to become a phase.
struct OpenedCrystal {
  CurrentCrystal crystal;  // its symmetry operators built; reader notes kept in read_notes
  std::string path;        // absolute
  CifBlockChoice block;
};

/// Reads one crystal file (`file` as the user named it): a CIF of several
/// structure blocks needs --block N, its blocks are listed on `out`
/// otherwise. Reader notes are passed on as notices. Empty after a message.
std::optional<OpenedCrystal> open_crystal(const std::string& file, const Options& options,
                                          const CrystalFolders& folders, MessageSink& messages, std::ostream& out);

/// Adds the crystal to the workspace as a phase; false after "Max. Nb of phases =8!".
bool add_crystal_phase(Workspace& workspace, OpenedCrystal opened, MessageSink& messages);

/// Reads one crystal file (`file` as the user named it) and adds it to the
/// workspace as a phase. A CIF of several structure blocks needs --block N:
/// its blocks are listed on `out` otherwise. Reader notes are passed on as
/// notices and kept with the phase's crystal. False after a message.
bool load_crystal(Workspace& workspace, const Options& options, const std::string& file,
                  const CrystalFolders& folders, MessageSink& messages, std::ostream& out);

/// The outcome of computing one crystal file on its own.
struct FileSimulation {
  std::optional<Workspace> workspace;  // set when the phase was computed
  bool refused = false;                // the file or its crystal was refused (not a fault of the program)
  std::string message;                 // the first warning, or the reason; empty on success
};

/// Computes a crystal already read as the one phase of a workspace set by
/// the options; warnings refuse it, an exception is an error.
FileSimulation simulate_crystal(OpenedCrystal crystal, const Options& options, const CrystalFolders& folders,
                                std::string* notices = nullptr);

/// Opens `file`, sets the experiment and phase options and computes its one
/// phase. Warnings make the file refused; an exception becomes an error with
/// its text. Notices are collected into `notices` (one per line).
FileSimulation simulate_crystal_file(const std::string& file, const Options& options, const CrystalFolders& folders,
                                     std::string* notices = nullptr);

/// Lower-case extension of a file name, with its dot.
std::string extension_of(const std::string& name);

}  // namespace calvane::cli

namespace calvane::cli {

/// The phases as a measurement shows them on the settings' 2θ grid, the
/// highest point made 10 000 (all 0 when nothing scatters).
struct PatternPoints {
  std::vector<double> two_theta, intensity;
};
PatternPoints grid_pattern(const Workspace& workspace);

/// Two columns, 2θ and intensity, one point per line (the .xy layout).
std::string pattern_xy(const PatternPoints& points);

}  // namespace calvane::cli
