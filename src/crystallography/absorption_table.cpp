#include "crystallography/absorption_table.hpp"

#include <algorithm>

#include "util/file_cache.hpp"
#include "util/files.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

std::string line_error(const std::string& file_name, std::size_t line_number) {
  return "Error in file " + file_name + " at line " + std::to_string(line_number) + ".";
}

}  // namespace

AbsorptionReadResult read_absorption_table(const std::filesystem::path& path,
                                           std::vector<ScatteringType>& types) {
  const std::string file_name = path.filename().string();
  // Read at every computation; parsed again only when the file changed.
  static FileCache<std::vector<std::string>> cache;
  const auto lines = cache.get(path, read_text_lines);
  if (!lines) return {false, "File " + file_name + " not found"};
  std::vector<std::vector<std::pair<double, double>>> points(types.size());
  std::vector<std::string> symbols;
  for (const ScatteringType& type : types) symbols.push_back(to_upper(trim(type.symbol)));
  AbsorptionReadResult result;
  for (std::size_t n = 0; n < lines->size(); ++n) {
    const std::string& line = (*lines)[n];
    if (trim_view(line).empty()) continue;
    const std::string symbol = to_upper(trim(substring(line, 0, 2)));
    if (!symbol.empty() && std::find(symbols.begin(), symbols.end(), symbol) == symbols.end()) continue;
    NumberScanner numbers(line.size() > 2 ? std::string_view(line).substr(2) : std::string_view());
    auto wavelength = numbers.next();
    auto value = numbers.next();
    if (symbol.empty() || !wavelength || !value) return {false, line_error(file_name, n + 1)};
    for (std::size_t t = 0; t < types.size(); ++t) {
      if (symbols[t] != symbol) continue;
      auto& kept = points[t];
      std::string notice;
      if (kept.size() == kMaxAbsorptionPointsPerElement)
        notice =
            "More than 30 absorption points for " + symbol + " in " + file_name + ": the others are ignored.";
      else if (!kept.empty() && *wavelength <= kept.back().first)
        notice = "Absorption points of " + symbol + " in " + file_name +
                 " are not in ascending wavelength order: " + "line " + std::to_string(n + 1) +
                 " is ignored.";
      else
        kept.emplace_back(*wavelength, *value);
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
