#include "profile/profile_synthesis.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "support/scripted_ui.hpp"
#include "model/workspace.hpp"

namespace calvane {
namespace {

Reflection line(double two_theta, double intensity, double wavelength = 1.5406) {
  Reflection r;
  r.two_theta = two_theta;
  r.intensity = intensity;
  r.wavelength = wavelength;
  return r;
}

TEST(ProfileSynthesis, PeaksOfHalfWidthPointZeroEightWithWOnly) {
  // U = V = 0, W = 0.08, no strain, L = 10⁹ Å: each peak reads A/0.08 at its
  // centre and half that 0.08° away (10..41.98° on 1600 points: step 0.02°).
  Workspace workspace;
  workspace.settings.u = workspace.settings.v = 0;
  workspace.settings.w = 0.08;
  workspace.settings.two_theta_high = 41.98;
  testing::ScriptedUi ui;
  const std::vector<Reflection> lines{line(20.0, 10), line(35.0, 4)};
  const PhaseProfile profile = synthesise_profile(workspace.settings, workspace.crystal, lines, {1e9, 0}, false, ui);
  ASSERT_EQ(profile.status, ProfileStatus::Completed);
  EXPECT_TRUE(ui.warnings.empty());
  EXPECT_NEAR(profile.grid.step(), 0.02, 1e-12);
  const auto at = [&](double angle) {
    return profile.y.at(static_cast<std::size_t>(std::lround((angle - 10) / 0.02)));
  };
  for (auto [centre, area] : {std::pair{20.0, 10.0}, {35.0, 4.0}}) {
    const double height = area / 0.08;  // the other peak's tail adds < 10⁻⁵ of it
    for (auto [offset, share] : {std::pair{0.0, 1.0}, {-0.08, 0.5}, {0.08, 0.5}})
      EXPECT_NEAR(at(centre + offset) / height, share, 1e-4) << centre << " " << offset;
  }
}

TEST(ProfileSynthesis, TwoThetaPassTakesLinesInRangeAndQPassAllAtOneTenth) {
  const std::vector<Reflection> lines{line(8.0, 50), line(25.0, 10), line(45.0, 20), line(60.0, 30)};
  ProfileRequest request;
  request.grid = {10, 50, 1600};
  request.resolution = {0, 0, 0.08};
  request.broadening = {5000, 0.001};
  std::vector<double> x, two_theta_pass, q_pass, only_in_range;
  EXPECT_EQ(compute_profile(lines, request, x, two_theta_pass, nullptr).peaks_added, 2u);
  compute_profile(std::vector<Reflection>{lines[1], lines[2]}, request, x, only_in_range, nullptr);
  EXPECT_EQ(two_theta_pass, only_in_range);

  // The Q pass draws every line, those outside the 2θ range too, at a tenth of its area.
  request.angle_scale = AngleScale::Q;
  std::vector<double> q_in_range;
  EXPECT_EQ(compute_profile(lines, request, x, q_pass, nullptr).peaks_added, 4u);
  compute_profile(std::vector<Reflection>{lines[1], lines[2]}, request, x, q_in_range, nullptr);
  for (std::size_t i = 0; i < x.size(); ++i) ASSERT_NEAR(q_in_range[i], 0.1 * only_in_range[i], 1e-12) << i;
  EXPECT_GT(q_pass.front(), q_in_range.front());  // the tail of the line at 8°
}

TEST(ProfileSynthesis, HarmonicPeaksGetTheSizeWidthOfTheirOwnWavelength) {
  // Regression: the size term used the last wavelength of the spectrum for
  // every line, so λ/2 lines were as broad as the primary's.
  ProfileRequest request;
  request.grid = {10, 50, 1600};
  request.broadening = {200, 0};
  const PeakList list =
      synthesis_peaks(std::vector<Reflection>{line(30, 1, 0.7703), line(30, 1, 1.5406)}, request);
  ASSERT_EQ(list.peaks.size(), 2u);
  EXPECT_NEAR(list.peaks[0].hwhm, list.peaks[1].hwhm / 2, 1e-6);
}

TEST(ProfileSynthesis, StopsAndKeepsThePeaksAddedBefore) {
  struct Case {
    Resolution resolution;
    AngleScale scale;
    double gamma;
    bool symbol_selected;
    std::size_t peaks;
    const char* message;
  };
  // V = −1, W = 0.15: U·T² + V·T + W = 0.054 at 11° 2θ (T = 0.0963) and
  // −0.026 at 20° (T = 0.1763), by hand. The crystal is monoclinic.
  const Case cases[] = {
      {{0, -1, 0.15}, AngleScale::TwoTheta, 90, false, 1, "Bad u,v,w values (angular width < 0!)"},
      {{0, 0, 0}, AngleScale::TwoTheta, 90, false, 0, "Bad u,v,w values (angular width = 0!)"},
      {{0, 0, 0.08}, AngleScale::Q, 90.05, false, 0, "The unique axis cannot be parallel to C axis!"},
      {{0, 0, 0.08}, AngleScale::Q, 90, true, 3, nullptr},
      {{0, 0, 0.08}, AngleScale::Q, 95, false, 3, nullptr},
      {{0, 0, 0.08}, AngleScale::TwoTheta, 90, false, 3, nullptr},
  };
  const std::vector<Reflection> lines{line(11.0, 5), line(20.0, 5), line(30.0, 5)};
  for (const Case& c : cases) {
    Workspace workspace;
    std::tie(workspace.settings.u, workspace.settings.v, workspace.settings.w) =
        std::tie(c.resolution.u, c.resolution.v, c.resolution.w);
    workspace.settings.angle_scale = c.scale;
    workspace.settings.profile_points = 400;
    workspace.crystal.system_code = "MONO";
    workspace.crystal.cell.gamma = c.gamma;
    testing::ScriptedUi ui;
    const PhaseProfile profile =
        synthesise_profile(workspace.settings, workspace.crystal, lines, {}, c.symbol_selected, ui);
    EXPECT_EQ(profile.status == ProfileStatus::Completed, c.message == nullptr) << c.peaks;
    EXPECT_EQ(ui.last_warning(), c.message ? c.message : "") << c.peaks;
    // What was added is exactly the profile of the lines before the stop.
    ProfileRequest request{profile_grid(workspace.settings), c.resolution, {}, c.scale};
    std::vector<double> x, expected;
    compute_profile(std::span(lines).first(c.peaks), request, x, expected, nullptr);
    EXPECT_EQ(profile.y, expected) << c.message;
  }
}

}  // namespace
}  // namespace calvane
