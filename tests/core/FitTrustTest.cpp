#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <vector>

#include "model/IsoprCalcConc.h"
#include "optimize/FitQuality.h"
#include "optimize/FitStatistics.h"
#include "optimize/LeastSquaresFit.h"
#include "optimize/OptimizeRateConstants.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

OptimizationRunData RunDataOf(const ProjectData& project) { return {project.K, project.Left, project.Right}; }
OptimizationRunData ExampleData() { return RunDataOf(test::Example()); }
OptimizationRunData DataFile(const std::string& name) { return RunDataOf(ReadProjectFile(DataFilePath(name)).Data); }

// A fit of the default free set where the settings free none.
FitResult Fit(const OptimizationRunData& data, FitSettings settings = {}, int starts = kDefaultStarts) {
  if (std::none_of(settings.Free.begin(), settings.Free.end(), [](bool f) { return f; })) {
    settings.Free = DefaultFreeSet(data.K, false);
  }
  settings.Starts = starts;
  const std::atomic<bool> stop{false};
  return FitRateConstants(settings, data, nullptr, stop);
}

constexpr Real kExampleOptimum = 18.852735L;  // the SSR of the example's default fit

// A project without a left experiment holds a filled-in one (times and LastRow 1) only as a
// time axis: neither the fit nor the coordinate search may compare with it.
TEST(FitExperimentsPresent, OnlyTheExperimentsTheProjectHolds) {
  const OptimizationRunData data = DataFile("right-only.zam");
  const FitResult r = Fit(data);
  EXPECT_EQ(r.Experiments, FitExperiments::Right);
  EXPECT_EQ(r.N, 7 * data.Right.LastRow);
  EXPECT_THROW_MSG(Fit(data, {.Experiments = FitExperiments::Left, .FixedSigmas = std::nullopt}), ZamoError,
                   "The project holds no left experiment to fit");
  StartObjectives starts;
  const std::atomic<bool> stop{false};
  const RateConstants k = OptimizeRateConstants({}, data, starts, nullptr, stop);
  for (int i = 1; i <= 7; ++i) EXPECT_EQ(k[i], data.K[i]) << "k" << i;
}

