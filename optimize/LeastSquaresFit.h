#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

#include "model/KineticProject.h"
#include "optimize/FitResiduals.h"
#include "optimize/OptimizeRateConstants.h"
#include "optimize/TrustRegion.h"

namespace zamo {

// How the residuals of each species are weighted: not at all, or A..G each by 1 / sigma_s
// with sigma_s the root mean square of the species' own residuals at the fit (iterated to
// agreement). H, the remainder of A..G in the data and in the model, carries no information
// of its own and is left out of the weighted objective.
enum class FitWeighting { None, Species };

// The fit starts from the project's constants and from kDefaultStarts - 1 more points.
inline constexpr int kDefaultStarts = 8;
inline constexpr int kMaxStarts = 1000;

struct FitSettings {
  FitExperiments Experiments = FitExperiments::Both;  // of those the project holds
  FitWeighting Weighting = FitWeighting::None;
  OneBased<bool, kRateConstantCount> Free{};  // the constants the fit varies; the others stay exactly
  bool Profile = false;                       // profile-likelihood intervals as well
  int Starts = kDefaultStarts;                // 1: the project's constants only
  // Species weighting with these sigma_s held fixed instead of estimated (models compared on
  // one likelihood).
  std::optional<SpeciesValues> FixedSigmas;
  // The relative change of the SSR at which the solver stops (see TrustRegion.h).
  Real SsrTolerance = kSsrTolerance;
};

// The constants a fit varies by default: the non-zero ones among k1..k14 (those the
// coordinate search varies), and k15 and k16 when asked.
OneBased<bool, kRateConstantCount> DefaultFreeSet(const RateConstants& k, bool varyK15K16);

// The experiments a fit of `data` compares with: those asked for of the experiments present
// ("Both" takes whichever are present). Throws ZamoError naming the experiment asked for
// when the project does not hold it.
FitExperiments PresentExperiments(FitExperiments asked, const OptimizationRunData& data);

// Sums of squared residuals (percentage points squared, the units of "Total Deviation").
struct FitSums {
  std::optional<Real> Left;  // none for an experiment not included
  std::optional<Real> Right;
  Real Total = 0;
};

// The unweighted sums of squares of the problem's experiments at the free constants `free`.
FitSums UnweightedSums(const FitProblem& problem, const std::vector<Real>& free);

// One end of a profile-likelihood interval: where the profile crosses its threshold, open
// where it does not cross before 0 or 100 times the constant, or not computed (the run was
// stopped first).
enum class ProfileEndKind { Closed, Open, NotComputed };
struct ProfileEnd {
  ProfileEndKind Kind = ProfileEndKind::NotComputed;
  Real Value = 0;
};

// A residual far outside the scatter of the others: |z| > kOutlierZ, z the residual over
// its species' sigma (weighted fit) or over sigma (unweighted).
inline constexpr Real kOutlierZ = 4;
struct Outlier {
  Side Experiment = Side::Left;
  int Row = 0;  // 1..LastRow
  Real TimeMinutes = 0;
  int Species = 0;    // 1..7 (A..G): H is the remainder of the others
  Real Residual = 0;  // observed - calculated, percentage points
  Real Z = 0;
};

// What a fit reached, with its statistics. Per-constant lists are in the order of Free.
struct FitResult {
  RateConstants Start{};
  RateConstants K{};
  FitExperiments Experiments = FitExperiments::Both;  // those fitted
  std::vector<int> Free;                              // indexes 1..16
  std::vector<int> AtBound;                           // free constants that ended at 0
  // Free constants not at a bound that the data do not determine: a direction of the
  // Jacobian along which the residuals do not change involves them. They count neither as
  // parameters nor in dof, and the others' statistics hold them at their values.
  std::vector<int> Undetermined;
  FitSums Before;        // unweighted, at the start constants
  FitSums After;         // unweighted, at the fitted constants
  Real WeightedSsr = 0;  // the objective at the fitted constants
  int N = 0;             // independent residuals: 7 per row
  int Parameters = 0;    // p: free constants determined and not at a bound
  int Dof = 0;           // N - p
  Real Sigma = 0;        // sqrt(weighted SSR / dof); 0 where dof <= 0
  // sigma^2 (J^T J)^-1 over the determined constants; NaN entries for the others.
  std::vector<Real> StandardError;
  std::vector<std::array<Real, 2>> Interval95;  // k +- t(0.975, dof) SE
  std::vector<std::vector<Real>> Covariance;
  std::vector<std::vector<Real>> Correlation;
  std::vector<std::array<ProfileEnd, 2>> ProfileInterval95;  // with FitSettings::Profile
  std::optional<SpeciesValues> SpeciesSigma;                 // species weighting: sigma_s of A..G; H is NaN

  // How well the model describes the data: R^2 per experiment fitted (1 - SSR / the sum of
  // squares of the observations about each species' mean), the reduced chi-squared
  // (weighted SSR / dof) and the information criteria with K = p + 1 over n = N:
  // AICc = n ln(SSR / n) + 2K + 2K(K + 1) / (n - K - 1), BIC = n ln(SSR / n) + K ln n.
  std::optional<Real> R2Left;
  std::optional<Real> R2Right;
  Real ReducedChi2 = 0;
  Real Aicc = 0;
  Real Bic = 0;
  std::vector<Outlier> Outliers;

  // The multi-start: how many starts ran, how many reached the best SSR (within
  // kSameOptimum relative), whether the project's own start did, and the distinct SSRs at
  // which the starts ended, best first.
  int Starts = 1;
  int StartsReachingBest = 1;
  bool OwnStartReachedBest = true;
  std::vector<Real> Optima;

  int Iterations = 0;
  int Evaluations = 0;
  // The largest cosine between the residual vector and a Jacobian column of a free constant
  // (for a constant at its bound: only where raising it would lower the SSR); 0 at an exact
  // minimum.
  Real RelativeGradient = 0;
  // The solver's convergence test was met and the relative gradient is below
  // kConvergedGradient, without a stop.
  bool Converged = false;
  bool Stopped = false;

  bool IsAtBound(int index) const;
  bool IsUndetermined(int index) const;
  // The 95 % interval contains zero (the data do not separate the constant from 0).
  bool IntervalContainsZero(std::size_t n) const;
  // The pairs (in Free order) whose correlation exceeds 0.95 in magnitude.
  std::vector<std::array<std::size_t, 2>> CorrelatedPairs() const;
};

inline constexpr Real kSameOptimum = 1e-8L;
inline constexpr Real kConvergedGradient = 1e-4L;

// Called once per iteration of the trust-region solver with the iteration number (counted
// over every start and every round of a weighted fit), the weighted sum of squares and the
// constants reached.
using FitProgressSink = std::function<void(int iteration, Real weightedSsr, const RateConstants& reached)>;

// Fits the free constants to the present experiments asked for by nonlinear least squares
// with exact derivatives, bounds k >= 0, from the project's constants and the other starts
// of the settings, and the statistics of FitResult. The stop flag is read after every
// iteration; a stopped fit returns the best constants reached, Stopped and not converged. A
// trial the closed form cannot evaluate is a failed step. Throws ZamoError when nothing can
// be fitted (no free constant, no measured row, an experiment asked for that the project
// does not hold, a constant negative or beyond the double range, no free constant that
// changes the calculated concentrations) or when the fit cannot take a step from the
// project's constants.
FitResult FitRateConstants(const FitSettings& settings, const OptimizationRunData& data,
                           const FitProgressSink& progress, const std::atomic<bool>& stop);

}  // namespace zamo
