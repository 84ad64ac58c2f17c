#include "util/files.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>
#include <system_error>

#include "util/file_cache.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

/// An open regular file, closed with the object.
struct RegularFile {
  int descriptor = -1;
  std::size_t size = 0;
  ~RegularFile() {
    if (descriptor >= 0) ::close(descriptor);
  }
};

/// Opens `path` for reading when it is a regular file. O_NONBLOCK keeps a
/// named pipe given as a file name from blocking the open; it is then refused.
bool open_regular_file(const std::filesystem::path& path, RegularFile& file) {
  file.descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat status {};
  if (file.descriptor < 0 || ::fstat(file.descriptor, &status) != 0 || !S_ISREG(status.st_mode)) return false;
  file.size = static_cast<std::size_t>(status.st_size);
  return true;
}

}  // namespace

std::optional<std::string> read_file_bytes(const std::filesystem::path& path) {
  // One read into a buffer of the file's size: the tables read at every
  // computation are large enough for a growing stream buffer's copies and
  // fresh pages to cost more than the computation of a small phase.
  RegularFile file;
  if (!open_regular_file(path, file)) return std::nullopt;
  std::string bytes(file.size + 1, '\0');  // one more byte sees a file that grew
  std::size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) bytes.resize(bytes.size() * 2);
    const ssize_t got = ::read(file.descriptor, bytes.data() + filled, bytes.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  bytes.resize(filled);
  return bytes;
}

std::optional<MappedFile> MappedFile::open(const std::filesystem::path& path) {
  RegularFile file;
  if (!open_regular_file(path, file)) return std::nullopt;
  if (file.size == 0) return MappedFile(nullptr, 0);
  // MAP_POPULATE maps every page at once instead of one fault per page.
  void* address = ::mmap(nullptr, file.size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, file.descriptor, 0);
  if (address == MAP_FAILED) return std::nullopt;
  return MappedFile(address, file.size);
}

MappedFile::MappedFile(MappedFile&& other) noexcept : address_(other.address_), size_(other.size_) {
  other.address_ = nullptr;
  other.size_ = 0;
}

MappedFile::~MappedFile() {
  if (address_ != nullptr) ::munmap(address_, size_);
}

std::vector<std::string> split_text_lines(std::string_view text) {
  std::vector<std::string> lines;
  lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  for_each_text_line(text, [&lines](std::string_view line, std::size_t) { lines.emplace_back(line); });
  return lines;
}

std::optional<std::vector<std::string>> read_text_lines(const std::filesystem::path& path) {
  auto bytes = read_file_bytes(path);
  if (!bytes) return std::nullopt;
  return split_text_lines(*bytes);
}

std::optional<FileStamp> file_stamp(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  auto nanoseconds = [](const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
  };
  return FileStamp{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
                   static_cast<std::uint64_t>(status.st_size), nanoseconds(status.st_mtim),
                   nanoseconds(status.st_ctim)};
}

std::string write_file_atomically(const std::filesystem::path& path, std::string_view content) {
  std::filesystem::path folder = path.parent_path();
  if (folder.empty()) folder = ".";
  std::random_device seed;
  // Appended piece by piece: GCC 12 at -O3 reports a false -Wrestrict
  // overlap in `"." + std::string&&` (GCC bug 105329).
  std::string name = ".";
  name += path.filename().string();
  name += ".tmp";
  name += std::to_string(seed() % 1000000);
  std::filesystem::path temporary = folder / name;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return "cannot create " + temporary.string();
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.flush();
    if (!out) {
      out.close();
      remove_file_quietly(temporary);
      return "cannot write " + path.string();
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    remove_file_quietly(temporary);
    return "cannot write " + path.string() + ": " + error.message();
  }
  return {};
}

std::string overwrite_file(const std::filesystem::path& path, std::string_view content) {
  const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (file < 0) return "cannot create " + path.string() + ": " + std::strerror(errno);
  std::string reason;
  for (std::size_t done = 0; done < content.size() && reason.empty();) {
    const ssize_t written = ::write(file, content.data() + done, content.size() - done);
    if (written > 0)
      done += static_cast<std::size_t>(written);
    else if (written == 0)
      reason = "cannot write " + path.string();
    else if (errno != EINTR)
      reason = "cannot write " + path.string() + ": " + std::strerror(errno);
  }
  if (reason.empty() && ::ftruncate(file, static_cast<off_t>(content.size())) != 0)
    reason = "cannot write " + path.string() + ": " + std::strerror(errno);
  if (::close(file) != 0 && reason.empty())
    reason = "cannot write " + path.string() + ": " + std::strerror(errno);
  return reason;
}

