// Linear least squares with some unknowns kept at or above zero.
#pragma once

#include <Eigen/Dense>
#include <vector>

namespace calvane {

/// min ‖A·β − b‖ with β_j ≥ 0 for every j where `constrained[j]`, the others
/// free: the active-set method of Lawson & Hanson, Solving Least Squares
/// Problems (1974), ch. 23, with the free unknowns never in the active set.
/// The problem is first reduced to A's triangular factor R (A = Q·R), so the
/// iterations work on a square system whatever the number of rows.
Eigen::VectorXd nonnegative_least_squares(const Eigen::MatrixXd& a, const Eigen::VectorXd& b,
                                          const std::vector<bool>& constrained);

}  // namespace calvane
