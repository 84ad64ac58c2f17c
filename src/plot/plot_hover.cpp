#include "plot/plot_hover.hpp"

#include <cmath>
#include <numbers>

#include "model/workspace.hpp"
#include "plot/plot_difference.hpp"
#include "plot/plot_unit.hpp"
#include "profile/q_scale.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
constexpr int kLabelReach = 60;  // rows above a peak that its label at the profile may take

// The top row of what stands at a reflection: its phase's profile at the
// nearest grid point, or in Q its stick.
std::optional<int> peak_row(const PlotState& state, const Workspace& workspace, std::size_t phase_index,
                            const Reflection& reflection) {
  const PhaseData& phase = workspace.phases[phase_index];
  const PlotUnit unit = plot_unit(state, workspace.settings);
  const double x = displayed_position(state, workspace.settings, reflection);
  if (unit == PlotUnit::Q)
    return to_pixels(state.mapping, x, reflection.intensity * phase.fraction).y;
  if (phase_index >= state.phase_values.size()) return std::nullopt;
  const auto k = unit == PlotUnit::D ? nearest_point_descending(state.abscissa, x)
                                     : nearest_grid_point(state.abscissa, true, x);
  if (!k || *k >= state.phase_values[phase_index].size()) return std::nullopt;
  return to_pixels(state.mapping, state.abscissa[*k], state.phase_values[phase_index][*k]).y;
}

bool on_reflection(const PlotState& state, const Workspace& workspace, HklMode hkl_mode, std::size_t phase_index,
                   const Reflection& reflection, int py, int tolerance) {
  const PhaseData& phase = workspace.phases[phase_index];
  if (phase.show_hkl && hkl_mode == HklMode::AlongTop && py <= state.label_band_bottom) return true;
  const auto top = peak_row(state, workspace, phase_index, reflection);
  if (!top) return false;
  const int reach = phase.show_hkl && hkl_mode == HklMode::AtProfile ? kLabelReach : 2 * tolerance;
  return py >= *top - reach && py <= state.mapping.y_base + tolerance;
}

std::string d_text(double d) { return std::isfinite(d) && d > 0 ? "  d=" + fixed(d, 0, 4) + " Å" : ""; }

}  // namespace

std::optional<ReflectionHit> reflection_at(const PlotState& state, const Workspace& workspace, HklMode hkl_mode,
                                           int px, int py, int tolerance) {
  std::optional<ReflectionHit> best;
  int best_distance = tolerance + 1;
  double best_height = -1;
  for (std::size_t p = 0; p < workspace.phases.size(); ++p) {
    const PhaseData& phase = workspace.phases[p];
    if (!phase.draw) continue;
    for (std::size_t r = 0; r < phase.reflections.size(); ++r) {
      const Reflection& reflection = phase.reflections[r];
      const int column = to_pixels(state.mapping, displayed_position(state, workspace.settings, reflection), 0).x;
      const int distance = std::abs(column - px);
      const double height = reflection.intensity * phase.fraction;
      if (distance > tolerance || distance > best_distance || (distance == best_distance && height <= best_height))
        continue;
      if (!on_reflection(state, workspace, hkl_mode, p, reflection, py, tolerance)) continue;
      best = ReflectionHit{static_cast<int>(p) + 1, r};
      best_distance = distance;
      best_height = height;
    }
  }
  return best;
}

std::string reflection_text(const Workspace& workspace, const ReflectionHit& hit) {
  const PhaseData& phase = workspace.phases.at(static_cast<std::size_t>(hit.phase - 1));
  const Reflection& r = phase.reflections.at(hit.reflection);
  return "ph." + std::to_string(hit.phase) + " " + legend_name(phase.file_name) + "  " + std::to_string(r.h) + " " +
         std::to_string(r.k) + " " + std::to_string(r.l) + d_text(r.d) + "  2θ=" + fixed(r.two_theta, 0, 3) +
         "  m=" + std::to_string(r.multiplicity) + "  I=" + fixed(phase.scale_factor * r.intensity, 0, 1);
}

std::string cursor_text(const PlotState& state, const Workspace& workspace, int px, int py) {
  double x = 0, y = 0;
  to_data(state.mapping, px, py, x, y);
  const ExperimentSettings& settings = workspace.settings;
  static const char* const prefixes[] = {"θ=", "2θ=", "Q="};
  const PlotUnit unit = plot_unit(state, settings);
  const double two_theta = two_theta_of_displayed(unit, settings, x);
  std::string text = unit == PlotUnit::D ? "2θ=" + fixed(two_theta, 0, 3)
                                         : prefixes[static_cast<int>(settings.angle_scale)] + fixed(x, 0, 3);
  if (unit == PlotUnit::D)
    text += d_text(x);
  else if (unit == PlotUnit::Q)
    text += d_text(2 * std::numbers::pi / x);
  else if (settings.wavelength_count() == 1)
    text += d_text(settings.wavelengths[0] / (2 * std::sin(two_theta * 0.5 * kDegree)));
  const std::vector<double> grid = workspace.profile_grid.abscissae();
  if (!workspace.phases.empty() && state.axis_linear_max > 0 && !grid.empty()) {
    if (const auto k = nearest_grid_point(grid, true, two_theta)) {
      double sum = 0;
      for (const PhaseData& phase : workspace.phases)
        if (*k < phase.profile.size()) sum += phase.profile[*k];
      text += "  sum=" + fixed(100.0 * sum / state.axis_linear_max, 0, 1);
    }
  }
  for (const ObservedPattern& pattern : workspace.observed_patterns) {
    if (!pattern.draw || pattern.points.empty() || !settings.draw_observed) continue;
    std::size_t nearest = 0;
    for (std::size_t i = 1; i < pattern.points.size(); ++i)
      if (std::abs(pattern.points[i].two_theta - two_theta) < std::abs(pattern.points[nearest].two_theta - two_theta))
        nearest = i;
    const bool counts = pattern.counts.size() == pattern.points.size();
    text += "  measured=" + (counts ? fixed(pattern.counts[nearest], 0, 0) : fixed(pattern.points[nearest].intensity, 0, 1));
    break;
  }
  return text;
}

std::string hover_text(const PlotState& state, const Workspace& workspace, HklMode hkl_mode, int px, int py) {
  if (const auto hit = reflection_at(state, workspace, hkl_mode, px, py)) return reflection_text(workspace, *hit);
  return cursor_text(state, workspace, px, py);
}

std::optional<LegendEntry> legend_entry_at(const PlotState& state, int px, int py) {
  for (const LegendEntry& entry : state.legend_entries)
    if (px >= entry.left && px < entry.right && py >= entry.top && py < entry.bottom) return entry;
  return std::nullopt;
}

bool toggle_legend_entry(const PlotState& state, Workspace& workspace, int px, int py) {
  const auto entry = legend_entry_at(state, px, py);
  if (!entry) return false;
  const auto flip = [](auto& items, std::size_t index) {
    if (index >= items.size()) return false;
    items[index].draw = !items[index].draw;
    return true;
  };
  switch (entry->item) {
    case LegendItem::Phase:
      return flip(workspace.phases, entry->index);
    case LegendItem::Pattern:
      return flip(workspace.observed_patterns, entry->index);
    case LegendItem::PeakList:
      return flip(workspace.observed_peaks, entry->index);
    case LegendItem::Sum:
      workspace.settings.draw_sum = !workspace.settings.draw_sum;
      return true;
    case LegendItem::Background:  // part of the calculated pattern: it has no switch of its own
      return false;
  }
  return false;
}

}  // namespace calvane
