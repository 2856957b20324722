#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

#include "model/IsoprCalcConc.h"
#include "optimize/FitBand.h"
#include "optimize/FitStatistics.h"
#include "optimize/LeastSquaresFit.h"
#include "optimize/TrustRegion.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

OptimizationRunData ExampleData() {
  const KineticProject project = Example();
  return {project.K, project.Left, project.Right};
}

FitResult Fit(const FitSettings& settings, const OptimizationRunData& data, const FitProgressSink& progress = nullptr) {
  const std::atomic<bool> stop{false};
  return FitRateConstants(settings, data, progress, stop);
}

FitSettings Default(const OptimizationRunData& data, bool varyK15K16 = false) {
  FitSettings settings;
  settings.Free = DefaultFreeSet(data.K, varyK15K16);
  return settings;
}

std::size_t PositionOf(const FitResult& r, int index) {
  return static_cast<std::size_t>(std::find(r.Free.begin(), r.Free.end(), index) - r.Free.begin());
}

// The example's least-squares optimum, which the coordinate search (21.78) does not reach.
TEST(LeastSquaresFitExample, ReachesTheOptimumOfTheDefaultFreeSet) {
  const OptimizationRunData data = ExampleData();
  const FitResult r = Fit(Default(data), data);
  EXPECT_TRUE(r.Converged);
  EXPECT_NEAR(r.After.Total, 18.8527L, 18.8527L * 1e-5L);
  EXPECT_EQ(r.Dof, 7 * 12 - 10);
  // Unweighted standard errors of the default set, pinned as a regression.
  for (const auto& [k, se] :
       std::initializer_list<std::pair<int, Real>>{{2, 2.30e-7L}, {5, 2.34e-7L}, {14, 5.93e-7L}}) {
    EXPECT_NEAR(r.StandardError[PositionOf(r, k)], se, se * 0.02L) << "k" << k;
  }
  EXPECT_TRUE(r.IntervalContainsZero(PositionOf(r, 3)));  // k3 = 3.7e-8 +- 2.1e-7
  EXPECT_TRUE(r.CorrelatedPairs().empty());
}

TEST(LeastSquaresFitExample, FreeingK15AndK16AndEverything) {
  const OptimizationRunData data = ExampleData();
  const FitResult withExchange = Fit(Default(data, true), data);
  EXPECT_NEAR(withExchange.After.Total, 15.6193L, 15.6193L * 1e-5L);
  // The data fix only the ratio of k15 and k16.
  const auto pairs = withExchange.CorrelatedPairs();
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(withExchange.Free[pairs[0][0]] * 100 + withExchange.Free[pairs[0][1]], 1516);
  FitSettings all;
  all.Free.Fill(true);
  const FitResult r = Fit(all, data);
  EXPECT_NEAR(r.After.Total, 15.2925L, 15.2925L * 1e-5L);
  EXPECT_EQ(r.AtBound, std::vector<int>{13});
  EXPECT_EQ(r.K[13], 0);
  EXPECT_EQ(r.Dof, 7 * 12 - 15);
  EXPECT_TRUE(std::isnan(r.StandardError[PositionOf(r, 13)]));
  EXPECT_FALSE(r.IntervalContainsZero(PositionOf(r, 13)));
}

TEST(LeastSquaresFitExample, FixedConstantsKeepTheirValuesExactly) {
  OptimizationRunData data = ExampleData();
  data.K[6] = 1.5e-6L;  // zero in the example: fixed unless freed
  FitSettings settings = Default(data);
  settings.Free[2] = false;
  const FitResult r = Fit(settings, data);
  for (const int i : {2, 11, 12, 13, 15, 16}) EXPECT_EQ(r.K[i], data.K[i]) << "k" << i;
}

// A stop after the second iteration returns the constants of that iteration, not converged.
TEST(LeastSquaresFitControl, StopReturnsTheBestConstantsReached) {
  const OptimizationRunData data = ExampleData();
  std::atomic<bool> stop{false};
  RateConstants reported{};
  const FitProgressSink progress = [&](int iteration, Real, const RateConstants& reached) {
    reported = reached;
    if (iteration == 2) stop = true;
  };
  const FitResult r = FitRateConstants(Default(data), data, progress, stop);
  EXPECT_FALSE(r.Converged);
  EXPECT_EQ(r.K, reported);
}

