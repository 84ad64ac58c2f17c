#include "profile/profile_synthesis.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "support/scripted_ui.hpp"
#include "workspace/workspace.hpp"

namespace calvane {
namespace {

Reflection line(double two_theta, double intensity, double wavelength = 1.5406) {
  Reflection r;
  r.two_theta = two_theta;
  r.intensity = intensity;
  r.wavelength = wavelength;
  return r;
}

// A workspace on 10..50° 2θ with W = 0.08 only, as the program starts.
Workspace workspace_with_grid(int points) {
  Workspace workspace;
  workspace.settings.u = 0;
  workspace.settings.v = 0;
  workspace.settings.w = 0.08;
  workspace.settings.profile_points = points;
  return workspace;
}

double value_at(const Workspace& workspace, double two_theta) {
  const double step = workspace.settings.profile_step;
  return workspace.profile_y.at(static_cast<std::size_t>(std::lround((two_theta - 10) / step)));
}

TEST(ProfileGrid, SpansTheRangeWithAClampedPointCount) {
  struct Case { int requested, points; };
  for (const Case c : {Case{1600, 1600}, Case{2560, 1600}, Case{801, 801}, Case{1, 2}, Case{0, 2}}) {
    ExperimentSettings settings;
    settings.profile_points = c.requested;
    const ProfileGrid grid = profile_grid(settings);
    ASSERT_EQ(grid.points, c.points) << c.requested;
    const auto x = grid.abscissae();
    ASSERT_EQ(x.size(), static_cast<std::size_t>(c.points));
    EXPECT_DOUBLE_EQ(x.front(), 10.0);
    EXPECT_NEAR(x.back(), 50.0, 1e-12);
    EXPECT_DOUBLE_EQ(grid.step(), 40.0 / (c.points - 1));
  }
}

TEST(ProfileSynthesis, PeaksOfHalfWidthPointZeroEightWithWOnly) {
  // U = V = 0, W = 0.08, no strain, L = 10⁹ Å: every peak has H = 0.08°,
  // so it reads A/0.08 at its centre and half that 0.08° away. The range
  // 10..41.98° on 1600 points puts both on grid points (step 0.02°).
  Workspace workspace = workspace_with_grid(1600);
  workspace.settings.two_theta_low = 10;
  workspace.settings.two_theta_high = 41.98;  // 1600 points, step 0.02°
  testing::ScriptedUi ui;
  const std::vector<Reflection> lines{line(20.0, 10), line(35.0, 4)};
  ASSERT_EQ(synthesise_profile(workspace, lines, {1e9, 0}, false, ui), ProfileStatus::Completed);
  EXPECT_TRUE(ui.warnings.empty());
  EXPECT_NEAR(workspace.settings.profile_step, 0.02, 1e-12);
  for (const auto& [centre, area] : {std::pair{20.0, 10.0}, std::pair{35.0, 4.0}}) {
    const double height = area / 0.08;
    EXPECT_NEAR(value_at(workspace, centre), height, 1e-3 * height);  // plus the other peak's tail
    const double left = value_at(workspace, centre - 0.08), right = value_at(workspace, centre + 0.08);
    EXPECT_NEAR(left / height, 0.5, 1e-4) << centre;
    EXPECT_NEAR(right / height, 0.5, 1e-4) << centre;
  }
}

TEST(ProfileSynthesis, TwoThetaPassTakesLinesInRangeAndQPassAllAtOneTenth) {
  const std::vector<Reflection> lines{line(8.0, 50), line(25.0, 10), line(45.0, 20), line(60.0, 30)};
  const std::vector<Reflection> in_range{lines[1], lines[2]};
  ProfileRequest request;
  request.grid = {10, 50, 1600};
  request.resolution = {0, 0, 0.08};
  request.broadening = {5000, 0.001};
  std::vector<double> x, two_theta_pass, q_pass, only_in_range, reference;
  EXPECT_EQ(compute_profile(lines, request, x, two_theta_pass, nullptr).peaks_added, 2u);
  compute_profile(in_range, request, x, only_in_range, nullptr);
  EXPECT_EQ(two_theta_pass, only_in_range);

  request.angle_scale = AngleScale::Q;
  EXPECT_EQ(compute_profile(lines, request, x, q_pass, nullptr).peaks_added, 4u);
  // Reference: every line at a tenth of its area, evaluated independently.
  reference.assign(x.size(), 0.0);
  for (const Reflection& r : lines) {
    const double h = peak_width(request.resolution, request.broadening, r.two_theta, r.wavelength).total;
    for (std::size_t i = 0; i < x.size(); ++i)
      reference[i] += 0.1 * r.intensity * pseudo_voigt_shape(0.5, (x[i] - r.two_theta) / h) / h;
  }
  for (std::size_t i = 0; i < x.size(); ++i) ASSERT_NEAR(q_pass[i], reference[i], 1e-12 * reference[i]) << i;
}

TEST(ProfileSynthesis, HarmonicPeaksGetTheSizeWidthOfTheirOwnWavelength) {
  // Regression: the size term once used the last wavelength of the spectrum
  // for every line, so λ/2 lines were as broad as the primary's.
  ProfileRequest request;
  request.grid = {10, 50, 1600};
  request.broadening = {200, 0};
  request.fallback_wavelength = 1.5406;
  const std::vector<Reflection> lines{line(30.0, 1, 0.7703), line(30.0, 1, 1.5406)};
  const PeakList list = synthesis_peaks(lines, request);
  ASSERT_EQ(list.peaks.size(), 2u);
  EXPECT_NEAR(list.peaks[0].hwhm, list.peaks[1].hwhm / 2, 1e-6);
}

TEST(ProfileSynthesis, StopsAndKeepsThePeaksAddedBefore) {
  struct Case {
    const char* name;
    Resolution resolution;
    Broadening broadening;
    AngleScale scale;
    std::string system;
    double gamma;
    bool symbol_selected;
    ProfileStatus status;
    std::size_t peaks;
    const char* message;
  };
  // V = −1, W = 0.15: U·T² + V·T + W = 0.0625 at 10° 2θ (T = 0.0875) and
  // −0.026 at 20° (T = 0.1763), by hand.
  const Case cases[] = {
      {"negative width", {0, -1, 0.15}, {0, 0}, AngleScale::TwoTheta, "CUBI", 90, false,
       ProfileStatus::NegativeWidth, 1, "Bad u,v,w values (angular width < 0!)"},
      {"no width at all", {0, 0, 0}, {0, 0}, AngleScale::TwoTheta, "CUBI", 90, false, ProfileStatus::ZeroWidth, 0,
       "Bad u,v,w values (angular width = 0!)"},
      {"unique axis along c", {0, 0, 0.08}, {0, 0}, AngleScale::Q, "MONO", 90.05, false,
       ProfileStatus::UniqueAxisParallelToC, 0, "The unique axis cannot be parallel to C axis!"},
      {"symbol chosen", {0, 0, 0.08}, {0, 0}, AngleScale::Q, "MONO", 90, true, ProfileStatus::Completed, 3, nullptr},
      {"gamma oblique", {0, 0, 0.08}, {0, 0}, AngleScale::Q, "MONO", 95, false, ProfileStatus::Completed, 3, nullptr},
      {"two-theta scale", {0, 0, 0.08}, {0, 0}, AngleScale::TwoTheta, "MONO", 90, false, ProfileStatus::Completed,
       3, nullptr},
  };
  const std::vector<Reflection> lines{line(11.0, 5), line(20.0, 5), line(30.0, 5)};
  for (const Case& c : cases) {
    Workspace workspace = workspace_with_grid(400);
    workspace.settings.u = c.resolution.u;
    workspace.settings.v = c.resolution.v;
    workspace.settings.w = c.resolution.w;
    workspace.settings.angle_scale = c.scale;
    workspace.crystal.system_code = c.system;
    workspace.crystal.cell.gamma = c.gamma;
    testing::ScriptedUi ui;
    EXPECT_EQ(synthesise_profile(workspace, lines, c.broadening, c.symbol_selected, ui), c.status) << c.name;
    ASSERT_EQ(ui.warnings.size(), c.message ? 1u : 0u) << c.name;
    if (c.message) {
      EXPECT_EQ(ui.warnings[0], c.message) << c.name;
    }

    // What was added is exactly the profile of the lines before the stop.
    ProfileRequest request;
    request.grid = profile_grid(workspace.settings);
    request.resolution = c.resolution;
    request.broadening = c.broadening;
    request.angle_scale = c.scale;
    std::vector<double> x, expected;
    compute_profile(std::vector<Reflection>(lines.begin(), lines.begin() + static_cast<long>(c.peaks)), request,
                    x, expected, nullptr);
    EXPECT_EQ(workspace.profile_y, expected) << c.name;
    EXPECT_EQ(workspace.profile_x, x) << c.name;
  }
}

}  // namespace
}  // namespace calvane
