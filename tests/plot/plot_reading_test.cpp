// Reading the plot: intensity axis ticks, labels that never overlap, hover
// answers and legend toggles, on the recording canvas.
#include "plot/plot_reading.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "plot/hkl_label_layout.hpp"
#include "plot/plot_hover.hpp"
#include "support/plot_workspace.hpp"

namespace calvane {
namespace {

using testing::add_pattern;
using testing::add_phase;
using testing::gridded;
using testing::reflection;
using testing::state_for;
using ::testing::DoubleNear;
using ::testing::Pointwise;
using Kind = DrawOperation::Kind;

TEST(IntensityAxis, TicksAreRoundValuesForEveryRange) {
  struct Case { double top; int max_ticks; std::vector<double> expected; };
  const Case cases[] = {{100, 5, {0, 20, 40, 60, 80, 100}},
                        {87, 5, {0, 20, 40, 60, 80}},
                        {12631, 10, {0, 2000, 4000, 6000, 8000, 10000, 12000}},
                        {0.37, 4, {0, 0.1, 0.2, 0.3}},
                        {3, 10, {0, 0.5, 1, 1.5, 2, 2.5, 3}},
                        {0, 5, {0}}};
  for (const Case& c : cases) EXPECT_THAT(round_ticks(c.top, c.max_ticks), Pointwise(DoubleNear(1e-9), c.expected));
  EXPECT_EQ(decade_ticks(5000), (std::vector<double>{0, 1, 10, 100, 1000}));
  EXPECT_EQ(decade_ticks(60), (std::vector<double>{0, 1, 2, 5, 10, 20, 50}));
  const std::pair<double, const char*> labels[] = {{0, "0"}, {2.5, "2.5"}, {12000, "12000"}, {0.1 + 0.2, "0.3"}};
  for (const auto& [value, text] : labels) EXPECT_EQ(tick_label(value), text);
}

// A phase with a 100-high peak at 30° on 10..50°, drawn with the intensity axis.
struct Reading : ::testing::Test {
  Workspace workspace = gridded(10, 50, 401);
  PlotState state;
  Reading() {
    add_phase(workspace, "/d/quartz.cry", 30, 100, 0, 0.3);
    state = state_for(workspace);
    state.intensity_axis = true;
  }
  RecordingCanvas paint(HklMode mode = HklMode::AtProfile, int width = 1010, int height = 435) {
    return testing::draw(state, workspace, mode, width, height);
  }
  // The texts written at the left of the axis line.
  std::vector<std::string> axis_labels(const RecordingCanvas& canvas) const {
    std::vector<std::string> labels;
    for (const auto& text : canvas.of_kind(Kind::Text))
      if (text.font.escapement_tenths == 0 && text.points[0].x + canvas.text_width(text.text) == state.mapping.x_left - 6)
        labels.push_back(text.text);
    return labels;
  }
};

TEST_F(Reading, AxisReadsRelativeIntensityOrTheMeasuredCounts) {
  EXPECT_EQ(axis_labels(paint()),
            (std::vector<std::string>{"0", "10", "20", "30", "40", "50", "60", "70", "80", "90", "100"}));
  // Headroom: the peak stays below the top of the curves' area.
  EXPECT_GT(to_pixels(state.mapping, 30, state.display_max).y, 0);
  ObservedPattern& scan = add_pattern(workspace, "scan.xy", {});
  for (int i = 0; i <= 40; ++i) {
    const double counts = i == 20 ? 12000 : 300;
    scan.points.push_back({10.0 + i, counts / 120});
    scan.counts.push_back(counts);
  }
  const RecordingCanvas canvas = paint();
  const auto counts = axis_labels(canvas);
  EXPECT_EQ(std::tuple(counts.front(), counts.back(), canvas.texts("counts").at(0).font.escapement_tenths),
            std::tuple("0", "12000", 900));
}

// Where a turned label stands: as wide as the text is high, as high as it is long.
PixelBox turned_box(const RecordingCanvas& canvas, const DrawOperation& text) {
  const Point at = text.points[0];
  return {at.x, at.y - canvas.text_width(text.text), at.x + 14, at.y};
}

TEST_F(Reading, CrowdedLabelsNeverOverlapAtAnyWidth) {
  // Sixty lines between 20° and 35°, 0.25° apart, of varied intensity, and a
  // second phase's lines among them.
  add_phase(workspace, "/d/calcite.cry", 25, 60, 0, 0.3);  // before taking references into the phases
  PhaseData& first = workspace.phases[0];
  PhaseData& second = workspace.phases[1];
  first.show_hkl = second.show_hkl = true;
  for (int i = 0; i < 60; ++i) {
    const double intensity = 5 + (i * 37) % 100;
    first.reflections.push_back(reflection(i % 7, i % 5, i / 7, 20 + 0.25 * i, intensity));
    if (i % 3 == 0) second.reflections.push_back(reflection(1, i % 4, 2, 20.1 + 0.25 * i, intensity));
  }
  first.reflections.push_back(reflection(9, 9, 9, 34.0, 0.001));  // rounds to 0 of 100: no label
  for (bool axis : {false, true}) {
    for (HklMode mode : {HklMode::AlongTop, HklMode::AtProfile}) {
      for (int width : {400, 800, 1600}) {
        state.intensity_axis = axis;
        const RecordingCanvas canvas = paint(mode, width);
        std::vector<PixelBox> boxes;
        for (const auto& text : canvas.of_kind(Kind::Text))
          if (text.font.escapement_tenths == 900 && text.text != "counts" && text.text != "relative intensity")
            boxes.push_back(turned_box(canvas, text));
        ASSERT_GE(boxes.size(), 3u) << width;
        for (std::size_t i = 0; i < boxes.size(); ++i)
          for (std::size_t j = i + 1; j < boxes.size(); ++j)
            EXPECT_FALSE(boxes[i].overlaps(boxes[j])) << "width " << width << " labels " << i << ", " << j;
        EXPECT_TRUE(canvas.texts("999").empty());
        if (!axis) continue;
        // With the axis, the labels keep below the titles and the legends.
        for (const auto& text : canvas.of_kind(Kind::Text))
          if (text.font.escapement_tenths == 0 && text.points[0].y < 60) {
            const PixelBox written{text.points[0].x, text.points[0].y,
                                   text.points[0].x + canvas.text_width(text.text), text.points[0].y + 14};
            for (const PixelBox& box : boxes) EXPECT_FALSE(box.overlaps(written)) << text.text << " at " << width;
          }
      }
    }
  }
}

TEST(LabelThinning, TheStrongerOfTwoOverlappingLabelsStays) {
  const std::vector<LabelCandidate> candidates = {
      {{0, 0, 14, 30}, 10}, {{8, 0, 22, 30}, 50}, {{20, 0, 34, 30}, 40}, {{40, 0, 54, 30}, 1}};
  // 50 beats both neighbours it touches; 10 and 40 do not touch each other, but each touches 50.
  EXPECT_EQ(thin_labels(candidates), (std::vector<std::size_t>{1, 3}));
  EXPECT_TRUE(rounds_to_zero(0.4, 100) && !rounds_to_zero(0.6, 100));
}

TEST_F(Reading, HoverNamesTheReflectionUnderTheCursorElseTheValuesThere) {
  PhaseData& quartz = workspace.phases[0];
  Reflection line = reflection(1, 0, 1, 30.0, 80);
  line.d = 2.9763;
  line.multiplicity = 6;
  quartz.reflections = {reflection(1, 0, 0, 29.9, 20), line, reflection(1, 1, 0, 40, 50)};
  PhaseData& other = add_phase(workspace, "/d/calcite.cry", 40, 50, 0, 0.3);
  other.reflections = {reflection(1, 0, 4, 40.0, 100)};
  state.intensity_axis = false;  // 25 pixels to the degree from column 10
  paint();
  const int column = to_pixels(state.mapping, 30, 0).x;
  const int peak_top = to_pixels(state.mapping, 30, 100).y;
  struct Case { int x, y; const char* expected; };
  const Case cases[] = {
      {column, peak_top + 30, "ph.1 quartz  1 0 1  d=2.9763 Å  2θ=30.000  m=6  I=80.0"},
      {column + 2, state.mapping.y_base, "ph.1 quartz  1 0 1"},  // the nearer of two lines 2.5 px apart
      // Two phases' lines in one column: the stronger, calcite's 1 0 4.
      {to_pixels(state.mapping, 40, 0).x, state.mapping.y_base - 5, "ph.2 calcite  1 0 4"},
      {column, peak_top - 40, "2θ=30.000  d=2.9762 Å  sum=100.0"},  // above the peak: the cursor's values
      {to_pixels(state.mapping, 20, 0).x, 200, "2θ=20.000  d=4.4360 Å  sum=0.0"},
  };
  for (const Case& c : cases) {
    const std::string text = hover_text(state, workspace, HklMode::AtProfile, c.x, c.y);
    EXPECT_EQ(text.substr(0, std::string(c.expected).size()), c.expected) << text;
  }
}

TEST_F(Reading, ClickingALegendEntryHidesAndShowsItsCurve) {
  add_phase(workspace, "/d/calcite.cry", 25, 60);
  add_pattern(workspace, "scan.xy", {{20, 10}, {30, 100}, {40, 10}});
  const Rgb quartz = workspace.phases[0].colour;
  const Rgb scan = workspace.styles.pattern_colours[0];
  const auto centre = [this](LegendItem item) {
    for (const LegendEntry& entry : state.legend_entries)
      if (entry.item == item) return Point{(entry.left + entry.right) / 2, (entry.top + entry.bottom) / 2};
    return Point{-1, -1};
  };
  struct Case { LegendItem item; Rgb colour; };
  for (const Case& c : {Case{LegendItem::Phase, quartz}, Case{LegendItem::Pattern, scan},
                        Case{LegendItem::Sum, workspace.styles.sum_colour}}) {
    EXPECT_FALSE(testing::polylines_in(paint(), c.colour).empty());
    const Point entry = centre(c.item);
    ASSERT_TRUE(toggle_legend_entry(state, workspace, entry.x, entry.y));
    EXPECT_TRUE(testing::polylines_in(paint(), c.colour).empty()) << static_cast<int>(c.item);
    // The hidden curve keeps its entry, which brings it back.
    ASSERT_TRUE(toggle_legend_entry(state, workspace, centre(c.item).x, centre(c.item).y));
    EXPECT_FALSE(testing::polylines_in(paint(), c.colour).empty());
  }
  EXPECT_FALSE(toggle_legend_entry(state, workspace, 500, 300));  // the curves' area is no entry
}

}  // namespace
}  // namespace calvane
