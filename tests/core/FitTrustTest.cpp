// How far a fit's result can be trusted: the experiments it compares with, where it starts,
// what the data do not determine, when it may say "converged", and the figures that judge
// the model (outliers, R^2, AICc, BIC).

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <vector>

#include "document/ProjectReader.h"
#include "model/IsoprCalcConc.h"
#include "optimize/FitQuality.h"
#include "optimize/FitStarts.h"
#include "optimize/FitStatistics.h"
#include "optimize/LeastSquaresFit.h"
#include "optimize/OptimizeRateConstants.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

OptimizationRunData RunDataOf(const ProjectData& project) { return {project.K, project.Left, project.Right}; }

OptimizationRunData ExampleData() { return RunDataOf(test::Example()); }

OptimizationRunData DataFile(const std::string& name) { return RunDataOf(ReadProjectFile(DataFilePath(name)).Data); }

FitResult Fit(const OptimizationRunData& data, FitSettings settings = {}, int starts = kDefaultStarts) {
  if (std::none_of(settings.Free.begin(), settings.Free.end(), [](bool f) { return f; })) {
    settings.Free = DefaultFreeSet(data.K, false);
  }
  settings.Starts = starts;
  const std::atomic<bool> stop{false};
  return FitRateConstants(settings, data, nullptr, stop);
}

// The default fit of the example: SSR 18.852735 at its least-squares optimum.
constexpr Real kExampleOptimum = 18.852735L;

// A project without a right experiment holds a filled-in one (times and LastRow 1) only as
// a time axis: neither the fit nor the coordinate search may compare with it.
TEST(FitExperimentsPresent, OnlyTheExperimentsTheProjectHolds) {
  const OptimizationRunData data = DataFile("right-only.zam");
  ASSERT_FALSE(data.Left.Present);
  const FitResult r = Fit(data);
  EXPECT_EQ(r.Experiments, FitExperiments::Right);
  EXPECT_EQ(r.N, 7 * data.Right.LastRow);
  EXPECT_FALSE(r.After.Left.has_value());
  EXPECT_LT(r.After.Total, r.Before.Total);

  FitSettings left;
  left.Experiments = FitExperiments::Left;
  EXPECT_THROW_MSG(Fit(data, left), ZamoError, "The project holds no left experiment to fit");

  // The coordinate search's left passes would search k1..k7 against the filled-in row.
  StartObjectives starts;
  const std::atomic<bool> stop{false};
  const RateConstants k = OptimizeRateConstants(OptimizationSettings{}, data, starts, nullptr, stop);
  for (int i = 1; i <= 7; ++i) EXPECT_EQ(k[i], data.K[i]) << "k" << i;
  EXPECT_NE(k[8], data.K[8]);
  EXPECT_EQ(starts.Left, 0);
}

// A start far below the others (a tiny, denormal or extended-only value) has no size the
// solver could work in: it must still reach the optimum, from the project's start alone.
TEST(FitStartsAndScales, NegligibleStartsReachTheOptimum) {
  for (const Real tiny : {1e-300L, 4e-320L, 1e-4000L}) {
    OptimizationRunData data = ExampleData();
    data.K[14] = tiny;
    const FitResult one = Fit(data, {}, 1);
    EXPECT_TRUE(one.Converged) << tiny;
    EXPECT_NEAR(one.After.Total, kExampleOptimum, 1e-6L) << tiny;
  }
  OptimizationRunData all = ExampleData();
  for (int i = 1; i <= 14; ++i) all.K[i] = all.K[i] > 0 ? 1e-4000L : 0;
  FitSettings settings;
  settings.Free = DefaultFreeSet(ExampleData().K, false);
  EXPECT_NEAR(Fit(all, settings, 1).After.Total, kExampleOptimum, 1e-6L);
}

TEST(FitStartsAndScales, RefusesWhatTheSolverCannotHoldOrMove) {
  OptimizationRunData data = ExampleData();
  data.K[14] = 1e400L;
  EXPECT_THROW_MSG(Fit(data), ZamoError, "Cannot fit: k14 = 1E400 is not a rate constant (a number from 0 to 1.8E308)");
  data = ExampleData();
  for (Experiment* e : {&data.Left, &data.Right}) e->Times.fill(0);
  EXPECT_THROW_MSG(Fit(data), ZamoError,
                   "Nothing to fit: no free constant changes the calculated concentrations at the measured times");
}

