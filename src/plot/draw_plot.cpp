#include "plot/draw_plot.hpp"
#include "plot/draw_plot_steps.hpp"

#include "plot/plot_axis.hpp"
#include "plot/plot_difference.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

#include "fit/workspace_fit.hpp"
#include "plot/column_decimation.hpp"
#include "plot/hkl_label_layout.hpp"
#include "plot/plot_reading.hpp"
#include "plot/plot_unit.hpp"
#include "profile/q_scale.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "model/workspace.hpp"

namespace calvane {

namespace plot_drawing {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};

// The maximum of an observed data set is transformed without the "+ 1" of the points.
double transform_maximum(double maximum, YMode mode) {
  switch (mode) {
    case YMode::Logarithmic:
      return maximum > 0 ? std::log10(maximum) : 0.0;
    case YMode::SquareRoot:
      return std::sqrt(std::max(maximum, 0.0));
    case YMode::Linear:
      break;
  }
  return maximum;
}

void apply_pen_style(Canvas& canvas, int style) {
  if (style == 0)
    canvas.set_pen_style(LineStyle::Solid);
  else if (style == 1)
    canvas.set_pen_style(LineStyle::Dashed);
  else if (style == 2)
    canvas.set_pen_style(LineStyle::Dotted);
}

Palette palette_of(const Workspace& workspace, const PlotLayout& layout) {
  if (layout.printed) return {kWhite, kBlack};
  if (layout.white_background) return {kWhite, workspace.styles.text};
  return {workspace.styles.background, workspace.styles.text};
}

void reset_pen(Drawing& d) {
  d.canvas.set_pen(Pen{d.palette.text, 1, LineStyle::Solid});
  d.canvas.set_font_colour(d.palette.text);
}

// Steps common to both variants: mapping, control strip, background, font, axis.
void begin_drawing(Drawing& d, double x_origin, double x_end) {
  PlotState& state = d.state;
  const PlotLayout& layout = d.layout;
  state.status.visible = true;
  state.mapping.x_left = layout.x_left;
  state.mapping.x_right = layout.x_right;
  state.mapping.y_base = layout.y_base;
  state.mapping.x_origin = x_origin;
  state.mapping.x_end = x_end;
  state.mapping.sx = (layout.x_right - layout.x_left) / (x_end - x_origin);
  state.shift_position = static_cast<int>(std::lround((x_origin + x_end) / 2));
  state.previous_shift_position = state.shift_position;
  d.canvas.fill(d.palette.background);
  Font font;
  font.family = "arial";
  font.size_points = layout.font_points;
  font.colour = d.palette.text;
  d.canvas.set_font(font);
  reset_pen(d);
  if (layout.framed) d.canvas.rectangle(0, 0, layout.surface_width - 1, layout.surface_height - 1);
  state.range_width = x_end - x_origin;
}

void write_titles(Drawing& d, const std::string& x_title) {
  static const char* const y_titles[] = {"Intensity", "Log(Intensity)", "Sqrt(Intensity)"};
  const PlotLayout& layout = d.layout;
  d.canvas.text({layout.y_title_x, layout.y_title_y}, y_titles[static_cast<int>(d.state.y_mode)]);
  // Moved left only as far as a longer title needs to stay inside the surface.
  const int x = std::min(layout.x_title_x, layout.surface_width - 2 - d.canvas.text_width(x_title));
  write_turned_text(d.canvas, {x, layout.x_title_y}, x_title, 0);
  d.canvas.text({layout.calculated_title_x, layout.calculated_title_y}, "Calculated patterns");
}

void add_calculated_legend_entry(Drawing& d, const std::string& name, LegendItem item, std::size_t index) {
  const PlotLayout& layout = d.layout;
  d.legend_row += layout.calc_legend_step;
  const int line_row = d.legend_row + layout.calc_line_dy;
  d.canvas.line({layout.calc_line_x0, line_row}, {layout.calc_line_x1, line_row});
  d.canvas.text({layout.calc_name_x, d.legend_row}, name);
  d.state.legend_entries.push_back({item, index, layout.calc_line_x0, d.legend_row,
                                    layout.calc_name_x + d.canvas.text_width(name),
                                    d.legend_row + layout.calc_legend_step});
}

// With the intensity axis, a hidden curve keeps a grey legend entry, which a click brings back.
bool shows_hidden_entries(const Drawing& d) { return d.state.intensity_axis && !d.layout.printed; }

void use_curve_pen(Drawing& d, Rgb colour, int width, int style) {
  d.canvas.set_pen_colour(colour);
  d.canvas.set_font_colour(colour);
  d.canvas.set_pen_width(width * d.layout.pen_factor);
  apply_pen_style(d.canvas, style);
}

// Steps 8 and 9: the phases in display units, their sum and its largest value.
void compute_display_arrays(Drawing& d) {
  PlotState& state = d.state;
  const Workspace& workspace = d.workspace;
  // A phase not yet computed on this grid holds fewer points: it draws what it
  // has and adds nothing to the sum beyond them.
  const std::vector<double> grid = workspace.profile_grid.abscissae();
  const std::size_t count = std::min<std::size_t>(grid.size(), kMaxProfilePoints);
  state.abscissa.resize(count);
  for (std::size_t k = 0; k < count; ++k) state.abscissa[k] = d.abscissa_of(grid[k]);
  state.phase_values.assign(workspace.phases.size(), {});
  // The sum is the transform of the summed intensities: log(a + b) is not log a + log b.
  std::vector<double> intensities(count, 0.0);
  for (std::size_t p = 0; p < workspace.phases.size(); ++p) {
    const auto& profile = workspace.phases[p].profile;
    auto& values = state.phase_values[p];
    values.resize(std::min(count, profile.size()));
    for (std::size_t k = 0; k < values.size(); ++k) {
      values[k] = transform_value(profile[k], state.y_mode);
      intensities[k] += profile[k];
    }
  }
  state.sum.resize(count);
  for (std::size_t k = 0; k < count; ++k) state.sum[k] = static_cast<float>(transform_value(intensities[k], state.y_mode));
  state.display_max = 0;
  for (float value : state.sum) state.display_max = std::max(state.display_max, static_cast<double>(value));
  state.axis_linear_max = intensities.empty() ? 0.0 : *std::max_element(intensities.begin(), intensities.end());
  state.axis_mode = state.y_mode;
}

// The display arrays on the measured points: each phase, the background and
// their sum in counts; the scale takes in the measured counts too, which are
// drawn on the same axis.
void compute_measured_arrays(Drawing& d) {
  PlotState& state = d.state;
  const MeasuredModel& model = *d.model;
  state.abscissa.resize(model.two_theta.size());
  for (std::size_t k = 0; k < model.two_theta.size(); ++k) state.abscissa[k] = d.abscissa_of(model.two_theta[k]);
  state.phase_values.assign(d.workspace.phases.size(), {});
  for (std::size_t p = 0; p < model.phases.size() && p < state.phase_values.size(); ++p)
    for (double value : model.phases[p]) state.phase_values[p].push_back(transform_value(value, state.y_mode));
  d.background_values.clear();
  for (double value : model.background) d.background_values.push_back(transform_value(value, state.y_mode));
  const std::vector<double> calculated = model.calculated();
  state.sum.resize(calculated.size());
  state.display_max = 0;
  for (std::size_t k = 0; k < calculated.size(); ++k) {
    state.sum[k] = static_cast<float>(transform_value(calculated[k], state.y_mode));
    state.display_max = std::max({state.display_max, static_cast<double>(state.sum[k]),
                                  transform_value(model.counts[k], state.y_mode)});
  }
}

bool has_background(const Drawing& d) {
  return d.model && std::any_of(d.model->background.begin(), d.model->background.end(),
                                [](double value) { return value != 0; });
}

std::vector<Point> curve_points(const Drawing& d, const std::vector<double>& values) {
  std::vector<Point> points;
  points.reserve(values.size());
  for (std::size_t k = 0; k < values.size(); ++k) points.push_back(d.pixel(d.state.abscissa[k], values[k]));
  return points;
}

int label_row(const Drawing& d, Point anchor) {
  const PlotLayout& layout = d.layout;
  if (d.hkl_mode == HklMode::AlongTop) return layout.label_min_row;
  return std::max(anchor.y, layout.label_min_row);
}

void draw_label(Drawing& d, Point anchor, const std::string& label) {
  const PlotLayout& layout = d.layout;
  const int row = label_row(d, anchor);
  write_turned_text(d.canvas, {anchor.x + layout.label_dx, row + layout.label_dy}, label, 90);
  d.canvas.line({anchor.x, row + layout.label_tick_from}, {anchor.x, row + layout.label_tick_to});
}

double strongest_line(const PhaseData& phase) {
  double strongest = 0;
  for (const Reflection& reflection : phase.reflections) strongest = std::max(strongest, reflection.intensity);
  return strongest;
}

// The turned text with its tick: as wide as the text is high (twice the
// label's offset from its column), as high as the text is long.
PixelBox label_box(const Drawing& d, Point anchor, const std::string& text) {
  const PlotLayout& layout = d.layout;
  const int row = label_row(d, anchor);
  const int left = anchor.x + layout.label_dx;
  return {left, row + layout.label_dy - d.canvas.text_width(text), left + 2 * std::abs(layout.label_dx),
          row + layout.label_tick_to};
}

void collect_hkl_labels(Drawing& d, std::size_t phase_index, std::vector<PendingLabel>& labels,
                        std::vector<LabelCandidate>& candidates) {
  const PhaseData& phase = d.workspace.phases[phase_index];
  const double strongest = strongest_line(phase);
  Point previous{0, 0};
  const bool ascending = std::is_sorted(d.state.abscissa.begin(), d.state.abscissa.end());
  for (const Reflection& reflection : phase.reflections) {
    if (rounds_to_zero(reflection.intensity, strongest)) continue;
    const double x = d.abscissa_of(reflection.two_theta);
    const auto k = d.unit == PlotUnit::D ? nearest_point_descending(d.state.abscissa, x)
                                         : nearest_grid_point(d.state.abscissa, ascending, x);
    if (!k || *k >= d.state.phase_values[phase_index].size()) continue;
    Point anchor = d.pixel(d.state.abscissa[*k], d.state.phase_values[phase_index][*k]);
    if (anchor.y <= 0) anchor.y = d.layout.label_too_high_row;
    if (previous.x + d.layout.crowding > anchor.x && std::abs(anchor.y - previous.y) < d.layout.crowding)
      continue;
    previous = anchor;
    std::string text = hkl_label(reflection.h, reflection.k, reflection.l);
    candidates.push_back({label_box(d, anchor, text), reflection.intensity * phase.fraction});
    labels.push_back({phase_index, anchor, std::move(text)});
  }
}

void draw_hkl_labels(Drawing& d) {
  d.state.label_band_bottom = d.layout.label_min_row + d.layout.label_tick_to;
  std::vector<PendingLabel> labels;
  std::vector<LabelCandidate> candidates;
  for (std::size_t p = 0; p < d.workspace.phases.size(); ++p) {
    const PhaseData& phase = d.workspace.phases[p];
    if (phase.draw && phase.show_hkl) collect_hkl_labels(d, p, labels, candidates);
  }
  for (std::size_t index : thin_labels(candidates)) {
    const PendingLabel& label = labels[index];
    const PhaseData& phase = d.workspace.phases[label.phase];
    use_curve_pen(d, phase.colour, phase.pen_width, phase.pen_style);
    draw_label(d, label.anchor, label.text);
  }
}

void draw_sum(Drawing& d) {
  const Workspace& workspace = d.workspace;
  const DisplayStyles& styles = workspace.styles;
  if (has_background(d)) {
    use_curve_pen(d, styles.sum_colour, 1, 2);  // dotted
    add_calculated_legend_entry(d, "Background", LegendItem::Background, 0);
    d.canvas.polyline(curve_points(d, d.background_values));
  }
  // On the measured points the sum holds the background: it is the
  // calculated pattern even for one phase.
  const bool has_sum = workspace.phase_count() > 1 || has_background(d);
  if (has_sum && workspace.settings.draw_sum) {
    use_curve_pen(d, styles.sum_colour, styles.sum_pen_width, styles.sum_pen_style);
    add_calculated_legend_entry(d, "Sum", LegendItem::Sum, 0);
    d.canvas.polyline(curve_points(d, std::vector<double>(d.state.sum.begin(), d.state.sum.end())));
  } else if (has_sum && shows_hidden_entries(d)) {
    use_curve_pen(d, kHiddenGrey, 1, styles.sum_pen_style);
    add_calculated_legend_entry(d, "Sum", LegendItem::Sum, 0);
  }
}

// The legend entry of a phase, grey for a hidden one; a drawn phase's pen. False when the phase is hidden.
bool begin_phase(Drawing& d, std::size_t index) {
  const PhaseData& phase = d.workspace.phases[index];
  if (!phase.draw && !shows_hidden_entries(d)) return false;
  if (phase.draw)
    use_curve_pen(d, phase.colour, phase.pen_width, phase.pen_style);
  else
    use_curve_pen(d, kHiddenGrey, 1, phase.pen_style);
  add_calculated_legend_entry(d, legend_name(phase.file_name), LegendItem::Phase, index);
  return phase.draw;
}

// Steps 10 to 12: phases, their labels, the sum (over the phases, or under them when so chosen).
void draw_calculated(Drawing& d) {
  const Workspace& workspace = d.workspace;
  d.legend_row = d.layout.calc_legend_start;
  if (d.state.sum_under_phases) draw_sum(d);
  for (std::size_t p = 0; p < workspace.phases.size(); ++p) {
    if (!begin_phase(d, p)) continue;
    if (d.state.phase_values[p].size() >= 2) d.canvas.polyline(curve_points(d, d.state.phase_values[p]));
  }
  draw_hkl_labels(d);
  if (!d.state.sum_under_phases) draw_sum(d);
}

// The Y transform of observed data: the Q variant draws them linear whatever mode is chosen.
YMode observed_mode(const Drawing& d) {
  return d.workspace.settings.angle_scale == AngleScale::Q ? YMode::Linear : d.state.y_mode;
}

// The scale of an observed data set: the screen takes its own maximum within
// the full range, the printout the fixed maximum of 100 the readers scale to.
// The maximum is transformed as the points are.
std::optional<double> observed_factor(const Drawing& d, double own_maximum) {
  if (d.model) return 1.0;  // counts, on the calculation's own axis
  const double maximum = d.layout.printed ? 100.0 : own_maximum;
  const double transformed = transform_maximum(maximum, observed_mode(d));
  if (!(transformed > 0)) return std::nullopt;  // nothing sensible to scale to
  return d.state.reference_max / transformed;
}

// A right-hand legend text at its column, moved left only as far as it needs to stay inside the surface.
void legend_text(Drawing& d, int column, std::string_view text) {
  const int room = d.layout.surface_width - 2 - d.canvas.text_width(text);
  d.canvas.text({std::min(column, room), d.legend_row}, text);
}

void draw_pattern_symbol(Drawing& d, int style) {
  const PlotLayout& layout = d.layout;
  const int row = d.legend_row + layout.obs_symbol_dy;
  const int column = layout.obs_symbol_x;
  if (style == kPatternPoints || style == kPatternLinesAndPoints) {
    const int half = layout.obs_square / 2;
    for (int i = 0; i < 3; ++i) {
      const int x = column + i * layout.obs_square_spacing;
      d.canvas.rectangle(x - half, row - half, x + half, row + half);
    }
  }
  if (style == kPatternLines || style == kPatternLinesAndPoints)
    d.canvas.line({column, row}, {column + layout.obs_line_length, row});
}

// The intensity axis reads in the file's counts: drawn as they are on the
// measured points, else as the values the reader scaled to a highest of 100.
void record_measured_scale(PlotState& state, const ObservedPattern& pattern, double factor, bool drawn_in_counts) {
  state.measured_factor = factor;
  state.measured_per_count = 1.0;
  state.measured_counts = drawn_in_counts;
  if (drawn_in_counts) return;
  if (pattern.counts.size() != pattern.points.size()) return;
  double highest = 0, highest_counts = 0;
  for (std::size_t i = 0; i < pattern.points.size(); ++i) {
    highest = std::max(highest, pattern.points[i].intensity);
    highest_counts = std::max(highest_counts, pattern.counts[i]);
  }
  if (highest > 0 && highest_counts > 0) {
    state.measured_per_count = highest / highest_counts;
    state.measured_counts = true;
  }
}

void draw_pattern(Drawing& d, const ObservedPattern& pattern, int style) {
  const PlotState& state = d.state;
  // On the measured points a pattern is drawn in its own counts where the file gave them.
  const bool counts = d.model && pattern.counts.size() == pattern.points.size();
  const auto value = [&](std::size_t i) { return counts ? pattern.counts[i] : pattern.points[i].intensity; };
  double own_maximum = 0;
  for (std::size_t i = 0; i < pattern.points.size(); ++i)
    if (within(pattern.points[i].two_theta, state.theta2_full_min, state.theta2_full_max))
      own_maximum = std::max(own_maximum, value(i));
  const auto factor = observed_factor(d, own_maximum);
  if (!factor) return;
  if (d.state.measured_factor == 0) record_measured_scale(d.state, pattern, *factor, counts);
  const YMode mode = observed_mode(d);
  std::vector<Point> points;
  for (std::size_t i = 0; i < pattern.points.size(); ++i) {
    const double two_theta = pattern.points[i].two_theta;
    if (!within(two_theta, state.theta2_min, state.theta2_max)) continue;
    points.push_back(d.pixel(d.abscissa_of(two_theta), transform_value(value(i), mode) * *factor));
  }
  if (style == kPatternLines || style == kPatternLinesAndPoints) d.canvas.polyline(decimate_per_column(points));
  if (style == kPatternPoints || style == kPatternLinesAndPoints) {
    const int half = d.layout.point_square / 2;
    for (const Point& p : drop_repeated_pixels(points))
      d.canvas.rectangle(p.x - half, p.y - half, p.x + half, p.y + half);
  }
}

// Step 15.
void draw_observed_patterns(Drawing& d) {
  const Workspace& workspace = d.workspace;
  if (workspace.observed_patterns.empty() || !workspace.settings.draw_observed) return;
  const PlotLayout& layout = d.layout;
  legend_text(d, layout.obs_title_x, "Observed patterns");
  const DisplayStyles& styles = workspace.styles;
  for (std::size_t i = 0; i < workspace.observed_patterns.size() && i < kMaxObservedPatterns; ++i) {
    const ObservedPattern& pattern = workspace.observed_patterns[i];
    if (!pattern.draw && !shows_hidden_entries(d)) continue;
    const Rgb colour = pattern.draw ? styles.pattern_colours[i] : kHiddenGrey;
    d.canvas.set_pen_width(styles.pattern_pen_widths[i] * layout.pen_factor);
    d.canvas.set_pen_colour(colour);
    d.canvas.set_font_colour(colour);
    d.legend_row += layout.obs_legend_step;
    draw_pattern_symbol(d, styles.pattern_styles[i]);
    legend_text(d, layout.obs_symbol_x + layout.obs_name_offset, file_name_of(pattern.file_name));
    d.state.legend_entries.push_back({LegendItem::Pattern, i, layout.obs_symbol_x, d.legend_row,
                                      layout.surface_width, d.legend_row + layout.obs_legend_step});
    if (pattern.draw) draw_pattern(d, pattern, styles.pattern_styles[i]);
  }
}

// Step 16.
void draw_observed_peaks(Drawing& d) {
  const Workspace& workspace = d.workspace;
  if (workspace.observed_peaks.empty()) return;
  const PlotState& state = d.state;
  const PlotLayout& layout = d.layout;
  const YMode mode = observed_mode(d);
  double own_maximum = 0;
  for (const auto& list : workspace.observed_peaks)
    for (const auto& peak : list.peaks)
      if (within(peak.two_theta, state.theta2_full_min, state.theta2_full_max))
        own_maximum = std::max(own_maximum, peak.intensity);
  const auto factor = observed_factor(d, own_maximum);
  d.legend_row += layout.peaks_gap;
  d.canvas.set_font_colour(d.palette.text);  // not the colour of the last pattern
  legend_text(d, layout.obs_title_x, "Observed peaks");
  const DisplayStyles& styles = workspace.styles;
  for (std::size_t i = 0; i < workspace.observed_peaks.size() && i < kMaxObservedPeakLists; ++i) {
    const ObservedPeakList& list = workspace.observed_peaks[i];
    d.canvas.set_pen_width(styles.peak_pen_widths[i] * layout.pen_factor);
    d.canvas.set_pen_colour(styles.peak_colours[i]);
    d.canvas.set_font_colour(styles.peak_colours[i]);
    d.legend_row += layout.obs_legend_step;
    const int centre = d.legend_row + layout.peak_bar_dy;
    d.canvas.fill_rectangle(layout.peak_bar_x - layout.peak_bar_width / 2,
                            centre - layout.peak_bar_half_height,
                            layout.peak_bar_x + layout.peak_bar_width / 2,
                            centre + layout.peak_bar_half_height, styles.peak_colours[i]);
    legend_text(d, layout.peak_name_x, list.label.empty() ? file_name_of(list.file_name) : list.label);
    d.state.legend_entries.push_back({LegendItem::PeakList, i, layout.peak_bar_x - layout.peak_bar_width,
                                      d.legend_row, layout.surface_width, d.legend_row + layout.obs_legend_step});
    if (!list.draw || !factor) continue;
    for (const auto& peak : list.peaks) {
      if (!within(peak.two_theta, state.theta2_min, state.theta2_max)) continue;
      const double x = d.abscissa_of(peak.two_theta);
      d.canvas.line(d.pixel(x, 0), d.pixel(x, transform_value(peak.intensity, mode) * *factor));
    }
  }
}

void finish_drawing(Drawing& d) {
  if (d.state.intensity_axis && !d.layout.printed) {
    reset_pen(d);
    draw_intensity_axis(d.state, d.layout, d.canvas);
  }
  if (d.layout.axis_last) {
    d.canvas.set_pen(Pen{d.palette.text, d.layout.axis_pen_width, LineStyle::Solid});
    d.canvas.set_font_colour(d.palette.text);
    const PlotMapping& mapping = d.state.mapping;
    draw_axis(d.state, d.layout, d.canvas, std::min(mapping.x_origin, mapping.x_end),
              std::max(mapping.x_origin, mapping.x_end));
  }
  reset_pen(d);
}

double vertical_span(const PlotLayout& layout) { return layout.y_base - layout.top; }

// The layout of one drawing: with the intensity axis chosen, room for it and for the legends.
PlotLayout reading_layout(const PlotState& state, const Workspace& workspace, HklMode hkl_mode,
                          const Canvas& canvas, const PlotLayout& given) {
  if (!state.intensity_axis || given.printed) return given;
  return with_reading_room(given, workspace, canvas, hkl_mode);
}

}  // namespace plot_drawing

