#include "reports/plot_data.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "model/workspace.hpp"
#include "plot/draw_plot.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

// The first measured pattern the plot draws, its points in ascending 2θ.
std::vector<ObservedPoint> drawn_measured_points(const Workspace& workspace) {
  for (const ObservedPattern& pattern : workspace.observed_patterns) {
    if (!pattern.draw || pattern.points.empty()) continue;
    std::vector<ObservedPoint> points = pattern.points;
    std::stable_sort(points.begin(), points.end(),
                     [](const ObservedPoint& a, const ObservedPoint& b) { return a.two_theta < b.two_theta; });
    return points;
  }
  return {};
}

// Linear interpolation between the two measured points around `two_theta`;
// none outside the measured range.
std::optional<double> measured_at(const std::vector<ObservedPoint>& points, double two_theta) {
  if (points.empty() || two_theta < points.front().two_theta || two_theta > points.back().two_theta)
    return std::nullopt;
  const auto after = std::lower_bound(points.begin(), points.end(), two_theta,
                                      [](const ObservedPoint& p, double x) { return p.two_theta < x; });
  if (after->two_theta == two_theta || after == points.begin()) return after->intensity;
  const ObservedPoint& before = *(after - 1);
  const double span = after->two_theta - before.two_theta;
  if (!(span > 0)) return after->intensity;
  const double t = (two_theta - before.two_theta) / span;
  return before.intensity + t * (after->intensity - before.intensity);
}

// A phase name fit for a header cell: no separators, no blanks.
std::string header_name(const std::string& file_name, int number) {
  std::string name = legend_name(file_name);
  for (char& c : name)
    if (c == ',' || c == '"' || c == ' ' || c == '\t' || c == '#') c = '_';
  return name.empty() ? "phase" + std::to_string(number) : name;
}

struct Columns {
  std::vector<std::string> header;
  std::vector<std::vector<std::optional<double>>> rows;
};

Columns plot_columns(const Workspace& workspace) {
  Columns table;
  const std::vector<double> grid = workspace.profile_grid.abscissae();
  const std::vector<ObservedPoint> measured = drawn_measured_points(workspace);
  table.header.push_back("two_theta");
  for (int p = 1; p <= workspace.phase_count(); ++p) table.header.push_back(header_name(workspace.phase(p).file_name, p));
  table.header.push_back("sum");
  if (!measured.empty()) {
    table.header.push_back("measured");
    table.header.push_back("difference");
  }
  std::vector<double> sums(grid.size(), 0.0);
  std::vector<std::optional<double>> observed(grid.size());
  double sum_max = 0, observed_max = 0;
  for (std::size_t k = 0; k < grid.size(); ++k) {
    for (const PhaseData& phase : workspace.phases)
      if (k < phase.profile.size()) sums[k] += phase.profile[k];
    sum_max = std::max(sum_max, sums[k]);
    observed[k] = measured_at(measured, grid[k]);
    if (observed[k]) observed_max = std::max(observed_max, *observed[k]);
  }
  const double factor = sum_max > 0 && observed_max > 0 ? sum_max / observed_max : 1.0;
  for (std::size_t k = 0; k < grid.size(); ++k) {
    std::vector<std::optional<double>> row{grid[k]};
    for (const PhaseData& phase : workspace.phases)
      row.push_back(k < phase.profile.size() ? std::optional<double>(phase.profile[k]) : std::nullopt);
    row.push_back(sums[k]);
    if (!measured.empty()) {
      const std::optional<double> scaled = observed[k] ? std::optional<double>(*observed[k] * factor) : std::nullopt;
      row.push_back(scaled);
      row.push_back(scaled ? std::optional<double>(*scaled - sums[k]) : std::nullopt);
    }
    table.rows.push_back(std::move(row));
  }
  return table;
}

}  // namespace

std::string reflection_table_csv(const Workspace& workspace) {
  std::string csv = "phase,h,k,l,mult,lambda,d,two_theta,intensity,k_intensity\n";
  for (int p = 1; p <= workspace.phase_count(); ++p) {
    const PhaseData& phase = workspace.phase(p);
    for (const Reflection& r : phase.reflections)
      csv += std::to_string(p) + "," + std::to_string(r.h) + "," + std::to_string(r.k) + "," + std::to_string(r.l) +
             "," + std::to_string(r.multiplicity) + "," + fixed(r.wavelength, 0, 5) + "," + fixed(r.d, 0, 5) + "," +
             fixed(r.two_theta, 0, 4) + "," + fixed(r.intensity, 0, 6) + "," +
             fixed(phase.scale_factor * r.intensity, 0, 4) + "\n";
  }
  return csv;
}

std::string plot_data_table(const Workspace& workspace, TableLayout layout) {
  const Columns table = plot_columns(workspace);
  const bool csv = layout == TableLayout::Csv;
  const char* separator = csv ? "," : " ";
  std::string text = csv ? "" : "# ";
  for (std::size_t c = 0; c < table.header.size(); ++c) text += (c ? separator : "") + table.header[c];
  text += "\n";
  for (const auto& row : table.rows) {
    for (std::size_t c = 0; c < row.size(); ++c) {
      if (c) text += separator;
      if (row[c])
        text += fixed(*row[c], 0, 4);
      else if (!csv)
        text += "nan";
    }
    text += "\n";
  }
  return text;
}

}  // namespace calvane
