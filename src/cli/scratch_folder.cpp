#include "cli/scratch_folder.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include <stdlib.h>  // mkdtemp

namespace calvane::cli {

namespace {

std::optional<std::filesystem::path> make_private_folder(const std::filesystem::path& parent) {
  std::string name = (parent / "calvane-sim-XXXXXX").string();
  if (::mkdtemp(name.data()) == nullptr) return std::nullopt;
  return std::filesystem::path(name);
}

}  // namespace

std::optional<ScratchFolder> ScratchFolder::create(const std::filesystem::path& data_folder, std::ostream& messages) {
  std::vector<std::pair<std::string, std::filesystem::path>> candidates;
  if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir != nullptr && *tmpdir != '\0')
    candidates.emplace_back("TMPDIR", tmpdir);
  candidates.emplace_back("/tmp", "/tmp");
  std::error_code error;
  if (auto current = std::filesystem::current_path(error); !error) candidates.emplace_back("the current folder", current);
  for (const auto& [label, parent] : candidates) {
    auto made = make_private_folder(parent);
    if (!made) {
      messages << "calvane-sim: no scratch folder in " << label << " (" << parent.string()
               << "): " << std::strerror(errno) << '\n';
      continue;
    }
    ScratchFolder scratch(*made);
    if (data_folder.empty()) return scratch;
    for (const auto& entry : std::filesystem::directory_iterator(data_folder, error))
      if (entry.is_regular_file(error))
        std::filesystem::create_symlink(std::filesystem::absolute(entry.path(), error), *made / entry.path().filename(),
                                        error);
    return scratch;
  }
  messages << "calvane-sim: no folder to hold the scratch files; set TMPDIR to a writable folder\n";
  return std::nullopt;
}

}  // namespace calvane::cli
