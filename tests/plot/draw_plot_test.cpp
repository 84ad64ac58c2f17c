// Drawing rules of the plot, checked on a recording canvas.
#include "plot/draw_plot.hpp"

#include <algorithm>

#include <gtest/gtest.h>

#include "support/plot_workspace.hpp"
#include "util/text.hpp"

namespace calvane {
namespace {

using testing::add_pattern;
using testing::add_phase;
using testing::gridded;
using testing::has_line;
using testing::polylines_in;
using testing::reflection;
using testing::state_for;
using testing::text_at;
using Kind = DrawOperation::Kind;

int lowest_row(const DrawOperation& polyline) {
  int row = polyline.points.front().y;
  for (const Point& p : polyline.points) row = std::min(row, p.y);
  return row;
}

// 10..50° on 401 points drawn on 1010 × 435: sx = 25 pixels per degree, y_base = 400.
struct Dessine : ::testing::Test {
  Workspace workspace = gridded(10, 50, 401);
  PlotState state = state_for(workspace);
  RecordingCanvas paint(HklMode mode = HklMode::AlongTop, int width = 1010) {
    return testing::draw(state, workspace, mode, width, 435);
  }
};

TEST_F(Dessine, AxisTitlesAndLegend) {
  add_phase(workspace, "/data/quartz.cry", 30, 100);
  add_phase(workspace, "/tmp/calcite_mp.cry", 35, 50);
  const RecordingCanvas canvas = paint();
  // Width 40 gives major 5 and minor 0.5: labels 10.0 .. 50.0 and 81 minor ticks.
  EXPECT_EQ(text_at(canvas, " 30.0"), (Point{510 - 10, 407}));
  // The last label would cross the image's right edge: it ends inside it.
  EXPECT_EQ(text_at(canvas, " 50.0").x + canvas.text_width(" 50.0"), canvas.width() - 2);
  int minor = 0;
  for (const auto& line : canvas.of_kind(Kind::Line)) minor += line.points[0].y == 400 && line.points[1].y == 404;
  EXPECT_EQ(minor, 81);
  for (const char* title : {"Intensity", "2Theta", "Calculated patterns"}) EXPECT_EQ(canvas.texts(title).size(), 1u);
  // Legend rows 35, 50, 65: phase names without extension, "_mp" or folder, then the sum.
  EXPECT_EQ(text_at(canvas, "calcite"), (Point{20, 50}));
  EXPECT_EQ(text_at(canvas, "Sum"), (Point{20, 65}));
}

// Per Y mode: one grid point of 99 on a flat zero profile peaks at 99,
// log10(100) = 2 or sqrt(99); two flat phases of 3 and 5 sum to the transform
// of 8, not the sum of the two transforms (log10 4 + log10 6 = 1.380, √3 + √5 = 3.968).
TEST_F(Dessine, YModesTransformTheProfilesAndTheirSum) {
  const struct Case { YMode mode; double peak, sum; const char* title; } cases[] = {
      {YMode::Linear, 99.0, 8.0, "Intensity"},
      {YMode::Logarithmic, 2.0, std::log10(9.0), "Log(Intensity)"},
      {YMode::SquareRoot, std::sqrt(99.0), std::sqrt(8.0), "Sqrt(Intensity)"}};
  Workspace single = gridded(10, 50, 41);
  add_phase(single, "a.cry", 30, 0).profile[20] = 99;
  add_phase(workspace, "a.cry", 30, 0, 3);
  add_phase(workspace, "b.cry", 30, 0, 5).draw = false;  // a phase not drawn still adds to the sum
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    PlotState single_state = state_for(single);
    single_state.y_mode = c.mode;
    const RecordingCanvas canvas = testing::draw(single_state, single, HklMode::AlongTop, 1010, 435);
    EXPECT_NEAR(std::hypot(single_state.display_max - c.peak, single_state.reference_max - c.peak), 0, 1e-5);
    EXPECT_EQ(canvas.texts(c.title).size(), 1u);
    state = state_for(workspace);
    state.y_mode = c.mode;
    paint();
    ASSERT_EQ(state.sum.size(), 401u);
    EXPECT_NEAR(std::hypot(state.sum.front() - c.sum, state.display_max - c.sum), 0, 1e-6);
  }
}

TEST_F(Dessine, LabelsAlongTheTopAndAtTheProfile) {
  PhaseData& phase = add_phase(workspace, "a.cry", 30, 100, 0, 2);
  phase.show_hkl = true;
  phase.reflections = {reflection(1, 1, 1, 30.0), reflection(2, 0, 0, 40.0)};
  const RecordingCanvas top = paint();
  // Column of 30° is 10 + 20 × 25 = 510; labels turned by 90 degrees at (column − 7, 25 − 3).
  EXPECT_EQ(std::tuple(text_at(top, "111"), top.texts("111").at(0).font.escapement_tenths),
            std::tuple(Point{503, 22}, 900));
  // At the profile: at 40° the profile is ~0, the label stands on the axis row 400; the peak top at 30°
  // is row 0, above the image top, and stays so at scale 3: the label goes to row 25.
  const RecordingCanvas profile = paint(HklMode::AtProfile);
  state.intensity_scale = 3;
  EXPECT_EQ(std::tuple(text_at(profile, "200"), text_at(profile, "111"), text_at(paint(HklMode::AtProfile), "111")),
            std::tuple(Point{753, 397}, Point{503, 22}, Point{503, 22}));
}

TEST_F(Dessine, ThetaModeHalvesEveryAbscissa) {
  workspace.settings.angle_scale = AngleScale::Theta;
  PhaseData& phase = add_phase(workspace, "a.cry", 40, 100);
  phase.show_hkl = true;
  phase.reflections = {reflection(1, 1, 0, 40.0)};
  workspace.observed_peaks.push_back(ObservedPeakList{"/x/peaks.dif", {{0, 0, 0, 40.0, 100.0}}, true, {}});
  state = state_for(workspace);
  const RecordingCanvas canvas = paint();  // θ from 5 to 25: sx = 1000 / 20 = 50
  const int column = 10 + (20 - 5) * 50;
  // The label, the title and the peak stick at θ = 20, rising from the axis to the reference height (row 0).
  EXPECT_EQ(std::tuple(text_at(canvas, "110").x, canvas.texts("Theta").size(),
                       has_line(canvas, {column, 400}, {column, 0}, workspace.styles.peak_colours[0])),
            std::tuple(column - 7, std::size_t{1}, true));
}

TEST_F(Dessine, ObservedPatternsAreScaledToTheReferenceHeight) {
  // The pattern's maximum meets the calculated maximum (row 400 − 400 × scale). In
  // logarithmic mode the maximum is log10(100) = 2 while its point is log10(101):
  // row 400 − 400 × log10(101) / 2 = −0.86, rounded to −1.
  const std::tuple<YMode, double, int> cases[] = {
      {YMode::Linear, 1, 0}, {YMode::SquareRoot, 1, 0}, {YMode::Linear, 2, -400}, {YMode::Logarithmic, 1, -1}};
  add_phase(workspace, "a.cry", 30, 80);
  ObservedPattern& pattern = add_pattern(workspace, "/data/obs.raw", {});
  for (int i = 0; i <= 80; ++i) pattern.points.push_back({10 + 0.5 * i, i == 40 ? 100.0 : 10.0});
  pattern.points.push_back({60, 1000});  // outside the full range: ignored by the maximum
  for (const auto& [mode, scale, top_row] : cases) {
    state = state_for(workspace);
    state.y_mode = mode;
    paint();  // records the reference at scale 1
    state.intensity_scale = scale;
    const auto lines = polylines_in(paint(), workspace.styles.pattern_colours[0]);
    ASSERT_EQ(lines.size(), 1u);  // the point at 60° lies outside the displayed range
    EXPECT_EQ(std::tuple(lines[0].points.size(), lowest_row(lines[0])), std::tuple(std::size_t{81}, top_row));
  }
}

TEST_F(Dessine, PatternStylesDrawLinesPointsOrBothAndAFlatPatternOnlyItsLegend) {
  // Three points and the legend symbol: points styles draw three legend squares too.
  add_pattern(workspace, "obs.raw", {{20, 10}, {30, 100}, {40, 10}});
  for (auto [style, polylines, squares] : {std::tuple(1, 1u, 0u), std::tuple(2, 0u, 6u), std::tuple(3, 1u, 6u)}) {
    workspace.styles.pattern_styles[0] = style;
    const RecordingCanvas canvas = paint();
    EXPECT_EQ(std::tuple(canvas.of_kind(Kind::Polyline).size(), canvas.of_kind(Kind::Rectangle).size()),
              std::tuple(polylines, squares))
        << style;
  }
  // A pattern without a usable maximum draws only its legend.
  workspace.observed_patterns.clear();
  add_phase(workspace, "a.cry", 30, 80);
  add_pattern(workspace, "flat.raw", {{20, 0}, {30, 0}});
  const RecordingCanvas canvas = paint();
  EXPECT_EQ(std::tuple(canvas.texts("flat.raw").size(),
                       polylines_in(canvas, workspace.styles.pattern_colours[0]).size()),
            std::tuple(1u, 0u));
}

TEST_F(Dessine, QReflectionsBecomeSticksScaledToTheLargest) {
  workspace.settings.angle_scale = AngleScale::Q;
  add_phase(workspace, "a.cry", 30, 100);
  add_phase(workspace, "b.cry", 30, 100).draw = false;
  PhaseData& phase = workspace.phases[0];
  phase.fraction = 0.5;
  phase.show_hkl = true;
  phase.reflections = {reflection(1, 0, 0, 20, 50), reflection(1, 1, 0, 40, 100), reflection(3, 0, 0, 80, 400)};
  state = state_for(workspace);
  const RecordingCanvas canvas = paint(HklMode::AtProfile);
  // sy is set by the largest I × fraction over the whole list, the line at 80° off the range included:
  // 400 × 0.5 = 200, so the sticks stand 50 × 0.5 × 2 and 100 × 0.5 × 2 high.
  std::vector<int> tops;
  for (const auto& line : canvas.of_kind(Kind::Line))
    if (line.pen.colour == phase.colour) tops.push_back(line.points[1].y);
  EXPECT_EQ(std::vector(tops.begin() + 1, tops.end()), (std::vector{400 - 50, 400 - 100}));  // after the legend
  EXPECT_EQ(std::tuple(canvas.texts("100").size(), canvas.texts("Q=4pisin(T)/lambda (1/A)").size(),
                       canvas.of_kind(Kind::Polyline).size()),
            std::tuple(1u, 1u, 0u));
}

// NaCl 111 (a = 5.6402 Å, d = 3.25637 Å) at Cu Kα1: 2θ = 27.3655°, Q = 2π/d =
// 4π sin θ / λ = 1.92951 Å⁻¹. The stick and an observed peak at the same 2θ
// meet there, whatever the wavelengths of the spectrum that produced the line.
TEST_F(Dessine, QIsInReciprocalAngstromsForSticksAndObservedData) {
  workspace.settings.angle_scale = AngleScale::Q;
  workspace.settings.wavelengths = {1.39222, 1.54056};
  workspace.settings.fractions = {0.1, 1.0};
  workspace.settings.shortest_wavelength = workspace.settings.longest_wavelength = 1.54056;
  PhaseData& phase = add_phase(workspace, "nacl.cry", 30, 100);
  // The line at Cu Kβ and Kα1: the same Q.
  phase.reflections = {reflection(1, 1, 1, 24.6536, 10), reflection(1, 1, 1, 27.3655, 100)};
  for (auto [line, wavelength] : {std::pair{0, 1.39222}, std::pair{1, 1.54056}})
    std::tie(phase.reflections[line].wavelength, phase.reflections[line].d) = std::pair(wavelength, 3.25637);
  add_phase(workspace, "unused.cry", 30, 100).draw = false;
  workspace.observed_peaks.push_back({"nacl.dif", {{1, 1, 1, 27.3655, 100}}, true, {}});
  state = state_for(workspace);
  const RecordingCanvas canvas = paint();
  const int column = to_pixels(state.mapping, 1.92951, 0).x;
  EXPECT_NE(column, to_pixels(state.mapping, 2.97252, 0).x);  // 4π sin θ without the division
  const Rgb colour = workspace.phases.front().colour;  // the reference above moved with the second phase
  EXPECT_TRUE(has_line(canvas, {column, 400}, {column, 0}, colour) &&
              has_line(canvas, {column, 400}, {column, 400 - 40}, colour) &&
              has_line(canvas, {column, 400}, {column, 0}, workspace.styles.peak_colours[0]));
}

// The Q variant draws observed data linear: their scale must be the linear
// maximum too, not the logarithm or square root chosen before the switch.
TEST_F(Dessine, ObservedDataInQKeepTheirHeightWhateverYModeWasChosen) {
  workspace.settings.angle_scale = AngleScale::Q;
  PhaseData& phase = add_phase(workspace, "a.cry", 30, 100);
  phase.reflections = {reflection(1, 1, 0, 30, 100)};
  ObservedPattern& pattern = add_pattern(workspace, "obs.raw", {});
  for (int i = 0; i <= 80; ++i) pattern.points.push_back({10 + 0.5 * i, i == 40 ? 1000.0 : 10.0});
  workspace.observed_peaks.push_back({"obs.dif", {{0, 0, 0, 30, 1000}, {0, 0, 0, 40, 250}}, true, {}});
  for (YMode mode : {YMode::Linear, YMode::Logarithmic, YMode::SquareRoot}) {
    state = state_for(workspace);
    state.y_mode = mode;
    const RecordingCanvas canvas = paint();
    // The largest observed point and peak reach the largest stick, at row 0.
    const auto lines = polylines_in(canvas, workspace.styles.pattern_colours[0]);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lowest_row(lines[0]), 0) << static_cast<int>(mode);
    const int column = to_pixels(state.mapping, 2.78979, 0).x;  // Q = 4π sin 20° / 1.5406 Å
    EXPECT_TRUE(has_line(canvas, {column, 400}, {column, 300}, workspace.styles.peak_colours[0]))
        << static_cast<int>(mode);
  }
}

