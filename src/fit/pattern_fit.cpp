#include "fit/pattern_fit.hpp"

#include <algorithm>
#include <cmath>
#include <mutex>

#include <Eigen/Dense>
#include <unsupported/Eigen/NonLinearOptimization>

#include "fit/nonnegative_least_squares.hpp"
#include "profile/pattern_corrections.hpp"
#include "util/thread_pool.hpp"

namespace calvane {

namespace {

constexpr int kMaxBackgroundOrder = 12;
// Bounds that keep the model physical whatever step the minimiser tries.
constexpr double kLowestRatio = 0.05, kHighestRatio = 20;
constexpr double kHighestInverseSize = 100;  // 1000/L: crystallites of 10 Å at least
constexpr double kCellPercent = 1;            // ±1 % on every length

enum class UnknownKind { ZeroShift, Displacement, Ratio, InverseSize, CellPercent };

// One non-linear unknown: its kind, its phase and the forward-difference step.
struct Unknown {
  UnknownKind kind;
  std::size_t phase = 0;
  double step = 1e-5;
};

struct ModelState {
  InstrumentShape instrument;
  std::vector<PhaseShape> shapes;
};

// The inverse size 1000/L carries the crystallite size: 0 is "no size
// broadening" and the width is nearly linear in it.
double inverse_size(double size_angstrom) { return size_angstrom > 0 ? 1000 / size_angstrom : 0; }
double size_of(double inverse) { return inverse > 1e-9 ? 1000 / inverse : 0; }

class Problem {
public:
  explicit Problem(const FitRequest& request) : request_(request) {
    const std::size_t n = request.measured.two_theta.size();
    x_ = request.measured.two_theta;
    weights_root_.resize(static_cast<Eigen::Index>(n));
    observed_.resize(static_cast<Eigen::Index>(n));
    for (std::size_t i = 0; i < n; ++i) {
      const double count = request.measured.counts[i];
      double sigma = i < request.measured.sigma.size() ? request.measured.sigma[i] : 0;
      if (!(sigma > 0)) sigma = count > 0 ? std::sqrt(count) : 1.0;
      weights_root_[static_cast<Eigen::Index>(i)] = 1 / sigma;
      observed_[static_cast<Eigen::Index>(i)] = count;
    }
    const int order = std::min(request.choices.background_order, kMaxBackgroundOrder);
    background_terms_ = order >= 0 ? static_cast<std::size_t>(order + 1) : 0;
    background_basis_.resize(static_cast<Eigen::Index>(n), static_cast<Eigen::Index>(background_terms_));
    std::vector<double> terms(background_terms_);
    for (std::size_t i = 0; i < n && background_terms_ > 0; ++i) {
      chebyshev_terms(x_[i], x_.front(), x_.back(), terms);
      for (std::size_t k = 0; k < background_terms_; ++k)
        background_basis_(static_cast<Eigen::Index>(i), static_cast<Eigen::Index>(k)) = terms[k];
    }
    list_unknowns();
  }

  const FitRequest& request() const { return request_; }
  const std::vector<Unknown>& unknowns() const { return unknowns_; }
  std::size_t phase_count() const { return request_.phases.size(); }
  std::size_t linear_count() const { return phase_count() + background_terms_; }
  std::size_t point_count() const { return x_.size(); }
  const Eigen::VectorXd& weights_root() const { return weights_root_; }
  const Eigen::VectorXd& observed() const { return observed_; }

  Eigen::VectorXd start() const {
    Eigen::VectorXd start(static_cast<Eigen::Index>(unknowns_.size()));
    for (std::size_t k = 0; k < unknowns_.size(); ++k) {
      const Unknown& u = unknowns_[k];
      const FitPhase* phase = u.phase < phase_count() ? &request_.phases[u.phase] : nullptr;
      double value = 0;
      switch (u.kind) {
        case UnknownKind::ZeroShift: value = request_.instrument.zero_shift_deg; break;
        case UnknownKind::Displacement: value = request_.instrument.displacement_um; break;
        case UnknownKind::Ratio: value = phase->orientation.ratio; break;
        case UnknownKind::InverseSize: value = inverse_size(phase->broadening.crystal_size_angstrom); break;
        case UnknownKind::CellPercent: value = 0; break;
      }
      start[static_cast<Eigen::Index>(k)] = value;
    }
    return start;
  }

