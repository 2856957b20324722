#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

#include "model/KineticProject.h"
#include "optimize/FitResiduals.h"
#include "optimize/OptimizeRateConstants.h"

namespace zamo {

// How the residuals of each species are weighted: not at all, or by 1 / sigma_s with sigma_s
// the root mean square of the species' own residuals at the fit (iterated to agreement).
enum class FitWeighting { None, Species };

struct FitSettings {
  FitExperiments Experiments = FitExperiments::Both;
  FitWeighting Weighting = FitWeighting::None;
  OneBased<bool, kRateConstantCount> Free{};  // the constants the fit varies; the others stay exactly
  bool Profile = false;                       // profile-likelihood intervals as well
};

// The constants a fit varies by default: the non-zero ones among k1..k14 (those the
// coordinate search varies), and k15 and k16 when asked.
OneBased<bool, kRateConstantCount> DefaultFreeSet(const RateConstants& k, bool varyK15K16);

// Sums of squared residuals (percentage points squared, the units of "Total Deviation").
struct FitSums {
  std::optional<Real> Left;  // none for an experiment not included
  std::optional<Real> Right;
  Real Total = 0;
};

// The unweighted sums of squares of the problem's experiments at the free constants `free`.
FitSums UnweightedSums(const FitProblem& problem, const std::vector<Real>& free);

// What a fit reached, with its statistics. Per-constant lists are in the order of Free.
struct FitResult {
  RateConstants Start{};
  RateConstants K{};
  std::vector<int> Free;     // indexes 1..16
  std::vector<int> AtBound;  // free constants that ended at 0
  FitSums Before;            // unweighted, at the start constants
  FitSums After;             // unweighted, at the fitted constants
  Real WeightedSsr = 0;      // the objective at the fitted constants
  int N = 0;                 // independent residuals: 7 per row
  int Dof = 0;               // N - free constants not at a bound
  Real Sigma = 0;            // sqrt(weighted SSR / dof); 0 where dof <= 0
  // sigma^2 (J^T J)^-1 over the free constants not at a bound; where a constant is at its
  // bound or the data do not determine it, its entries are NaN.
  std::vector<Real> StandardError;
  std::vector<std::array<Real, 2>> Interval95;  // k +- t(0.975, dof) SE
  std::vector<std::vector<Real>> Covariance;
  std::vector<std::vector<Real>> Correlation;
  // With FitSettings::Profile: the profile-likelihood interval, a side open (none) where it
  // does not close before 0 or 100 times the constant.
  std::vector<std::array<std::optional<Real>, 2>> ProfileInterval95;
  std::optional<SpeciesValues> Sigmas;  // sigma_s of the species weighting
  int Iterations = 0;
  int Evaluations = 0;
  bool Converged = false;

  bool IsAtBound(int index) const;
  // The 95 % interval contains zero (the data do not separate the constant from 0).
  bool IntervalContainsZero(std::size_t n) const;
  // The pairs (in Free order) whose correlation exceeds 0.95 in magnitude.
  std::vector<std::array<std::size_t, 2>> CorrelatedPairs() const;
};

// Called once per iteration of the trust-region solver with the iteration number (counted
// over every round of a weighted fit), the weighted sum of squares and the constants reached.
using FitProgressSink = std::function<void(int iteration, Real weightedSsr, const RateConstants& reached)>;

// Fits the free constants to the experiments by nonlinear least squares with exact
// derivatives, bounds k >= 0, and the statistics of FitResult. The stop flag is read after
// every iteration; a stopped fit returns the best constants reached, not converged. A trial
// the closed form cannot evaluate is a failed step. Throws ZamoError when nothing can be
// fitted (no free constant, no measured row) or the start constants cannot be evaluated.
FitResult FitRateConstants(const FitSettings& settings, const OptimizationRunData& data,
                           const FitProgressSink& progress, const std::atomic<bool>& stop);

}  // namespace zamo