TEST_F(Dessine, DifferenceDataCompareTheFirstPatternWithTheSum) {
  workspace = gridded(10, 14, 5);  // grid 10, 11, 12, 13, 14
  add_phase(workspace, "a.cry", 0, 0, 0).profile = {10, 20, 40, 20, 10};
  // Nearest points: 10 → the first point (10.2); 11 → tie between 10.5 and 11.5: the later;
  // 12 → 11.5 is nearer than 12.9; 13 → 12.9; 14 → past the last point: the last.
  add_pattern(workspace, "obs.raw", {{10.2, 5}, {10.5, 10}, {11.5, 80}, {12.9, 40}, {13.5, 20}});
  state = state_for(workspace);
  paint();
  // display_max 40, sy = 10; observed scaled by 40 / 80 = 0.5: 2.5, 40, 40, 20, 10.
  const std::vector<int> rows = {300, 200, 0, 200, 300}, observed_rows = {375, 0, 0, 200, 300};
  ASSERT_EQ(state.sum_rows, rows);
  for (std::size_t k = 0; k < rows.size(); ++k) EXPECT_EQ(state.difference[k], observed_rows[k] - rows[k]) << k;
}

TEST_F(Dessine, PhaseNotYetComputedDoesNotBlankTheOthers) {
  add_phase(workspace, "a.cry", 30, 100);
  add_phase(workspace, "new.cry", 30, 100).profile.clear();
  workspace.phases[1].show_hkl = true;
  workspace.phases[1].reflections = {reflection(1, 1, 1, 30)};
  const RecordingCanvas canvas = paint();
  EXPECT_EQ(
      std::tuple(state.display_max, polylines_in(canvas, workspace.phases[0].colour).at(0).points.size(),
                 canvas.texts("111").size()),
      std::tuple(100.0, 401u, 0u));
}

TEST(DessineMapping, NearestGridPointAgreesWithAPlainScan) {
  // Grid with a repeated point and uneven steps; positions before, inside, on ties and past the end.
  const std::vector<double> grid = {10.0, 10.5, 11.0, 11.0, 11.25, 12.0, 14.0, 14.1};
  for (int i = -5; i < 200; ++i) {
    const double position = i < 0 ? -200.0 * -i : 8.0 + i * 0.04;
    std::optional<std::size_t> expected;
    double best = 100.0;
    for (std::size_t k = 0; k < grid.size() && grid[k] <= position + 0.5; ++k)
      if (std::abs(grid[k] - position) < best) best = std::abs(grid[(expected = k).value()] - position);
    EXPECT_EQ(nearest_grid_point(grid, true, position), expected) << position;
    EXPECT_EQ(nearest_grid_point(grid, false, position), expected) << position;
  }
}

}  // namespace
}  // namespace calvane