  ModelState state_of(const Eigen::VectorXd& values) const {
    ModelState state;
    state.instrument = request_.instrument;
    for (const FitPhase& phase : request_.phases)
      state.shapes.push_back({phase.orientation.ratio, phase.broadening.crystal_size_angstrom, 1.0});
    for (std::size_t k = 0; k < unknowns_.size(); ++k) {
      const Unknown& u = unknowns_[k];
      const double value = values[static_cast<Eigen::Index>(k)];
      switch (u.kind) {
        case UnknownKind::ZeroShift: state.instrument.zero_shift_deg = value; break;
        case UnknownKind::Displacement: state.instrument.displacement_um = value; break;
        case UnknownKind::Ratio:
          state.shapes[u.phase].orientation_ratio = std::clamp(value, kLowestRatio, kHighestRatio);
          break;
        case UnknownKind::InverseSize:
          state.shapes[u.phase].crystal_size_angstrom = size_of(std::clamp(value, 0.0, kHighestInverseSize));
          break;
        case UnknownKind::CellPercent:
          state.shapes[u.phase].cell_scale = 1 + std::clamp(value, -kCellPercent, kCellPercent) / 100;
          break;
      }
    }
    return state;
  }

  // The unweighted columns: one per phase at unit scale, then the background.
  Eigen::MatrixXd basis(const ModelState& state) const {
    Eigen::MatrixXd columns(static_cast<Eigen::Index>(point_count()), static_cast<Eigen::Index>(linear_count()));
    for (std::size_t p = 0; p < phase_count(); ++p) fill_phase_column(state, p, columns);
    if (background_terms_ > 0) columns.rightCols(static_cast<Eigen::Index>(background_terms_)) = background_basis_;
    return columns;
  }

  void fill_phase_column(const ModelState& state, std::size_t p, Eigen::MatrixXd& columns) const {
    auto column = columns.col(static_cast<Eigen::Index>(p));
    phase_pattern(request_.phases[p], state.shapes[p], state.instrument, x_,
                  std::span<double>(column.data(), static_cast<std::size_t>(column.size())));
  }

  // Scales (never negative) and background (free) for the weighted columns.
  Eigen::VectorXd linear_solution(const Eigen::MatrixXd& columns) const {
    Eigen::MatrixXd weighted = weights_root_.asDiagonal() * columns;
    // Columns of very different sizes (a phase's counts, a background term
    // of order 1) are brought to unit length for the active-set tests.
    Eigen::VectorXd norms = weighted.colwise().norm().transpose();
    for (Eigen::Index j = 0; j < norms.size(); ++j) {
      if (!(norms[j] > 0)) norms[j] = 1;
      weighted.col(j) /= norms[j];
    }
    std::vector<bool> constrained(linear_count(), false);
    for (std::size_t p = 0; p < phase_count(); ++p) constrained[p] = true;
    const Eigen::VectorXd target = weights_root_.cwiseProduct(observed_);
    Eigen::VectorXd solution = nonnegative_least_squares(weighted, target, constrained);
    return solution.cwiseQuotient(norms);
  }

  Eigen::VectorXd residuals(const Eigen::MatrixXd& columns, const Eigen::VectorXd& linear) const {
    return weights_root_.cwiseProduct(observed_ - columns * linear);
  }

  Eigen::VectorXd residuals_at(const Eigen::VectorXd& values) const {
    const Eigen::MatrixXd columns = basis(state_of(values));
    return residuals(columns, linear_solution(columns));
  }

  bool cancelled() const { return request_.cancel && request_.cancel->load(); }

private:
  void list_unknowns() {
    const FitChoices& choices = request_.choices;
    if (choices.zero_shift) unknowns_.push_back({UnknownKind::ZeroShift, 0, 1e-5});
    if (choices.displacement) unknowns_.push_back({UnknownKind::Displacement, 0, 1e-2});
    for (std::size_t p = 0; p < phase_count(); ++p) {
      if (p < choices.orientation.size() && choices.orientation[p]) unknowns_.push_back({UnknownKind::Ratio, p, 1e-5});
      if (p < choices.size.size() && choices.size[p]) unknowns_.push_back({UnknownKind::InverseSize, p, 1e-5});
      if (p < choices.cell.size() && choices.cell[p]) unknowns_.push_back({UnknownKind::CellPercent, p, 1e-5});
    }
  }