// The extra starts: the project's constants first, then points spread log-uniformly over
// 0.1x..10x, the same in every run, a constant at 0 spread around the size of the others.
TEST(FitStartsAndScales, StartsSpreadOverTwoDecadesRepeatably) {
  OptimizationRunData data = ExampleData();
  FitProblem problem;
  problem.Left = data.Left;
  problem.Right = data.Right;
  problem.Free = {1, 2, 6};
  const std::vector<Real> own = {1e-6L, 1e-5L, 0};
  const std::vector<Real> scale = FitScales(problem, own);
  EXPECT_NEAR(scale[2], std::sqrt(1e-6L * 1e-5L), 1e-20L);
  const auto starts = StartPoints(problem, own, scale, 8);
  ASSERT_EQ(starts.size(), 8u);
  EXPECT_EQ(starts[0], own);
  EXPECT_EQ(StartPoints(problem, own, scale, 8), starts);
  for (std::size_t s = 1; s < starts.size(); ++s) {
    for (std::size_t n = 0; n < own.size(); ++n) {
      const Real centre = own[n] > 0 ? own[n] : scale[n];
      EXPECT_GE(starts[s][n], 0.1L * centre);
      EXPECT_LE(starts[s][n], 10 * centre);
      for (std::size_t t = 1; t < s; ++t) EXPECT_NE(starts[s][n], starts[t][n]);
    }
  }
}

// Every constant free from a tenth of the truth (noise 0.3 pp): the project's own start ends
// in a local minimum 14 % above the optimum that other starts reach.
TEST(FitStartsAndScales, MultiStartFindsWhatTheOwnStartMisses) {
  const OptimizationRunData data = DataFile("local-minimum-from-tenth-of-truth.zam");
  FitSettings all;
  all.Free.Fill(true);
  const FitResult one = Fit(data, all, 1);
  const FitResult r = Fit(data, all);
  EXPECT_EQ(r.Starts, 8);
  EXPECT_FALSE(r.OwnStartReachedBest);
  EXPECT_LT(r.After.Total, one.After.Total * 0.9L);
  ASSERT_GE(r.Optima.size(), 2u);
  EXPECT_EQ(r.Optima.front(), r.WeightedSsr);
  EXPECT_NEAR(r.Optima[1], one.WeightedSsr, 1e-6L * one.WeightedSsr);
  EXPECT_GE(r.StartsReachingBest, 1);
  EXPECT_LT(r.StartsReachingBest, 8);
  EXPECT_TRUE(Fit(ExampleData()).OwnStartReachedBest);
}

// r = y - X b, linear: the Jacobian is -X whatever b.
class LinearModel final : public ResidualFunction {
 public:
  explicit LinearModel(std::vector<std::vector<Real>> x) : x_(std::move(x)) {}
  int ParameterCount() const override { return static_cast<int>(x_[0].size()); }
  int ResidualCount() const override { return static_cast<int>(x_.size()); }
  bool Evaluate(const std::vector<Real>& b, Real* r) override {
    for (std::size_t i = 0; i < x_.size(); ++i) {
      r[i] = static_cast<Real>(i % 3);
      for (std::size_t n = 0; n < b.size(); ++n) r[i] -= x_[i][n] * b[n];
    }
    return true;
  }
  bool Evaluate(const std::vector<Real>& b, Real* r, double* jacobian) override {
    Evaluate(b, r);
    for (std::size_t i = 0; i < x_.size(); ++i) {
      for (std::size_t n = 0; n < b.size(); ++n) jacobian[i * b.size() + n] = -static_cast<double>(x_[i][n]);
    }
    return true;
  }

 private:
  std::vector<std::vector<Real>> x_;
};

// A column the residuals do not depend on is undetermined; the others' (X^T X)^-1 is that of
// the model without it. Two equal columns are undetermined together. A nearly equal pair is
// determined, with a huge variance.
TEST(FitUndetermined, LinearModelsWithKnownCovariance) {
  const std::vector<Real> b = {1, 1, 1};
  LinearModel zeroColumn({{1, 0, 0}, {1, 1, 0}, {1, 2, 0}, {1, 3, 0}});
  const auto a = AnalyseJacobian(zeroColumn, b, {1, 1, 1});
  ASSERT_TRUE(a);
  EXPECT_EQ(a->Undetermined, (std::vector<std::size_t>{2}));
  EXPECT_EQ(a->Determined, (std::vector<std::size_t>{0, 1}));
  // [[4, 6], [6, 14]]^-1 = [[0.7, -0.3], [-0.3, 0.2]]
  EXPECT_NEAR(a->Inverse[0][0], 0.7L, 1e-15L);
  EXPECT_NEAR(a->Inverse[0][1], -0.3L, 1e-15L);
  EXPECT_NEAR(a->Inverse[1][1], 0.2L, 1e-15L);

  LinearModel twins({{1, 0, 0}, {1, 1, 1}, {1, 2, 2}, {1, 3, 3}});
  const auto t = AnalyseJacobian(twins, b, {1, 1, 1});
  EXPECT_EQ(t->Undetermined, (std::vector<std::size_t>{1, 2}));
  EXPECT_NEAR(t->Inverse[0][0], 0.25L, 1e-15L);

  LinearModel nearTwins({{1, 0, 0}, {1, 1, 1}, {1, 2, 2}, {1, 3, 3 + 1e-6L}});
  const auto n = AnalyseJacobian(nearTwins, b, {1, 1, 1});
  EXPECT_TRUE(n->Undetermined.empty());
  EXPECT_GT(n->Inverse[2][2], 1e11L);
}

