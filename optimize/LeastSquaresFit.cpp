#include "optimize/LeastSquaresFit.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "model/NumberFormat.h"
#include "optimize/FitQuality.h"
#include "optimize/FitStarts.h"
#include "optimize/FitStatistics.h"
#include "optimize/ProfileLikelihood.h"
#include "optimize/SpeciesWeights.h"
#include "optimize/TrustRegion.h"
#include "optimize/WeightedFit.h"

namespace zamo {

namespace {

std::string ExperimentName(Side side) { return side == Side::Left ? "left" : "right"; }

// The solver works in double: a constant it cannot hold is refused before it starts.
void CheckConstants(const RateConstants& k) {
  for (int i = 1; i <= kRateConstantCount; ++i) {
    if (std::isfinite(k[i]) && k[i] >= 0 && k[i] <= DBL_MAX) continue;
    throw ZamoError("Cannot fit: " + RateConstantName(i) + " = " + FloatToText(k[i]) +
                    " is not a rate constant (a number from 0 to 1.8E308)");
  }
}

FitProblem ProblemOf(const FitSettings& settings, const OptimizationRunData& data) {
  FitProblem problem;
  problem.Constants = data.K;
  problem.Left = data.Left;
  problem.Right = data.Right;
  problem.Experiments = PresentExperiments(settings.Experiments, data);
  for (int i = 1; i <= kRateConstantCount; ++i) {
    if (settings.Free[i]) problem.Free.push_back(i);
  }
  if (problem.Free.empty()) throw ZamoError("Nothing to fit: no rate constant is free");
  if (problem.RowCount() == 0) throw ZamoError("Nothing to fit: the experiments hold no measured row");
  CheckConstants(data.K);
  return problem;
}

// Where the starts ended: the best, how many reached it, and the distinct optima.
void SummariseStarts(const std::vector<Minimum>& ends, FitResult& result, std::size_t& best) {
  best = 0;
  for (std::size_t s = 1; s < ends.size(); ++s) {
    if (ends[s].WeightedSsr < ends[best].WeightedSsr) best = s;
  }
  const Real bestSsr = ends[best].WeightedSsr;
  const auto reaches = [bestSsr](const Minimum& m) {
    return std::isfinite(m.WeightedSsr) && m.WeightedSsr - bestSsr <= kSameOptimum * std::max(bestSsr, Real(1e-300L));
  };
  result.Starts = static_cast<int>(ends.size());
  result.StartsReachingBest = static_cast<int>(std::count_if(ends.begin(), ends.end(), reaches));
  result.OwnStartReachedBest = reaches(ends.front());
  std::vector<Real> ssr;
  for (const Minimum& m : ends) {
    if (std::isfinite(m.WeightedSsr)) ssr.push_back(m.WeightedSsr);
  }
  std::sort(ssr.begin(), ssr.end());
  result.Optima.clear();
  for (const Real value : ssr) {
    if (result.Optima.empty() || value - result.Optima.back() > kSameOptimum * result.Optima.back()) {
      result.Optima.push_back(value);
    }
  }
}

}  // namespace

OneBased<bool, kRateConstantCount> DefaultFreeSet(const RateConstants& k, bool varyK15K16) {
  OneBased<bool, kRateConstantCount> free{};
  for (int i = 1; i <= 14; ++i) free[i] = k[i] != 0;
  free[15] = free[16] = varyK15K16;
  return free;
}

FitExperiments PresentExperiments(FitExperiments asked, const OptimizationRunData& data) {
  for (const Side side : {Side::Left, Side::Right}) {
    const bool only = asked == (side == Side::Left ? FitExperiments::Left : FitExperiments::Right);
    if (only && !(side == Side::Left ? data.Left : data.Right).Present) {
      throw ZamoError("The project holds no " + ExperimentName(side) + " experiment to fit");
    }
  }
  if (asked != FitExperiments::Both || data.Left.Present == data.Right.Present) return asked;
  return data.Left.Present ? FitExperiments::Left : FitExperiments::Right;
}

FitSums UnweightedSums(const FitProblem& weighted, const std::vector<Real>& free) {
  FitProblem problem = weighted;
  problem.Weight.Fill(1);
  FitSums sums;
  for (const Side side : {Side::Left, Side::Right}) {
    if (!weighted.Includes(side)) continue;
    problem.Experiments = side == Side::Left ? FitExperiments::Left : FitExperiments::Right;
    const Real ssr = WeightedSsr(problem, free);
    (side == Side::Left ? sums.Left : sums.Right) = ssr;
    sums.Total += ssr;
  }
  return sums;
}

bool FitResult::IsAtBound(int index) const { return std::find(AtBound.begin(), AtBound.end(), index) != AtBound.end(); }

bool FitResult::IsUndetermined(int index) const {
  return std::find(Undetermined.begin(), Undetermined.end(), index) != Undetermined.end();
}

bool FitResult::IntervalContainsZero(std::size_t n) const {
  return !IsAtBound(Free[n]) && Interval95[n][0] <= 0 && Interval95[n][1] >= 0;
}

std::vector<std::array<std::size_t, 2>> FitResult::CorrelatedPairs() const {
  std::vector<std::array<std::size_t, 2>> pairs;
  for (std::size_t a = 0; a < Correlation.size(); ++a) {
    for (std::size_t b = a + 1; b < Correlation.size(); ++b) {
      if (std::fabs(Correlation[a][b]) > 0.95L) pairs.push_back({a, b});
    }
  }
  return pairs;
}

FitResult FitRateConstants(const FitSettings& settings, const OptimizationRunData& data,
                           const FitProgressSink& progress, const std::atomic<bool>& stop) {
  FitProblem problem = ProblemOf(settings, data);
  FitResult result;
  result.Start = data.K;
  result.Free = problem.Free;
  result.Experiments = problem.Experiments;
  std::vector<Real> own;
  for (const int i : problem.Free) own.push_back(data.K[i]);
  const std::vector<Real> scale = FitScales(problem, own);
  if (const auto error = FitResiduals(problem, own, std::vector<Real>(problem.ResidualCount()).data())) {
    throw FloatError(*error);
  }
  result.Before = UnweightedSums(problem, own);

  const auto constantsOf = [&](const std::vector<Real>& values) {
    RateConstants k = data.K;
    for (std::size_t n = 0; n < values.size(); ++n) k[problem.Free[n]] = values[n];
    return k;
  };
  FitIterations iterations(
      progress ? FitIterations::Report([&](int iteration, Real weightedSsr, const std::vector<Real>& reached) {
        progress(iteration, weightedSsr, constantsOf(reached));
      })
               : nullptr,
      stop);
  const IterationSink& sink = iterations.Sink();

  // Every start is fitted unweighted (the first round of a weighted fit) or with the fixed
  // weights; an estimated weighting continues from the best of them.
  if (settings.FixedSigmas) problem.Weight = WeightsOf(*settings.FixedSigmas);
  std::vector<Minimum> ends;
  for (const std::vector<Real>& start : StartPoints(problem, own, scale, std::clamp(settings.Starts, 1, kMaxStarts))) {
    if (!ends.empty() && stop.load()) break;
    ends.push_back(Minimize(problem, start, scale, sink, result.Evaluations, settings.SsrTolerance));
    if (ends.back().Stopped) break;
  }
  std::size_t best = 0;
  SummariseStarts(ends, result, best);
  Minimum minimum = ends[best];
  if (!minimum.Stopped && minimum.SuccessfulSteps == 0 &&
      RelativeGradient(problem, minimum.Free, scale) > kConvergedGradient) {
    throw ZamoError("The fit cannot take a step from its start: every trial step failed to lower the sum of squares");
  }
  if (settings.Weighting == FitWeighting::Species && !settings.FixedSigmas) {
    minimum = RefitWithSpeciesWeights(
        std::span<FitProblem>(&problem, 1), minimum, false, [](const std::vector<Real>& x, std::size_t) { return x; },
        [&](const std::vector<Real>& from) {
          return Minimize(problem, from, scale, sink, result.Evaluations, settings.SsrTolerance);
        });
  }
  if (settings.Weighting == FitWeighting::Species || settings.FixedSigmas)
    result.SpeciesSigma = SigmasOf(problem.Weight);

  result.K = constantsOf(minimum.Free);
  result.Iterations = iterations.Count();
  result.Stopped = minimum.Stopped || iterations.StopAsked();
  result.After = UnweightedSums(problem, minimum.Free);
  result.WeightedSsr = minimum.WeightedSsr;
  SetStatistics(problem, minimum.Free, scale, result);
  if (result.Parameters == 0 && result.AtBound.empty()) {
    throw ZamoError("Nothing to fit: no free constant changes the calculated concentrations at the measured times");
  }
  result.RelativeGradient = RelativeGradient(problem, minimum.Free, scale);
  result.Converged = minimum.Converged && !result.Stopped && result.RelativeGradient <= kConvergedGradient;
  SetQuality(problem, minimum.Free, result);
  if (settings.Profile) {
    result.ProfileInterval95 = ProfileIntervals(problem, minimum.Free, scale, result, sink, stop);
    result.Stopped = result.Stopped || stop.load();
    if (result.Stopped) result.Converged = false;
  }
  return result;
}

}  // namespace zamo
