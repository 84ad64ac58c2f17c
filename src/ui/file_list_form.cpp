#include "ui/file_list_form.hpp"

#include <algorithm>

#include "util/text.hpp"

namespace calvane {

namespace {

struct KindEntry {
  std::string_view title;
  std::string_view mask;
  Rgb colour;
};

constexpr KindEntry kKinds[] = {
    {"Phases crystal data", "*.cry;*.inp;*.ins;*.res;*.cel;*.lzy;*.cif", {234, 218, 166}},
    {"Observed patterns", "*.raw;*.rd;*.sim;*.dat;*.cpi;*.cpd", {218, 249, 251}},
    {"Observed peaks", "*.dif;*.dat;*.di;*.prn;*.txt", {222, 182, 203}},
    {"Total Data", "*.cmp", {0, 255, 255}},
};

const KindEntry& entry_of(FileListKind kind) { return kKinds[static_cast<std::size_t>(kind)]; }

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

/// Wildcard match of one pattern: iterative, with one back-tracking point
/// for the last "*", so long names cost linear time.
bool matches_pattern(std::string_view name, std::string_view pattern) {
  std::size_t n = 0, p = 0, star = std::string_view::npos, after_star = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      after_star = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++after_star;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

std::string_view file_list_title(FileListKind kind) { return entry_of(kind).title; }
std::string_view file_list_mask(FileListKind kind) { return entry_of(kind).mask; }
Rgb file_list_colour(FileListKind kind) { return entry_of(kind).colour; }

bool matches_file_mask(std::string_view file_name, std::string_view mask) {
  while (!mask.empty()) {
    std::size_t end = mask.find(';');
    std::string_view pattern = trim_view(mask.substr(0, end));
    if (!pattern.empty() && matches_pattern(file_name, pattern)) return true;
    if (end == std::string_view::npos) break;
    mask.remove_prefix(end + 1);
  }
  return false;
}

std::vector<std::string> files_matching(const std::filesystem::path& folder, std::string_view mask) {
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator entries(folder, error);
  if (error) return names;
  for (auto it = entries; it != std::filesystem::directory_iterator(); it.increment(error)) {
    if (error) break;
    std::error_code type_error;
    if (!it->is_regular_file(type_error)) continue;
    std::string name = it->path().filename().string();
    if (matches_file_mask(name, mask)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    std::string la = to_lower(a), lb = to_lower(b);
    return la != lb ? la < lb : a < b;
  });
  return names;
}

void set_file_list_kind(FileListForm& form, FileListKind kind) {
  form.kind = kind;
  form.title = file_list_title(kind);
  form.mask = file_list_mask(kind);
  form.colour = file_list_colour(kind);
}

void show_folder(FileListForm& form, const std::filesystem::path& folder) {
  form.folder = folder;
  form.files = files_matching(folder, form.mask);
  form.selected = -1;
}

}  // namespace calvane
