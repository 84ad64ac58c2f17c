#include "fit/nonnegative_least_squares.hpp"

#include <gtest/gtest.h>

namespace calvane {
namespace {

// The Kuhn–Tucker conditions of min ‖Aβ − b‖, β_j ≥ 0 where constrained:
// every constrained β_j ≥ 0, the gradient Aᵀ(b − Aβ) is 0 on the free and
// positive unknowns and not above 0 on those held at 0.
void expect_optimal(const Eigen::MatrixXd& a, const Eigen::VectorXd& b, const std::vector<bool>& constrained,
                    const Eigen::VectorXd& x) {
  const Eigen::VectorXd gradient = a.transpose() * (b - a * x);
  for (Eigen::Index j = 0; j < x.size(); ++j) {
    if (constrained[static_cast<std::size_t>(j)]) {
      EXPECT_GE(x[j], 0) << j;
    }
    if (!constrained[static_cast<std::size_t>(j)] || x[j] > 0) {
      EXPECT_NEAR(gradient[j], 0, 1e-9) << j;
    } else {
      EXPECT_LE(gradient[j], 1e-9) << j;
    }
  }
}

TEST(NonnegativeLeastSquares, MeetsTheOptimalityConditionsWithFreeAndBoundUnknowns) {
  Eigen::MatrixXd a(6, 3);
  a << 1, 0, 1,
       1, 1, 1,
       0, 1, 1,
       2, 1, 1,
       1, 3, 1,
       0, 2, 1;
  // b = 2·col0 − 1·col1 − 5·col2 + a little: the unconstrained solution has two negative values.
  Eigen::VectorXd b = 2 * a.col(0) - a.col(1) - 5 * a.col(2);
  b[2] += 0.3;
  const std::vector<bool> choices[] = {{true, true, false}, {true, true, true}, {false, true, true}};
  for (const std::vector<bool>& constrained : choices) {
    const Eigen::VectorXd x = nonnegative_least_squares(a, b, constrained);
    expect_optimal(a, b, constrained, x);
    EXPECT_TRUE((x.array() == 0).any()) << "a bound is reached";
  }
  // Nothing constrained: the ordinary least-squares solution.
  const Eigen::VectorXd free = nonnegative_least_squares(a, b, {false, false, false});
  EXPECT_LT((free - a.colPivHouseholderQr().solve(b)).norm(), 1e-10);
}

TEST(NonnegativeLeastSquares, GivesTheExactSolutionWhenItIsFeasible) {
  Eigen::MatrixXd a = Eigen::MatrixXd::Random(50, 4);
  const Eigen::Vector4d truth(0.5, 3, 0, 1.25);
  const Eigen::VectorXd x = nonnegative_least_squares(a, a * truth, {true, true, true, true});
  EXPECT_LT((x - truth).norm(), 1e-10);
}

}  // namespace
}  // namespace calvane
