// A private folder for scratch files, removed when it goes out of scope.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <utility>

namespace calvane::cli {

/// A scratch folder, optionally holding links to the data files so that it
/// can stand in for a program folder: listings and scratch files are written
/// there, never beside the installed data. It is made by mkdtemp (a new
/// folder of mode 0700 under a name nobody else holds) in the first usable
/// of: $TMPDIR, /tmp, the current folder.
class ScratchFolder {
public:
  /// Links every data file of `data_folder` into the new folder unless it is
  /// empty. Empty, with the reasons in `messages`, when no candidate folder
  /// takes it.
  static std::optional<ScratchFolder> create(const std::filesystem::path& data_folder, std::ostream& messages);
  ScratchFolder(ScratchFolder&& other) noexcept : path_(std::exchange(other.path_, {})) {}
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ScratchFolder& operator=(ScratchFolder&&) = delete;
  ~ScratchFolder() {
    std::error_code error;
    if (!path_.empty()) std::filesystem::remove_all(path_, error);
  }
  const std::filesystem::path& path() const { return path_; }

private:
  explicit ScratchFolder(std::filesystem::path path) : path_(std::move(path)) {}
  std::filesystem::path path_;
};

}  // namespace calvane::cli
