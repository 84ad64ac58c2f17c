// Where the program keeps its data files, listings and settings: the folder
// that holds the data files beside the executable (a build tree or an
// unpacked copy), or, for a program installed under a prefix, a folder of
// the user's own that receives copies of the installed data files.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace calvane {

/// The environment variables the choice reads (empty when unset).
struct FolderEnvironment {
  std::string xdg_data_home;
  std::string home;
};

struct ProgramFolderChoice {
  std::filesystem::path folder;
  /// True for an installed program: `folder` is the user's own copy.
  bool per_user = false;
  /// Data files copied into the user's folder by this start.
  std::vector<std::string> copied;
  /// Empty on success; else why no usable folder could be made.
  std::string problem;
};

/// The installed data folder of an executable in `<prefix>/bin`:
/// `<prefix>/share/calvane` when it holds the data files.
std::optional<std::filesystem::path> installed_data_folder(const std::filesystem::path& executable_folder);

/// The user's folder of an installed program: `$XDG_DATA_HOME/calvane`, or
/// `$HOME/.local/share/calvane` when XDG_DATA_HOME is unset or not absolute
/// (the XDG Base Directory rules ignore relative values). Empty when neither
/// variable gives an absolute folder.
std::optional<std::filesystem::path> per_user_folder(const FolderEnvironment& environment);

/// Copies into `user_folder` (created when missing) every file of
/// `data_folder` that is missing there or older than the installed one.
/// Files the program writes itself ("couleurs.txt", "lumipath.txt",
/// "scfs.dat", listings) are never in the data folder, so they survive.
/// Returns the names copied; `problem` tells what failed.
std::vector<std::string> refresh_user_copy(const std::filesystem::path& data_folder,
                                           const std::filesystem::path& user_folder, std::string& problem);

/// The program folder for this start:
/// 1. an installed program (data in `../share/calvane` beside `bin/`): the user's folder, refreshed;
/// 2. data files beside the executable: the executable's folder (the build tree's `program/`);
/// 3. otherwise the folder current at start, whose data files the start-up checks.
ProgramFolderChoice choose_program_folder(const std::filesystem::path& executable_folder,
                                          const std::filesystem::path& current_folder,
                                          const FolderEnvironment& environment);

}  // namespace calvane
