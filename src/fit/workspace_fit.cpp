#include "fit/workspace_fit.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "model/workspace.hpp"
#include "profile/pattern_corrections.hpp"

namespace calvane {

MeasuredPoints measured_points_of(const Workspace& workspace) {
  MeasuredPoints measured;
  if (workspace.observed_patterns.empty()) return measured;
  const ObservedPattern& pattern = workspace.observed_patterns.front();
  const std::size_t count = pattern.points.size();
  const bool own_counts = pattern.counts.size() == count;
  const bool own_sigma = pattern.sigma.size() == count;
  std::vector<std::size_t> order(count);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return pattern.points[a].two_theta < pattern.points[b].two_theta;
  });
  for (std::size_t i : order) {
    measured.two_theta.push_back(pattern.points[i].two_theta);
    measured.counts.push_back(own_counts ? pattern.counts[i] : pattern.points[i].intensity);
    if (own_sigma) measured.sigma.push_back(pattern.sigma[i]);
  }
  return measured;
}

bool cover_measured_range(Workspace& workspace) {
  const MeasuredPoints measured = measured_points_of(workspace);
  if (measured.two_theta.empty()) return false;
  ExperimentSettings& settings = workspace.settings;
  settings.two_theta_low = std::clamp(measured.two_theta.front() - 1, 0.5, 179.5);
  settings.two_theta_high = std::clamp(measured.two_theta.back() + 1, settings.two_theta_low + 0.01, 179.5);
  settings.entered_low = settings.two_theta_low;
  settings.entered_high = settings.two_theta_high;
  return true;
}

FitRequest workspace_fit_request(const Workspace& workspace, const FitChoices& choices) {
  FitRequest request;
  for (int p = 1; p <= workspace.phase_count(); ++p) request.phases.push_back(fit_phase_of(workspace, p));
  request.measured = measured_points_of(workspace);
  const ExperimentSettings& settings = workspace.settings;
  request.instrument.resolution = {settings.u, settings.v, settings.w};
  request.instrument.zero_shift_deg = workspace.corrections.zero_shift_deg;
  request.instrument.displacement_um = workspace.corrections.displacement_um;
  request.instrument.goniometer_radius_mm = workspace.corrections.goniometer_radius_mm;
  request.instrument.fallback_wavelength = settings.wavelengths.empty() ? 0 : settings.wavelengths.back();
  request.choices = choices;
  return request;
}

namespace {

// Each phase's scale at its present share, for a total scale of 1: the share
// times Brindley's factor over Z·M·V.
std::vector<double> present_scales(const Workspace& workspace, const FitRequest& request) {
  std::vector<double> fractions = workspace_weight_fractions(workspace);
  const std::vector<double> absorption = workspace_microabsorption_factors(workspace);
  for (std::size_t p = 0; p < fractions.size(); ++p) fractions[p] *= absorption[p];
  return scales_for_fractions(request.phases, fractions, 1.0);
}

PhaseShape present_shape(const FitPhase& phase) {
  return {phase.orientation.ratio, phase.broadening.crystal_size_angstrom, 1.0};
}

}  // namespace

std::vector<double> workspace_pattern(const Workspace& workspace, const std::vector<double>& x) {
  const FitRequest request = workspace_fit_request(workspace, FitChoices{});
  std::vector<PhaseShape> shapes;
  for (const FitPhase& phase : request.phases) shapes.push_back(present_shape(phase));
  return calculated_pattern(request.phases, shapes, present_scales(workspace, request), request.instrument, {}, x);
}

std::vector<double> MeasuredModel::calculated() const {
  std::vector<double> total = background;
  for (const std::vector<double>& phase : phases)
    for (std::size_t i = 0; i < total.size() && i < phase.size(); ++i) total[i] += phase[i];
  return total;
}

