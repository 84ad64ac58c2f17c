#include "viewer/viewer_search.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>

#include "util/text.hpp"

namespace calvane {

namespace {

namespace fs = std::filesystem;

/// A folder is known by its device and inode, whatever link led to it.
using FolderId = std::pair<dev_t, ino_t>;

std::optional<FolderId> folder_id(const fs::path& folder) {
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
  return FolderId{info.st_dev, info.st_ino};
}

struct FolderEntries {
  std::vector<fs::path> files;
  std::vector<fs::path> folders;
};

/// The entries of one folder in name order; an unreadable folder has none.
FolderEntries read_folder(const fs::path& folder, const SearchStep& keep_going, bool& stopped) {
  FolderEntries entries;
  std::error_code error;
  fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    if (!keep_going()) {
      stopped = true;
      break;
    }
    std::error_code type_error;
    if (it->is_directory(type_error))
      entries.folders.push_back(it->path());
    else if (!type_error)
      entries.files.push_back(it->path());
  }
  std::sort(entries.files.begin(), entries.files.end());
  std::sort(entries.folders.begin(), entries.folders.end());
  return entries;
}

}  // namespace

bool is_viewer_file_name(std::string_view name) { return contains_ignoring_case(name, "lumiso2.exe"); }

std::vector<fs::path> viewer_search_roots() {
  std::vector<fs::path> roots;
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') roots.emplace_back(home);
  for (const char* mount : {"/media", "/mnt", "/run/media"}) roots.emplace_back(mount);
  std::error_code error;
  std::erase_if(roots, [&error](const fs::path& root) { return !fs::is_directory(root, error); });
  return roots;
}

std::optional<fs::path> find_viewer(const std::vector<fs::path>& roots, const SearchStep& keep_going) {
  std::set<FolderId> visited;
  for (const fs::path& root : roots) {
    // An explicit stack instead of recursion: deep trees cannot exhaust the
    // call stack. Subfolders are pushed in reverse so the first is walked first.
    std::vector<fs::path> pending{root};
    while (!pending.empty()) {
      fs::path folder = std::move(pending.back());
      pending.pop_back();
      auto id = folder_id(folder);
      if (!id || !visited.insert(*id).second) continue;
      bool stopped = false;
      FolderEntries entries = read_folder(folder, keep_going, stopped);
      if (stopped) return std::nullopt;
      for (const fs::path& file : entries.files)
        if (is_viewer_file_name(file.filename().string())) return file;
      pending.insert(pending.end(), entries.folders.rbegin(), entries.folders.rend());
    }
  }
  return std::nullopt;
}

}  // namespace calvane
