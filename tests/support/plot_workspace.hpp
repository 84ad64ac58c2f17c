// Small workspaces for the plot tests: a grid, phases with simple profiles,
// observed patterns and peak lists.
#pragma once

#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plot/draw_plot.hpp"
#include "plot/recording_canvas.hpp"
#include "model/workspace.hpp"

namespace calvane::testing {

/// A grid of `count` points from `low` to `high` degrees 2θ.
inline void set_grid(Workspace& workspace, double low, double high, int count) {
  workspace.settings.two_theta_low = low;
  workspace.settings.two_theta_high = high;
  workspace.profile_grid = {low, high, count};
}

inline Workspace gridded(double low, double high, int count) {
  Workspace workspace;
  set_grid(workspace, low, high, count);
  return workspace;
}

/// Draws the workspace on a fresh recording canvas of the given size.
inline RecordingCanvas draw(PlotState& state, const Workspace& workspace, HklMode mode = HklMode::AlongTop,
                            int width = 1010, int height = 435) {
  RecordingCanvas canvas(width, height);
  draw_plot(state, workspace, mode, canvas);
  return canvas;
}

/// A phase whose profile is `base` everywhere with a Gaussian of height `peak` at `centre`.
inline PhaseData& add_phase(Workspace& workspace, const std::string& file, double centre, double peak,
                            double base = 0, double sigma = 0.5) {
  PhaseData phase;
  phase.file_name = file;
  phase.colour = workspace.styles.phase_colours[workspace.phases.size()];
  for (double x : workspace.profile_grid.abscissae())
    phase.profile.push_back(
        static_cast<float>(base + peak * std::exp(-0.5 * std::pow((x - centre) / sigma, 2))));
  workspace.phases.push_back(phase);
  return workspace.phases.back();
}

inline Reflection reflection(int h, int k, int l, double two_theta, double intensity = 100) {
  Reflection r;
  r.h = h;
  r.k = k;
  r.l = l;
  r.two_theta = two_theta;
  r.intensity = intensity;
  return r;
}

/// A plot state over the settings' range, as the window has it after a computation.
inline PlotState state_for(const Workspace& workspace) {
  PlotState state;
  sync_plot_range(state, workspace.settings);
  return state;
}

inline std::vector<DrawOperation> texts_starting(const RecordingCanvas& canvas, const std::string& start) {
  std::vector<DrawOperation> found;
  for (const auto& operation : canvas.of_kind(DrawOperation::Kind::Text))
    if (operation.text.rfind(start, 0) == 0) found.push_back(operation);
  return found;
}

/// Polylines drawn in a pen of `colour`.
inline std::vector<DrawOperation> polylines_in(const RecordingCanvas& canvas, Rgb colour) {
  std::vector<DrawOperation> found;
  for (const auto& operation : canvas.of_kind(DrawOperation::Kind::Polyline))
    if (operation.pen.colour == colour) found.push_back(operation);
  return found;
}

/// Position of the first text `text` drawn (throws when there is none, failing the test).
inline Point text_at(const RecordingCanvas& canvas, std::string_view text) {
  return canvas.texts(text).at(0).points.at(0);
}

/// Whether a straight line from `from` to `to` was drawn (in a pen of `colour` when given).
inline bool has_line(const RecordingCanvas& canvas, Point from, Point to, std::optional<Rgb> colour = {}) {
  for (const auto& line : canvas.of_kind(DrawOperation::Kind::Line))
    if (line.points[0] == from && line.points[1] == to && (!colour || line.pen.colour == *colour)) return true;
  return false;
}

inline ObservedPattern& add_pattern(Workspace& workspace, std::string file, std::vector<ObservedPoint> points) {
  return workspace.observed_patterns.emplace_back(ObservedPattern{std::move(points), 0, std::move(file)});
}

}  // namespace calvane::testing
