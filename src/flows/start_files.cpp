#include "flows/start_files.hpp"

#include <filesystem>
#include <string>

#include "crystal_io/crystal_file_kind.hpp"
#include "experiment_io/pattern_files.hpp"
#include "experiment_io/peak_files.hpp"
#include "util/text.hpp"
#include "model/workspace.hpp"

namespace calvane {

StartFileEntry start_file_entry(std::string_view path) {
  if (auto crystal = crystal_kind_of_name(std::string(path)))
    return {StartFileMenu::Crystal, static_cast<int>(*crystal)};
  const std::string extension = to_lower(std::filesystem::path(std::string(path)).extension().string());
  // The readers' own tables: a pattern first, so ".dat" is a Rietveld pattern.
  if (auto pattern = pattern_kind_of(extension)) return {StartFileMenu::ObservedPattern, static_cast<int>(*pattern)};
  if (auto peaks = peak_kind_of(extension)) return {StartFileMenu::ObservedPeaks, static_cast<int>(*peaks)};
  if (extension == ".cmp") return {StartFileMenu::TotalData, 0};
  return {};
}

}  // namespace calvane
