#include "flows/program.hpp"

#include "util/files.hpp"

namespace calvane {

std::filesystem::path Program::data_file(std::string_view name) const {
  return data_file_in(program_folder, name);
}

std::filesystem::path Program::resolve(std::string_view name) const {
  std::filesystem::path path{std::string(name)};
  if (path.is_absolute()) return path;
  return current_folder / path;
}

const std::string& Program::shown_file_name(const std::string& file_name) const {
  const auto original = workspace_file_names.find(file_name);
  return original != workspace_file_names.end() ? original->second : file_name;
}

}  // namespace calvane
