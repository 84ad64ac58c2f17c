// calvane-sim --batch: every crystal file of a folder, a list or standard
// input computed on its own with the same options, on all cores.
#pragma once

#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/options.hpp"
#include "cli/simulation.hpp"

namespace calvane::cli {

/// The crystal files of INPUTS: a folder (searched recursively for files
/// whose extension names a crystal format, in path order), a file holding
/// one path per line, or "-" for those lines on `standard_input`. Blank
/// lines and lines starting with '#' are skipped. Throws
/// std::invalid_argument naming INPUTS when it cannot be read.
std::vector<std::filesystem::path> collect_batch_inputs(const std::string& inputs, std::istream& standard_input);

/// One file of the batch and the name its outputs take in the output folder.
struct BatchTask {
  std::filesystem::path input;
  std::string name;  // <name>.csv, <name>.xy
};

/// Each file named after its stem; a stem met before (or "summary", the
/// summary's own name) gets the first free suffix "-2", "-3", ...
std::vector<BatchTask> batch_tasks(const std::vector<std::filesystem::path>& files);

/// One row of summary.csv.
struct BatchRecord {
  std::string file, status, message, phase_name, space_group;  // status: ok, refused or error
  std::size_t reflections = 0;
  double seconds = 0;
};

/// The summary: a header line, then one row per record, fields quoted where they need it.
std::string summary_csv(const std::vector<BatchRecord>& records);

/// Rows of an earlier summary by file, for --resume; empty when it cannot be read.
std::vector<BatchRecord> read_summary_csv(const std::string& text);

/// Computes one task and writes its outputs into `out` (the .xy first, the
/// reflections last, each atomically, so that a reflections file means a
/// finished task). Never throws: a failure becomes the record's status.
BatchRecord run_batch_task(const BatchTask& task, const Options& options, const CrystalFolders& folders,
                           const std::filesystem::path& out);

/// The whole batch: returns 0 when every file was computed, 1 when some were
/// refused or failed (the summary says which), 2 when the batch could not start.
int run_batch(const Options& options, const std::filesystem::path& data_folder, std::istream& standard_input,
              std::ostream& messages, bool progress_on_terminal);

}  // namespace calvane::cli
