#include "fit/pattern_fit.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <limits>
#include <random>

#include "crystal_io/crystal_files.hpp"
#include "crystallography/operators.hpp"
#include "fit/workspace_fit.hpp"
#include "model/workspace.hpp"
#include "plot/draw_plot.hpp"
#include "plot/recording_canvas.hpp"
#include "profile/pattern_corrections.hpp"
#include "profile/phase_computation.hpp"
#include "profile/spectrum_setup.hpp"
#include "support/temp_folder.hpp"

namespace calvane {
namespace {

using calvane::testing::TempFolder;

// Rutile and corundum computed at Cu Kα1 over 14–91° 2θ.
class TwoPhases : public ::testing::Test {
protected:
  void SetUp() override {
    data_.add_data_files();
    set_single_wavelength(ws_.settings, 1.5406);
    set_two_theta_range(ws_.settings, 14, 91);
    ws_.settings.u = 0.01;
    ws_.settings.v = 0;
    ws_.settings.w = 0.03;
    for (const char* name : {"rutile.cry", "corundum.cry"}) add(name);
  }

  void add(const char* name) {
    const auto path = calvane::testing::source_folder(std::string("examples/") + name);
    CollectedMessages messages;
    auto crystal = read_crystal_file({path, CrystalFileKind::Native, name, data_.path(), {}}, messages);
    ASSERT_TRUE(crystal) << name;
    if (crystal->symmetry.operators.empty()) build_symmetry_operators(*crystal, data_.path(), data_.path(), messages);
    ASSERT_NE(add_phase(ws_, std::move(*crystal), path.string()), nullptr);
  }

  void compute() {
    ComputationCaches caches;
    CollectedMessages messages;
    ASSERT_TRUE(compute_all_phases(ws_, caches, data_.path(), "", messages).all_computed);
  }

  static std::vector<double> grid(double low, double high, std::size_t count) {
    std::vector<double> x(count);
    for (std::size_t i = 0; i < count; ++i) x[i] = low + (high - low) * static_cast<double>(i) / static_cast<double>(count - 1);
    return x;
  }

  // The pattern scaled to `highest` counts over a sloping background, with
  // Poisson noise of a fixed seed.
  static MeasuredPoints measurement(const std::vector<double>& x, std::vector<double> y, double highest,
                                    unsigned seed) {
    const double top = *std::max_element(y.begin(), y.end());
    std::mt19937 random(seed);
    MeasuredPoints measured;
    measured.two_theta = x;
    for (std::size_t i = 0; i < x.size(); ++i) {
      const double expected = y[i] * highest / top + 300 - 2 * (x[i] - 15);
      measured.counts.push_back(std::poisson_distribution<long>(expected)(random));
    }
    return measured;
  }

