// Data files read once and kept in memory while they stay unchanged.
//
// The program re-reads its tables (absorption, anomalous dispersion) at every
// computation so that an edited file takes effect at once. Parsing them again
// each time costs more than the computation of a small phase, so the parsed
// content is kept and reused while the file's size and modification time are
// those seen when it was parsed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace calvane {

/// What tells whether a file changed since it was read: its identity (a file
/// replaced by a rename is another file), size, and modification and change
/// times in nanoseconds.
struct FileStamp {
  std::uint64_t device = 0, inode = 0, size = 0;
  std::int64_t modified_ns = 0, changed_ns = 0;
  bool operator==(const FileStamp&) const = default;
};

/// The stamp of a regular file; empty when it is missing or not a file.
std::optional<FileStamp> file_stamp(const std::filesystem::path& path);

/// Parsed contents of files by path. `load` runs when the path is new or its
/// file changed; a missing file is never cached (`load` decides what it means).
template <typename Content>
class FileCache {
public:
  using Loader = std::function<std::optional<Content>(const std::filesystem::path&)>;

  std::shared_ptr<const Content> get(const std::filesystem::path& path, const Loader& load) {
    const std::optional<FileStamp> stamp = file_stamp(path);
    const std::string key = path.lexically_normal().string();
    std::lock_guard lock(mutex_);
    if (stamp) {
      auto found = entries_.find(key);
      if (found != entries_.end() && found->second.stamp == *stamp) return found->second.content;
    }
    std::optional<Content> content = load(path);
    if (!content) {
      entries_.erase(key);
      return nullptr;
    }
    auto shared = std::make_shared<const Content>(std::move(*content));
    // A stamp taken after a write in the same clock tick could hide a later
    // change; such a file is simply parsed again next time.
    if (stamp && stamp == file_stamp(path)) entries_[key] = Entry{*stamp, shared};
    return shared;
  }

private:
  struct Entry {
    FileStamp stamp;
    std::shared_ptr<const Content> content;
  };
  std::mutex mutex_;
  std::map<std::string, Entry> entries_;
};

}  // namespace calvane
