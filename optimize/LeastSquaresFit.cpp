#include "optimize/LeastSquaresFit.h"

#include <algorithm>
#include <cmath>

#include "optimize/FitStatistics.h"
#include "optimize/ProfileLikelihood.h"
#include "optimize/SpeciesWeights.h"
#include "optimize/TrustRegion.h"

namespace zamo {

namespace {

// A typical size of each free constant, the unit the solver works in: its start value, or
// for a constant that starts at 0 the geometric mean of the other free ones (1e-5 1/s when
// there is none).
std::vector<Real> Scales(const std::vector<int>& free, const RateConstants& k) {
  Real logSum = 0;
  int count = 0;
  for (const int i : free) {
    if (k[i] > 0) {
      logSum += std::log(k[i]);
      ++count;
    }
  }
  const Real typical = count > 0 ? std::exp(logSum / count) : 1e-5L;
  std::vector<Real> scale;
  scale.reserve(free.size());
  for (const int i : free) scale.push_back(k[i] > 0 ? k[i] : typical);
  return scale;
}

}  // namespace

OneBased<bool, kRateConstantCount> DefaultFreeSet(const RateConstants& k, bool varyK15K16) {
  OneBased<bool, kRateConstantCount> free{};
  for (int i = 1; i <= 14; ++i) free[i] = k[i] != 0;
  free[15] = free[16] = varyK15K16;
  return free;
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
  FitProblem problem;
  problem.Constants = data.K;
  problem.Left = data.Left;
  problem.Right = data.Right;
  problem.Experiments = settings.Experiments;
  for (int i = 1; i <= kRateConstantCount; ++i) {
    if (settings.Free[i]) problem.Free.push_back(i);
  }
  if (problem.Free.empty()) throw ZamoError("Nothing to fit: no rate constant is free");
  if (problem.RowCount() == 0) throw ZamoError("Nothing to fit: the experiments hold no measured row");

  FitResult result;
  result.Start = data.K;
  result.Free = problem.Free;
  std::vector<Real> free;
  for (const int i : problem.Free) free.push_back(data.K[i]);
  const std::vector<Real> scale = Scales(problem.Free, data.K);
  if (const auto error = FitResiduals(problem, free, std::vector<Real>(problem.ResidualCount()).data())) {
    throw FloatError(*error);
  }
  result.Before = UnweightedSums(problem, free);

  const auto constantsOf = [&](const std::vector<Real>& values) {
    RateConstants k = data.K;
    for (std::size_t n = 0; n < values.size(); ++n) k[problem.Free[n]] = values[n];
    return k;
  };
  int iterations = 0;
  const IterationSink sink = [&](Real weightedSsr, const std::vector<Real>& reached) {
    if (progress) progress(iterations, weightedSsr, constantsOf(reached));
    ++iterations;
    return !stop.load();
  };

  Minimum minimum = Minimize(problem, free, scale, sink, result.Evaluations);
  if (settings.Weighting == FitWeighting::Species) {
    for (int round = 1; round < kMaxWeightRounds && !minimum.Stopped; ++round) {
      const SpeciesValues weight = WeightsOf(SpeciesSigmas(problem, minimum.Free));
      if (round > 1 && WeightsAgree(weight, problem.Weight)) break;
      problem.Weight = weight;
      minimum = Minimize(problem, minimum.Free, scale, sink, result.Evaluations);
    }
    result.Sigmas.emplace();
    for (int s = 1; s <= kSpeciesCount; ++s) (*result.Sigmas)[s] = 1 / problem.Weight[s];
  }

  result.K = constantsOf(minimum.Free);
  result.Iterations = iterations;
  result.Converged = minimum.Converged && !minimum.Stopped;
  result.After = UnweightedSums(problem, minimum.Free);
  result.WeightedSsr = minimum.WeightedSsr;
  SetStatistics(problem, minimum.Free, scale, result);
  if (settings.Profile && !minimum.Stopped) {
    result.ProfileInterval95 = ProfileIntervals(problem, minimum.Free, scale, result, stop);
  }
  return result;
}

}  // namespace zamo
