// Wheel zoom, pan and the Back/Forward history of the plot.
#include "flows/plot_navigation.hpp"

#include <gtest/gtest.h>

#include "support/plot_workspace.hpp"
#include "support/program_in_folder.hpp"

namespace calvane {
namespace {

// 10..50° on 1010 pixels: 25 pixels per degree from column 10.
struct Navigation : ::testing::Test, testing::ProgramInFolder {
  PlotState state;
  RecordingCanvas image{1010, 435};
  int plots = 0;
  PlotSession session{program, state, image, [this] { ++plots; }, {}};

  Navigation() {
    testing::set_grid(program.workspace, 10, 50, 401);
    testing::add_phase(program.workspace, "/d/quartz.cry", 30, 100);
    sync_plot_range(state, program.workspace.settings);
    redraw(session);
  }
  std::pair<double, double> range() const { return {state.theta2_min, state.theta2_max}; }
  // A navigation as the window runs it: the view left goes on the Back list.
  void step(const std::function<void()>& action) {
    const PlotView before = current_view(state);
    action();
    record_view_change(state, before);
    redraw(session);
  }
};

TEST_F(Navigation, WheelZoomKeepsTheAbscissaUnderTheCursor) {
  struct Case { int column; double factor; std::pair<double, double> expected; };
  const Case cases[] = {
      {510, 0.5, {20, 40}},      // 30° stays at the centre
      {10, 0.5, {10, 30}},       // the left edge stays
      {260, 2.0, {0.5, 80}},     // out about 20°: the low end stops at 0.5°
  };
  for (const Case& c : cases) {
    state.theta2_min = 10, state.theta2_max = 50;
    redraw(session);
    zoom_around(session, c.column, c.factor);
    EXPECT_NEAR(state.theta2_min, c.expected.first, 1e-9) << c.column;
    EXPECT_NEAR(state.theta2_max, c.expected.second, 1e-9) << c.column;
  }
  EXPECT_EQ(plots, 3);  // each zoom computes the phases over its range
  EXPECT_EQ(program.main_form.experiment.range_low, "   0.500");
  EXPECT_TRUE(state.zoomed);
}

TEST_F(Navigation, PanFollowsTheMouseAndStopsAtTheEnds) {
  pan_by(session, 50);  // two degrees to the right: the range moves two degrees down
  EXPECT_EQ(range(), std::pair(8.0, 48.0));
  redraw(session);
  pan_by(session, 1000);  // stops at 0.5°, keeping its width
  EXPECT_EQ(range(), std::pair(0.5, 40.5));
}

TEST_F(Navigation, BackAndForwardWalkTheViewsShown) {
  step([&] { zoom_around(session, 510, 0.5); });  // 20..40
  step([&] { pan_by(session, -125); });            // 50 pixels to the degree: 22.5..42.5
  EXPECT_FALSE(go_forward(session));
  ASSERT_TRUE(go_back(session));
  EXPECT_EQ(range(), std::pair(20.0, 40.0));
  redraw(session);
  ASSERT_TRUE(go_back(session));
  EXPECT_EQ(range(), std::pair(10.0, 50.0));
  EXPECT_FALSE(go_back(session));
  ASSERT_TRUE(go_forward(session));
  EXPECT_EQ(range(), std::pair(20.0, 40.0));
  redraw(session);
  step([&] { zoom_around(session, 510, 0.5); });  // a new view ends the way forward
  EXPECT_FALSE(go_forward(session));
}

}  // namespace
}  // namespace calvane