TEST(LeastSquaresFitControl, RefusesWhatCannotBeFitted) {
  OptimizationRunData data = ExampleData();
  EXPECT_THROW_MSG(Fit({}, data), ZamoError, "Nothing to fit: no rate constant is free");
  FitSettings settings = Default(data);
  settings.Experiments = FitExperiments::Right;
  data.Right.LastRow = 0;
  EXPECT_THROW_MSG(Fit(settings, data), ZamoError, "Nothing to fit: the experiments hold no measured row");
}

// Profile-likelihood intervals: at each closed end the refitted sum of squares exceeds the
// minimum by exactly F(0.95; 1, dof) sigma^2.
TEST(LeastSquaresFitProfile, EndsLieWhereTheRefittedSumCrossesTheThreshold) {
  const OptimizationRunData data = ExampleData();
  FitSettings settings = Default(data);
  settings.Profile = true;
  const FitResult r = Fit(settings, data);
  for (const int index : {2, 14}) {
    const std::size_t n = PositionOf(r, index);
    const auto& interval = r.ProfileInterval95[n];
    ASSERT_TRUE(interval[0].Kind == ProfileEndKind::Closed && interval[1].Kind == ProfileEndKind::Closed) << index;
    for (const Real end : {interval[0].Value, interval[1].Value}) {
      FitProblem problem;
      problem.Constants = r.K, problem.Left = data.Left, problem.Right = data.Right;
      problem.Constants[index] = end;
      std::vector<Real> start;
      for (const int i : r.Free) {
        if (i != index) problem.Free.push_back(i), start.push_back(r.K[i]);
      }
      int evaluations = 0;
      const Minimum m = Minimize(problem, start, start, nullptr, evaluations);
      EXPECT_NEAR((m.WeightedSsr - r.WeightedSsr) / (r.Sigma * r.Sigma), std::pow(StudentQuantile(0.975L, r.Dof), 2),
                  1e-4L)
          << "k" << index;
    }
  }
}

// The curves' 95 % band: zero at the start, where the composition is known, and elsewhere
// the delta method with derivatives taken by central differences of the plain closed form.
TEST(LeastSquaresFitBand, IsTheDeltaMethodOfTheCovariance) {
  const OptimizationRunData data = ExampleData();
  const FitResult r = Fit(Default(data, true), data);
  const Real t = StudentQuantile(0.975L, r.Dof);
  const std::vector<Real> times = {0, 1800, 36000};
  for (const Side side : {Side::Left, Side::Right}) {
    const std::vector<SpeciesValues> band = ConfidenceBand(r, side, times);
    for (int s = 1; s <= 8; ++s) EXPECT_EQ(band[0][s], 0) << "species " << s;
    for (std::size_t n = 1; n < times.size(); ++n) {
      std::vector<SpeciesValues> slope(r.Free.size());
      for (std::size_t p = 0; p < r.Free.size(); ++p) {
        const Real h = r.K[r.Free[p]] * 1e-6L;
        RateConstants up = r.K, down = r.K;
        up[r.Free[p]] += h, down[r.Free[p]] -= h;
        const Concentrations a = CalcConc(PrepareCoefficients(up), side, times[n]);
        const Concentrations b = CalcConc(PrepareCoefficients(down), side, times[n]);
        for (int s = 1; s <= 8; ++s) slope[p][s] = (a[s] - b[s]) / (2 * h);
      }
      for (int s = 1; s <= 8; ++s) {
        Real variance = 0;
        for (std::size_t a = 0; a < slope.size(); ++a) {
          for (std::size_t b = 0; b < slope.size(); ++b) variance += slope[a][s] * r.Covariance[a][b] * slope[b][s];
        }
        EXPECT_NEAR(band[n][s], t * std::sqrt(variance), 1e-6L * band[n][s] + 1e-15L) << "species " << s;
      }
    }
  }
}

}  // namespace
}  // namespace zamo
