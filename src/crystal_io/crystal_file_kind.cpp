#include "crystal_io/crystal_file_kind.hpp"

#include <sstream>
#include <string>
#include <vector>

#include "crystal_io/foreign_text.hpp"
#include "util/files.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

struct ExtensionKind {
  std::string_view extension;
  CrystalFileKind kind;
};

constexpr ExtensionKind kExtensions[] = {
    {".cry", CrystalFileKind::Native},     {".ins", CrystalFileKind::Shelx},
    {".inp", CrystalFileKind::Shelx},      {".res", CrystalFileKind::Shelx},
    {".cel", CrystalFileKind::PowderCell}, {".lzy", CrystalFileKind::LazyPulverix},
    {".ics", CrystalFileKind::Icsd},       {".cif", CrystalFileKind::Cif},
};

std::string lower_extension(const std::filesystem::path& path) { return to_lower(path.extension().string()); }

// The upper-cased first word of each line, and whether the text has a CIF cell tag.
struct TextSummary {
  std::vector<std::string> first_words;
  std::vector<std::string> lines;
  bool data_block = false;
  bool cif_cell = false;
};

TextSummary summarise(std::string_view text) {
  TextSummary summary;
  std::istringstream in{std::string(text)};
  for (std::string line; std::getline(in, line) && summary.lines.size() < 5000;) {
    strip_line_end(line);
    const std::string trimmed = trim(line);
    if (to_lower(substring(trimmed, 0, 5)) == "data_") summary.data_block = true;
    if (contains_ignoring_case(trimmed, "_cell_length_a")) summary.cif_cell = true;
    summary.first_words.push_back(to_upper(substring(trimmed, 0, trimmed.find_first_of(" \t"))));
    summary.lines.push_back(line);
  }
  return summary;
}

bool has_word(const TextSummary& summary, std::string_view word) {
  for (const std::string& first : summary.first_words)
    if (first == word) return true;
  return false;
}

bool looks_native(const TextSummary& summary) {
  if (summary.lines.size() < 4) return false;
  const std::string code = to_upper(substring(summary.lines[1], 0, 4));
  static constexpr std::string_view kCodes[] = {"CUBI", "TETR", "QUAD", "ORTH", "HEXA", "RHOM", "MONO", "TRIC"};
  bool known = false;
  for (std::string_view each : kCodes) known = known || code == each;
  auto numbers = read_number_list(summary.lines[3]);
  return known && numbers && numbers->size() >= 6;
}

}  // namespace

std::optional<CrystalFileKind> crystal_kind_of_name(const std::filesystem::path& path) {
  const std::string extension = lower_extension(path);
  for (const ExtensionKind& entry : kExtensions)
    if (extension == entry.extension) return entry.kind;
  return std::nullopt;
}

bool is_shelx_result_name(const std::filesystem::path& path) { return lower_extension(path) == ".res"; }

std::optional<CrystalFileKind> crystal_kind_of_text(std::string_view text) {
  const TextSummary summary = summarise(text);
  if (summary.data_block && summary.cif_cell) return CrystalFileKind::Cif;
  const bool cell = has_word(summary, "CELL");
  if (cell && (has_word(summary, "LATT") || has_word(summary, "SYMM") || has_word(summary, "SFAC") ||
               has_word(summary, "FVAR")))
    return CrystalFileKind::Shelx;
  if (cell && has_word(summary, "RGNR")) return CrystalFileKind::PowderCell;
  if (cell && has_word(summary, "SPCGRP")) return CrystalFileKind::LazyPulverix;
  if (looks_native(summary)) return CrystalFileKind::Native;
  return std::nullopt;
}

CrystalFileKind crystal_kind_of_file(const std::filesystem::path& path, CrystalFileKind fallback) {
  if (auto kind = crystal_kind_of_name(path)) return *kind;
  if (auto bytes = read_file_bytes(path)) {
    if (auto kind = crystal_kind_of_text(*bytes)) return *kind;
  }
  return fallback;
}

}  // namespace calvane
