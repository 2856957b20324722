#include "optimize/FitQuality.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "optimize/FitStatistics.h"
#include "optimize/TrustRegion.h"

namespace zamo {

namespace {

constexpr Real kNaN = std::numeric_limits<Real>::quiet_NaN();

// 1 - SSR / SST of one experiment, SST the squares of the observations (percent) about each
// species' mean over rows 1..LastRow; NaN where the observations do not vary.
Real RSquared(const Experiment& e, Real ssr) {
  const int last = std::clamp(e.LastRow, 0, kMaxRow);
  Real total = 0;
  for (int s = 1; s <= kSpeciesCount; ++s) {
    Real mean = 0;
    for (int j = 1; j <= last; ++j) mean += 100 * e.Observed[static_cast<std::size_t>(j)][s];
    mean /= last;
    for (int j = 1; j <= last; ++j) {
      const Real d = 100 * e.Observed[static_cast<std::size_t>(j)][s] - mean;
      total += d * d;
    }
  }
  return total > 0 ? 1 - ssr / total : kNaN;
}

void FindOutliers(const FitProblem& problem, const std::vector<Real>& free, FitResult& result) {
  FitProblem unweighted = problem;
  unweighted.Weight.Fill(1);
  std::vector<Real> r(static_cast<std::size_t>(unweighted.ResidualCount()));
  if (FitResiduals(unweighted, free, r.data())) return;
  std::size_t i = 0;
  for (const Side side : {Side::Left, Side::Right}) {
    if (!problem.Includes(side)) continue;
    const Experiment& e = side == Side::Left ? problem.Left : problem.Right;
    for (int j = 1; j <= std::clamp(e.LastRow, 0, kMaxRow); ++j) {
      for (int s = 1; s <= kSpeciesCount; ++s, ++i) {
        if (s == kSpeciesCount) continue;  // H is the remainder of the others
        const Real sigma = result.SpeciesSigma ? (*result.SpeciesSigma)[s] : result.Sigma;
        if (!(sigma > 0)) continue;
        const Real z = r[i] / sigma;
        if (std::fabs(z) > kOutlierZ) {
          result.Outliers.push_back(
              {side, j, static_cast<Real>(e.Times[static_cast<std::size_t>(j)]) / 60, s, r[i], z});
        }
      }
    }
  }
}

}  // namespace

Real RelativeGradient(const FitProblem& problem, const std::vector<Real>& free, const std::vector<Real>& scale) {
  std::vector<bool> atBound;
  for (std::size_t n = 0; n < free.size(); ++n) atBound.push_back(IsAtLowerBound(free[n], scale[n]));
  FitProblemFunction function(problem);
  return zamo::RelativeGradient(function, free, atBound, kExactFit * DataNorm(problem));
}

Real DataNorm(const FitProblem& problem) {
  Real sum = 0;
  for (const Side side : {Side::Left, Side::Right}) {
    if (!problem.Includes(side)) continue;
    const Experiment& e = side == Side::Left ? problem.Left : problem.Right;
    for (int j = 1; j <= std::clamp(e.LastRow, 0, kMaxRow); ++j) {
      for (int s = 1; s <= kSpeciesCount; ++s) {
        const Real y = 100 * problem.Weight[s] * e.Observed[static_cast<std::size_t>(j)][s];
        sum += y * y;
      }
    }
  }
  return std::sqrt(sum);
}

Real Aicc(Real weightedSsr, int n, int parameters) {
  const int k = parameters + 1;
  if (n - k - 1 <= 0 || !(weightedSsr > 0)) return kNaN;
  return n * std::log(weightedSsr / n) + 2 * k + 2.0L * k * (k + 1) / (n - k - 1);
}

Real Bic(Real weightedSsr, int n, int parameters) {
  const int k = parameters + 1;
  if (n <= 0 || !(weightedSsr > 0)) return kNaN;
  return n * std::log(weightedSsr / n) + k * std::log(static_cast<Real>(n));
}

void SetQuality(const FitProblem& problem, const std::vector<Real>& free, FitResult& result) {
  if (result.After.Left) result.R2Left = RSquared(problem.Left, *result.After.Left);
  if (result.After.Right) result.R2Right = RSquared(problem.Right, *result.After.Right);
  result.ReducedChi2 = result.Dof > 0 ? result.WeightedSsr / result.Dof : kNaN;
  result.Aicc = Aicc(result.WeightedSsr, result.N, result.Parameters);
  result.Bic = Bic(result.WeightedSsr, result.N, result.Parameters);
  result.Outliers.clear();
  FindOutliers(problem, free, result);
}

}  // namespace zamo
