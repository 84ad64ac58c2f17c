// Finding the structure viewer on the disk: a depth-first walk of every
// folder below a set of roots, stopping at the first viewer file.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace calvane {

/// True when a file name holds "lumiso2.exe", without regard to case.
bool is_viewer_file_name(std::string_view name);

/// The folders a user of this system keeps programs under: the home folder
/// and the mount points of other volumes (/media, /mnt, /run/media), those
/// that exist, in that order.
std::vector<std::filesystem::path> viewer_search_roots();

/// Called between entries; false stops the search (the user cancelled).
using SearchStep = std::function<bool()>;

/// Visits each root in order, depth first: a folder's own files first (in
/// name order), then each of its subfolders the same way. Returns the first
/// viewer file found. Folders that cannot be read are passed over, and a
/// folder reached again through a link is not walked twice, so link loops
/// end. Nothing is returned when the search was stopped.
std::optional<std::filesystem::path> find_viewer(const std::vector<std::filesystem::path>& roots,
                                                 const SearchStep& keep_going);

}  // namespace calvane