  const FitRequest& request_;
  std::vector<double> x_;
  Eigen::VectorXd weights_root_, observed_;
  std::size_t background_terms_ = 0;
  Eigen::MatrixXd background_basis_;
  std::vector<Unknown> unknowns_;
};

// The weighted residuals as a function of the non-linear unknowns, with the
// scales and background solved inside (variable projection), for Eigen's
// MINPACK Levenberg–Marquardt. A negative return stops it (cancel).
class Residuals {
public:
  explicit Residuals(const Problem& problem) : problem_(problem) {}
  int values() const { return static_cast<int>(problem_.point_count()); }

  int operator()(const Eigen::VectorXd& values, Eigen::VectorXd& out) {
    if (problem_.cancelled()) return -1;
    out = problem_.residuals_at(values);
    ++evaluations_;
    if (problem_.request().progress) problem_.request().progress(evaluations_, out.squaredNorm());
    return 0;
  }

  // Forward differences, one unknown per task of the shared pool.
  int df(const Eigen::VectorXd& values, Eigen::MatrixXd& jacobian) {
    if (problem_.cancelled()) return -1;
    const Eigen::VectorXd centre = problem_.residuals_at(values);
    const auto& unknowns = problem_.unknowns();
    jacobian.resize(centre.size(), static_cast<Eigen::Index>(unknowns.size()));
    ThreadPool::shared().parallel_for(unknowns.size(), 1, [&](std::size_t begin, std::size_t end) {
      for (std::size_t k = begin; k < end; ++k) {
        Eigen::VectorXd moved = values;
        const double step = unknowns[k].step * std::max(1.0, std::abs(values[static_cast<Eigen::Index>(k)]));
        moved[static_cast<Eigen::Index>(k)] += step;
        jacobian.col(static_cast<Eigen::Index>(k)) = (problem_.residuals_at(moved) - centre) / step;
      }
    });
    evaluations_ += static_cast<int>(unknowns.size()) + 1;
    return problem_.cancelled() ? -1 : 0;
  }