  TempFolder data_;
  Workspace ws_;
};

void expect_within_esds(const Estimate& estimate, double truth, const char* what) {
  EXPECT_GT(estimate.esd, 0) << what;
  EXPECT_LT(std::abs(estimate.value - truth), 3 * estimate.esd) << what << " " << estimate.value << " ± " << estimate.esd;
}

// Known shares, zero shift, displacement and texture, then Poisson noise:
// the fit gives them back within their esds and the shares within 1 wt %.
TEST_F(TwoPhases, FitsBackASyntheticPatternWithinItsEsds) {
  ws_.phase(1).fraction = 0.35;
  ws_.phase(2).fraction = 0.65;
  ws_.phase(1).preferred_orientation = {{1, 1, 0}, 0.85};
  ws_.corrections.zero_shift_deg = 0.04;
  ws_.corrections.displacement_um = 80;
  compute();
  const std::vector<double> x = grid(15, 90, 5000);
  const MeasuredPoints measured = measurement(x, workspace_pattern(ws_, x), 20000, 20261207);

  // The fit starts from no correction and no texture.
  ws_.corrections = {};
  ws_.phase(1).preferred_orientation.ratio = 1;
  FitChoices choices;
  choices.background_order = 3;
  choices.zero_shift = choices.displacement = true;
  choices.orientation = {true, false};
  FitRequest request = workspace_fit_request(ws_, choices);
  request.measured = measured;
  int evaluations = 0;
  request.progress = [&evaluations](int count, double) { evaluations = count; };
  const FitResult result = fit_pattern(request);

  ASSERT_EQ(result.status, FitStatus::Converged) << result.message;
  EXPECT_GT(evaluations, 0);
  ASSERT_EQ(result.phases.size(), 2u);
  const Estimate& rutile = result.phases[0].weight_fraction;
  EXPECT_LT(std::abs(rutile.value - 0.35), 0.01);
  expect_within_esds(rutile, 0.35, "rutile weight fraction");
  EXPECT_NEAR(result.phases[0].weight_fraction.value + result.phases[1].weight_fraction.value, 1, 1e-12);
  expect_within_esds(result.zero_shift_deg, 0.04, "zero shift");
  expect_within_esds(result.displacement_um, 80, "displacement");
  expect_within_esds(result.phases[0].orientation_ratio, 0.85, "March-Dollase ratio");
  EXPECT_NEAR(result.chi2, 1, 0.1);
  EXPECT_LT(result.rwp, 1.1 * result.expected_rwp);
  ASSERT_EQ(result.background.size(), 4u);
  EXPECT_NEAR(result.background[0], 300 - 2 * (52.5 - 15), 10);  // the mean of the slope
  // Molar shares follow from the weights and molecular weights (TiO2 79.87, Al2O3 101.96).
  const double rutile_moles = rutile.value / 79.87, corundum_moles = (1 - rutile.value) / 101.96;
  EXPECT_NEAR(result.phases[0].molar_fraction, rutile_moles / (rutile_moles + corundum_moles), 2e-3);
}

TEST_F(TwoPhases, FitsTheCrystalliteSizeAndTheCellScale) {
  compute();
  const FitPhase corundum = fit_phase_of(ws_, 2);
  const std::vector<double> x = grid(20, 90, 4000);
  InstrumentShape instrument;
  instrument.resolution = {0.01, 0, 0.03};
  const std::vector<double> y = calculated_pattern({corundum}, {{1, 600, 1.003}}, {1}, instrument, {}, x);
  FitChoices choices;
  choices.background_order = 1;
  choices.size = {true};
  choices.cell = {true};
  FitRequest request;
  request.phases = {corundum};
  request.measured = measurement(x, y, 20000, 7);
  request.instrument = instrument;
  request.choices = choices;
  const FitResult result = fit_pattern(request);
  ASSERT_EQ(result.status, FitStatus::Converged) << result.message;
  expect_within_esds(result.phases[0].crystal_size_angstrom, 600, "size");
  expect_within_esds(result.phases[0].cell_scale, 1.003, "cell scale");
  EXPECT_DOUBLE_EQ(result.phases[0].weight_fraction.value, 1);
}

// With particle radii the scales are divided by Brindley's factors, which
// depend on the fractions: the fit settles both.
TEST_F(TwoPhases, CorrectsTheFractionsForMicroabsorption) {
  ws_.phase(1).fraction = 0.2;
  ws_.phase(2).fraction = 0.8;
  ws_.phase(1).particle_radius_um = ws_.phase(2).particle_radius_um = 5;
  compute();
  const std::vector<double> x = grid(20, 90, 3000);
  FitRequest request = workspace_fit_request(ws_, FitChoices{});
  request.measured.two_theta = x;
  request.measured.counts = workspace_pattern(ws_, x);
  const FitResult corrected = fit_pattern(request);
  ASSERT_EQ(corrected.status, FitStatus::Converged);
  EXPECT_NEAR(corrected.phases[0].weight_fraction.value, 0.2, 1e-6);
  EXPECT_LT(corrected.phases[0].microabsorption, 1);  // rutile absorbs more than the mixture
  EXPECT_GT(corrected.phases[1].microabsorption, 1);
  EXPECT_TRUE(corrected.notes.empty());
  // Without the radii, the strongly absorbing rutile comes out too low, and the report says why.
  for (FitPhase& phase : request.phases) phase.particle_radius_um = 0;
  const FitResult uncorrected = fit_pattern(request);
  EXPECT_LT(uncorrected.phases[0].weight_fraction.value, 0.19);
  EXPECT_FALSE(uncorrected.notes.empty());
}

// After a fit the workspace holds only shares and a background, yet the
// calculation laid on the measured points must be the fitted pattern itself
// (its overall scale solved again), and the plot draws it there in counts.
TEST_F(TwoPhases, TheFittedPatternIsDrawnOnTheMeasuredPoints) {
  ws_.phase(1).fraction = 0.3;
  ws_.phase(2).fraction = 0.7;
  compute();
  const std::vector<double> x = grid(15, 90, 1500);
  const MeasuredPoints measured = measurement(x, workspace_pattern(ws_, x), 5000, 7);
  ObservedPattern pattern;
  pattern.file_name = "measured.xy";
  for (std::size_t i = 0; i < x.size(); ++i) pattern.points.push_back({x[i], measured.counts[i] / 50});
  pattern.counts = measured.counts;
  ws_.observed_patterns.push_back(pattern);
  ws_.phase(1).fraction = ws_.phase(2).fraction = 0.5;

  FitChoices choices;
  choices.background_order = 2;
  const FitResult result = fit_pattern(workspace_fit_request(ws_, choices));
  ASSERT_EQ(result.status, FitStatus::Converged) << result.message;
  apply_fit_result(ws_, result, choices);
  compute();
  const MeasuredModel model = measured_model(ws_);
  ASSERT_EQ(model.two_theta, x);
  const std::vector<double> calculated = model.calculated();
  for (std::size_t i = 0; i < x.size(); i += 37)
    EXPECT_NEAR(calculated[i], result.calculated[i], 1e-6 * result.calculated[i]) << x[i];

  PlotState state;
  sync_plot_range(state, ws_.settings);
  state.on_measured_points = true;
  RecordingCanvas canvas(900, 500);
  draw_plot(state, ws_, HklMode::AlongTop, canvas);
  EXPECT_EQ(state.abscissa, x);
  EXPECT_EQ(canvas.texts("Background").size(), 1u);
  // Measured and calculated share one axis in counts: the difference is noise.
  const auto largest = std::max_element(state.difference.begin(), state.difference.end(),
                                        [](int a, int b) { return std::abs(a) < std::abs(b); });
  EXPECT_LT(std::abs(*largest), 40);
}

TEST_F(TwoPhases, StopsWhenCancelledAndRefusesWhatCannotBeFitted) {
  compute();
  FitChoices choices;
  choices.zero_shift = true;
  FitRequest request = workspace_fit_request(ws_, choices);
  request.measured.two_theta = grid(20, 90, 500);
  request.measured.counts.assign(500, 10.0);
  const std::atomic<bool> cancel{true};
  request.cancel = &cancel;
  EXPECT_EQ(fit_pattern(request).status, FitStatus::Cancelled);
  request.cancel = nullptr;

  struct Case {
    const char* reason;
    std::function<void(FitRequest&)> spoil;
  };
  const Case cases[] = {
      {"No phase to fit", [](FitRequest& r) { r.phases.clear(); }},
      {"holds no point", [](FitRequest& r) { r.measured.counts.pop_back(); }},
      {"not in ascending 2theta", [](FitRequest& r) { std::swap(r.measured.two_theta[3], r.measured.two_theta[4]); }},
      {"not a number", [](FitRequest& r) { r.measured.counts[7] = std::numeric_limits<double>::quiet_NaN(); }},
      {"order must be from 0 to 12", [](FitRequest& r) { r.choices.background_order = 13; }},
      {"fewer points than the fit has unknowns",
       [](FitRequest& r) {
         r.measured.two_theta.resize(5);
         r.measured.counts.resize(5);
         r.choices.background_order = 3;
       }},
  };
  for (const Case& c : cases) {
    FitRequest spoilt = request;
    c.spoil(spoilt);
    const FitResult result = fit_pattern(spoilt);
    EXPECT_EQ(result.status, FitStatus::Refused) << c.reason;
    EXPECT_NE(result.message.find(c.reason), std::string::npos) << result.message;
  }
}

}  // namespace
}  // namespace calvane
