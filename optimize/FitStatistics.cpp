#include "optimize/FitStatistics.h"

#include <Eigen/Dense>
#include <algorithm>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <limits>
#include <numeric>

#include "optimize/TrustRegion.h"

namespace zamo {

namespace {

// The Jacobian comes from the solver's derivatives, which are double: its decomposition in
// double loses nothing and is several times faster than in extended precision.
using Matrix = Eigen::MatrixXd;
using Svd = Eigen::JacobiSVD<Matrix>;
using Index = Eigen::Index;

// The columns of `jacobian` listed in `columns`.
Matrix Columns(const Matrix& jacobian, const std::vector<std::size_t>& columns) {
  Matrix part(jacobian.rows(), static_cast<Index>(columns.size()));
  for (std::size_t c = 0; c < columns.size(); ++c) {
    part.col(static_cast<Index>(c)) = jacobian.col(static_cast<Index>(columns[c]));
  }
  return part;
}

// The positions among the decomposed columns of the parameters involved in its null space;
// empty where they have full rank.
std::vector<std::size_t> NullSpaceMembers(const Svd& svd, Index p) {
  const auto& singular = svd.singularValues();
  const double largest = singular.size() > 0 ? singular(0) : 0;
  const auto tolerance = static_cast<double>(kRankTolerance);
  std::vector<double> weight(static_cast<std::size_t>(p), 0);
  bool deficient = false;
  for (Index k = 0; k < p; ++k) {
    // A thin decomposition of a matrix with fewer rows than columns leaves the rest null.
    const bool null = k >= singular.size() || !(singular(k) > tolerance * largest);
    if (!null) continue;
    deficient = true;
    if (k >= svd.matrixV().cols()) {
      std::fill(weight.begin(), weight.end(), 1);
      break;
    }
    for (Index n = 0; n < p; ++n) weight[static_cast<std::size_t>(n)] += svd.matrixV()(n, k) * svd.matrixV()(n, k);
  }
  std::vector<std::size_t> members;
  if (!deficient) return members;
  for (std::size_t n = 0; n < weight.size(); ++n) {
    if (weight[n] > static_cast<double>(kInvolvement)) members.push_back(n);
  }
  // A unit null vector always has a component above 1 / sqrt(p).
  if (members.empty()) {
    members.push_back(static_cast<std::size_t>(std::max_element(weight.begin(), weight.end()) - weight.begin()));
  }
  return members;
}

}  // namespace

Real StudentQuantile(Real p, int dof) {
  const boost::math::students_t_distribution<Real> distribution(static_cast<Real>(dof));
  return boost::math::quantile(distribution, p);
}

std::optional<JacobianAnalysis> AnalyseJacobian(ResidualFunction& function, const std::vector<Real>& x,
                                                const std::vector<Real>& scale) {
  const auto p = static_cast<std::size_t>(function.ParameterCount());
  const auto rows = static_cast<std::size_t>(function.ResidualCount());
  std::vector<Real> r(rows);
  std::vector<double> slopes(rows * p);
  if (p > 0 && !function.Evaluate(x, r.data(), slopes.data())) return std::nullopt;
  Matrix jacobian(static_cast<Index>(rows), static_cast<Index>(p));
  for (std::size_t i = 0; i < rows; ++i) {
    for (std::size_t n = 0; n < p; ++n) {
      jacobian(static_cast<Index>(i), static_cast<Index>(n)) = slopes[i * p + n] * static_cast<double>(scale[n]);
    }
  }
  JacobianAnalysis analysis;
  analysis.Determined.resize(p);
  std::iota(analysis.Determined.begin(), analysis.Determined.end(), std::size_t{0});
  std::optional<Svd> svd;
  while (!analysis.Determined.empty()) {
    svd.emplace(Columns(jacobian, analysis.Determined), Eigen::ComputeThinV);
    const std::vector<std::size_t> members = NullSpaceMembers(*svd, static_cast<Index>(analysis.Determined.size()));
    if (members.empty()) break;
    for (auto m = members.rbegin(); m != members.rend(); ++m) {
      analysis.Undetermined.push_back(analysis.Determined[*m]);
      analysis.Determined.erase(analysis.Determined.begin() + static_cast<std::ptrdiff_t>(*m));
    }
    svd.reset();
  }
  std::sort(analysis.Undetermined.begin(), analysis.Undetermined.end());
  if (analysis.Determined.empty()) return analysis;

  // (J^T J)^-1 = V S^-2 V^T, in units of the scales.
  const Matrix& v = svd->matrixV();
  const Matrix inverse = v * svd->singularValues().array().square().inverse().matrix().asDiagonal() * v.transpose();
  const std::size_t d = analysis.Determined.size();
  analysis.Inverse.assign(d, std::vector<Real>(d));
  for (std::size_t a = 0; a < d; ++a) {
    for (std::size_t b = 0; b < d; ++b) {
      analysis.Inverse[a][b] = static_cast<Real>(inverse(static_cast<Index>(a), static_cast<Index>(b))) *
                               scale[analysis.Determined[a]] * scale[analysis.Determined[b]];
    }
  }
  return analysis;
}

Real RelativeGradient(ResidualFunction& function, const std::vector<Real>& x, const std::vector<bool>& atBound,
                      Real floor) {
  const std::size_t p = x.size();
  const auto rows = static_cast<std::size_t>(function.ResidualCount());
  std::vector<Real> r(rows);
  std::vector<double> slopes(rows * p);
  if (!function.Evaluate(x, r.data(), slopes.data())) return std::numeric_limits<Real>::infinity();
  Real rr = 0;
  for (const Real v : r) rr += v * v;
  rr = std::max(rr, floor * floor);
  Real worst = 0;
  for (std::size_t n = 0; n < p && rr > 0; ++n) {
    Real jr = 0;
    Real jj = 0;
    for (std::size_t i = 0; i < rows; ++i) {
      const auto slope = static_cast<Real>(slopes[i * p + n]);
      jr += r[i] * slope;
      jj += slope * slope;
    }
    if (jj == 0) continue;
    // d(SSR / 2) / dx = J . r; at the bound only a descent into x > 0 counts.
    const Real descent = atBound[n] ? std::max<Real>(0, -jr) : std::fabs(jr);
    worst = std::max(worst, descent / std::sqrt(jj * rr));
  }
  return worst;
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

ParameterStatistics StatisticsOf(const std::optional<JacobianAnalysis>& analysis, const std::vector<Real>& x, int rows,
                                 Real weightedSsr) {
  const std::size_t p = x.size();
  const Real nan = std::numeric_limits<Real>::quiet_NaN();
  ParameterStatistics s;
  s.N = IndependentResiduals(rows);
  s.Parameters = analysis ? static_cast<int>(analysis->Determined.size()) : static_cast<int>(p);
  s.Dof = s.N - s.Parameters;
  s.Sigma = s.Dof > 0 ? std::sqrt(weightedSsr / s.Dof) : 0;
  s.StandardError.assign(p, nan);
  s.Interval95.assign(p, {nan, nan});
  s.Covariance.assign(p, std::vector<Real>(p, nan));
  s.Correlation.assign(p, std::vector<Real>(p, nan));
  if (s.Dof <= 0 || !analysis || analysis->Determined.empty()) return s;

  const ParameterMatrix& inverse = analysis->Inverse;
  const ParameterMatrix correlation = CorrelationOf(inverse);
  const Real sigma2 = s.Sigma * s.Sigma;
  const Real t = StudentQuantile(0.975L, s.Dof);
  const std::vector<std::size_t>& determined = analysis->Determined;
  for (std::size_t a = 0; a < determined.size(); ++a) {
    const std::size_t n = determined[a];
    const Real se = std::sqrt(sigma2 * inverse[a][a]);
    s.StandardError[n] = se;
    s.Interval95[n] = {x[n] - t * se, x[n] + t * se};
    for (std::size_t b = 0; b < determined.size(); ++b) {
      s.Covariance[n][determined[b]] = sigma2 * inverse[a][b];
      s.Correlation[n][determined[b]] = correlation[a][b];
    }
  }
  return s;
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
  result.Undetermined.clear();
  for (std::size_t n = 0; n < p; ++n) {
    if (IsAtLowerBound(free[n], scale[n])) {
      result.AtBound.push_back(problem.Free[n]);
      active.Constants[problem.Free[n]] = 0;
    } else {
      active.Free.push_back(problem.Free[n]);
      positions.push_back(n);
      activeFree.push_back(free[n]);
      activeScale.push_back(scale[n]);
    }
  }
  FitProblemFunction function(active);
  std::optional<JacobianAnalysis> analysis;
  if (!positions.empty()) analysis = AnalyseJacobian(function, activeFree, activeScale);
  if (analysis) {
    for (const std::size_t u : analysis->Undetermined) result.Undetermined.push_back(active.Free[u]);
  }
  ParameterStatistics statistics = StatisticsOf(analysis, activeFree, problem.RowCount(), result.WeightedSsr);
  result.N = statistics.N;
  result.Parameters = statistics.Parameters;
  result.Dof = statistics.Dof;
  result.Sigma = statistics.Sigma;
  // Back from the constants not at a bound to every free constant.
  result.StandardError.assign(p, nan);
  result.Interval95.assign(p, {nan, nan});
  result.Covariance.assign(p, std::vector<Real>(p, nan));
  result.Correlation.assign(p, std::vector<Real>(p, nan));
  for (std::size_t a = 0; a < positions.size(); ++a) {
    const std::size_t n = positions[a];
    result.StandardError[n] = statistics.StandardError[a];
    result.Interval95[n] = statistics.Interval95[a];
    for (std::size_t b = 0; b < positions.size(); ++b) {
      result.Covariance[n][positions[b]] = statistics.Covariance[a][b];
      result.Correlation[n][positions[b]] = statistics.Correlation[a][b];
    }
  }
}

}  // namespace zamo
