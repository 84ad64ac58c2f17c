// Thinning dense measured curves to the pixel columns of the plot.
#include "plot/column_decimation.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "support/plot_workspace.hpp"

namespace calvane {
namespace {

using ::testing::ElementsAreArray;

TEST(ColumnDecimation, KeepsFirstLowestHighestAndLastOfEachColumnInOrder) {
  struct Case { const char* what; std::vector<Point> in, out; };
  const Case cases[] = {
      {"empty", {}, {}},
      {"one point", {{3, 4}}, {{3, 4}}},
      {"one point per column is kept whole", {{1, 5}, {2, 9}, {3, 1}}, {{1, 5}, {2, 9}, {3, 1}}},
      {"a column of six: first, highest row, lowest row, last, in their order",
       {{5, 10}, {5, 30}, {5, 2}, {5, 12}, {5, 40}, {5, 11}, {6, 7}},
       {{5, 10}, {5, 2}, {5, 40}, {5, 11}, {6, 7}}},
      {"the extremes at the ends are not repeated", {{2, 1}, {2, 5}, {2, 9}}, {{2, 1}, {2, 9}}},
      {"a column left and come back to starts a new run", {{1, 1}, {2, 2}, {1, 3}}, {{1, 1}, {2, 2}, {1, 3}}},
  };
  for (const Case& c : cases) EXPECT_THAT(decimate_per_column(c.in), ElementsAreArray(c.out)) << c.what;
  // Point markers drop only repeated pixels.
  EXPECT_THAT(drop_repeated_pixels({{1, 1}, {1, 1}, {1, 2}, {1, 1}, {2, 2}, {2, 2}}),
              ElementsAreArray(std::vector<Point>{{1, 1}, {1, 2}, {1, 1}, {2, 2}}));
}

// The lowest and highest row a polyline reaches in each pixel column.
std::map<int, std::pair<int, int>> column_spans(const std::vector<Point>& points) {
  std::map<int, std::pair<int, int>> spans;
  for (const Point& p : points) {
    auto [it, added] = spans.try_emplace(p.x, p.y, p.y);
    if (!added) it->second = {std::min(it->second.first, p.y), std::max(it->second.second, p.y)};
  }
  return spans;
}

TEST(ColumnDecimation, AHundredThousandPointPatternKeepsEveryColumnsExtremes) {
  using namespace testing;
  Workspace workspace = gridded(10, 50, 401);
  add_phase(workspace, "a.cry", 30, 80);
  ObservedPattern& pattern = add_pattern(workspace, "dense.xrdml", {});
  // 7919 is prime to 90, so every 90 consecutive points take every value
  // 10..99 once: each 1-pixel column (about 100 points) reaches both the
  // lowest and the highest value of the whole pattern.
  for (int i = 0; i < 100000; ++i) pattern.points.push_back({10 + 40.0 * i / 100000, 10.0 + (i * 7919) % 90});
  PlotState state = state_for(workspace);
  const RecordingCanvas canvas = draw(state, workspace);
  const auto lines = polylines_in(canvas, workspace.styles.pattern_colours[0]);
  ASSERT_EQ(lines.size(), 1u);
  const auto spans = column_spans(lines[0].points);
  EXPECT_LE(lines[0].points.size(), 4 * spans.size());
  ASSERT_GE(spans.size(), 990u);  // the 1000 columns of the range
  // The end columns hold half a column of points each and are left out.
  const auto [top, bottom] = std::next(spans.begin())->second;
  EXPECT_LT(top, bottom - 100);
  for (auto it = std::next(spans.begin()); it != std::prev(spans.end()); ++it)
    EXPECT_EQ(it->second, std::make_pair(top, bottom)) << it->first;
}

}  // namespace
}  // namespace calvane
