// The plot drawn against the interplanar spacing d: where lines, labels and
// ticks stand, and zoom and pan in d.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include <gtest/gtest.h>

#include "flows/plot_navigation.hpp"
#include "plot/plot_hover.hpp"
#include "plot/plot_unit.hpp"
#include "support/plot_workspace.hpp"
#include "support/program_in_folder.hpp"
#include "util/text.hpp"

namespace calvane {
namespace {

using testing::add_phase;
using testing::reflection;
using Kind = DrawOperation::Kind;

constexpr double kLambda = 1.5406;
constexpr double kPi = std::numbers::pi;

// Bragg's law written out on its own, so that the drawing is checked against it.
double bragg_d(double two_theta) { return kLambda / (2 * std::sin(two_theta * kPi / 360)); }

// The conversions themselves are checked by the drawing and zoom tests below against Bragg's law.
TEST(PlotUnitConversion, BraggsLawAtItsLimits) {
  EXPECT_TRUE(std::isinf(spacing_of_two_theta(0, kLambda)));
  EXPECT_EQ(two_theta_of_spacing(kLambda / 2 * 0.99, kLambda), 180.0);  // no angle reaches it
  EXPECT_EQ(two_theta_of_spacing(-1, kLambda), 180.0);
}

TEST(PlotUnitConversion, NearestPointOfAFallingAbscissa) {
  const std::vector<double> d{5, 4, 3, 2};
  const std::pair<double, std::optional<std::size_t>> cases[] = {
      {5.0, 0}, {4.6, 0}, {4.5, 0}, {4.4, 1}, {2.0, 3}, {2.2, 3}, {5.1, std::nullopt}, {1.9, std::nullopt}};
  for (const auto& [position, expected] : cases) EXPECT_EQ(nearest_point_descending(d, position), expected) << position;
  EXPECT_EQ(nearest_point_descending({}, 3), std::nullopt);
}

// 10..50° 2θ on 401 points, drawn 1000 pixels wide from column 10, in d.
struct DAxis : ::testing::Test {
  Workspace workspace = testing::gridded(10, 50, 401);
  PlotState state = testing::state_for(workspace);
  DAxis() { state.d_axis = true; }
  static int column_of(double d) {
    return static_cast<int>(std::lround(10 + (bragg_d(10) - d) / (bragg_d(10) - bragg_d(50)) * 1000));
  }
};

TEST_F(DAxis, LinesLabelsPeaksAndTicksStandAtTheirSpacing) {
  PhaseData& phase = add_phase(workspace, "/d/quartz.cry", 30, 100);
  phase.show_hkl = true;
  const double angles[] = {15, 30, 45};
  for (double angle : angles) phase.reflections.push_back(reflection(1, 0, static_cast<int>(angle / 15), angle));
  const RecordingCanvas canvas = testing::draw(state, workspace);

  EXPECT_EQ(canvas.texts("d (Å)").size(), 1u);
  EXPECT_GT(state.mapping.x_origin, state.mapping.x_end);  // large d on the left
  // d runs from 8.85 Å down to 1.82 Å: a width of 7 Å takes a tick every 1 Å, labelled 2.0 to 8.0.
  EXPECT_EQ(std::pair(state.major_tick, state.minor_tick), std::pair(1.0, 0.1));
  std::vector<int> label_columns;  // -1 for a missing label
  for (int d = 2; d <= 8; ++d)
    label_columns.push_back(canvas.texts(fixed(d, 5, 1)).empty() ? -1 : testing::text_at(canvas, fixed(d, 5, 1)).x);
  EXPECT_TRUE(std::is_sorted(label_columns.rbegin(), label_columns.rend()) && label_columns.back() >= 0 &&
              canvas.texts("  1.0").empty() && canvas.texts("  9.0").empty());
  std::vector<int> tick_columns;  // the vertical ticks of the hkl labels, in the phase's colour
  for (const DrawOperation& line : canvas.of_kind(Kind::Line))
    if (line.pen.colour == phase.colour && line.points[0].x == line.points[1].x)
      tick_columns.push_back(line.points[0].x);
  ASSERT_EQ(tick_columns.size(), std::size(angles));
  for (std::size_t i = 0; i < std::size(angles); ++i)
    EXPECT_NEAR(tick_columns[i], column_of(bragg_d(angles[i])), 1) << angles[i];

  const auto curve = testing::polylines_in(canvas, phase.colour).at(0).points;
  const auto top = std::min_element(curve.begin(), curve.end(), [](Point a, Point b) { return a.y < b.y; });
  EXPECT_NEAR(top->x, column_of(bragg_d(30)), 1);

  // Hover answers the line under the cursor in d, and reads d elsewhere.
  for (std::size_t i = 0; i < std::size(angles); ++i) {
    const std::string text = hover_text(state, workspace, HklMode::AlongTop, column_of(bragg_d(angles[i])), 20);
    EXPECT_NE(text.find("1 0 " + std::to_string(i + 1)), std::string::npos) << text;
  }
  const std::string between = hover_text(state, workspace, HklMode::AlongTop, column_of(4.0), 300);
  const std::size_t at = between.find("d=");
  ASSERT_NE(at, std::string::npos) << between;
  EXPECT_NEAR(std::stod(between.substr(at + 2)), 4.0, 0.01) << between;  // a pixel is 0.007 Å here
}

struct DAxisNavigation : DAxis, testing::ProgramInFolder {
  RecordingCanvas image{1010, 435};
  PlotSession session{program, state, image, [this] { redraw(session); }, {}};
  DAxisNavigation() {
    program.workspace = workspace;
    add_phase(program.workspace, "/d/quartz.cry", 30, 100, 10);
    redraw(session);
  }
  double d_at(int column) const {
    double x = 0, y = 0;
    to_data(state.mapping, column, 0, x, y);
    return x;
  }
};

TEST_F(DAxisNavigation, BoxZoomTakesTheSpacingsUnderTheBox) {
  on_mouse_down(session, MouseButton::Left, column_of(4.0), 200);
  on_mouse_up(session, MouseButton::Left, column_of(2.0), 390);
  // 2θ of d = 4 and 2 Å at Cu Kα1: 22.206° and 45.306°; the angle fields keep the scale's unit.
  EXPECT_NEAR(std::hypot(state.theta2_min - 22.206, state.theta2_max - 45.306), 0, 0.05);
  EXPECT_EQ(program.main_form.experiment.range_low, fixed(state.theta2_min, 8, 3));
  EXPECT_NEAR(std::hypot(d_at(10) - 4.0, d_at(1010) - 2.0), 0, 0.01);
}

TEST_F(DAxisNavigation, WheelAndDragMoveAboutInSpacing) {
  struct Case { int column; double factor; };
  for (const Case& c : {Case{column_of(3.0), 0.5}, Case{column_of(2.5), 1.25}}) {
    state.theta2_min = 10, state.theta2_max = 50;
    redraw(session);
    const double under = d_at(c.column), width = state.mapping.x_origin - state.mapping.x_end;
    zoom_around(session, c.column, c.factor);
    EXPECT_NEAR(d_at(c.column), under, 0.01) << c.column;  // the spacing under the cursor stays
    EXPECT_NEAR(state.mapping.x_origin - state.mapping.x_end, width * c.factor, 0.01) << c.column;
  }
  state.theta2_min = 20, state.theta2_max = 40;
  redraw(session);
  const double left = state.mapping.x_origin, per_pixel = -1 / state.mapping.sx;
  pan_by(session, 50);  // the pattern follows the mouse: larger spacings come in from the left
  EXPECT_NEAR(state.mapping.x_origin, left + 50 * per_pixel, 1e-6);
  EXPECT_LT(state.theta2_min, 20);
  pan_by(session, 100000);  // stops at the lowest angle rather than past it
  EXPECT_NEAR(state.theta2_min, 0.5, 1e-6);
}

}  // namespace
}  // namespace calvane
