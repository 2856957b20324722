#include "optimize/GlobalSeriesFit.h"

#include <algorithm>
#include <cmath>

#include "model/TemperatureSeries.h"
#include "model/ZamoError.h"
#include "optimize/FitQuality.h"
#include "optimize/FitStatistics.h"
#include "optimize/SpeciesWeights.h"
#include "optimize/TrustRegion.h"
#include "optimize/WeightedFit.h"

namespace zamo {

SeriesResidualFunction::SeriesResidualFunction(const std::vector<FitProblem>& problems,
                                               const std::vector<Real>& kelvins, Real referenceTemperature)
    : problems_(problems), pathways_(problems.empty() ? 0 : problems.front().Free.size()) {
  for (std::size_t j = 0; j < problems.size(); ++j) {
    evaluators_.push_back(std::make_unique<FitEvaluator>(problems[j]));
    offsets_.push_back(1 / referenceTemperature - 1 / kelvins[j]);
    residualCount_ += problems[j].ResidualCount();
  }
}

std::vector<Real> SeriesResidualFunction::ConstantsAt(const std::vector<Real>& x, std::size_t project) const {
  std::vector<Real> k(pathways_);
  for (std::size_t n = 0; n < pathways_; ++n) {
    k[n] = std::exp(x[2 * n] + x[2 * n + 1] / kGasConstant * offsets_[project]);
  }
  return k;
}

bool SeriesResidualFunction::Evaluate(const std::vector<Real>& x, Real* residuals) {
  for (std::size_t j = 0; j < problems_.size(); ++j) {
    if (evaluators_[j]->Residuals(ConstantsAt(x, j), residuals)) return false;
    residuals += problems_[j].ResidualCount();
  }
  return true;
}

bool SeriesResidualFunction::Evaluate(const std::vector<Real>& x, Real* residuals, double* jacobian) {
  const std::size_t p = 2 * pathways_;
  std::fill(jacobian, jacobian + static_cast<std::size_t>(residualCount_) * p, 0.0);
  for (std::size_t j = 0; j < problems_.size(); ++j) {
    const std::vector<Real> k = ConstantsAt(x, j);
    const auto count = static_cast<std::size_t>(problems_[j].ResidualCount());
    slopes_.resize(count * pathways_);
    if (evaluators_[j]->Jacobian(k, residuals, slopes_.data())) return false;
    // dk/d ln k_ref = k and dk/dEa = k (1 / T_ref - 1 / T_j) / R.
    std::vector<double> byLnK(pathways_);
    std::vector<double> byEa(pathways_);
    for (std::size_t n = 0; n < pathways_; ++n) {
      byLnK[n] = static_cast<double>(k[n]);
      byEa[n] = static_cast<double>(k[n] * offsets_[j] / kGasConstant);
    }
    for (std::size_t i = 0; i < count; ++i) {
      double* row = jacobian + i * p;
      for (std::size_t n = 0; n < pathways_; ++n) {
        row[2 * n] = slopes_[i * pathways_ + n] * byLnK[n];
        row[2 * n + 1] = slopes_[i * pathways_ + n] * byEa[n];
      }
    }
    residuals += count;
    jacobian += count * p;
  }
  return true;
}

namespace {

// The solver works in units of 1 for ln k_ref and, for Ea, of the change that moves ln k by
// 1 at the temperature farthest from T_ref: the two kinds of parameter then act on the
// residuals alike.
std::vector<Real> Scales(std::size_t pathways, const std::vector<Real>& kelvins, Real referenceTemperature) {
  Real spread = 0;
  for (const Real t : kelvins) spread = std::max(spread, std::fabs(1 / referenceTemperature - 1 / t));
  const Real eaUnit = spread > 0 ? kGasConstant / spread : kGasConstant * referenceTemperature;
  std::vector<Real> scale;
  for (std::size_t n = 0; n < pathways; ++n) {
    scale.push_back(1);
    scale.push_back(eaUnit);
  }
  return scale;
}

RateConstants ConstantsOf(const FitProblem& problem, const std::vector<Real>& pathwayValues) {
  RateConstants k = problem.Constants;
  for (std::size_t n = 0; n < pathwayValues.size(); ++n) k[problem.Free[n]] = pathwayValues[n];
  return k;
}

}  // namespace

GlobalSeriesResult FitGlobalSeries(std::vector<FitProblem> problems, const std::vector<Real>& kelvins,
                                   Real referenceTemperature, const std::vector<Real>& start, FitWeighting weighting,
                                   const GlobalProgressSink& progress, const std::atomic<bool>& stop) {
  if (problems.empty() || problems.front().Free.empty()) throw ZamoError("Nothing to fit: no rate constant is free");
  SeriesResidualFunction function(problems, kelvins, referenceTemperature);
  const std::size_t pathways = problems.front().Free.size();
  const std::vector<Real> scale = Scales(pathways, kelvins, referenceTemperature);

  GlobalSeriesResult result;
  result.Pathways = problems.front().Free;
  FitIterations iterations(
      progress ? FitIterations::Report([&progress](int iteration, Real weightedSsr, const std::vector<Real>&) {
        progress(iteration, weightedSsr);
      })
               : nullptr,
      stop);
  const auto solve = [&](const std::vector<Real>& from) {
    return SolveLeastSquares(function, from, scale, ParameterBounds::None, iterations.Sink(), result.Evaluations);
  };
  Minimum minimum = solve(start);
  if (weighting == FitWeighting::Species) {
    // The problems' weights are those of the single fits: estimates to compare with.
    minimum = RefitWithSpeciesWeights(
        problems, minimum, true,
        [&function](const std::vector<Real>& x, std::size_t j) { return function.ConstantsAt(x, j); }, solve);
    result.Sigmas.emplace();
    for (const FitProblem& problem : problems) result.Sigmas->push_back(SigmasOf(problem.Weight));
  }

  int rows = 0;
  for (std::size_t j = 0; j < problems.size(); ++j) {
    const std::vector<Real> k = function.ConstantsAt(minimum.Free, j);
    result.K.push_back(ConstantsOf(problems[j], k));
    result.Sums.push_back(UnweightedSums(problems[j], k));
    result.Ssr += result.Sums.back().Total;
    rows += problems[j].RowCount();
  }
  result.WeightedSsr = minimum.WeightedSsr;
  result.Iterations = iterations.Count();
  result.Stopped = minimum.Stopped || iterations.StopAsked();
  Real data = 0;
  for (const FitProblem& problem : problems) data += DataNorm(problem) * DataNorm(problem);
  result.RelativeGradient = RelativeGradient(function, minimum.Free, std::vector<bool>(minimum.Free.size(), false),
                                             kExactFit * std::sqrt(data));
  result.Converged = minimum.Converged && !result.Stopped && result.RelativeGradient <= kConvergedGradient;
  const std::optional<JacobianAnalysis> analysis = AnalyseJacobian(function, minimum.Free, scale);
  const ParameterStatistics statistics = StatisticsOf(analysis, minimum.Free, rows, result.WeightedSsr);
  result.N = statistics.N;
  result.Dof = statistics.Dof;
  result.Sigma = statistics.Sigma;
  if (analysis) {
    for (const std::size_t u : analysis->Undetermined) {
      const int index = result.Pathways[u / 2];
      if (std::find(result.Undetermined.begin(), result.Undetermined.end(), index) == result.Undetermined.end()) {
        result.Undetermined.push_back(index);
      }
    }
  }
  result.Correlation = statistics.Correlation;
  result.Covariance = statistics.Covariance;
  const ParameterMatrix& covariance = result.Covariance;
  for (std::size_t n = 0; n < pathways; ++n) {
    const std::size_t a = 2 * n;
    result.Parameters.push_back(MakeActivationParameters(
        result.Pathways[n], referenceTemperature, minimum.Free[a], minimum.Free[a + 1],
        {{{covariance[a][a], covariance[a][a + 1]}, {covariance[a + 1][a], covariance[a + 1][a + 1]}}}));
  }
  return result;
}

}  // namespace zamo
