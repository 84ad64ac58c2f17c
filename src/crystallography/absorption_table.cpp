#include "crystallography/absorption_table.hpp"

#include <algorithm>
#include <optional>

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
  // Read at every computation, so that an edited table takes effect at once.
  // Only the lines of the phase's elements are decoded: the shipped table
  // has nearly 3000 lines, and a small phase needs a few dozen.
  const auto file = MappedFile::open(path);
  if (!file) return {false, "File " + file_name + " not found"};
  std::vector<std::vector<std::pair<double, double>>> points(types.size());
  std::vector<std::string> symbols;
  for (const ScatteringType& type : types) symbols.push_back(to_upper(trim(type.symbol)));
  AbsorptionReadResult result;
  std::size_t error_line = 0;
  for_each_text_line(file->bytes(), [&](std::string_view line, std::size_t number) {
    if (error_line != 0 || trim_view(line).empty()) return;
    const std::string symbol = to_upper(trim(line.substr(0, 2)));
    if (!symbol.empty() && std::find(symbols.begin(), symbols.end(), symbol) == symbols.end()) return;
    NumberScanner numbers(line.size() > 2 ? line.substr(2) : std::string_view());
    const std::optional<double> wavelength = numbers.next(), value = numbers.next();
    if (symbol.empty() || !wavelength || !value) {
      error_line = number;
      return;
    }
    for (std::size_t t = 0; t < types.size(); ++t) {
      if (symbols[t] != symbol) continue;
      auto& kept = points[t];
      std::string notice;
      if (kept.size() == kMaxAbsorptionPointsPerElement)
        notice = "More than 30 absorption points for " + symbol + " in " + file_name + ": the others are ignored.";
      else if (!kept.empty() && *wavelength <= kept.back().first)
        notice = "Absorption points of " + symbol + " in " + file_name +
                 " are not in ascending wavelength order: " + "line " + std::to_string(number) + " is ignored.";
      else
        kept.emplace_back(*wavelength, *value);
      if (!notice.empty() && result.message.empty()) result.message = notice;
    }
  });
  if (error_line != 0) return {false, line_error(file_name, error_line)};
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
