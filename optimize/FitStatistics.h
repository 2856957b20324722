#pragma once

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

// (J^T J)^-1 of the Jacobian of `function` at x, in the units of the parameters, by the
// singular value decomposition of J with column n in units of scale[n] (so that parameters
// of very different sizes do not spoil it). None where x cannot be evaluated or J does not
// determine every parameter (its smallest singular value below 1e-13 of its largest). Times
// sigma^2 it is the covariance of the parameters of a least-squares fit.
std::optional<ParameterMatrix> InverseNormalMatrix(ResidualFunction& function, const std::vector<Real>& x,
                                                   const std::vector<Real>& scale);

// The correlations of a covariance matrix.
ParameterMatrix CorrelationOf(const ParameterMatrix& covariance);

// Fills the statistics of `result` (AtBound, N, Dof, Sigma, StandardError, Interval95,
// Correlation) for the free constants `free` of `problem`, from the exact Jacobian of the
// weighted residuals: covariance sigma^2 (J^T J)^-1 over the constants not at a bound.
void SetStatistics(const FitProblem& problem, const std::vector<Real>& free, const std::vector<Real>& scale,
                   FitResult& result);

}  // namespace zamo
