#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <vector>

#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "model/IsoprCalcConc.h"
#include "optimize/FitBand.h"
#include "optimize/FitStatistics.h"
#include "optimize/LeastSquaresFit.h"
#include "optimize/TrustRegion.h"

namespace zamo {
namespace {

OptimizationRunData Example() {
  const ProjectData project = ReadProjectText(ProjectData{}, ExampleProjectText(), "").Data;
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
  for (std::size_t n = 0; n < r.Free.size(); ++n) {
    if (r.Free[n] == index) return n;
  }
  ADD_FAILURE() << "k" << index << " is not free";
  return 0;
}

// The example's least-squares optimum, which the coordinate search (21.78) does not reach.
TEST(LeastSquaresFitExample, ReachesTheOptimumOfTheDefaultFreeSet) {
  const OptimizationRunData data = Example();
  const FitResult r = Fit(Default(data), data);
  EXPECT_TRUE(r.Converged);
  EXPECT_EQ(r.Free, (std::vector<int>{1, 2, 3, 4, 5, 7, 8, 9, 10, 14}));
  EXPECT_NEAR(r.Before.Total, 20.249, 1e-3);
  EXPECT_NEAR(r.After.Total, 18.8527L, 18.8527L * 1e-5L);
  EXPECT_NEAR(*r.After.Left, 7.2955L, 7.2955L * 1e-5L);
  EXPECT_NEAR(*r.After.Right, 11.5572L, 11.5572L * 1e-5L);
  EXPECT_EQ(r.N, 7 * 12);
  EXPECT_EQ(r.Dof, 7 * 12 - 10);
  EXPECT_NEAR(r.Sigma, std::sqrt(r.After.Total / r.Dof), 1e-12L);
  // Unweighted standard errors of the default set.
  EXPECT_NEAR(r.StandardError[PositionOf(r, 2)], 2.30e-7L, 2.30e-7L * 0.02L);
  EXPECT_NEAR(r.StandardError[PositionOf(r, 5)], 2.34e-7L, 2.34e-7L * 0.02L);
  EXPECT_NEAR(r.StandardError[PositionOf(r, 14)], 5.93e-7L, 5.93e-7L * 0.02L);
  // k3 = 3.7e-8 +- 2.1e-7: not separable from zero.
  const std::size_t k3 = PositionOf(r, 3);
  EXPECT_TRUE(r.IntervalContainsZero(k3));
  EXPECT_FALSE(r.IntervalContainsZero(PositionOf(r, 2)));
  const Real t = StudentQuantile(0.975L, r.Dof);
  EXPECT_NEAR(r.Interval95[k3][1] - r.K[3], t * r.StandardError[k3], 1e-20L);
  EXPECT_TRUE(r.CorrelatedPairs().empty());
}

TEST(LeastSquaresFitExample, FreeingK15AndK16AndEverything) {
  const OptimizationRunData data = Example();
  const FitResult withExchange = Fit(Default(data, true), data);
  EXPECT_NEAR(withExchange.After.Total, 15.6193L, 15.6193L * 1e-5L);
  // The data fix only the ratio of k15 and k16.
  const auto pairs = withExchange.CorrelatedPairs();
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(withExchange.Free[pairs[0][0]], 15);
  EXPECT_EQ(withExchange.Free[pairs[0][1]], 16);
  EXPECT_GT(withExchange.Correlation[pairs[0][0]][pairs[0][1]], 0.99L);

  FitSettings all;
  all.Free.Fill(true);
  const FitResult r = Fit(all, data);
  EXPECT_TRUE(r.Converged);
  EXPECT_NEAR(r.After.Total, 15.2925L, 15.2925L * 1e-5L);
  EXPECT_EQ(r.AtBound, std::vector<int>{13});
  EXPECT_EQ(r.K[13], 0);
  EXPECT_EQ(r.Dof, 7 * 12 - 15);
  EXPECT_TRUE(std::isnan(r.StandardError[PositionOf(r, 13)]));
  EXPECT_FALSE(r.IntervalContainsZero(PositionOf(r, 13)));
}

TEST(LeastSquaresFitExample, FixedConstantsKeepTheirValuesExactly) {
  OptimizationRunData data = Example();
  data.K[6] = 1.5e-6L;  // zero in the example: fixed unless freed
  FitSettings settings = Default(data);
  settings.Free[2] = false;
  const FitResult r = Fit(settings, data);
  for (const int i : {2, 11, 12, 13, 15, 16}) EXPECT_EQ(r.K[i], data.K[i]) << "k" << i;
  EXPECT_NE(r.K[1], data.K[1]);
}

// One experiment alone: the other's sum is not reported, and only its rows count.
TEST(LeastSquaresFitExample, FitsOneExperiment) {
  const OptimizationRunData data = Example();
  FitSettings settings = Default(data);
  settings.Experiments = FitExperiments::Left;
  const FitResult r = Fit(settings, data);
  EXPECT_FALSE(r.After.Right.has_value());
  EXPECT_LT(*r.After.Left, 7.2955L);
  EXPECT_EQ(r.N, 7 * data.Left.LastRow);
}

// Weighting each species by its own scatter: the weights agree with the scatter they lead
// to, and the minor products' constants are determined far better.
TEST(LeastSquaresFitExample, SpeciesWeightsAgreeWithTheirResiduals) {
  const OptimizationRunData data = Example();
  FitSettings settings = Default(data);
  const FitResult plain = Fit(settings, data);
  settings.Weighting = FitWeighting::Species;
  const FitResult r = Fit(settings, data);
  ASSERT_TRUE(r.SpeciesSigma.has_value());
  FitProblem problem;
  problem.Constants = r.K;
  problem.Left = data.Left;
  problem.Right = data.Right;
  std::vector<Real> residuals(static_cast<std::size_t>(problem.ResidualCount()));
  ASSERT_FALSE(FitResiduals(problem, {}, residuals.data()));
  SpeciesValues squares{};
  for (std::size_t i = 0; i < residuals.size(); ++i)
    squares[static_cast<int>(i % 8) + 1] += residuals[i] * residuals[i];
  // H is the remainder of A..G: it carries no weight of its own, and the weighted SSR is 7
  // per row by construction.
  for (int s = 1; s <= 7; ++s) {
    const Real rms = std::sqrt(squares[s] / problem.RowCount());
    EXPECT_NEAR((*r.SpeciesSigma)[s], std::max(rms, 0.01L), 1e-5L * rms) << "species " << s;
  }
  EXPECT_TRUE(std::isnan((*r.SpeciesSigma)[8]));
  EXPECT_NEAR(r.WeightedSsr, r.N, 1e-4L * r.N);
  EXPECT_GT(plain.StandardError[PositionOf(plain, 4)] / r.StandardError[PositionOf(r, 4)], 4);
  EXPECT_GT(plain.StandardError[PositionOf(plain, 10)] / r.StandardError[PositionOf(r, 10)], 4);
}

// Data made from known constants without noise are fitted back to them from far away.
TEST(LeastSquaresFitSynthetic, RecoversTheGeneratingConstants) {
  OptimizationRunData data = Example();
  const RateConstants truth = data.K;
  const CoefficientSet set = PrepareCoefficients(truth);
  for (const Side side : {Side::Left, Side::Right}) {
    Experiment& e = side == Side::Left ? data.Left : data.Right;
    for (int j = 0; j <= e.LastRow; ++j) {
      e.Observed[static_cast<std::size_t>(j)] = CalcConc(set, side, e.Times[static_cast<std::size_t>(j)]);
    }
  }
  const FitSettings settings = Default(data);
  for (const Real factor : {0.2L, 0.5L, 2.0L, 5.0L, -1.0L}) {
    OptimizationRunData start = data;
    int n = 0;
    for (int i = 1; i <= 14; ++i) {
      // -1: every constant a factor of its own between 0.2 and 5.
      const Real f = factor > 0 ? factor : std::pow(5.0L, std::sin(3.0L * ++n));
      start.K[i] *= f;
    }
    const FitResult r = Fit(settings, start);
    EXPECT_TRUE(r.Converged) << "start factor " << factor;
    for (const int i : r.Free)
      EXPECT_NEAR(r.K[i], truth[i], 1e-7L * truth[i]) << "k" << i << " start factor " << factor;
  }
}

// A stop after the second iteration returns the constants of that iteration, not converged.
TEST(LeastSquaresFitControl, StopReturnsTheBestConstantsReached) {
  const OptimizationRunData data = Example();
  std::atomic<bool> stop{false};
  RateConstants reported{};
  Real reportedSsr = 0;
  int reports = 0;
  const FitProgressSink progress = [&](int iteration, Real weightedSsr, const RateConstants& reached) {
    EXPECT_EQ(iteration, reports++);
    reported = reached;
    reportedSsr = weightedSsr;
    if (iteration == 2) stop = true;
  };
  const FitResult r = FitRateConstants(Default(data), data, progress, stop);
  EXPECT_FALSE(r.Converged);
  EXPECT_EQ(reports, 3);
  EXPECT_EQ(r.K, reported);
  EXPECT_NEAR(r.WeightedSsr, reportedSsr, 1e-9L);
  EXPECT_LT(r.After.Total, r.Before.Total);
}

TEST(LeastSquaresFitControl, RefusesWhatCannotBeFitted) {
  OptimizationRunData data = Example();
  FitSettings none;
  EXPECT_THROW(
      {
        try {
          Fit(none, data);
        } catch (const ZamoError& e) {
          EXPECT_STREQ(e.what(), "Nothing to fit: no rate constant is free");
          throw;
        }
      },
      ZamoError);
  FitSettings settings = Default(data);
  settings.Experiments = FitExperiments::Right;
  data.Right.LastRow = 0;
  EXPECT_THROW(
      {
        try {
          Fit(settings, data);
        } catch (const ZamoError& e) {
          EXPECT_STREQ(e.what(), "Nothing to fit: the experiments hold no measured row");
          throw;
        }
      },
      ZamoError);
}

// The exact Jacobian of the residuals against central differences of the residuals.
TEST(LeastSquaresFitResiduals, JacobianMatchesCentralDifferences) {
  const OptimizationRunData data = Example();
  FitProblem problem;
  problem.Constants = data.K;
  problem.Left = data.Left;
  problem.Right = data.Right;
  problem.Free = {1, 6, 8, 13, 15, 16};  // zero constants too
  std::vector<Real> free;
  for (const int i : problem.Free) free.push_back(data.K[i] > 0 ? data.K[i] : 1e-6L);
  const auto n = static_cast<std::size_t>(problem.ResidualCount());
  std::vector<FitJet> jet(n);
  ASSERT_FALSE(FitResiduals(problem, free, jet.data()));
  for (std::size_t p = 0; p < free.size(); ++p) {
    const Real h = free[p] * 1e-6L;
    std::vector<Real> up = free;
    std::vector<Real> down = free;
    up[p] += h;
    down[p] -= h;
    std::vector<Real> a(n);
    std::vector<Real> b(n);
    ASSERT_FALSE(FitResiduals(problem, up, a.data()));
    ASSERT_FALSE(FitResiduals(problem, down, b.data()));
    for (std::size_t i = 0; i < n; ++i) {
      EXPECT_NEAR(jet[i].Slope[p] * h, (a[i] - b[i]) / 2, 1e-12L) << "residual " << i << " k" << problem.Free[p];
    }
  }
}

// Profile-likelihood intervals: at each closed end the refitted sum of squares exceeds the
// minimum by exactly F(0.95; 1, dof) sigma^2.
TEST(LeastSquaresFitProfile, EndsLieWhereTheRefittedSumCrossesTheThreshold) {
  const OptimizationRunData data = Example();
  FitSettings settings = Default(data);
  settings.Profile = true;
  const FitResult r = Fit(settings, data);
  ASSERT_EQ(r.ProfileInterval95.size(), r.Free.size());
  const Real t = StudentQuantile(0.975L, r.Dof);
  for (const int index : {2, 14}) {
    const std::size_t n = PositionOf(r, index);
    const auto& interval = r.ProfileInterval95[n];
    ASSERT_EQ(interval[0].Kind, ProfileEndKind::Closed) << "k" << index;
    ASSERT_EQ(interval[1].Kind, ProfileEndKind::Closed) << "k" << index;
    EXPECT_LT(interval[0].Value, r.K[index]);
    EXPECT_GT(interval[1].Value, r.K[index]);
    // Nearly linear in these constants: close to the Wald interval.
    EXPECT_NEAR(interval[1].Value, r.Interval95[n][1], 0.05L * r.StandardError[n]);
    for (const Real end : {interval[0].Value, interval[1].Value}) {
      FitProblem problem;
      problem.Constants = r.K;
      problem.Constants[index] = end;
      problem.Left = data.Left;
      problem.Right = data.Right;
      std::vector<Real> start;
      std::vector<Real> scale;
      for (const int i : r.Free) {
        if (i == index) continue;
        problem.Free.push_back(i);
        start.push_back(r.K[i]);
        scale.push_back(r.K[i]);
      }
      int evaluations = 0;
      const Minimum m = Minimize(problem, start, scale, nullptr, evaluations);
      EXPECT_NEAR((m.WeightedSsr - r.WeightedSsr) / (r.Sigma * r.Sigma), t * t, 1e-4L) << "k" << index;
    }
  }
}

}  // namespace
}  // namespace zamo

