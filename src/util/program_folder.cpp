#include "util/program_folder.hpp"

#include <system_error>

#include "util/files.hpp"

namespace calvane {

namespace {

namespace fs = std::filesystem;

// The first file the start-up checks; its presence marks a folder of data files.
constexpr const char* kMarkerDataFile = "spgr2.dat";

bool holds_data_files(const fs::path& folder) {
  return !folder.empty() && find_file_ignoring_case(folder, kMarkerDataFile).has_value();
}

bool needs_copy(const fs::path& source, const fs::path& target) {
  std::error_code error;
  if (!fs::exists(target, error)) return true;
  const auto source_time = fs::last_write_time(source, error);
  if (error) return false;
  const auto target_time = fs::last_write_time(target, error);
  return error || source_time > target_time;
}

// Through a temporary name and a rename, so that an interrupted start never
// leaves a half data file that a later start would take as complete.
std::string copy_whole(const fs::path& source, const fs::path& target) {
  const fs::path temporary = target.parent_path() / ("." + target.filename().string() + ".part");
  std::error_code error;
  fs::copy_file(source, temporary, fs::copy_options::overwrite_existing, error);
  if (!error) fs::rename(temporary, target, error);
  if (!error) return {};
  fs::remove(temporary, error);
  return "cannot copy " + source.filename().string() + " into " + target.parent_path().string();
}

}  // namespace

std::optional<fs::path> installed_data_folder(const fs::path& executable_folder) {
  if (executable_folder.filename() != "bin") return std::nullopt;
  const fs::path data = executable_folder.parent_path() / "share" / "calvane";
  if (!holds_data_files(data)) return std::nullopt;
  return data;
}

std::optional<fs::path> per_user_folder(const FolderEnvironment& environment) {
  const fs::path xdg(environment.xdg_data_home);
  if (!xdg.empty() && xdg.is_absolute()) return xdg / "calvane";
  const fs::path home(environment.home);
  if (!home.empty() && home.is_absolute()) return home / ".local" / "share" / "calvane";
  return std::nullopt;
}

std::vector<std::string> refresh_user_copy(const fs::path& data_folder, const fs::path& user_folder,
                                           std::string& problem) {
  std::vector<std::string> copied;
  std::error_code error;
  fs::create_directories(user_folder, error);
  if (error) {
    problem = "cannot create the folder " + user_folder.string();
    return copied;
  }
  for (const auto& entry : fs::directory_iterator(data_folder, error)) {
    if (!entry.is_regular_file()) continue;
    const fs::path target = user_folder / entry.path().filename();
    if (!needs_copy(entry.path(), target)) continue;
    problem = copy_whole(entry.path(), target);
    if (!problem.empty()) return copied;
    copied.push_back(entry.path().filename().string());
  }
  if (error) problem = "cannot read the folder " + data_folder.string();
  return copied;
}

ProgramFolderChoice choose_program_folder(const fs::path& executable_folder, const fs::path& current_folder,
                                          const FolderEnvironment& environment) {
  ProgramFolderChoice choice;
  if (const auto data = installed_data_folder(executable_folder)) {
    const auto user = per_user_folder(environment);
    if (!user) {
      choice.problem = "Neither XDG_DATA_HOME nor HOME names a folder for the program's files";
      return choice;
    }
    choice.folder = *user;
    choice.per_user = true;
    choice.copied = refresh_user_copy(*data, *user, choice.problem);
    return choice;
  }
  choice.folder = holds_data_files(executable_folder) ? executable_folder : current_folder;
  return choice;
}

}  // namespace calvane
