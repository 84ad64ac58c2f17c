// Mouse, controls and menus of the plot window, wheel zoom, pan and the
// Back/Forward history, through a scripted Ui.
#include "flows/plot_interaction.hpp"

#include <gtest/gtest.h>

#include <fstream>

#include "flows/plot_navigation.hpp"
#include "support/plot_workspace.hpp"
#include "ui/experiment_reading.hpp"
#include "support/program_in_folder.hpp"

namespace calvane {
namespace {

using testing::add_phase;
using testing::reflection;
using testing::set_grid;

// A program with one phase peaking at 100 on 30° over 10..50°, drawn on a
// 1010 × 435 image: sx = 25 pixels per degree, y_base = 400, sy = 4.
struct PlotWindow : testing::ProgramInFolder {
  Workspace& workspace = program.workspace;
  PlotState state;
  RecordingCanvas image{1010, 435};
  int plots = 0, full_recomputes = 0;
  PlotSession session{program, state, image, [this] { ++plots; }, [this] { ++full_recomputes; }};

  PlotWindow() {
    set_grid(workspace, 10, 50, 401);
    add_phase(workspace, "/d/quartz.cry", 30, 100, 0, 1);
    sync_plot_range(state, workspace.settings);
    redraw(session);
  }
  void drag(int x0, int y0, int x1, int y1) {
    on_mouse_down(session, MouseButton::Left, x0, y0);
    std::vector<Point> box;
    on_mouse_move(session, x1, y1, box);
    on_mouse_up(session, MouseButton::Left, x1, y1);
  }
};

struct PlotInteraction : ::testing::Test, PlotWindow {
  std::string readout() { return mouse_readout(state, workspace, 510, 200); }
  std::pair<double, double> range() const { return {state.theta2_min, state.theta2_max}; }
  // A navigation as the window runs it: the view left goes on the Back list.
  void step(const std::function<void()>& action) {
    const PlotView before = current_view(state);
    action();
    record_view_change(state, before);
    redraw(session);
  }
};

TEST_F(PlotInteraction, ReadOutByAngleScale) {
  // Pixel 510 is 2θ = 30: d = 1.5406 / (2 sin 15°) = 2.976 Å (Bragg's law, hand computed).
  EXPECT_EQ(readout(), "2Th=   30.00  d=  2.976");
  workspace.settings.wavelengths = {1.5406, 1.5444};
  EXPECT_EQ(readout(), "2Th=   30.00");
  workspace.settings.wavelengths = {1.5406};
  workspace.settings.angle_scale = AngleScale::Theta;
  redraw(session);  // θ 5..25: pixel 510 is θ = 15
  EXPECT_EQ(readout(), "Th=   15.00  d=  2.976");
  workspace.settings.angle_scale = AngleScale::Q;
  state.q_min = 1;
  state.q_max = 5;
  redraw(session);  // Q 1..5 Å⁻¹: pixel 510 is Q = 3, 2θ = 2 arcsin(3 × 1.5406 / 4π) = 43.159°
  EXPECT_EQ(readout(), "Q=    3.00  2Theta= 43.159");
}

// Choosing a scale resets the plot through the unzoom, which writes the angle
// fields in the new unit with 3 decimals (Q = 0.711 for 10°) before every
// phase is recomputed: the range typed must come back exactly.
TEST_F(PlotInteraction, ATripThroughQKeepsTheRangeTyped) {
  ExperimentSettings& settings = workspace.settings;
  ExperimentPageForm& page = program.main_form.experiment;
  session.recompute_full_range = [&] {
    read_experiment_settings(settings, page, program.wavelength_form, ui);
    sync_plot_range(state, settings);
  };
  for (AngleScale scale : {AngleScale::Q, AngleScale::TwoTheta, AngleScale::Q, AngleScale::Theta, AngleScale::TwoTheta}) {
    change_angle_scale(settings, page, scale, ui);
    reset_zoom(session);
  }
  EXPECT_EQ(std::tuple(settings.two_theta_low, settings.two_theta_high, page.range_low + page.range_high),
            std::tuple(10.0, 50.0, "  10.000  50.000"));
}

TEST_F(PlotInteraction, ZoomBoxAtAQuarterOfTheLargestSumGivesFactorFourAndARightClickUnzooms) {
  // Press at row 300: intensity (400 − 300) / 4 = 25, a quarter of the peak of 100 at 30°.
  drag(260, 300, 760, 350);  // 2θ 20 to 40
  const ExperimentPageForm& page = program.main_form.experiment;
  EXPECT_EQ(std::tuple(state.intensity_scale, state.scale_position, page.range_low + page.range_high, plots),
            std::tuple(4.0, 40, "  20.000  40.000", 1));
  // A right click unzooms, after the driver recomputed over the zoomed range.
  workspace.settings.two_theta_low = 20;
  workspace.settings.two_theta_high = 40;
  sync_plot_range(state, workspace.settings);
  on_mouse_down(session, MouseButton::Right, 500, 200);
  on_mouse_up(session, MouseButton::Right, 500, 200);
  EXPECT_EQ(
      std::tuple(state.zoomed, state.intensity_scale, full_recomputes, page.range_low + page.range_high),
      std::tuple(false, 1.0, 1, "  10.000  50.000"));
  for (double factor : state.pattern_scales) EXPECT_DOUBLE_EQ(factor, 1.0);
}

TEST(PlotWindowCases, BoxesThatDoNotZoom) {
  const struct Case { int x0, y0, x1, y1; const char* why; } cases[] = {
      {760, 300, 260, 350, "dragged left"},
      {260, 300, 760, 250, "dragged up"},
      {260, 400, 760, 420, "pressed on the intensity-zero row"}};
  for (const Case& c : cases) {
    PlotWindow window;
    window.drag(c.x0, c.y0, c.x1, c.y1);
    EXPECT_EQ(std::tuple(window.state.zoomed, window.plots), std::tuple(false, 0)) << c.why;
  }
}

TEST_F(PlotInteraction, ClickIndexesEveryReflectionWithinThreePixels) {
  auto& phase = workspace.phases[0];
  // Columns 510 and 516 (6 pixels apart); 600 is far from the click at 513.
  phase.reflections = {reflection(1, 0, 0, 30.0), reflection(1, 1, 0, 30.24), reflection(1, 1, 1, 33.6)};
  program.main_form.results = {"heading", "  Phase 1 quartz", " 1  1 0 0", " 2  1 1 0", " 3  1 1 1"};
  drag(513, 200, 513, 200);
  EXPECT_EQ(std::tuple(image.texts(" 2/ph.1").size(), image.texts(" 3/ph.1").size()), std::tuple(1u, 0u));
  EXPECT_EQ(testing::text_at(image, " 1/ph.1"), (Point{505, 5}));
  // The later of the two is selected in the results.
  EXPECT_EQ(std::tuple(program.main_form.results_selected, plots), std::tuple(3, 0));
  image.operations.clear();
  drag(900, 200, 900, 200);  // where no reflection lies: only a redraw, without the marks
  EXPECT_EQ(std::tuple(testing::texts_starting(image, " 1/ph.").size(), image.operations.empty()),
            std::tuple(0u, false));
}

TEST_F(PlotInteraction, ScaleControlAndItsEnds) {
  state.pattern_scales.fill(2.0);
  change_intensity_scale(session, 25);  // the patterns' scales are multiplied by 2.5 / 1
  EXPECT_EQ(std::tuple(state.intensity_scale, state.pattern_scales[3]), std::tuple(2.5, 5.0));
  change_intensity_scale(session, 500);
  EXPECT_EQ(std::tuple(state.status.text, state.status.red),
            std::tuple(std::string("Max Zoom. Cannot Zoom anymore"), true));
  change_intensity_scale(session, 10);
  EXPECT_EQ(state.status.text, "Min Zoom. Cannot Zoom anymore");
  change_intensity_scale(session, 15);
  EXPECT_FALSE(state.status.red);
}

TEST(PlotWindowCases, DifferenceMenuConditions) {
  const struct Case { AngleScale scale; YMode mode; bool pattern, phase; const char* message; bool opens; } cases[] = {
               {AngleScale::Q, YMode::Linear, true, true, "", false},
               {AngleScale::TwoTheta, YMode::Logarithmic, true, true, "", false},
               {AngleScale::TwoTheta, YMode::SquareRoot, true, true, "", false},
               {AngleScale::TwoTheta, YMode::Linear, false, true, "No observed diagram!", false},
               {AngleScale::TwoTheta, YMode::Linear, true, false, "No phase!", false},
               {AngleScale::TwoTheta, YMode::Linear, true, true, "", true}};
  for (const Case& c : cases) {
    PlotWindow window;
    window.workspace.settings.angle_scale = c.scale;
    window.state.y_mode = c.mode;
    if (!c.phase) window.workspace.phases.clear();
    if (c.pattern) testing::add_pattern(window.workspace, "o.raw", {{30, 50}});
    show_difference(window.session);
    EXPECT_EQ(std::tuple(window.ui.last_warning(), window.state.difference_open),
              std::tuple(std::string(c.message), c.opens));
  }
}

TEST(PlotWindowCases, DifferenceWindowDrawing) {
  PlotState state;
  state.difference = {0, -5, 7};
  RecordingCanvas canvas(300, 200);
  draw_difference(state, canvas);
  EXPECT_EQ(canvas.of_kind(DrawOperation::Kind::Polyline)[0].points, (std::vector<Point>{{1, 100}, {2, 95}, {3, 107}}));

  Workspace workspace;
  workspace.observed_patterns.push_back(ObservedPattern{{}, 0, "/x/obs.raw"});
  workspace.phases.resize(1);
  workspace.phases[0].file_name = "/y/quartz.cry";
  EXPECT_EQ(difference_caption(workspace), "Difference obs.raw-quartz");
  workspace.phases.resize(2);
  EXPECT_EQ(difference_caption(workspace), "Difference obs.raw-Sum of Calculated diag.");
}

TEST_F(PlotInteraction, TicksChosenByTheUser) {
  choose_user_ticks(session);
  EXPECT_EQ(state.tick_dialog.major_default_label, "(Default: 5.00)");
  state.tick_dialog.minor_text = "one";
  state.tick_dialog.major_text = "2";
  read_user_ticks(session);
  EXPECT_EQ(std::tuple(ui.last_warning(), state.major_tick), std::tuple(std::string("Error!"), 5.0));  // kept
  state.tick_dialog.minor_text = "0";
  read_user_ticks(session);
  // User ticks survive the redraw.
  EXPECT_EQ(std::tuple(state.tick_dialog.visible, state.major_tick, image.texts(" 12.0").size()),
            std::tuple(false, 2.0, 1u));
  choose_default_ticks(session);
  EXPECT_DOUBLE_EQ(state.major_tick, 5.0);
}

TEST_F(PlotInteraction, LogarithmicModeIsRefusedInQ) {
  workspace.settings.angle_scale = AngleScale::Q;
  choose_y_mode(session, YMode::Logarithmic);
  EXPECT_EQ(std::tuple(ui.last_warning(), state.y_mode),
            std::tuple(std::string("Not available with Q representation"), YMode::Linear));
}

TEST_F(PlotInteraction, ErasingObservedDataDeletesTheirScratchCopiesOnly) {
  workspace.observed_patterns.push_back(ObservedPattern{{{30, 50}}, 0, "scan1.raw"});
  workspace.observed_peaks.push_back(ObservedPeakList{"p.dif", {}, true, {}});
  state.difference_open = true;
  const auto scratch = session.program.scratch.path() / "scan1_mp.cpi";
  std::ofstream(scratch) << "x";
  const auto users = folder.write("scan1_mp.cpi", "x");  // the user's own file of that name
  erase_observed_patterns(session);
  EXPECT_EQ((std::vector{std::filesystem::exists(scratch), std::filesystem::exists(users),
                         workspace.observed_peaks.empty(), state.difference_open}),
            (std::vector{false, true, true, false}));
}

TEST_F(PlotInteraction, ResultsLineMarksItsAngle) {
  // Characters 21 to 28 of a listing line hold its angle.
  program.main_form.results = {"a", "b", "c", std::string(20, ' ') + " 30.0000" + "  100"};
  image.operations.clear();
  mark_results_line(session, 3);
  ASSERT_EQ(image.operations.size(), 1u);
  EXPECT_EQ(image.operations[0].points[1], (Point{510, 20}));
  image.operations.clear();
  mark_results_line(session, 2);  // the heading lines mark nothing
  EXPECT_TRUE(image.operations.empty());
}

TEST_F(PlotInteraction, WheelZoomKeepsTheAbscissaUnderTheCursor) {
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
  EXPECT_EQ(std::pair(program.main_form.experiment.range_low, state.zoomed), std::pair(std::string("   0.500"), true));
}

TEST_F(PlotInteraction, PanFollowsTheMouseAndStopsAtTheEnds) {
  pan_by(session, 50);  // two degrees to the right: the range moves two degrees down
  EXPECT_EQ(range(), std::pair(8.0, 48.0));
  redraw(session);
  pan_by(session, 1000);  // stops at 0.5°, keeping its width
  EXPECT_EQ(range(), std::pair(0.5, 40.5));
}

TEST_F(PlotInteraction, BackAndForwardWalkTheViewsShown) {
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