namespace zamo {
namespace {

// The curves' 95 % band: zero at the start, where the composition is known, and elsewhere
// the delta method with derivatives taken by central differences of the plain closed form.
TEST(LeastSquaresFitBand, IsTheDeltaMethodOfTheCovariance) {
  const OptimizationRunData data = Example();
  const FitResult r = Fit(Default(data, true), data);
  const std::vector<Real> times = {0, 1800, 36000};
  for (const Side side : {Side::Left, Side::Right}) {
    const std::vector<SpeciesValues> band = ConfidenceBand(r, side, times);
    ASSERT_EQ(band.size(), times.size());
    for (int s = 1; s <= 8; ++s) EXPECT_EQ(band[0][s], 0) << "species " << s;
    const Real t = StudentQuantile(0.975L, r.Dof);
    for (std::size_t n = 1; n < times.size(); ++n) {
      std::vector<SpeciesValues> slope;
      for (std::size_t p = 0; p < r.Free.size(); ++p) {
        const Real h = r.K[r.Free[p]] * 1e-6L;
        RateConstants up = r.K;
        RateConstants down = r.K;
        up[r.Free[p]] += h;
        down[r.Free[p]] -= h;
        const Concentrations a = CalcConc(PrepareCoefficients(up), side, times[n]);
        const Concentrations b = CalcConc(PrepareCoefficients(down), side, times[n]);
        SpeciesValues d;
        for (int s = 1; s <= 8; ++s) d[s] = (a[s] - b[s]) / (2 * h);
        slope.push_back(d);
      }
      for (int s = 1; s <= 8; ++s) {
        Real variance = 0;
        for (std::size_t a = 0; a < slope.size(); ++a) {
          for (std::size_t b = 0; b < slope.size(); ++b) variance += slope[a][s] * r.Covariance[a][b] * slope[b][s];
        }
        EXPECT_NEAR(band[n][s], t * std::sqrt(variance), 1e-6L * band[n][s] + 1e-15L) << "species " << s;
        EXPECT_GT(band[n][s], 0) << "species " << s;
      }
    }
  }
}

}  // namespace
}  // namespace zamo