// The statistics of both fits from that analysis: one row gives 7 residuals, the two
// determined parameters leave dof 5; with a weighted SSR of 20, sigma^2 = 4 scales the inverse.
TEST(FitUndetermined, StatisticsOfTheDeterminedParameters) {
  LinearModel zeroColumn({{1, 0, 0}, {1, 1, 0}, {1, 2, 0}, {1, 3, 0}});
  const std::vector<Real> x = {1, 2, 3};
  const ParameterStatistics s = StatisticsOf(AnalyseJacobian(zeroColumn, x, {1, 1, 1}), x, 1, 20);
  EXPECT_EQ(s.N, 7);
  EXPECT_EQ(s.Parameters, 2);
  EXPECT_EQ(s.Dof, 5);
  EXPECT_NEAR(s.Sigma, 2, 1e-18L);
  EXPECT_NEAR(s.Covariance[0][1], 4 * -0.3L, 1e-14L);
  EXPECT_NEAR(s.StandardError[1], std::sqrt(4 * 0.2L), 1e-14L);
  EXPECT_NEAR(s.Correlation[1][0], -0.3L / std::sqrt(0.7L * 0.2L), 1e-14L);
  // t(0.975, 5) = 2.570581835636314 (tables of Student's t)
  EXPECT_NEAR(s.Interval95[1][1], 2 + 2.570581835636314L * std::sqrt(0.8L), 1e-12L);
  EXPECT_TRUE(std::isnan(s.StandardError[2]) && std::isnan(s.Covariance[2][2]));
  // Without an analysis every parameter counts and none has an error.
  const ParameterStatistics blind = StatisticsOf(std::nullopt, x, 1, 20);
  EXPECT_EQ(blind.Dof, 4);
  EXPECT_TRUE(std::isnan(blind.StandardError[0]));
}

// Data without H (k7, k14 and k16 are 0): k15, which turns H into G, changes nothing. It is
// named, counted out of dof, and the others keep the statistics of a fit without it.
TEST(FitUndetermined, ConstantTheDataCannotSeeIsNamedAndHeld) {
  OptimizationRunData data = ExampleData();
  for (const int i : {7, 14, 16}) data.K[i] = 0;
  const CoefficientSet set = PrepareCoefficients(data.K);
  for (const Side side : {Side::Left, Side::Right}) {
    Experiment& e = side == Side::Left ? data.Left : data.Right;
    for (std::size_t j = 1; j <= static_cast<std::size_t>(e.LastRow); ++j) {
      e.Observed[j] = CalcConc(set, side, e.Times[j]);
      // A fixed scatter of +-0.2 pp, so that sigma is not 0.
      for (int s = 1; s <= 6; ++s) e.Observed[j][s] += 0.002L * std::sin(7.0L * static_cast<Real>(j) + s);
      e.Observed[j][8] = 0;
    }
  }
  FitSettings settings;
  settings.Free = DefaultFreeSet(data.K, false);
  const FitResult without = Fit(data, settings, 1);
  settings.Free[15] = true;
  const FitResult r = Fit(data, settings, 1);
  EXPECT_EQ(r.Undetermined, std::vector<int>{15});
  EXPECT_EQ(r.Parameters, static_cast<int>(without.Free.size()));
  EXPECT_EQ(r.Dof, without.Dof);
  EXPECT_TRUE(std::isnan(r.StandardError.back()));
  for (std::size_t n = 0; n < without.Free.size(); ++n) {
    EXPECT_NEAR(r.StandardError[n], without.StandardError[n], 1e-9L * without.StandardError[n]) << r.Free[n];
  }
}

