#include "optimize/FitStatistics.h"

#include <Eigen/Dense>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <limits>

namespace zamo {

namespace {

using Matrix = Eigen::Matrix<Real, Eigen::Dynamic, Eigen::Dynamic>;

// A constant within this fraction of its scale of 0 has reached its bound.
constexpr Real kAtBound = 1e-9L;
// Singular values below this fraction of the largest leave a direction undetermined.
constexpr Real kRankTolerance = 1e-13L;

}  // namespace

Real StudentQuantile(Real p, int dof) {
  const boost::math::students_t_distribution<Real> distribution(static_cast<Real>(dof));
  return boost::math::quantile(distribution, p);
}

std::optional<ParameterMatrix> InverseNormalMatrix(ResidualFunction& function, const std::vector<Real>& x,
                                                   const std::vector<Real>& scale) {
  const auto p = static_cast<std::size_t>(function.ParameterCount());
  const auto rows = static_cast<std::size_t>(function.ResidualCount());
  if (p == 0 || rows == 0) return std::nullopt;
  std::vector<Real> r(rows);
  std::vector<double> slopes(rows * p);
  if (!function.Evaluate(x, r.data(), slopes.data())) return std::nullopt;
  Matrix jacobian(static_cast<Eigen::Index>(rows), static_cast<Eigen::Index>(p));
  for (std::size_t i = 0; i < rows; ++i) {
    for (std::size_t n = 0; n < p; ++n) {
      jacobian(static_cast<Eigen::Index>(i), static_cast<Eigen::Index>(n)) =
          static_cast<Real>(slopes[i * p + n]) * scale[n];
    }
  }
  const Eigen::JacobiSVD<Matrix> svd(jacobian, Eigen::ComputeThinV);
  const auto& singular = svd.singularValues();
  if (singular.size() < static_cast<Eigen::Index>(p) || singular(singular.size() - 1) <= kRankTolerance * singular(0)) {
    return std::nullopt;
  }
  // (J^T J)^-1 = V S^-2 V^T, in units of the scales.
  const Matrix& v = svd.matrixV();
  const Matrix inverse = v * singular.array().square().inverse().matrix().asDiagonal() * v.transpose();
  ParameterMatrix result(p, std::vector<Real>(p));
  for (std::size_t a = 0; a < p; ++a) {
    for (std::size_t b = 0; b < p; ++b) {
      result[a][b] = inverse(static_cast<Eigen::Index>(a), static_cast<Eigen::Index>(b)) * scale[a] * scale[b];
    }
  }
  return result;
}

ParameterMatrix CorrelationOf(const ParameterMatrix& covariance) {
  ParameterMatrix correlation = covariance;
  for (std::size_t a = 0; a < covariance.size(); ++a) {
    for (std::size_t b = 0; b < covariance.size(); ++b) {
      correlation[a][b] = covariance[a][b] / std::sqrt(covariance[a][a] * covariance[b][b]);
    }
  }
  return correlation;
}

void SetStatistics(const FitProblem& problem, const std::vector<Real>& free, const std::vector<Real>& scale,
                   FitResult& result) {
  const std::size_t p = free.size();
  const Real nan = std::numeric_limits<Real>::quiet_NaN();
  // The constants not at a bound, as the free constants of a problem of their own in which
  // those at the bound are 0.
  FitProblem active = problem;
  active.Free.clear();
  std::vector<std::size_t> positions;
  std::vector<Real> activeFree;
  std::vector<Real> activeScale;
  result.AtBound.clear();
  for (std::size_t n = 0; n < p; ++n) {
    if (free[n] <= kAtBound * scale[n]) {
      result.AtBound.push_back(problem.Free[n]);
      active.Constants[problem.Free[n]] = 0;
    } else {
      active.Free.push_back(problem.Free[n]);
      positions.push_back(n);
      activeFree.push_back(free[n]);
      activeScale.push_back(scale[n]);
    }
  }
  // Each row's eight residuals sum to zero: seven of them are independent.
  result.N = (kSpeciesCount - 1) * problem.RowCount();
  result.Dof = result.N - static_cast<int>(positions.size());
  result.Sigma = result.Dof > 0 ? std::sqrt(result.WeightedSsr / result.Dof) : 0;
  result.StandardError.assign(p, nan);
  result.Interval95.assign(p, {nan, nan});
  result.Covariance.assign(p, std::vector<Real>(p, nan));
  result.Correlation.assign(p, std::vector<Real>(p, nan));
  if (result.Dof <= 0 || positions.empty()) return;

  FitProblemFunction function(active);
  const std::optional<ParameterMatrix> inverse = InverseNormalMatrix(function, activeFree, activeScale);
  if (!inverse) return;
  const ParameterMatrix correlation = CorrelationOf(*inverse);
  const Real sigma2 = result.Sigma * result.Sigma;
  const Real t = StudentQuantile(0.975L, result.Dof);
  for (std::size_t a = 0; a < positions.size(); ++a) {
    const std::size_t n = positions[a];
    const Real se = std::sqrt(sigma2 * (*inverse)[a][a]);
    result.StandardError[n] = se;
    result.Interval95[n] = {free[n] - t * se, free[n] + t * se};
    for (std::size_t b = 0; b < positions.size(); ++b) {
      result.Covariance[n][positions[b]] = sigma2 * (*inverse)[a][b];
      result.Correlation[n][positions[b]] = correlation[a][b];
    }
  }
}

}  // namespace zamo