using namespace plot_drawing;

std::string legend_name(const std::string& file_name) {
  std::string name = file_name.size() >= 4 ? file_name.substr(0, file_name.size() - 4) : std::string();
  if (contains(name, "_mp")) name = name.size() >= 3 ? name.substr(0, name.size() - 3) : std::string();
  return file_name_of(name);
}

std::string hkl_label(int h, int k, int l) {
  return std::to_string(h) + std::to_string(k) + std::to_string(l);
}

void draw_plot(PlotState& state, const Workspace& workspace, HklMode hkl_mode, Canvas& canvas) {
  draw_plot(state, workspace, hkl_mode, canvas, screen_layout(canvas.width(), canvas.height()));
}

void draw_plot(PlotState& state, const Workspace& workspace, HklMode hkl_mode, Canvas& canvas,
             const PlotLayout& given) {
  const PlotLayout layout = reading_layout(state, workspace, hkl_mode, canvas, given);
  Drawing d{state, workspace, plot_unit(state, workspace.settings), hkl_mode, canvas, layout,
            palette_of(workspace, layout), 0, nullptr, {}};
  state.measured_factor = 0;
  state.legend_entries.clear();
  if (workspace.phases.empty() && workspace.observed_patterns.empty() && workspace.observed_peaks.empty()) {
    canvas.fill(d.palette.background);
    return;
  }
  const AngleScale scale = workspace.settings.angle_scale;
  if (scale == AngleScale::Q) {
    draw_q_plot(d);
    return;
  }
  // In d the larger spacing is on the left, so that the lines keep their 2θ order.
  const bool in_d = d.unit == PlotUnit::D;
  const double x_origin = d.abscissa_of(in_d ? std::max(state.theta2_min, kLowestDAxisTwoTheta) : state.theta2_min);
  const double x_end = d.abscissa_of(state.theta2_max);
  if (state.default_ticks) compute_default_ticks(state, displayed_range_width(state, workspace.settings));
  const bool drawable = in_d ? std::isfinite(x_origin) && x_origin > x_end : x_end != 0 && x_end > x_origin;
  if (!drawable) {
    canvas.fill(d.palette.background);
    return;
  }
  begin_drawing(d, x_origin, x_end);
  if (!layout.axis_last) draw_axis(state, layout, canvas, std::min(x_origin, x_end), std::max(x_origin, x_end));
  if (workspace.phase_count() >= 1)
    write_titles(d, in_d ? "d (Å)" : scale == AngleScale::Theta ? "Theta" : "2Theta");
  MeasuredModel model;
  if (state.on_measured_points) model = measured_model(workspace);
  if (!model.empty()) {
    d.model = &model;
    compute_measured_arrays(d);
  } else {
    compute_display_arrays(d);
  }
  if (state.display_max != 0) {
    state.mapping.sy = vertical_span(layout) * state.intensity_scale / state.display_max;
    if (state.intensity_scale == 1.0) state.reference_max = state.display_max;
    draw_calculated(d);
  } else {
    const double reference = state.reference_max > 0 ? state.reference_max : 100.0;
    state.mapping.sy = vertical_span(layout) * state.intensity_scale / reference;
  }
  reset_pen(d);
  d.legend_row = layout.obs_legend_start;
  if (workspace.phases.empty()) {
    state.display_max = state.reference_max = 100;
    state.mapping.sy = vertical_span(layout) * state.intensity_scale / 100;
  }
  draw_observed_patterns(d);
  draw_observed_peaks(d);
  if (d.model)
    compute_measured_difference(state, model);
  else if (!workspace.observed_patterns.empty() && !workspace.phases.empty())
    compute_difference(state, workspace);
  finish_drawing(d);
}

}  // namespace calvane
