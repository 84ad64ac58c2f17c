// File helpers: whole-file reads, atomic writes, case-blind lookup in a
// folder, and the running program's private scratch folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace calvane {

/// Calls `visit(line, number)` for every line of `text`, numbered from 1,
/// any line ending (LF, CR LF, lone CR) accepted, without copying a line.
template <typename Visit>
void for_each_text_line(std::string_view text, Visit&& visit) {
  std::size_t start = 0, number = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      visit(text.substr(start), ++number);
      return;
    }
    visit(text.substr(start, end - start), ++number);
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
}

/// The lines of a text held in memory, any line ending (LF, CR LF, lone CR) accepted.
std::vector<std::string> split_text_lines(std::string_view text);
/// The lines of a text file, any line ending (LF, CR LF, lone CR) accepted.
/// Empty when the file cannot be opened.
std::optional<std::vector<std::string>> read_text_lines(const std::filesystem::path& path);

/// The whole file as bytes; empty optional when it cannot be opened.
std::optional<std::string> read_file_bytes(const std::filesystem::path& path);

/// A file's bytes mapped read-only, for the large tables parsed at the first
/// computation: no copy, and the pages come straight from the page cache.
class MappedFile {
public:
  /// Empty when the file cannot be opened or is not a regular file.
  static std::optional<MappedFile> open(const std::filesystem::path& path);
  MappedFile(MappedFile&& other) noexcept;
  MappedFile& operator=(MappedFile&&) = delete;
  MappedFile(const MappedFile&) = delete;
  ~MappedFile();
  std::string_view bytes() const { return {static_cast<const char*>(address_), size_}; }

private:
  MappedFile(void* address, std::size_t size) : address_(address), size_(size) {}
  void* address_ = nullptr;
  std::size_t size_ = 0;
};

/// Writes `content` to a temporary file beside `path` and renames it over
/// `path`, so that a failed write never leaves a half file. Returns an empty
/// string on success, else a short English reason.
std::string write_file_atomically(const std::filesystem::path& path, std::string_view content);

/// Writes `content` over the file at `path` in place and cuts the file to
/// its length, creating it if needed. Much cheaper than truncating first when
/// the file is rewritten often (a phase's listings at every computation):
/// the file system keeps the file's blocks and cached pages instead of
/// freeing and allocating them again. Returns an empty string on success,
/// else a short English reason.
std::string overwrite_file(const std::filesystem::path& path, std::string_view content);

/// `folder / name` if a file of that name exists there, compared without
/// regard to case ("brcow.an" finds "Brcow.an"); empty when none does.
std::optional<std::filesystem::path> find_file_ignoring_case(const std::filesystem::path& folder,
                                                             std::string_view name);

/// A data file of `folder` found without regard to case; `folder / name`
/// when none exists.
std::filesystem::path data_file_in(const std::filesystem::path& folder, std::string_view name);

/// Deletes a file if it exists; errors are ignored (clean-up only).
void remove_file_quietly(const std::filesystem::path& path);

/// The file name without its folder ("C:\\x\\quartz.cry" and "/x/quartz.cry" give "quartz.cry").
std::string file_name_of(std::string_view path);

/// The environment variables that choose where a scratch folder is made
/// (empty when unset).
struct ScratchEnvironment {
  std::string xdg_cache_home;
  std::string home;
  std::string tmpdir;
  /// This process's own variables.
  static ScratchEnvironment of_process();
};

/// A folder of the running program's own for its scratch files, so that they
/// never land in a user's folder nor replace a user's file. It is made on
/// first use, with a unique name and mode 0700 (mkdtemp), in
/// `$XDG_CACHE_HOME/calvane`, else `~/.cache/calvane`, else (when neither is
/// usable: missing, not ours, writable by others) in the system temporary
/// folder; it is removed with its content when the object ends. Two programs,
/// or two objects of one program, never share one. Its name,
/// "run-<process>-<machine>-XXXXXX" ("calvane-run-…" in the temporary
/// folder), tells which process made it, so that the folders of a run that
/// crashed can be found and removed by a later start.
class ScratchFolder {
public:
  /// The process environment is read on first use.
  ScratchFolder() = default;
  explicit ScratchFolder(ScratchEnvironment environment) : environment_(std::move(environment)) {}
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  /// The folder, made on the first call. Empty when no folder could be made
  /// anywhere; `problem()` then says why.
  const std::filesystem::path& path();
  /// The folder if it has been made, else empty; never makes it.
  const std::filesystem::path& path_if_made() const { return path_; }
  const std::string& problem() const { return problem_; }

  /// A new, empty subfolder "<prefix><n>" (mode 0700); empty when none could be made.
  std::filesystem::path new_subfolder(std::string_view prefix);

  /// True when `file` names something inside the folder (compared on the
  /// absolute, lexically normal path). False before the folder is made.
  bool holds(const std::filesystem::path& file) const;

  /// Removes, from every place a scratch folder is made, the scratch folders
  /// this machine's processes that no longer run left behind (a crash skips
  /// the removal at exit). Folders of running processes, of other machines or
  /// users, links, and anything named otherwise stay. Makes nothing.
  void remove_abandoned();

private:
  std::vector<std::filesystem::path> cache_parents();
  std::filesystem::path temporary_parent();

  std::optional<ScratchEnvironment> environment_;
  std::filesystem::path path_;
  std::string problem_;
  bool tried_ = false;
  long owner_process_ = 0;
  int subfolders_ = 0;
};

}  // namespace calvane
