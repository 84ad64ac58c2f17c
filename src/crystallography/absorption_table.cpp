#include "crystallography/absorption_table.hpp"

#include <algorithm>
#include <optional>

#include "util/file_cache.hpp"
#include "util/files.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

std::string line_error(const std::string& file_name, std::size_t line_number) {
  return "Error in file " + file_name + " at line " + std::to_string(line_number) + ".";
}

/// One non-blank line of the table, decoded once per version of the file.
struct AbsorptionLine {
  std::string symbol;  // first two characters, trimmed, in capitals
  std::optional<double> wavelength, value;
  std::size_t number = 0;  // 1-based line number
};

std::optional<std::vector<AbsorptionLine>> decode_absorption_file(const std::filesystem::path& path) {
  auto lines = read_text_lines(path);
  if (!lines) return std::nullopt;
  std::vector<AbsorptionLine> decoded;
  decoded.reserve(lines->size());
  for (std::size_t n = 0; n < lines->size(); ++n) {
    const std::string& line = (*lines)[n];
    if (trim_view(line).empty()) continue;
    NumberScanner numbers(line.size() > 2 ? std::string_view(line).substr(2) : std::string_view());
    AbsorptionLine& entry = decoded.emplace_back();
    entry.symbol = to_upper(trim(substring(line, 0, 2)));
    entry.wavelength = numbers.next();
    entry.value = numbers.next();
    entry.number = n + 1;
  }
  return decoded;
}

}  // namespace

AbsorptionReadResult read_absorption_table(const std::filesystem::path& path,
                                           std::vector<ScatteringType>& types) {
  const std::string file_name = path.filename().string();
  // Read at every computation; decoded again only when the file changed.
  static FileCache<std::vector<AbsorptionLine>> cache;
  const auto lines = cache.get(path, decode_absorption_file);
  if (!lines) return {false, "File " + file_name + " not found"};
  std::vector<std::vector<std::pair<double, double>>> points(types.size());
  std::vector<std::string> symbols;
  for (const ScatteringType& type : types) symbols.push_back(to_upper(trim(type.symbol)));
  AbsorptionReadResult result;
  for (const AbsorptionLine& line : *lines) {
    const std::string& symbol = line.symbol;
    if (!symbol.empty() && std::find(symbols.begin(), symbols.end(), symbol) == symbols.end()) continue;
    if (symbol.empty() || !line.wavelength || !line.value) return {false, line_error(file_name, line.number)};
    for (std::size_t t = 0; t < types.size(); ++t) {
      if (symbols[t] != symbol) continue;
      auto& kept = points[t];
      std::string notice;
      if (kept.size() == kMaxAbsorptionPointsPerElement)
        notice =
            "More than 30 absorption points for " + symbol + " in " + file_name + ": the others are ignored.";
      else if (!kept.empty() && *line.wavelength <= kept.back().first)
        notice = "Absorption points of " + symbol + " in " + file_name +
                 " are not in ascending wavelength order: " + "line " + std::to_string(line.number) +
                 " is ignored.";
      else
        kept.emplace_back(*line.wavelength, *line.value);
      if (!notice.empty() && result.message.empty()) result.message = notice;
    }
  }
  for (std::size_t t = 0; t < types.size(); ++t) types[t].absorption = std::move(points[t]);
  return result;
}

double tabulated_absorption(const std::vector<std::pair<double, double>>& points,
                            double wavelength_angstrom) {
  auto above = std::find_if(points.begin(), points.end(),
                            [&](const auto& point) { return wavelength_angstrom <= point.first; });
  if (above == points.end()) return 0;
  if (above == points.begin()) return above->second;
  const auto& below = *(above - 1);
  const double slope = (above->second - below.second) / (above->first - below.first);
  return below.second + slope * (wavelength_angstrom - below.first);
}

}  // namespace calvane