std::optional<std::filesystem::path> find_file_ignoring_case(const std::filesystem::path& folder,
                                                             std::string_view name) {
  std::error_code error;
  std::filesystem::path exact = folder / std::string(name);
  if (std::filesystem::is_regular_file(exact, error)) return exact;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.is_regular_file(error) && equals_ignoring_case(entry.path().filename().string(), name))
      return entry.path();
  }
  return std::nullopt;
}

std::filesystem::path data_file_in(const std::filesystem::path& folder, std::string_view name) {
  if (auto found = find_file_ignoring_case(folder, name)) return *found;
  return folder / std::string(name);
}

void remove_file_quietly(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::remove(path, error);
}

std::string file_name_of(std::string_view path) {
  std::size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

ScratchEnvironment ScratchEnvironment::of_process() {
  auto variable = [](const char* name) {
    const char* value = std::getenv(name);
    return std::string(value != nullptr ? value : "");
  };
  return {variable("XDG_CACHE_HOME"), variable("HOME"), variable("TMPDIR")};
}

namespace {

namespace fs = std::filesystem;

// A folder that only this user can write into: a real folder (not a link),
// owned by us, writable neither by the group nor by others. Scratch folders
// are made only in such a parent or in a sticky temporary folder, so that no
// one else can rename them or plant files in their place.
bool is_private_folder(const fs::path& folder) {
  struct stat status {};
  return ::lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() &&
         (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// `parent/calvane`, made (mode 0700) when missing; empty when it is not private.
fs::path private_cache_folder(const fs::path& parent) {
  std::error_code error;
  fs::create_directories(parent, error);
  const fs::path folder = parent / "calvane";
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
  return is_private_folder(folder) ? folder : fs::path();
}

// mkdtemp: a new folder of a unique name, mode 0700, or empty.
fs::path make_unique_folder(const fs::path& parent, const std::string& prefix) {
  std::string pattern = (parent / (prefix + "XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

// This machine's name as it goes into a folder name: letters, digits, '.',
// '-' and '_' only. A home folder shared between machines (NFS) holds the
// folders of processes running elsewhere, whose numbers mean nothing here.
std::string host_name() {
  char buffer[256] = {};
  if (::gethostname(buffer, sizeof buffer - 1) != 0 || buffer[0] == '\0') return "host";
  std::string name(buffer);
  for (char& c : name)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_')) c = '_';
  if (name.size() > 64) name.resize(64);
  return name;
}

// "run-<pid>-<host>-": the start of the scratch folders of process `pid` on this machine.
std::string run_prefix(long pid) { return "run-" + std::to_string(pid) + "-" + host_name() + "-"; }

// The process number in a folder name "<lead>run-<pid>-<host>-XXXXXX" made
// on this machine, where XXXXXX are the six letters or digits of mkdtemp;
// nothing for any other name.
std::optional<long> scratch_owner(std::string_view name, std::string_view lead) {
  if (!name.starts_with(lead)) return std::nullopt;
  name.remove_prefix(lead.size());
  if (!name.starts_with("run-")) return std::nullopt;
  name.remove_prefix(4);
  std::size_t digits = 0;
  while (digits < name.size() && digits < 10 && std::isdigit(static_cast<unsigned char>(name[digits]))) ++digits;
  if (digits == 0 || digits == 10 || name[0] == '0') return std::nullopt;
  const long pid = std::stol(std::string(name.substr(0, digits)));
  const std::string_view rest = name.substr(digits);
  const std::string host = "-" + host_name() + "-";
  if (!rest.starts_with(host) || rest.size() != host.size() + 6) return std::nullopt;
  const std::string_view unique = rest.substr(host.size());
  if (!std::all_of(unique.begin(), unique.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
    return std::nullopt;
  return pid;
}

// Whether process `pid` exists (a process of another user counts: kill
// then fails with EPERM, not ESRCH).
bool process_is_running(long pid) {
  return pid > 0 && pid <= std::numeric_limits<pid_t>::max() &&
         (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH);
}

// Removes the scratch folders in `parent` named with `lead` whose process
// has ended: real folders (never a link) of our own user only.
void remove_abandoned_folders(const fs::path& parent, std::string_view lead) {
  std::error_code error;
  std::vector<fs::path> abandoned;
  // Stepped with an error code: a folder that cannot be read must not end the start.
  for (fs::directory_iterator entry(parent, error), end; !error && entry != end; entry.increment(error)) {
    const fs::path& folder = entry->path();
    const auto pid = scratch_owner(folder.filename().string(), lead);
    if (!pid || *pid == static_cast<long>(::getpid()) || process_is_running(*pid)) continue;
    struct stat status {};
    if (::lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == ::geteuid())
      abandoned.push_back(folder);
  }
  for (const fs::path& folder : abandoned) fs::remove_all(folder, error);
}

fs::path absolute_normal(const fs::path& path) {
  std::error_code error;
  fs::path absolute = fs::absolute(path, error);
  return (error ? path : absolute).lexically_normal();
}

}  // namespace

ScratchFolder::~ScratchFolder() {
  // A child process that did not exec must not remove its parent's folder.
  if (path_.empty() || owner_process_ != static_cast<long>(::getpid())) return;
  std::error_code error;
  fs::remove_all(path_, error);
}

std::vector<fs::path> ScratchFolder::cache_parents() {
  if (!environment_) environment_ = ScratchEnvironment::of_process();
  std::vector<fs::path> parents;
  // The XDG Base Directory rules ignore relative values.
  if (fs::path xdg(environment_->xdg_cache_home); xdg.is_absolute()) parents.push_back(xdg);
  if (fs::path home(environment_->home); home.is_absolute()) parents.push_back(home / ".cache");
  return parents;
}

fs::path ScratchFolder::temporary_parent() {
  if (!environment_) environment_ = ScratchEnvironment::of_process();
  std::error_code error;
  fs::path temporary(environment_->tmpdir);
  if (!temporary.is_absolute() || !fs::is_directory(temporary, error)) temporary = "/tmp";
  return temporary;
}

void ScratchFolder::remove_abandoned() {
  for (const fs::path& parent : cache_parents()) {
    // Only a cache folder that exists and is private is looked into.
    if (const fs::path cache = parent / "calvane"; is_private_folder(cache)) remove_abandoned_folders(cache, "");
  }
  remove_abandoned_folders(temporary_parent(), "calvane-");
}

const fs::path& ScratchFolder::path() {
  if (tried_) return path_;
  tried_ = true;
  const std::string prefix = run_prefix(static_cast<long>(::getpid()));
  const std::vector<fs::path> parents = cache_parents();
  for (const fs::path& parent : parents) {
    const fs::path cache = private_cache_folder(parent);
    if (cache.empty()) continue;
    path_ = make_unique_folder(cache, prefix);
    if (!path_.empty()) break;
  }
  if (path_.empty()) {
    const fs::path temporary = temporary_parent();
    path_ = make_unique_folder(temporary, "calvane-" + prefix);
    if (path_.empty())
      problem_ = "no scratch folder could be made in " + (parents.empty() ? std::string() : parents.front().string() + ", ") +
                 temporary.string() + ": " + std::strerror(errno);
  }
  if (!path_.empty()) owner_process_ = static_cast<long>(::getpid());
  return path_;
}

fs::path ScratchFolder::new_subfolder(std::string_view prefix) {
  const fs::path& folder = path();
  if (folder.empty()) return {};
  for (int attempts = 0; attempts < 1000; ++attempts) {
    const fs::path candidate = folder / (std::string(prefix) + std::to_string(++subfolders_));
    if (::mkdir(candidate.c_str(), 0700) == 0) return candidate;
    if (errno != EEXIST) break;
  }
  return {};
}

bool ScratchFolder::holds(const fs::path& file) const {
  if (path_.empty()) return false;
  const fs::path inside = absolute_normal(file);
  const fs::path folder = absolute_normal(path_);
  auto [folder_end, inside_end] = std::mismatch(folder.begin(), folder.end(), inside.begin(), inside.end());
  return folder_end == folder.end() && inside_end != inside.end();
}

}  // namespace calvane
