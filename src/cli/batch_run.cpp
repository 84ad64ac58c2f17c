// The batch's scheduling: one task per file on a pool of threads, each with a
// scratch folder of its own, a progress line for a person at a terminal, and
// the summary at the end.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "cli/batch.hpp"
#include "cli/scratch_folder.hpp"
#include "util/files.hpp"
#include "util/text.hpp"

namespace calvane::cli {

namespace {

/// "count/total files, rate files/s, about N s left", rewritten in place at
/// most ten times a second.
class ProgressLine {
public:
  ProgressLine(std::ostream* out, std::size_t total) : out_(out), total_(total) {}
  void advance() {
    const std::size_t done = ++done_;
    if (out_ == nullptr) return;
    std::lock_guard lock(mutex_);
    const auto now = std::chrono::steady_clock::now();
    if (done != total_ && now - shown_ < std::chrono::milliseconds(100)) return;
    shown_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
    const double left = rate > 0 ? static_cast<double>(total_ - done) / rate : 0.0;
    *out_ << "\r" << done << "/" << total_ << " files, " << fixed(rate, 0, 1) << " files/s, about "
          << fixed(left, 0, 0) << " s left   " << (done == total_ ? "\n" : "") << std::flush;
  }

private:
  std::ostream* out_;
  std::size_t total_;
  std::atomic<std::size_t> done_{0};
  std::mutex mutex_;
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point shown_{};
};

bool outputs_exist(const BatchTask& task, const Options& options, const std::filesystem::path& out) {
  std::error_code error;
  if (!std::filesystem::exists(out / (task.name + ".csv"), error)) return false;
  return !options.profile_xy || std::filesystem::exists(out / (task.name + ".xy"), error);
}

/// The earlier summary's rows by file, which --resume keeps for the files it skips.
std::map<std::string, BatchRecord> earlier_records(const std::filesystem::path& summary) {
  std::map<std::string, BatchRecord> by_file;
  if (auto text = read_file_bytes(summary))
    for (BatchRecord& record : read_summary_csv(std::string(text->begin(), text->end())))
      by_file[record.file] = std::move(record);
  return by_file;
}

unsigned worker_count(const Options& options, std::size_t tasks) {
  const unsigned hardware = std::max(1u, std::thread::hardware_concurrency());
  const unsigned wanted = options.jobs ? static_cast<unsigned>(*options.jobs) : hardware;
  return static_cast<unsigned>(std::min<std::size_t>(std::max(1u, wanted), std::max<std::size_t>(1, tasks)));
}

/// Runs the tasks not yet done on `workers` threads; each record lands in its task's slot.
bool run_tasks(const std::vector<BatchTask>& tasks, const std::vector<bool>& skip, const Options& options,
               const std::filesystem::path& data_folder, const std::filesystem::path& out,
               std::vector<BatchRecord>& records, ProgressLine& progress, std::ostream& messages) {
  std::atomic<std::size_t> next{0};
  std::mutex scratch_mutex;
  bool scratch_failed = false;
  auto work = [&] {
    std::ostringstream reasons;
    auto scratch = ScratchFolder::create({}, reasons);
    if (!scratch) {
      std::lock_guard lock(scratch_mutex);
      if (!std::exchange(scratch_failed, true)) messages << reasons.str();
      return;
    }
    const CrystalFolders folders{data_folder, scratch->path()};
    for (std::size_t i = next++; i < tasks.size(); i = next++) {
      if (skip[i]) continue;
      records[i] = run_batch_task(tasks[i], options, folders, out);
      progress.advance();
    }
  };
  std::vector<std::thread> threads;
  const unsigned count = worker_count(options, tasks.size());
  for (unsigned t = 1; t < count; ++t) threads.emplace_back(work);
  work();
  for (std::thread& thread : threads) thread.join();
  return !scratch_failed || next >= tasks.size();
}

}  // namespace

int run_batch(const Options& options, const std::filesystem::path& data_folder, std::istream& standard_input,
              std::ostream& messages, bool progress_on_terminal) {
  std::vector<BatchTask> tasks;
  try {
    tasks = batch_tasks(collect_batch_inputs(*options.batch_inputs, standard_input));
  } catch (const std::invalid_argument& error) {
    messages << "calvane-sim: " << error.what() << '\n';
    return 2;
  }
  const std::filesystem::path out = *options.batch_out;
  std::error_code error;
  std::filesystem::create_directories(out, error);
  if (error || !std::filesystem::is_directory(out)) {
    messages << "calvane-sim: --out " << out.string() << " cannot be made a folder: " << error.message() << '\n';
    return 2;
  }
  std::vector<BatchRecord> records(tasks.size());
  std::vector<bool> skip(tasks.size(), false);
  const auto earlier = options.resume ? earlier_records(out / "summary.csv") : std::map<std::string, BatchRecord>{};
  for (std::size_t i = 0; i < tasks.size(); ++i) {
    if (!options.resume || !outputs_exist(tasks[i], options, out)) continue;
    skip[i] = true;
    auto found = earlier.find(tasks[i].input.string());
    records[i] = found != earlier.end() ? found->second
                                        : BatchRecord{tasks[i].input.string(), "ok", "kept from an earlier run", "", ""};
  }
  const auto to_do = static_cast<std::size_t>(std::count(skip.begin(), skip.end(), false));
  ProgressLine progress(progress_on_terminal ? &messages : nullptr, to_do);
  if (!run_tasks(tasks, skip, options, data_folder, out, records, progress, messages)) return 2;
  if (std::string reason = write_file_atomically(out / "summary.csv", summary_csv(records)); !reason.empty()) {
    messages << "calvane-sim: " << reason << '\n';
    return 2;
  }
  const bool all_ok = std::all_of(records.begin(), records.end(), [](const BatchRecord& r) { return r.status == "ok"; });
  return all_ok ? 0 : 1;
}

}  // namespace calvane::cli
