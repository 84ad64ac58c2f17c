// Fitting the calculated pattern to a measured one: the phases' scales and
// a background solved exactly at every step, inside a Levenberg–Marquardt
// over the zero shift, the sample displacement and each phase's texture
// ratio, crystallite size and cell scale; phase fractions by Hill & Howard.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fit/phase_pattern.hpp"

namespace calvane {

/// A measured pattern as the fit weighs it: ascending 2θ, the counts and
/// their standard uncertainties (empty: √counts; a count of 0 weighs 1).
struct MeasuredPoints {
  std::vector<double> two_theta;
  std::vector<double> counts;
  std::vector<double> sigma;
};

/// Which quantities move. Scales always do when `scales` is set; the
/// background has the order given (−1: none, 0..12).
struct FitChoices {
  bool scales = true;
  int background_order = -1;
  bool zero_shift = false;
  bool displacement = false;
  std::vector<bool> orientation;  // per phase: its March–Dollase ratio
  std::vector<bool> size;         // per phase: its crystallite size
  std::vector<bool> cell;         // per phase: a uniform cell scale within ±1 %
};

struct FitRequest {
  std::vector<FitPhase> phases;
  MeasuredPoints measured;
  InstrumentShape instrument;  // starting zero shift and displacement too
  FitChoices choices;
  int max_iterations = 200;
  /// Set from another thread to stop the fit; the result is then Cancelled.
  const std::atomic<bool>* cancel = nullptr;
  /// Called after each evaluation of the model with the evaluations so far
  /// and the present weighted sum of squares.
  std::function<void(int evaluations, double sum_of_squares)> progress;
};

/// A refined value and its estimated standard deviation (0 when not refined).
struct Estimate {
  double value = 0;
  double esd = 0;
};

struct PhaseFitResult {
  std::string name;
  Estimate scale;
  Estimate weight_fraction;  // 0..1, Hill–Howard
  double molar_fraction = 0;
  Estimate orientation_ratio;
  Estimate crystal_size_angstrom;
  Estimate cell_scale;
  double microabsorption = 1;  // Brindley τ used for the fraction
};

enum class FitStatus { Converged, IterationLimit, Cancelled, Refused };

struct FitResult {
  FitStatus status = FitStatus::Refused;
  std::string message;  // why a fit was refused, or how it ended
  std::vector<std::string> notes;
  Estimate zero_shift_deg;
  Estimate displacement_um;
  std::vector<double> background;  // Chebyshev coefficients over the measured range
  std::vector<PhaseFitResult> phases;
  double rp = 0, rwp = 0, expected_rwp = 0, chi2 = 0;
  int evaluations = 0;
  std::vector<double> calculated;        // the fitted pattern, background included
  std::vector<double> background_curve;  // the background alone
};

/// Runs the fit. Never throws on bad data: a request that cannot be fitted
/// (no point, no phase, more unknowns than points) is Refused with a reason.
FitResult fit_pattern(const FitRequest& request);

/// The pattern of `phases` at the given scales and background on `x`, with
/// each phase's shape as given: what a fit computes at its solution.
std::vector<double> calculated_pattern(const std::vector<FitPhase>& phases, const std::vector<PhaseShape>& shapes,
                                       const std::vector<double>& scales, const InstrumentShape& instrument,
                                       const std::vector<double>& background, const std::vector<double>& x);

/// Weight fractions w_p = S_p·(Z·M·V)_p/τ_p / Σ S·(Z·M·V)/τ (Hill & Howard
/// 1987, J. Appl. Cryst. 20, 467; τ Brindley's factor, 1 without particle
/// radii) with their esds from the scales' covariance.
std::vector<Estimate> hill_howard_fractions(const std::vector<FitPhase>& phases, const std::vector<double>& scales,
                                            const std::vector<std::vector<double>>& scale_covariance,
                                            const std::vector<double>& microabsorption);

/// The scale that gives each phase the weight fraction asked, so that a
/// pattern at known shares can be computed: S_p = w_p / (Z·M·V)_p × `total`.
std::vector<double> scales_for_fractions(const std::vector<FitPhase>& phases, const std::vector<double>& fractions,
                                         double total);

}  // namespace calvane
