#include "fit/nonnegative_least_squares.hpp"

#include <algorithm>
#include <cmath>

namespace calvane {

namespace {

// Least squares on the columns in `passive` alone; the others stay 0.
Eigen::VectorXd solve_on(const Eigen::MatrixXd& r, const Eigen::VectorXd& qtb, const std::vector<bool>& passive) {
  std::vector<Eigen::Index> columns;
  for (Eigen::Index j = 0; j < r.cols(); ++j)
    if (passive[static_cast<std::size_t>(j)]) columns.push_back(j);
  Eigen::VectorXd solution = Eigen::VectorXd::Zero(r.cols());
  if (columns.empty()) return solution;
  Eigen::MatrixXd part(r.rows(), static_cast<Eigen::Index>(columns.size()));
  for (std::size_t k = 0; k < columns.size(); ++k) part.col(static_cast<Eigen::Index>(k)) = r.col(columns[k]);
  const Eigen::VectorXd values = part.completeOrthogonalDecomposition().solve(qtb);
  for (std::size_t k = 0; k < columns.size(); ++k) solution[columns[k]] = values[static_cast<Eigen::Index>(k)];
  return solution;
}

}  // namespace

Eigen::VectorXd nonnegative_least_squares(const Eigen::MatrixXd& a, const Eigen::VectorXd& b,
                                          const std::vector<bool>& constrained) {
  const Eigen::Index n = a.cols();
  // Reduce to the n×n triangle: ‖Aβ − b‖² = ‖Rβ − Qᵀb‖² + a constant.
  Eigen::MatrixXd r;
  Eigen::VectorXd qtb;
  if (a.rows() > n) {
    const Eigen::HouseholderQR<Eigen::MatrixXd> qr(a);
    r = qr.matrixQR().topRows(n).triangularView<Eigen::Upper>();
    qtb = (qr.householderQ().transpose() * b).head(n);
  } else {
    r = a;
    qtb = b;
  }
  std::vector<bool> passive(static_cast<std::size_t>(n));
  for (Eigen::Index j = 0; j < n; ++j) passive[static_cast<std::size_t>(j)] = !constrained[static_cast<std::size_t>(j)];
  Eigen::VectorXd x = solve_on(r, qtb, passive);
  const double tolerance = 1e-12 * std::max(1.0, r.norm() * qtb.norm());
  for (Eigen::Index outer = 0; outer < 3 * n + 10; ++outer) {
    const Eigen::VectorXd gradient = r.transpose() * (qtb - r * x);
    Eigen::Index best = -1;
    for (Eigen::Index j = 0; j < n; ++j)
      if (!passive[static_cast<std::size_t>(j)] && gradient[j] > tolerance && (best < 0 || gradient[j] > gradient[best]))
        best = j;
    if (best < 0) break;
    passive[static_cast<std::size_t>(best)] = true;
    for (Eigen::Index inner = 0; inner <= n; ++inner) {
      const Eigen::VectorXd z = solve_on(r, qtb, passive);
      double step = 1;
      bool feasible = true;
      for (Eigen::Index j = 0; j < n; ++j) {
        const auto k = static_cast<std::size_t>(j);
        if (passive[k] && constrained[k] && z[j] <= 0) {
          feasible = false;
          const double denominator = x[j] - z[j];
          if (denominator > 0) step = std::min(step, x[j] / denominator);
        }
      }
      if (feasible) {
        x = z;
        break;
      }
      x += step * (z - x);
      for (Eigen::Index j = 0; j < n; ++j) {
        const auto k = static_cast<std::size_t>(j);
        if (passive[k] && constrained[k] && x[j] <= 1e-15 * std::max(1.0, x.cwiseAbs().maxCoeff())) {
          passive[k] = false;
          x[j] = 0;
        }
      }
    }
  }
  for (Eigen::Index j = 0; j < n; ++j)
    if (constrained[static_cast<std::size_t>(j)]) x[j] = std::max(0.0, x[j]);
  return x;
}

}  // namespace calvane
