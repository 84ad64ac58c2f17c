#include "ui/results_list.hpp"

#include <gtest/gtest.h>

#include "model/workspace.hpp"

namespace calvane {
namespace {

Workspace two_line_workspace() {
  Workspace ws;
  ws.phases.resize(1);
  PhaseData& phase = ws.phases[0];
  phase.scale_factor = 0.5;
  // Si 111 with Cu Kα1: d = 3.1356 Å, 2θ = 28.442° (hand-computed), and a line outside the range.
  phase.reflections.push_back({1, 1, 1, 8, 1.5406, 3.1356, 28.442, 200.0});
  phase.reflections.push_back({4, 4, 4, 8, 1.5406, 0.7839, 158.2, 10.0});
  phase.reflections.push_back({2, 2, 0, 12, 1.5406, 1.9201, 47.303, 110.0});
  return ws;
}

TEST(ResultsList, WritesHeadingScaleFactorAndLinesInsideTheRangeInTheScalesAngle) {
  auto lines = results_list_lines(two_line_workspace());
  // The 158° line lies outside 10..50; lines keep their index in the merged list: the skipped line still
  // counts.
  EXPECT_EQ(lines,
            (std::vector<std::string>{
                " Nb. h  k  l   Dhkl  2Theta  K*Int. lambda",
                "_________________________________________________", "Phase 1  scale factor K=0.50000000",
                "  1  1  1  1  3.136  28.442 100.00 1.54060", "  3  2  2  0  1.920  47.303  55.00 1.54060"}));
  // The angle column follows the scale.
  Workspace ws = two_line_workspace();
  ws.settings.angle_scale = AngleScale::Theta;
  auto theta = results_list_lines(ws);
  EXPECT_EQ(theta[0] + "|" + theta[3].substr(19, 8), " Nb. h  k  l   Dhkl   Theta  K*Int. lambda|  14.221");
  ws.settings.angle_scale = AngleScale::Q;
  auto q = results_list_lines(ws);
  // Q = 4π sin θ = 4π × 0.245664 = 3.0871 (hand-computed; the list does not divide by λ).
  EXPECT_EQ(q[0] + "|" + q[3].substr(19, 8), "Nb. h  k  l   Dhkl     Q     K*Int. lambda|  3.0871");
}

}  // namespace
}  // namespace calvane
