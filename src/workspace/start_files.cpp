#include "workspace/start_files.hpp"

#include <filesystem>
#include <string>

#include "util/text.hpp"
#include "workspace/workspace.hpp"

namespace calvane {

namespace {

struct ExtensionEntry {
  const char* extension;
  StartFileEntry entry;
};

constexpr int kind(CrystalFileKind value) { return static_cast<int>(value); }

// The formats of the entries under "Open a crystal data file", "Open an
// observed diagram data file" and "Open an observed peaks file", in menu order.
constexpr ExtensionEntry kEntries[] = {
    {".cry", {StartFileMenu::Crystal, kind(CrystalFileKind::Native)}},
    {".inp", {StartFileMenu::Crystal, kind(CrystalFileKind::Shelx)}},
    {".ins", {StartFileMenu::Crystal, kind(CrystalFileKind::Shelx)}},
    {".res", {StartFileMenu::Crystal, kind(CrystalFileKind::Shelx)}},
    {".cel", {StartFileMenu::Crystal, kind(CrystalFileKind::PowderCell)}},
    {".lzy", {StartFileMenu::Crystal, kind(CrystalFileKind::LazyPulverix)}},
    {".ics", {StartFileMenu::Crystal, kind(CrystalFileKind::Icsd)}},
    {".cif", {StartFileMenu::Crystal, kind(CrystalFileKind::Cif)}},
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
  const std::string extension = to_lower(std::filesystem::path(std::string(path)).extension().string());
  for (const ExtensionEntry& known : kEntries)
    if (extension == known.extension) return known.entry;
  return {};
}

}  // namespace calvane