namespace {

// The weight of a measured point, 1/σ², as the fit takes it.
double point_weight(const MeasuredPoints& measured, std::size_t i) {
  double sigma = i < measured.sigma.size() ? measured.sigma[i] : 0;
  if (!(sigma > 0)) sigma = measured.counts[i] > 0 ? std::sqrt(measured.counts[i]) : 1.0;
  return 1 / (sigma * sigma);
}

}  // namespace

MeasuredModel measured_model(const Workspace& workspace) {
  MeasuredModel model;
  MeasuredPoints measured = measured_points_of(workspace);
  const bool any_lines = std::any_of(workspace.phases.begin(), workspace.phases.end(),
                                     [](const PhaseData& phase) { return !phase.reflections.empty(); });
  if (measured.two_theta.empty() || !any_lines) return model;
  const FitRequest request = workspace_fit_request(workspace, FitChoices{});
  const std::vector<double> scales = present_scales(workspace, request);
  const std::vector<double>& x = measured.two_theta;
  model.background.assign(x.size(), 0.0);
  const std::vector<double>& coefficients = workspace.corrections.background;
  if (!coefficients.empty())
    for (std::size_t i = 0; i < x.size(); ++i)
      model.background[i] = chebyshev_background(coefficients, x[i], x.front(), x.back());
  std::vector<double> sum(x.size(), 0.0);
  for (std::size_t p = 0; p < request.phases.size(); ++p) {
    const FitPhase& phase = request.phases[p];
    std::vector<double> curve(x.size(), 0.0);
    if (!phase.reflections.empty() && p < scales.size() && scales[p] > 0) {
      phase_pattern(phase, present_shape(phase), request.instrument, x, curve);
      for (double& value : curve) value *= scales[p];
    }
    for (std::size_t i = 0; i < x.size(); ++i) sum[i] += curve[i];
    model.phases.push_back(std::move(curve));
  }
  // k minimises Σ w (y − b − k·c)²: k = Σ w·c·(y − b) / Σ w·c², never negative.
  double numerator = 0, denominator = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double weight = point_weight(measured, i);
    numerator += weight * sum[i] * (measured.counts[i] - model.background[i]);
    denominator += weight * sum[i] * sum[i];
  }
  const double overall = denominator > 0 ? std::max(0.0, numerator / denominator) : 0.0;
  for (std::vector<double>& curve : model.phases)
    for (double& value : curve) value *= overall;
  model.two_theta = std::move(measured.two_theta);
  model.counts = std::move(measured.counts);
  return model;
}

void apply_fit_result(Workspace& workspace, const FitResult& result, const FitChoices& choices) {
  if (result.status != FitStatus::Converged && result.status != FitStatus::IterationLimit) return;
  SampleCorrections& corrections = workspace.corrections;
  if (choices.zero_shift) corrections.zero_shift_deg = result.zero_shift_deg.value;
  if (choices.displacement) corrections.displacement_um = result.displacement_um.value;
  corrections.background = result.background;
  const bool molar = workspace.settings.percent_mode == "MOLEC";
  for (std::size_t p = 0; p < result.phases.size() && p < workspace.phases.size(); ++p) {
    PhaseData& phase = workspace.phases[p];
    const PhaseFitResult& fitted = result.phases[p];
    phase.fraction = molar ? fitted.molar_fraction : fitted.weight_fraction.value;
    if (p < choices.orientation.size() && choices.orientation[p])
      phase.preferred_orientation.ratio = fitted.orientation_ratio.value;
    if (p < choices.size.size() && choices.size[p]) phase.crystal_size = fitted.crystal_size_angstrom.value;
    if (p < choices.cell.size() && choices.cell[p]) {
      CellParameters& cell = phase.crystal.cell;
      cell.a *= fitted.cell_scale.value;
      cell.b *= fitted.cell_scale.value;
      cell.c *= fitted.cell_scale.value;
      compute_derived_cell(cell);
    }
  }
}

}  // namespace calvane