// A start far below the others (a tiny, denormal or extended-only value, for one constant or
// all) has no size the solver could work in: it must still reach the optimum from it alone.
TEST(FitStartsAndScales, NegligibleStartsReachTheOptimum) {
  for (const Real tiny : {1e-300L, 4e-320L, 1e-4000L, 0.0L}) {
    OptimizationRunData data = ExampleData();
    for (int i = 1; i <= 14; ++i) data.K[i] = tiny == 0 && data.K[i] > 0 ? 1e-4000L : data.K[i];
    if (tiny > 0) data.K[14] = tiny;
    const FitResult one = Fit(data, {}, 1);
    EXPECT_TRUE(one.Converged) << tiny;
    EXPECT_NEAR(one.After.Total, kExampleOptimum, 1e-6L) << tiny;
  }
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

// Every constant free from a tenth of the truth (noise 0.3 pp): the project's own start ends
// in a local minimum 14 % above the optimum that other starts reach.
TEST(FitStartsAndScales, MultiStartFindsWhatTheOwnStartMisses) {
  const OptimizationRunData data = DataFile("local-minimum-from-tenth-of-truth.zam");
  FitSettings all;
  all.Free.Fill(true);
  const FitResult r = Fit(data, all);
  EXPECT_FALSE(r.OwnStartReachedBest);
  EXPECT_LT(r.After.Total, Fit(data, all, 1).After.Total * 0.9L);
}

// Parameter 2 undetermined: one row gives 7 residuals, the two determined parameters leave
// dof 5; a weighted SSR of 20 makes sigma^2 = 4 scale the inverse..
TEST(FitUndetermined, StatisticsOfTheDeterminedParameters) {
  const JacobianAnalysis analysis{.Undetermined = {2}, .Determined = {0, 1}, .Inverse = {{0.7L, -0.3L}, {-0.3L, 0.2L}}};
  const std::vector<Real> x = {1, 2, 3};
  const ParameterStatistics s = StatisticsOf(analysis, x, 1, 20);
  EXPECT_EQ(std::pair(s.Parameters, s.Dof), std::pair(2, 5));
  EXPECT_NEAR(s.Covariance[0][1], 4 * -0.3L, 1e-14L);
  EXPECT_NEAR(s.StandardError[1], std::sqrt(4 * 0.2L), 1e-14L);
  EXPECT_NEAR(s.Correlation[1][0], -0.3L / std::sqrt(0.7L * 0.2L), 1e-14L);
  EXPECT_NEAR(s.Interval95[1][1], 2 + 2.570581835636314L * std::sqrt(0.8L), 1e-12L);  // t(0.975, 5) from tables
  EXPECT_TRUE(std::isnan(s.StandardError[2]) && std::isnan(s.Covariance[2][2]));
}

// Data without H (k7, k14 and k16 are 0, a fixed scatter of 0.2 pp): k15, which turns H into
// G, changes nothing. It is named, counted out of dof, and the others keep their statistics.
TEST(FitUndetermined, ConstantTheDataCannotSeeIsNamedAndHeld) {
  OptimizationRunData data = ExampleData();
  for (const int i : {7, 14, 16}) data.K[i] = 0;
  for (const Side side : {Side::Left, Side::Right}) {
    Experiment& e = side == Side::Left ? data.Left : data.Right;
    for (std::size_t j = 1; j <= static_cast<std::size_t>(e.LastRow); ++j) {
      e.Observed[j] = CalcConc(PrepareCoefficients(data.K), side, e.Times[j]);
      for (int s = 1; s <= 6; ++s) e.Observed[j][s] += 0.002L * std::sin(7.0L * static_cast<Real>(j) + s);
      e.Observed[j][8] = 0;
    }
  }
  const FitResult without = Fit(data, {}, 1);
  FitSettings settings;
  settings.Free = DefaultFreeSet(data.K, false);
  settings.Free[15] = true;
  const FitResult r = Fit(data, settings, 1);
  EXPECT_EQ(r.Undetermined, std::vector<int>{15});
  EXPECT_TRUE(r.Dof == without.Dof && std::isnan(r.StandardError.back()));
  for (std::size_t n = 0; n < without.Free.size(); ++n) {
    EXPECT_NEAR(r.StandardError[n], without.StandardError[n], 1e-9L * without.StandardError[n]) << r.Free[n];
  }
}

// Species weighting leaves H, the remainder of A..G, out; each other species' sigma is the
// scatter of its own residuals (at least 0.01).
TEST(FitWeighting, SpeciesSigmasOfAToGAndNoneForH) {
  const OptimizationRunData data = ExampleData();
  const FitResult r = Fit(data, {.Weighting = FitWeighting::Species, .FixedSigmas = std::nullopt}, 1);
  ASSERT_TRUE(r.SpeciesSigma);
  EXPECT_TRUE(std::isnan((*r.SpeciesSigma)[8]));
  FitProblem problem;
  problem.Constants = r.K, problem.Left = data.Left, problem.Right = data.Right;
  std::vector<Real> e(static_cast<std::size_t>(problem.ResidualCount()));
  ASSERT_FALSE(FitResiduals(problem, {}, e.data()));
  SpeciesValues squares{};
  for (std::size_t i = 0; i < e.size(); ++i) squares[static_cast<int>(i % 8) + 1] += e[i] * e[i];
  for (int s = 1; s <= 7; ++s) {
    const Real sigma = std::max(std::sqrt(squares[s] / problem.RowCount()), 0.01L);
    EXPECT_NEAR((*r.SpeciesSigma)[s], sigma, 1e-5L * sigma) << s;
  }
}

// A stop during the profile (whose refits count on after the fit's own iterations) keeps the
// fit and the sides reached, and says so.
TEST(FitStopped, ProfileStoppedHalfWay) {
  FitSettings settings;
  settings.Free = DefaultFreeSet(ExampleData().K, false);
  settings.Starts = 1;
  std::atomic<bool> stop{false};
  const int fitIterations = FitRateConstants(settings, ExampleData(), nullptr, stop).Iterations;
  settings.Profile = true;
  const FitProgressSink progress = [&](int iteration, Real, const RateConstants&) {
    if (iteration == fitIterations + 3) stop = true;
  };
  const FitResult r = FitRateConstants(settings, ExampleData(), progress, stop);
  EXPECT_TRUE(r.Stopped && !r.Converged && std::isfinite(r.StandardError.back()));
  ASSERT_EQ(r.ProfileInterval95.size(), r.Free.size());
  EXPECT_EQ(r.ProfileInterval95.back()[1].Kind, ProfileEndKind::NotComputed);
}

// One point of A 15 pp off: it alone is named, with its residual over sigma.
TEST(FitQuality, OutlierIsNamedWithItsStandardizedResidual) {
  OptimizationRunData data = ExampleData();
  data.Left.Observed[3][1] += 0.15L;
  const FitResult r = Fit(data, {}, 1);
  ASSERT_EQ(r.Outliers.size(), 1u);
  const Outlier& o = r.Outliers[0];
  EXPECT_TRUE(o.Experiment == Side::Left && o.Row == 3 && o.Species == 1);
  EXPECT_NEAR(o.Z, o.Residual / r.Sigma, 1e-9L);
}

// BIC by hand (AICc is checked with the ranking): SSR 10 over n = 20 with p = 2, K = 3.
TEST(FitQuality, InformationCriteriaByHand) {
  EXPECT_NEAR(Bic(10, 20, 2), -4.875746790536933L, 1e-12L);
  EXPECT_TRUE(std::isnan(Aicc(10, 4, 2)));  // n - K - 1 = 0
}

}  // namespace
}  // namespace zamo
