#include "flows/plot_interaction.hpp"

#include <algorithm>
#include <cmath>

#include "plot/plot_unit.hpp"
#include "profile/q_scale.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "flows/program.hpp"

namespace calvane {

namespace {

constexpr int kClickTolerance = 3;  // pixels: a release closer to the press is a click
constexpr int kMinScalePosition = 10, kMaxScalePosition = 500;

AngleScale scale_of(const PlotSession& session) { return session.program.workspace.settings.angle_scale; }

bool has_data(const Workspace& workspace) {
  return !workspace.phases.empty() || !workspace.observed_patterns.empty();
}

void show_help(PlotState& state) {
  state.status.text = kPlotHelpText;
  state.status.red = false;
}

void show_warning(PlotState& state, std::string text) {
  state.status.text = std::move(text);
  state.status.red = true;
}

// Index of the first results line from the second on that holds "Phase " and the phase number.
std::optional<std::size_t> phase_heading_line(const std::vector<std::string>& results, int phase) {
  const std::string key = "Phase " + std::to_string(phase);
  for (std::size_t i = 1; i < results.size(); ++i)
    if (contains(results[i], key)) return i;
  return std::nullopt;
}

void set_angle_fields(PlotSession& session, double low, double high, int decimals) {
  auto& experiment = session.program.main_form.experiment;
  experiment.range_low = fixed(low, 8, decimals);
  experiment.range_high = fixed(high, 8, decimals);
}

void set_scale(PlotState& state, double factor) {
  state.intensity_scale = factor;
  state.scale_position =
      std::clamp(static_cast<int>(std::lround(10 * factor)), kMinScalePosition, kMaxScalePosition);
}

double largest_sum_between(const PlotState& state, double from, double to) {
  if (from > to) std::swap(from, to);  // the d axis falls to the right
  double largest = 0;
  for (std::size_t k = 0; k < state.sum.size() && k < state.abscissa.size(); ++k)
    if (state.abscissa[k] >= from && state.abscissa[k] <= to)
      largest = std::max(largest, static_cast<double>(state.sum[k]));
  return largest;
}

double largest_observed(const Workspace& workspace) {
  double largest = 0;
  for (const auto& pattern : workspace.observed_patterns)
    for (const auto& point : pattern.points) largest = std::max(largest, point.intensity);
  return largest;
}

}  // namespace

HklMode hkl_mode_of(const Program& program) {
  return program.main_form.phases.hkl_mode == 1 ? HklMode::AtProfile : HklMode::AlongTop;
}

void redraw(PlotSession& session) {
  draw_plot(session.state, session.program.workspace, hkl_mode_of(session.program), session.image);
}

std::string mouse_readout(const PlotState& state, const Workspace& workspace, int px, int py) {
  double x = 0, y = 0;
  to_data(state.mapping, px, py, x, y);
  const ExperimentSettings& settings = workspace.settings;
  const double lambda = settings.wavelengths.empty() ? 0.0 : settings.wavelengths.front();
  if (plot_unit(state, settings) == PlotUnit::D)
    return "d=" + fixed(x, 7, 3) + "  2Th=" + fixed(two_theta_of_spacing(x, axis_wavelength(settings)), 8, 2);
  switch (settings.angle_scale) {
    case AngleScale::Q:
      return "Q=" + fixed(x, 8, 2) + "  2Theta=" + fixed(two_theta_of_q(x, axis_wavelength(settings)), 7, 3);
    case AngleScale::Theta:
    case AngleScale::TwoTheta:
      break;
  }
  const bool theta = settings.angle_scale == AngleScale::Theta;
  std::string text = (theta ? "Th=" : "2Th=") + fixed(x, 8, 2);
  if (settings.wavelength_count() <= 1) {
    const double sine = std::sin(x * (theta ? 0.0174533167 : 0.0087266127));
    const double d = lambda / (2 * sine);
    if (std::isfinite(d)) text += "  d=" + fixed(d, 7, 3);
  }
  return text;
}

void on_mouse_down(PlotSession& session, MouseButton, int x, int y) {
  session.state.pressed = true;
  session.state.press_x = x;
  session.state.press_y = y;
}

void on_mouse_move(PlotSession& session, int x, int y, std::vector<Point>& rubber_box) {
  rubber_box.clear();
  PlotState& state = session.state;
  if (!has_data(session.program.workspace)) return;
  state.readout = mouse_readout(state, session.program.workspace, x, y);
  if (state.pressed && std::abs(x - state.press_x) > kClickTolerance) {
    const Point press{state.press_x, state.press_y};
    rubber_box = {press, {x, state.press_y}, {x, y}, {state.press_x, y}, press};
  }
}

void on_mouse_up(PlotSession& session, MouseButton button, int x, int y) {
  PlotState& state = session.state;
  if (!has_data(session.program.workspace)) return;
  if (button == MouseButton::Right) {
    state.pressed = false;
    reset_zoom(session);
    return;
  }
  if (std::abs(x - state.press_x) < kClickTolerance) {
    index_reflections(session, x);
  } else if (state.pressed) {
    zoom(session, x, y);
  }
  state.pressed = false;
}

void index_reflections(PlotSession& session, int click_x) {
  redraw(session);
  Program& program = session.program;
  const Workspace& workspace = program.workspace;
  PlotState& state = session.state;
  Canvas& canvas = session.image;
  canvas.set_pen(Pen{workspace.styles.text, 1, LineStyle::Solid});
  canvas.set_font_colour(workspace.styles.text);
  for (int i = 1; i <= workspace.phase_count(); ++i) {
    const auto& reflections = workspace.phase(i).reflections;
    for (std::size_t j = 1; j <= reflections.size(); ++j) {
      const double position = displayed_position(state, workspace.settings, reflections[j - 1]);
      const int column = to_pixels(state.mapping, position, 0).x;
      if (std::abs(column - click_x) >= 4) continue;
      if (const auto heading = phase_heading_line(program.main_form.results, i)) {
        const std::size_t line = *heading + j;
        if (line < program.main_form.results.size())
          program.main_form.results_selected = static_cast<int>(line);
      }
      canvas.text({column - 5, 5}, fixed(static_cast<long long>(j), 2) + "/ph." + std::to_string(i));
      canvas.line({column, state.mapping.y_base}, {column, 20});
    }
  }
}

void zoom(PlotSession& session, int release_x, int release_y) {
  PlotState& state = session.state;
  const Workspace& workspace = session.program.workspace;
  const ExperimentSettings& settings = workspace.settings;
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  to_data(state.mapping, state.press_x, state.press_y, x1, y1);
  if (std::abs(y1) < 1e-7 || release_x <= state.press_x || release_y <= state.press_y) return;
  to_data(state.mapping, release_x, release_y, x2, y2);
  state.zoomed = true;
  const AngleScale scale = scale_of(session);
  if (scale == AngleScale::Q) {
    state.q_min = x1;
    state.q_max = x2;
    state.theta2_min = two_theta_of_q(x1, low_end_wavelength(settings));
    state.theta2_max = two_theta_of_q(x2, high_end_wavelength(settings));
    set_angle_fields(session, x1, x2, 6);
  } else if (plot_unit(state, settings) == PlotUnit::D) {
    // The press is left of the release: at the larger d, the lower angle.
    state.theta2_min = two_theta_of_spacing(x1, axis_wavelength(settings));
    state.theta2_max = two_theta_of_spacing(x2, axis_wavelength(settings));
    set_displayed_q_range(state, settings);
    const double factor = scale == AngleScale::Theta ? 0.5 : 1.0;
    set_angle_fields(session, factor * state.theta2_min, factor * state.theta2_max, 3);
  } else {
    const double factor = scale == AngleScale::Theta ? 2.0 : 1.0;
    state.theta2_min = factor * x1;
    state.theta2_max = factor * x2;
    set_displayed_q_range(state, settings);
    set_angle_fields(session, x1, x2, 3);
  }
  state.range_width = state.theta2_max - state.theta2_min;
  double factor = 0;
  if (!workspace.phases.empty()) {
    factor = scale == AngleScale::Q
                 ? state.mapping.y_base / static_cast<double>(state.mapping.y_base - state.press_y)
                 : largest_sum_between(state, x1, x2) / y1;
    if (factor >= 0.01) {
      set_scale(state, factor);
      if (session.plot_phases) session.plot_phases();
    }
  }
  if (!workspace.observed_patterns.empty() && (workspace.phases.empty() || factor <= 0.01)) {
    factor = largest_observed(workspace) / y1;
    if (factor > 0) {  // a box pressed below the axis would turn the plot upside down
      set_scale(state, factor);
      if (session.plot_phases) session.plot_phases();
    }
  }
}

void reset_zoom(PlotSession& session) {
  PlotState& state = session.state;
  const Workspace& workspace = session.program.workspace;
  state.zoomed = false;
  show_help(state);
  state.theta2_min = state.theta2_full_min;
  state.theta2_max = state.theta2_full_max;
  // The settings take the full range itself, so that the recomputation below
  // does not read it back from the rounded texts of the angle fields.
  ExperimentSettings& settings = session.program.workspace.settings;
  settings.two_theta_low = state.theta2_full_min;
  settings.two_theta_high = state.theta2_full_max;
  update_q_range(settings);
  set_displayed_q_range(state, settings);
  state.intensity_scale = 1.0;
  state.pattern_scales.fill(1.0);
  state.scale_position = kMinScalePosition;
  auto& page = session.program.main_form.experiment;
  switch (scale_of(session)) {
    case AngleScale::Theta:
      show_range_fields(page, fixed(state.theta2_min / 2, 8, 3), fixed(state.theta2_max / 2, 8, 3));
      break;
    case AngleScale::TwoTheta:
      show_range_fields(page, fixed(state.theta2_min, 8, 3), fixed(state.theta2_max, 8, 3));
      break;
    case AngleScale::Q:
      show_range_fields(page, fixed(state.q_min, 8, 3), fixed(state.q_max, 8, 3));
      break;
  }
  if (!workspace.phases.empty() && session.recompute_full_range) session.recompute_full_range();
  if (state.default_ticks)
    compute_default_ticks(state, displayed_range_width(state, session.program.workspace.settings));
  redraw(session);
}

void change_intensity_scale(PlotSession& session, int position) {
  PlotState& state = session.state;
  show_help(state);
  position = std::clamp(position, kMinScalePosition, kMaxScalePosition);
  const double old_scale = state.intensity_scale;
  const double new_scale = position * 0.1;
  for (double& factor : state.pattern_scales) factor *= new_scale / old_scale;
  state.intensity_scale = new_scale;
  state.scale_position = position;
  if (position == kMaxScalePosition) {
    show_warning(state, "Max Zoom. Cannot Zoom anymore");
    session.program.ui.beep();
  } else if (position == kMinScalePosition) {
    show_warning(state, "Min Zoom. Cannot Zoom anymore");
    session.program.ui.beep();
  }
  redraw(session);
}

void shift_plot(PlotSession& session, int position) {
  PlotState& state = session.state;
  const double saved_min = state.theta2_min, saved_max = state.theta2_max;
  const double low = position - state.range_width / 2, high = position + state.range_width / 2;
  const ExperimentSettings& settings = session.program.workspace.settings;
  switch (plot_unit(state, settings) == PlotUnit::D ? AngleScale::TwoTheta : scale_of(session)) {
    case AngleScale::Theta:
      state.theta2_min = 2 * low;
      state.theta2_max = 2 * high;
      break;
    case AngleScale::TwoTheta:
      // The d range is given from its left (larger) end.
      state.theta2_min = two_theta_of_displayed(plot_unit(state, settings), settings, low);
      state.theta2_max = two_theta_of_displayed(plot_unit(state, settings), settings, high);
      break;
    case AngleScale::Q:
      state.theta2_min = two_theta_of_q(low, low_end_wavelength(settings));
      state.theta2_max = two_theta_of_q(high, high_end_wavelength(settings));
      break;
  }
  if (state.theta2_min > state.theta2_full_max - 0.5 || state.theta2_max < state.theta2_full_min + 0.5) {
    state.theta2_min = saved_min;
    state.theta2_max = saved_max;
    state.shift_position = state.previous_shift_position;
    session.program.ui.beep();
    return;
  }
  if (scale_of(session) == AngleScale::Q) {
    state.q_min = low;
    state.q_max = high;
  } else {
    set_displayed_q_range(state, settings);
  }
  state.previous_shift_position = position;
  redraw(session);
}

void choose_y_mode(PlotSession& session, YMode mode) {
  if (mode != YMode::Linear && scale_of(session) == AngleScale::Q) {
    session.program.ui.warning("Not available with Q representation");
    return;
  }
  session.state.y_mode = mode;
  if (!session.program.workspace.phases.empty()) redraw(session);
}

void show_spacing_axis(PlotSession& session, bool shown) {
  PlotState& state = session.state;
  state.d_axis = shown;
  const ExperimentSettings& settings = session.program.workspace.settings;
  if (state.default_ticks) compute_default_ticks(state, displayed_range_width(state, settings));
  redraw(session);
}

void choose_user_ticks(PlotSession& session) {
  PlotState& state = session.state;
  state.default_ticks = false;
  const double width = displayed_range_width(state, session.program.workspace.settings);
  const auto spacing = default_tick_spacing(width).value_or(TickSpacing{state.major_tick, state.minor_tick});
  state.tick_dialog.minor_default_label = "(Default: " + fixed(spacing.minor, 0, 2) + ")";
  state.tick_dialog.major_default_label = "(Default: " + fixed(spacing.major, 0, 2) + ")";
  state.tick_dialog.minor_text = fixed(state.minor_tick, 7, 2);
  state.tick_dialog.major_text = fixed(state.major_tick, 7, 2);
  state.tick_dialog.error.clear();
  state.tick_dialog.visible = true;
}

void choose_default_ticks(PlotSession& session) {
  PlotState& state = session.state;
  state.default_ticks = true;
  compute_default_ticks(state, displayed_range_width(state, session.program.workspace.settings));
  redraw(session);
}

void read_user_ticks(PlotSession& session) {
  PlotState& state = session.state;
  const auto minor = parse_double(state.tick_dialog.minor_text);
  const auto major = parse_double(state.tick_dialog.major_text);
  // A negative spacing would never reach the end of the axis; zero is only allowed for the minor ticks.
  if (!minor || !major || *minor < 0 || *major <= 0) {
    state.tick_dialog.error = "Error!";
    session.program.ui.warning("Error!");
    return;
  }
  state.minor_tick = *minor;
  state.major_tick = *major;
  state.tick_dialog.error.clear();
  state.tick_dialog.visible = false;
  redraw(session);
}

void cancel_ticks(PlotSession& session) { session.state.tick_dialog.visible = false; }

void mark_results_line(PlotSession& session, int line_index) {
  const auto& results = session.program.main_form.results;
  if (line_index < 3 || line_index >= static_cast<int>(results.size())) return;
  const auto value = parse_double(substring(results[static_cast<std::size_t>(line_index)], 20, 8));
  if (!value) return;
  Canvas& canvas = session.image;
  canvas.set_pen(Pen{session.program.workspace.styles.text, 1, LineStyle::Solid});
  // The list gives the angle of its scale; the d axis places it at its d.
  const ExperimentSettings& settings = session.program.workspace.settings;
  double x = *value;
  if (plot_unit(session.state, settings) == PlotUnit::D)
    x = spacing_of_two_theta(settings.angle_scale == AngleScale::Theta ? 2 * x : x, axis_wavelength(settings));
  const Point foot = to_pixels(session.state.mapping, x, 0);
  canvas.line(foot, {foot.x, 20});
}

void show_difference(PlotSession& session) {
  const Workspace& workspace = session.program.workspace;
  PlotState& state = session.state;
  if (!has_data(workspace) || scale_of(session) == AngleScale::Q || state.y_mode != YMode::Linear) return;
  if (workspace.observed_patterns.empty()) {
    session.program.ui.warning("No observed diagram!");
    return;
  }
  if (workspace.phases.empty()) {
    session.program.ui.warning("No phase!");
    return;
  }
  state.difference_open = !state.difference_open;
  session.program.ui.show_window(WindowId::Difference, state.difference_open);
  if (state.difference_open) redraw(session);
}

std::string difference_caption(const Workspace& workspace) {
  std::string caption = "Difference ";
  if (!workspace.observed_patterns.empty())
    caption += file_name_of(workspace.observed_patterns.front().file_name);
  caption += "-";
  if (workspace.phase_count() == 1) {
    const std::string name = file_name_of(workspace.phases.front().file_name);
    caption += name.size() >= 4 ? name.substr(0, name.size() - 4) : std::string();
  } else {
    caption += "Sum of Calculated diag.";
  }
  return caption;
}

void draw_difference(const PlotState& state, Canvas& canvas) {
  canvas.fill(Rgb{234, 234, 234});
  canvas.set_pen(Pen{Rgb{0, 0, 0}, 1, LineStyle::Solid});
  canvas.line({0, 100}, {canvas.width() - 4, 100});
  std::vector<Point> points;
  points.reserve(state.difference.size());
  for (std::size_t k = 0; k < state.difference.size(); ++k)
    points.push_back({static_cast<int>(k) + 1, 100 + state.difference[k]});
  if (!points.empty()) canvas.polyline(points);
}

void erase_observed_patterns(PlotSession& session) {
  Program& program = session.program;
  for (const auto& pattern : program.workspace.observed_patterns) {
    const std::string& name = pattern.file_name;
    const std::string stem = name.size() >= 4 ? name.substr(0, name.size() - 4) : std::string();
    // Scratch copies live in the program's scratch folder, never among the user's files.
    const std::filesystem::path& scratch = program.scratch.path_if_made();
    if (!scratch.empty()) remove_file_quietly(scratch / (file_name_of(stem) + "_mp.cpi"));
  }
  program.workspace.observed_patterns.clear();
  program.workspace.observed_peaks.clear();
  session.state.difference_open = false;
  program.ui.show_window(WindowId::Difference, false);
  redraw(session);
}

}  // namespace calvane
