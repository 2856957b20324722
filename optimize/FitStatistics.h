#pragma once

#include <array>
#include <optional>
#include <vector>

#include "model/Real.h"
#include "optimize/FitResiduals.h"
#include "optimize/LeastSquaresFit.h"
#include "optimize/ResidualFunction.h"

namespace zamo {

// Student's t quantile t(p, dof), for dof >= 1.
Real StudentQuantile(Real p, int dof);

// A square matrix of parameters, row by row.
using ParameterMatrix = std::vector<std::vector<Real>>;

// What the Jacobian of a least-squares problem says about its parameters.
struct JacobianAnalysis {
  // Parameters (positions) involved in a direction along which the residuals do not change:
  // a singular value of the scaled Jacobian below kRankTolerance of the largest. The data do
  // not determine them.
  std::vector<std::size_t> Undetermined;
  std::vector<std::size_t> Determined;  // the others, in increasing order
  // (J^T J)^-1 over the determined parameters with the undetermined ones held, in the units
  // of the parameters; times sigma^2 it is their covariance.
  ParameterMatrix Inverse;
};

// Singular values below this fraction of the largest leave a direction undetermined.
inline constexpr Real kRankTolerance = 1e-13L;

// Analyses the Jacobian of `function` at x by the singular value decomposition of J with
// column n in units of scale[n] (so that parameters of very different sizes do not spoil
// it): a parameter with a weight of more than kInvolvement in the directions of the null
// space is undetermined; the decomposition is repeated without those until the rest has
// full rank. None where x cannot be evaluated.
std::optional<JacobianAnalysis> AnalyseJacobian(ResidualFunction& function, const std::vector<Real>& x,
                                                const std::vector<Real>& scale);
inline constexpr Real kInvolvement = 1e-4L;

// The largest cosine between the residual vector r and a Jacobian column J_n:
// |J_n . r| / (|J_n| max(|r|, floor)); for a parameter at its lower bound only where raising
// it would lower the sum of squares. Free of units and scales, 0 at an exact minimum; a
// column that does not change the residuals does not count. `floor` is the size below which
// residuals are rounding noise of an exact fit (see kExactFit). +infinity where x cannot be
// evaluated.
Real RelativeGradient(ResidualFunction& function, const std::vector<Real>& x, const std::vector<bool>& atBound,
                      Real floor);

// Residuals smaller than this fraction of the data they compare with fit the data exactly.
inline constexpr Real kExactFit = 1e-10L;

// The correlations of a covariance matrix.
ParameterMatrix CorrelationOf(const ParameterMatrix& covariance);

// Each measured row's eight residuals sum to zero: seven of them are independent.
inline int IndependentResiduals(int rows) { return (kSpeciesCount - 1) * rows; }

// The statistics of a least-squares fit of the parameters x to the residuals of `rows`
// measured rows, from the analysis of its Jacobian at x (none where x cannot be evaluated:
// every parameter then counts as determined, and none gets an error): N independent
// residuals, p the parameters determined, dof = N - p, sigma = sqrt(weighted SSR / dof) (0
// where dof <= 0) and, over the determined parameters where dof > 0, the covariance
// sigma^2 (J^T J)^-1, the correlations, the standard errors and the intervals
// x +- t(0.975, dof) SE; NaN entries for the others. The one routine behind the statistics
// of the single and the global fit.
struct ParameterStatistics {
  int N = 0;
  int Parameters = 0;
  int Dof = 0;
  Real Sigma = 0;
  std::vector<Real> StandardError;
  std::vector<std::array<Real, 2>> Interval95;
  ParameterMatrix Covariance;
  ParameterMatrix Correlation;
};
ParameterStatistics StatisticsOf(const std::optional<JacobianAnalysis>& analysis, const std::vector<Real>& x, int rows,
                                 Real weightedSsr);

// Fills the statistics of `result` (AtBound, Undetermined, N, Parameters, Dof, Sigma,
// StandardError, Interval95, Covariance, Correlation) for the free constants `free` of
// `problem`, from the exact Jacobian of the weighted residuals: covariance
// sigma^2 (J^T J)^-1 over the constants determined and not at a bound.
void SetStatistics(const FitProblem& problem, const std::vector<Real>& free, const std::vector<Real>& scale,
                   FitResult& result);

}  // namespace zamo
