#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "model/KineticProject.h"
#include "optimize/ActivationParameters.h"
#include "optimize/FitResiduals.h"
#include "optimize/LeastSquaresFit.h"
#include "optimize/ResidualFunction.h"

namespace zamo {

// The residuals of every project of a temperature series at once, as functions of the
// activation parameters of the pathways: x holds (ln k(T_ref), Ea) of each pathway in turn,
// and the pathway's constant at project j is k(T_j) = k(T_ref) exp(Ea / R (1 / T_ref - 1 /
// T_j)), positive for every x. Each project's residuals are those of its own FitProblem,
// whose Free lists the pathways (the same in every project) and whose Constants hold the
// fixed ones; they follow each other in the order of the projects. The Jacobian is the
// chain rule over each project's exact derivatives by its constants:
// dr/d ln k_ref = dr/dk k and dr/dEa = dr/dk k (1 / T_ref - 1 / T_j) / R.
class SeriesResidualFunction final : public ResidualFunction {
 public:
  SeriesResidualFunction(const std::vector<FitProblem>& problems, const std::vector<Real>& kelvins,
                         Real referenceTemperature);

  int ParameterCount() const override { return 2 * static_cast<int>(pathways_); }
  int ResidualCount() const override { return residualCount_; }
  bool Evaluate(const std::vector<Real>& x, Real* residuals) override;
  bool Evaluate(const std::vector<Real>& x, Real* residuals, double* jacobian) override;

  // The pathways' constants at project j for x, in the order of Free.
  std::vector<Real> ConstantsAt(const std::vector<Real>& x, std::size_t project) const;

 private:
  const std::vector<FitProblem>& problems_;
  std::vector<std::unique_ptr<FitEvaluator>> evaluators_;
  std::vector<Real> offsets_;  // 1 / T_ref - 1 / T_j
  std::size_t pathways_;
  int residualCount_ = 0;
  std::vector<double> slopes_;  // dr/dk of one project, row by row
};

// What the global fit reached, with the statistics of a single fit over all projects.
struct GlobalSeriesResult {
  std::vector<int> Pathways;                         // the constants fitted, 1..16
  std::vector<ActivationParameters> Parameters;      // in the order of Pathways
  std::vector<RateConstants> K;                      // per project: its constants at its temperature
  std::vector<FitSums> Sums;                         // per project, unweighted
  std::optional<std::vector<SpeciesValues>> Sigmas;  // per project: sigma_s of the species weighting
  Real Ssr = 0;                                      // unweighted, over every project
  Real WeightedSsr = 0;                              // the objective
  int N = 0;                                         // independent residuals: 7 per row of every project
  int Dof = 0;                                       // N - the parameters the data determine
  Real Sigma = 0;                                    // sqrt(weighted SSR / dof); 0 where dof <= 0
  // Over (ln k_ref, Ea) of each pathway in turn; NaN where the data do not determine them.
  std::vector<std::vector<Real>> Covariance;
  std::vector<std::vector<Real>> Correlation;
  // Pathways whose ln k_ref or Ea the data do not determine (see AnalyseJacobian).
  std::vector<int> Undetermined;
  int Iterations = 0;
  int Evaluations = 0;
  Real RelativeGradient = 0;
  // The solver's convergence test was met at a small relative gradient, without a stop.
  bool Converged = false;
  bool Stopped = false;
};

// Called once per iteration of the solver (counted over every round of a weighted fit) with
// the weighted sum of squares.
using GlobalProgressSink = std::function<void(int iteration, Real weightedSsr)>;

// Fits the activation parameters of the pathways to every project's residuals by Ceres'
// trust region (unbounded: every constant is positive by construction), from `start` (x as
// above). The problems' weights are the start of the species weighting, which re-estimates
// them per project as the single fit does. The stop flag is read after every iteration; a
// stopped fit returns the best parameters reached, not converged. Throws ZamoError "Nothing to
// fit: no rate constant is free" without a project or a pathway.
GlobalSeriesResult FitGlobalSeries(std::vector<FitProblem> problems, const std::vector<Real>& kelvins,
                                   Real referenceTemperature, const std::vector<Real>& start, FitWeighting weighting,
                                   const GlobalProgressSink& progress, const std::atomic<bool>& stop);

}  // namespace zamo
