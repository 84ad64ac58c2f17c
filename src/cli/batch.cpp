#include "cli/batch.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <fstream>
#include <istream>
#include <map>
#include <mutex>
#include <ostream>
#include <set>
#include <stdexcept>
#include <thread>

#include "cli/run.hpp"
#include "cli/scratch_folder.hpp"
#include "crystal_io/crystal_file_kind.hpp"
#include "reports/plot_data.hpp"
#include "util/files.hpp"
#include "util/text.hpp"

namespace calvane::cli {

namespace {

std::vector<std::filesystem::path> crystal_files_under(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  const auto options = std::filesystem::directory_options::skip_permission_denied;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, options)) {
    std::error_code error;
    if (entry.is_regular_file(error) && crystal_kind_of_name(entry.path())) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<std::filesystem::path> listed_files(std::istream& list) {
  std::vector<std::filesystem::path> files;
  std::string line;
  while (std::getline(list, line)) {
    const std::string path = trim(line);
    if (!path.empty() && path.front() != '#') files.emplace_back(path);
  }
  return files;
}

}  // namespace

std::vector<std::filesystem::path> collect_batch_inputs(const std::string& inputs, std::istream& standard_input) {
  if (inputs == "-") return listed_files(standard_input);
  std::error_code error;
  if (std::filesystem::is_directory(inputs, error)) {
    try {
      return crystal_files_under(inputs);
    } catch (const std::filesystem::filesystem_error& failure) {
      throw std::invalid_argument("--batch: the folder " + inputs + " cannot be read: " + failure.code().message());
    }
  }
  std::ifstream list(inputs);
  if (!list) throw std::invalid_argument("--batch: " + inputs + " is neither a folder nor a readable list of files");
  return listed_files(list);
}

std::vector<BatchTask> batch_tasks(const std::vector<std::filesystem::path>& files) {
  std::vector<BatchTask> tasks;
  std::set<std::string> taken{"summary"};
  for (const auto& file : files) {
    const std::string stem = file.stem().string();
    std::string name = stem;
    for (int suffix = 2; taken.count(name) != 0; ++suffix) name = stem + "-" + std::to_string(suffix);
    taken.insert(name);
    tasks.push_back({file, name});
  }
  return tasks;
}

namespace {

std::string csv_field(const std::string& text) {
  if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

/// The fields of the CSV rows of `text`, quoted fields holding commas, quotes and line breaks.
std::vector<std::vector<std::string>> csv_rows(const std::string& text) {
  std::vector<std::vector<std::string>> rows(1);
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') field += text[++i];
      else if (c == '"') quoted = false;
      else field += c;
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',' || c == '\n') {
      rows.back().push_back(std::exchange(field, {}));
      if (c == '\n') rows.emplace_back();
    } else if (c != '\r') {
      field += c;
    }
  }
  if (!field.empty() || !rows.back().empty()) rows.back().push_back(field);
  if (rows.back().empty()) rows.pop_back();
  return rows;
}

}  // namespace

std::string summary_csv(const std::vector<BatchRecord>& records) {
  std::string csv = "file,status,message,phase,space_group,reflections,seconds\n";
  for (const BatchRecord& r : records)
    csv += csv_field(r.file) + "," + r.status + "," + csv_field(r.message) + "," + csv_field(r.phase_name) + "," +
           csv_field(r.space_group) + "," + std::to_string(r.reflections) + "," + fixed(r.seconds, 0, 4) + "\n";
  return csv;
}

std::vector<BatchRecord> read_summary_csv(const std::string& text) {
  std::vector<BatchRecord> records;
  const auto rows = csv_rows(text);
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const auto& row = rows[i];
    if (row.size() != 7) continue;
    BatchRecord record{row[0], row[1], row[2], row[3], row[4]};
    record.reflections = static_cast<std::size_t>(parse_double(row[5]).value_or(0));
    record.seconds = parse_double(row[6]).value_or(0);
    records.push_back(std::move(record));
  }
  return records;
}

BatchRecord run_batch_task(const BatchTask& task, const Options& options, const CrystalFolders& folders,
                           const std::filesystem::path& out) {
  BatchRecord record;
  record.file = task.input.string();
  const auto start = std::chrono::steady_clock::now();
  try {
    FileSimulation simulation = simulate_crystal_file(task.input.string(), options, folders);
    if (!simulation.workspace) {
      record.status = simulation.refused ? "refused" : "error";
      record.message = simulation.message;
    } else {
      const Workspace& workspace = *simulation.workspace;
      const PhaseData& phase = workspace.phase(1);
      record.phase_name = trim(phase.crystal.title).empty() ? task.input.stem().string() : trim(phase.crystal.title);
      record.space_group = trim(phase.crystal.symbol);
      record.reflections = phase.reflections.size();
      std::string reason;
      if (options.profile_xy) reason = write_file_atomically(out / (task.name + ".xy"), pattern_xy(grid_pattern(workspace)));
      if (reason.empty()) reason = write_file_atomically(out / (task.name + ".csv"), reflection_table_csv(workspace));
      record.status = reason.empty() ? "ok" : "error";
      record.message = reason;
    }
  } catch (const std::exception& failure) {
    record.status = "error";
    record.message = failure.what();
  }
  record.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return record;
}

}  // namespace calvane::cli
