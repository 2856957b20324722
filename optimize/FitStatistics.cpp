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

void SetStatistics(const FitProblem& problem, const std::vector<Real>& free, const std::vector<Real>& scale,
                   FitResult& result) {
  const std::size_t p = free.size();
  const Real nan = std::numeric_limits<Real>::quiet_NaN();
  std::vector<std::size_t> active;  // free constants not at a bound
  result.AtBound.clear();
  for (std::size_t n = 0; n < p; ++n) {
    if (free[n] <= kAtBound * scale[n]) {
      result.AtBound.push_back(problem.Free[n]);
    } else {
      active.push_back(n);
    }
  }
  // Each row's eight residuals sum to zero: seven of them are independent.
  result.N = (kSpeciesCount - 1) * problem.RowCount();
  result.Dof = result.N - static_cast<int>(active.size());
  result.Sigma = result.Dof > 0 ? std::sqrt(result.WeightedSsr / result.Dof) : 0;
  result.StandardError.assign(p, nan);
  result.Interval95.assign(p, {nan, nan});
  result.Covariance.assign(p, std::vector<Real>(p, nan));
  result.Correlation.assign(p, std::vector<Real>(p, nan));
  if (result.Dof <= 0 || active.empty()) return;

  std::vector<FitJet> r(static_cast<std::size_t>(problem.ResidualCount()));
  if (FitResiduals(problem, free, r.data())) return;
  Matrix jacobian(static_cast<Eigen::Index>(r.size()), static_cast<Eigen::Index>(active.size()));
  for (std::size_t i = 0; i < r.size(); ++i) {
    for (std::size_t a = 0; a < active.size(); ++a) {
      const std::size_t n = active[a];
      jacobian(static_cast<Eigen::Index>(i), static_cast<Eigen::Index>(a)) =
          static_cast<Real>(r[i].Slope[n]) * scale[n];
    }
  }
  const Eigen::JacobiSVD<Matrix> svd(jacobian, Eigen::ComputeThinV);
  const auto& singular = svd.singularValues();
  if (singular.size() == 0 || singular(singular.size() - 1) <= kRankTolerance * singular(0)) return;
  // (J^T J)^-1 = V S^-2 V^T, in units of the scales.
  const Matrix& v = svd.matrixV();
  const Matrix inverse = v * singular.array().square().inverse().matrix().asDiagonal() * v.transpose();
  const Real sigma2 = result.Sigma * result.Sigma;
  const Real t = StudentQuantile(0.975L, result.Dof);
  for (std::size_t a = 0; a < active.size(); ++a) {
    const std::size_t n = active[a];
    const auto ia = static_cast<Eigen::Index>(a);
    const Real se = std::sqrt(sigma2 * inverse(ia, ia)) * scale[n];
    result.StandardError[n] = se;
    result.Interval95[n] = {free[n] - t * se, free[n] + t * se};
    for (std::size_t b = 0; b < active.size(); ++b) {
      const auto ib = static_cast<Eigen::Index>(b);
      result.Covariance[n][active[b]] = sigma2 * inverse(ia, ib) * scale[n] * scale[active[b]];
      result.Correlation[n][active[b]] = inverse(ia, ib) / std::sqrt(inverse(ia, ia) * inverse(ib, ib));
    }
  }
}

}  // namespace zamo