// Species weighting leaves H, the remainder of A..G, out: the weighted SSR is n, and each
// species' sigma the scatter of its own residuals.
TEST(FitWeighting, SpeciesSigmasOfAToGAndNoneForH) {
  FitSettings settings;
  settings.Weighting = FitWeighting::Species;
  const OptimizationRunData data = ExampleData();
  const FitResult r = Fit(data, settings, 1);
  ASSERT_TRUE(r.SpeciesSigma);
  EXPECT_TRUE(std::isnan((*r.SpeciesSigma)[8]));
  EXPECT_NEAR(r.WeightedSsr, r.N, 1e-4L * r.N);
  EXPECT_NEAR(r.ReducedChi2, static_cast<Real>(r.N) / r.Dof, 1e-4L);
}

// A stop during the profile keeps the fit and the sides reached, and says so.
TEST(FitStopped, ProfileStoppedHalfWay) {
  FitSettings settings;
  settings.Free = DefaultFreeSet(ExampleData().K, false);
  settings.Starts = 1;
  std::atomic<bool> stop{false};
  const int fitIterations = FitRateConstants(settings, ExampleData(), nullptr, stop).Iterations;
  settings.Profile = true;
  // The profile's refits go on counting after the fit's own iterations.
  const FitProgressSink progress = [&](int iteration, Real, const RateConstants&) {
    if (iteration == fitIterations + 3) stop = true;
  };
  const FitResult r = FitRateConstants(settings, ExampleData(), progress, stop);
  EXPECT_TRUE(r.Stopped);
  EXPECT_FALSE(r.Converged);
  ASSERT_EQ(r.ProfileInterval95.size(), r.Free.size());
  EXPECT_EQ(r.ProfileInterval95.back()[1].Kind, ProfileEndKind::NotComputed);
  EXPECT_TRUE(std::isfinite(r.StandardError.back()));
}

// One point of A 15 pp off: it alone is named, with its residual over sigma.
TEST(FitQuality, OutlierIsNamedWithItsStandardizedResidual) {
  OptimizationRunData data = ExampleData();
  data.Left.Observed[3][1] += 0.15L;
  const FitResult r = Fit(data, {}, 1);
  ASSERT_EQ(r.Outliers.size(), 1u);
  const Outlier& o = r.Outliers[0];
  EXPECT_EQ(o.Experiment, Side::Left);
  EXPECT_EQ(o.Row, 3);
  EXPECT_EQ(o.Species, 1);
  EXPECT_EQ(o.TimeMinutes, data.Left.Times[3] / 60.0L);
  const Concentrations c = CalcConc(PrepareCoefficients(r.K), Side::Left, data.Left.Times[3]);
  EXPECT_NEAR(o.Residual, 100 * (data.Left.Observed[3][1] - c[1]), 1e-9L);
  EXPECT_NEAR(o.Z, o.Residual / r.Sigma, 1e-9L);
  EXPECT_GT(o.Z, kOutlierZ);
  EXPECT_TRUE(Fit(ExampleData(), {}, 1).Outliers.empty());
}

// The Gaussian criteria by hand: SSR 10 over n = 20 with p = 2, K = 3.
TEST(FitQuality, InformationCriteriaByHand) {
  EXPECT_NEAR(Aicc(10, 20, 2), 20 * std::log(0.5L) + 6 + 24.0L / 16, 1e-15L);
  EXPECT_NEAR(Aicc(10, 20, 2), -6.362943611198906L, 1e-12L);
  EXPECT_NEAR(Bic(10, 20, 2), -4.875746790536933L, 1e-12L);
  EXPECT_TRUE(std::isnan(Aicc(10, 4, 2)));  // n - K - 1 = 0
}

// R^2 of each experiment against the spread of its observations about each species' mean.
TEST(FitQuality, RSquaredPerExperiment) {
  const OptimizationRunData data = ExampleData();
  const FitResult r = Fit(data, {}, 1);
  for (const Side side : {Side::Left, Side::Right}) {
    const Experiment& e = side == Side::Left ? data.Left : data.Right;
    Real total = 0;
    for (int s = 1; s <= 8; ++s) {
      Real mean = 0;
      for (std::size_t j = 1; j <= static_cast<std::size_t>(e.LastRow); ++j) mean += 100 * e.Observed[j][s] / e.LastRow;
      for (std::size_t j = 1; j <= static_cast<std::size_t>(e.LastRow); ++j) {
        total += (100 * e.Observed[j][s] - mean) * (100 * e.Observed[j][s] - mean);
      }
    }
    const Real ssr = side == Side::Left ? *r.After.Left : *r.After.Right;
    EXPECT_NEAR(side == Side::Left ? *r.R2Left : *r.R2Right, 1 - ssr / total, 1e-15L);
  }
  EXPECT_NEAR(r.Aicc, Aicc(r.WeightedSsr, 84, 10), 1e-12L);
}

}  // namespace
}  // namespace zamo