  int evaluations() const { return evaluations_; }

private:
  const Problem& problem_;
  int evaluations_ = 0;
};

FitStatus status_of(Eigen::LevenbergMarquardtSpace::Status status) {
  using namespace Eigen::LevenbergMarquardtSpace;
  switch (status) {
    case UserAsked: return FitStatus::Cancelled;
    case TooManyFunctionEvaluation: return FitStatus::IterationLimit;
    case ImproperInputParameters: return FitStatus::Refused;
    default: return FitStatus::Converged;
  }
}

std::string refusal(const FitRequest& request, const Problem& problem) {
  const MeasuredPoints& measured = request.measured;
  if (request.phases.empty()) return "No phase to fit";
  if (measured.two_theta.size() != measured.counts.size() || measured.two_theta.empty())
    return "The measured pattern holds no point to fit";
  if (!std::is_sorted(measured.two_theta.begin(), measured.two_theta.end()))
    return "The measured pattern is not in ascending 2theta";
  for (std::size_t i = 0; i < measured.counts.size(); ++i)
    if (!std::isfinite(measured.counts[i]) || !std::isfinite(measured.two_theta[i]))
      return "The measured pattern holds a value that is not a number";
  if (request.choices.background_order > kMaxBackgroundOrder) return "The background order must be from 0 to 12";
  if (problem.linear_count() + problem.unknowns().size() >= problem.point_count())
    return "The measured pattern has fewer points than the fit has unknowns";
  return {};
}

// Covariance of every unknown, non-linear first then scales and background,
// at the solution: (JᵀJ)⁻¹ times the reduced χ², J the derivative of the
// weighted residuals with the linear values held.
Eigen::MatrixXd covariance_at(const Problem& problem, const Eigen::VectorXd& values, const Eigen::MatrixXd& columns,
                              const Eigen::VectorXd& linear, double reduced_chi2) {
  const auto& unknowns = problem.unknowns();
  const auto nonlinear = static_cast<Eigen::Index>(unknowns.size());
  Eigen::MatrixXd jacobian(static_cast<Eigen::Index>(problem.point_count()), nonlinear + linear.size());
  const Eigen::VectorXd model = columns * linear;
  for (Eigen::Index k = 0; k < nonlinear; ++k) {
    Eigen::VectorXd moved = values;
    const double step = unknowns[static_cast<std::size_t>(k)].step * std::max(1.0, std::abs(values[k]));
    moved[k] += step;
    const Eigen::VectorXd shifted = problem.basis(problem.state_of(moved)) * linear;
    jacobian.col(k) = problem.weights_root().cwiseProduct(shifted - model) / step;
  }
  jacobian.rightCols(linear.size()) = problem.weights_root().asDiagonal() * columns;
  const Eigen::MatrixXd normal = jacobian.transpose() * jacobian;
  return normal.completeOrthogonalDecomposition().pseudoInverse() * reduced_chi2;
}

void describe_unknowns(const Problem& problem, const Eigen::VectorXd& values, const Eigen::MatrixXd& covariance,
                       FitResult& result) {
  const ModelState state = problem.state_of(values);
  const auto& unknowns = problem.unknowns();
  for (std::size_t p = 0; p < problem.phase_count(); ++p) {
    PhaseFitResult& phase = result.phases[p];
    phase.orientation_ratio.value = state.shapes[p].orientation_ratio;
    phase.crystal_size_angstrom.value = state.shapes[p].crystal_size_angstrom;
    phase.cell_scale.value = state.shapes[p].cell_scale;
  }
  result.zero_shift_deg.value = state.instrument.zero_shift_deg;
  result.displacement_um.value = state.instrument.displacement_um;
  for (std::size_t k = 0; k < unknowns.size(); ++k) {
    const auto index = static_cast<Eigen::Index>(k);
    const double esd = std::sqrt(std::max(0.0, covariance(index, index)));
    const Unknown& u = unknowns[k];
    switch (u.kind) {
      case UnknownKind::ZeroShift: result.zero_shift_deg.esd = esd; break;
      case UnknownKind::Displacement: result.displacement_um.esd = esd; break;
      case UnknownKind::Ratio: result.phases[u.phase].orientation_ratio.esd = esd; break;
      case UnknownKind::InverseSize: {
        const double inverse = values[index];
        result.phases[u.phase].crystal_size_angstrom.esd = inverse > 1e-9 ? 1000 * esd / (inverse * inverse) : 0;
        break;
      }
      case UnknownKind::CellPercent: result.phases[u.phase].cell_scale.esd = esd / 100; break;
    }
  }
}

void figures_of_merit(const Problem& problem, const Eigen::VectorXd& model, FitResult& result) {
  const Eigen::VectorXd& observed = problem.observed();
  const Eigen::VectorXd weights = problem.weights_root().cwiseAbs2();
  const Eigen::VectorXd difference = observed - model;
  const double observed_sum = observed.cwiseAbs().sum();
  const double weighted_observed = weights.dot(observed.cwiseAbs2());
  const double weighted_squares = weights.dot(difference.cwiseAbs2());
  const double freedom = static_cast<double>(problem.point_count()) -
                         static_cast<double>(problem.linear_count() + problem.unknowns().size());
  result.rp = observed_sum > 0 ? difference.cwiseAbs().sum() / observed_sum : 0;
  result.rwp = weighted_observed > 0 ? std::sqrt(weighted_squares / weighted_observed) : 0;
  result.expected_rwp = weighted_observed > 0 ? std::sqrt(freedom / weighted_observed) : 0;
  result.chi2 = freedom > 0 ? weighted_squares / freedom : 0;
}

// Brindley's factors depend on the fractions they correct: a few rounds of
// substitution settle them (the change is small for any real sample).
std::vector<double> settled_microabsorption(const std::vector<FitPhase>& phases, const std::vector<double>& scales,
                                            const std::vector<std::vector<double>>& covariance,
                                            std::vector<Estimate>& fractions) {
  std::vector<double> factors(phases.size(), 1.0);
  std::vector<const PhaseComposition*> compositions;
  std::vector<double> radii;
  for (const FitPhase& phase : phases) {
    compositions.push_back(&phase.composition);
    radii.push_back(phase.particle_radius_um);
  }
  fractions = hill_howard_fractions(phases, scales, covariance, factors);
  if (std::none_of(radii.begin(), radii.end(), [](double r) { return r > 0; })) return factors;
  for (int round = 0; round < 50; ++round) {
    std::vector<double> weights;
    for (const Estimate& fraction : fractions) weights.push_back(fraction.value);
    const std::vector<double> next = microabsorption_factors(weights, compositions, radii);
    double change = 0;
    for (std::size_t p = 0; p < next.size(); ++p) change = std::max(change, std::abs(next[p] - factors[p]));
    factors = next;
    fractions = hill_howard_fractions(phases, scales, covariance, factors);
    if (change < 1e-10) break;
  }
  return factors;
}

// A note when a phase absorbs much more or less than the mixture and no
// particle radius corrects it: at 5 µm a contrast (μ_p − μ̄)·R above 0.05
// biases its fraction by several percent.
void note_absorption_contrast(const std::vector<FitPhase>& phases, FitResult& result) {
  double volume = 0, absorbed = 0;
  for (std::size_t p = 0; p < phases.size(); ++p) {
    const double density = phases[p].composition.density;
    if (!(density > 0)) continue;
    volume += result.phases[p].weight_fraction.value / density;
    absorbed += result.phases[p].weight_fraction.value / density * linear_absorption_per_cm(phases[p].composition);
  }
  if (!(volume > 0)) return;
  const double mean = absorbed / volume;
  constexpr double kTypicalRadiusCm = 5e-4;
  for (std::size_t p = 0; p < phases.size(); ++p) {
    const double mu = linear_absorption_per_cm(phases[p].composition);
    if (phases[p].particle_radius_um > 0 || std::abs(mu - mean) * kTypicalRadiusCm <= 0.05) continue;
    result.notes.push_back("Large absorption contrast: " + phases[p].name + " absorbs " +
                           std::to_string(static_cast<long>(std::lround(mu))) + " cm-1 against " +
                           std::to_string(static_cast<long>(std::lround(mean))) +
                           " cm-1 for the mixture; its weight fraction may be off by microabsorption "
                           "unless particle radii are given");
  }
}

void fill_result(const Problem& problem, const Eigen::VectorXd& values, FitResult& result) {
  const ModelState state = problem.state_of(values);
  const Eigen::MatrixXd columns = problem.basis(state);
  const Eigen::VectorXd linear = problem.linear_solution(columns);
  const Eigen::VectorXd model = columns * linear;
  result.calculated.assign(model.data(), model.data() + model.size());
  const auto phases = static_cast<Eigen::Index>(problem.phase_count());
  const Eigen::Index terms = linear.size() - phases;
  result.background.assign(linear.data() + phases, linear.data() + linear.size());
  const Eigen::VectorXd background =
      terms > 0 ? Eigen::VectorXd(columns.rightCols(terms) * linear.tail(terms)) : Eigen::VectorXd::Zero(model.size());
  result.background_curve.assign(background.data(), background.data() + background.size());
  figures_of_merit(problem, model, result);
  const Eigen::MatrixXd covariance = covariance_at(problem, values, columns, linear, result.chi2);
  result.phases.resize(problem.phase_count());
  describe_unknowns(problem, values, covariance, result);
  const auto offset = static_cast<Eigen::Index>(problem.unknowns().size());
  std::vector<double> scales(problem.phase_count());
  std::vector<std::vector<double>> scale_covariance(problem.phase_count(), std::vector<double>(problem.phase_count()));
  for (std::size_t p = 0; p < problem.phase_count(); ++p) {
    const auto i = static_cast<Eigen::Index>(p);
    scales[p] = linear[i];
    for (std::size_t q = 0; q < problem.phase_count(); ++q)
      scale_covariance[p][q] = covariance(offset + i, offset + static_cast<Eigen::Index>(q));
    result.phases[p].name = problem.request().phases[p].name;
    result.phases[p].scale = {linear[i], std::sqrt(std::max(0.0, covariance(offset + i, offset + i)))};
  }
  std::vector<Estimate> fractions;
  const std::vector<double> factors =
      settled_microabsorption(problem.request().phases, scales, scale_covariance, fractions);
  double molar_total = 0;
  for (std::size_t p = 0; p < problem.phase_count(); ++p) {
    result.phases[p].weight_fraction = fractions[p];
    result.phases[p].microabsorption = factors[p];
    const double molecular_weight = problem.request().phases[p].molecular_weight;
    result.phases[p].molar_fraction = molecular_weight > 0 ? fractions[p].value / molecular_weight : 0;
    molar_total += result.phases[p].molar_fraction;
  }
  if (molar_total > 0)
    for (PhaseFitResult& phase : result.phases) phase.molar_fraction /= molar_total;
  note_absorption_contrast(problem.request().phases, result);
}

}  // namespace

std::vector<double> calculated_pattern(const std::vector<FitPhase>& phases, const std::vector<PhaseShape>& shapes,
                                       const std::vector<double>& scales, const InstrumentShape& instrument,
                                       const std::vector<double>& background, const std::vector<double>& x) {
  std::vector<double> total(x.size(), 0.0), one(x.size());
  for (std::size_t p = 0; p < phases.size(); ++p) {
    phase_pattern(phases[p], shapes[p], instrument, x, one);
    for (std::size_t i = 0; i < x.size(); ++i) total[i] += scales[p] * one[i];
  }
  if (!background.empty() && !x.empty())
    for (std::size_t i = 0; i < x.size(); ++i) total[i] += chebyshev_background(background, x[i], x.front(), x.back());
  return total;
}

std::vector<Estimate> hill_howard_fractions(const std::vector<FitPhase>& phases, const std::vector<double>& scales,
                                            const std::vector<std::vector<double>>& scale_covariance,
                                            const std::vector<double>& microabsorption) {
  const std::size_t count = phases.size();
  std::vector<double> factor(count);
  double total = 0;
  for (std::size_t p = 0; p < count; ++p) {
    const FitPhase& phase = phases[p];
    const double tau = p < microabsorption.size() && microabsorption[p] > 0 ? microabsorption[p] : 1.0;
    factor[p] = phase.formula_units * phase.molecular_weight * phase.volume / tau;
    total += scales[p] * factor[p];
  }
  std::vector<Estimate> fractions(count);
  if (!(total > 0)) return fractions;
  for (std::size_t p = 0; p < count; ++p) {
    fractions[p].value = scales[p] * factor[p] / total;
    // ∂w_p/∂S_q = a_p·(δ_pq·D − S_p·a_q)/D², D = Σ S·a.
    std::vector<double> gradient(count);
    for (std::size_t q = 0; q < count; ++q)
      gradient[q] = factor[p] * ((p == q ? total : 0.0) - scales[p] * factor[q]) / (total * total);
    double variance = 0;
    for (std::size_t q = 0; q < count; ++q)
      for (std::size_t s = 0; s < count; ++s) variance += gradient[q] * scale_covariance[q][s] * gradient[s];
    fractions[p].esd = std::sqrt(std::max(0.0, variance));
  }
  return fractions;
}

std::vector<double> scales_for_fractions(const std::vector<FitPhase>& phases, const std::vector<double>& fractions,
                                         double total) {
  std::vector<double> scales;
  for (std::size_t p = 0; p < phases.size(); ++p) {
    const double zmv = phases[p].formula_units * phases[p].molecular_weight * phases[p].volume;
    scales.push_back(zmv > 0 ? fractions[p] / zmv * total : 0.0);
  }
  return scales;
}

FitResult fit_pattern(const FitRequest& request) {
  FitResult result;
  Problem problem(request);
  if (std::string reason = refusal(request, problem); !reason.empty()) {
    result.message = reason;
    return result;
  }
  Eigen::VectorXd values = problem.start();
  result.status = FitStatus::Converged;
  if (values.size() > 0) {
    Residuals residuals(problem);
    Eigen::LevenbergMarquardt<Residuals> minimiser(residuals);
    minimiser.parameters.maxfev = std::max(1, request.max_iterations) * (values.size() + 1);
    minimiser.parameters.factor = 10;
    minimiser.parameters.ftol = minimiser.parameters.xtol = 1e-10;
    result.status = status_of(minimiser.minimize(values));
    result.evaluations = residuals.evaluations();
  } else {
    result.evaluations = 1;
  }
  if (result.status == FitStatus::Cancelled) {
    result.message = "The fit was cancelled";
    return result;
  }
  if (result.status == FitStatus::Refused) {
    result.message = "The fit could not start";
    return result;
  }
  fill_result(problem, values, result);
  result.message = result.status == FitStatus::Converged ? "Converged" : "Stopped at the iteration limit";
  return result;
}

}  // namespace calvane
