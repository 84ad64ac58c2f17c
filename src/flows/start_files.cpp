#include "flows/start_files.hpp"

#include <filesystem>
#include <string>

#include "crystal_io/crystal_file_kind.hpp"
#include "util/text.hpp"
#include "model/workspace.hpp"

namespace calvane {

namespace {

struct ExtensionEntry {
  const char* extension;
  StartFileEntry entry;
};

// The formats of the entries under "Open an observed diagram data file" and
// "Open an observed peaks file", in menu order; crystal files go by their
// own table (crystal_kind_of_name).
constexpr ExtensionEntry kEntries[] = {
    {".raw", {StartFileMenu::ObservedPattern, 1}},
    {".rd", {StartFileMenu::ObservedPattern, 2}},
    {".sim", {StartFileMenu::ObservedPattern, 3}},
    {".dat", {StartFileMenu::ObservedPattern, 4}},
    {".cpi", {StartFileMenu::ObservedPattern, 5}},
    {".cpd", {StartFileMenu::ObservedPattern, 6}},
    {".dif", {StartFileMenu::ObservedPeaks, 1}},
    {".txt", {StartFileMenu::ObservedPeaks, 2}},
    {".di", {StartFileMenu::ObservedPeaks, 4}},
    {".prn", {StartFileMenu::ObservedPeaks, 5}},
    {".cmp", {StartFileMenu::TotalData, 0}},
};

}  // namespace

StartFileEntry start_file_entry(std::string_view path) {
  if (auto crystal = crystal_kind_of_name(std::string(path)))
    return {StartFileMenu::Crystal, static_cast<int>(*crystal)};
  const std::string extension = to_lower(std::filesystem::path(std::string(path)).extension().string());
  for (const ExtensionEntry& known : kEntries)
    if (extension == known.extension) return known.entry;
  return {};
}

}  // namespace calvane
