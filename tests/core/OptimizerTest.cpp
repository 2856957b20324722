#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <tuple>
#include <vector>

#include "model/IsoprCalcConc.h"
#include "optimize/ConstantSearch.h"
#include "optimize/OptimizeRateConstants.h"
#include "optimize/RelativeOptimizationText.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

// Rows of a table of cases, for a range-for with structured bindings.
template <typename... Column>
using Table = std::tuple<Column...>[];

OptimizationRunData RunDataOf(const KineticProject& project) { return {project.K, project.Left, project.Right}; }

// The optimizer's result and every progress report (position, relative figure); stopAfter > 0
// sets the stop flag from within that report, as the dialog's Stop does.
struct RunLog {
  RateConstants Result;
  std::vector<std::pair<int, Real>> Reports;
  StartObjectives Starts;
};

RunLog Optimize(const OptimizationSettings& settings, const OptimizationRunData& data, int stopAfter = 0,
                StartObjectives starts = {}) {
  RunLog run;
  run.Starts = starts;
  std::atomic<bool> stop{false};
  const ProgressSink sink = [&](int position, Real relative, const RateConstants&) {
    run.Reports.emplace_back(position, relative);
    if (static_cast<int>(run.Reports.size()) == stopAfter) stop = true;
  };
  run.Result = OptimizeRateConstants(settings, data, run.Starts, sink, stop);
  return run;
}

// An objective of k1 alone that keeps every point it is evaluated at.
struct TracedObjective : SearchObjective {
  explicit TracedObjective(Real (*f)(Real)) : F(f) {}
  Real Evaluate(const RateConstants& k) override { return F(Visited.emplace_back(k[1])); }
  Real (*F)(Real);
  std::vector<Real> Visited;
};

// f(x) = |x - 1| from x = 1 with step 0.001. Both first trials are worse: the search stays
// one step below (0.999) and the step becomes 0.0004. It climbs until 1.0006 is worse,
// goes half a step back to 1.0004 (step 0.00016), turns back at 1.00056, climbs down to
// 0.99976 and goes half a step back to 0.99984 (step 0.000064).
TEST(ConstantSearchTest, FollowsTheHandWorkedTrajectory) {
  TracedObjective objective([](Real x) { return std::fabs(x - 1); });
  RateConstants work{};
  work[1] = 1;
  Real step = 0.001L, current = 0;
  SearchConstant(1, work, step, current, objective);
  const Real expected[] = {1.001L,   0.999L,   0.9994L,  0.9998L,  1.0002L,  1.0006L, 1.0004L,
                           1.00056L, 1.00024L, 1.00008L, 0.99992L, 0.99976L, 0.99984L};
  ASSERT_GE(objective.Visited.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i)
    EXPECT_TRUE(NearRelative(objective.Visited[i], expected[i])) << i;
  EXPECT_LE(objective.Visited.size(), 33u);
  EXPECT_EQ(current, std::fabs(work[1] - 1));
}

// An objective that always falls: thirty steps up, none back, and then the step grows 10000
// times, but to no more than a thousandth of the constant. A constant at 0 is never evaluated.
TEST(ConstantSearchTest, StepGrowsTenThousandTimesUpToAThousandthOfTheConstant) {
  for (const auto& [start, initial, grown] :
       Table<Real, Real, Real>{{1, 1e-9L, 1e-5L}, {1, 1e-6L, (1 + 30e-6L) / 1000}, {0, 1, 1}}) {
    TracedObjective objective([](Real x) { return -x; });
    RateConstants work{};
    work[1] = start;
    Real step = initial, current = -1;
    SearchConstant(1, work, step, current, objective);
    EXPECT_EQ(objective.Visited.size(), start == 0 ? 0u : 30u);
    EXPECT_TRUE(NearRelative(work[1], start * (1 + 30 * initial)));
    EXPECT_TRUE(NearRelative(step, grown));
  }
}

// Zero constants stay 0, k15 and k16 only move when asked, "without G and H" zeroes k6, k7,
// k13 and k14 even where they are not 0; every other constant is searched.
TEST(OptimizerConstants, SearchesExactlyTheConstantsTheSettingsFree) {
  for (const auto& [vary, withoutGH] : Table<bool, bool>{{false, false}, {true, false}, {false, true}}) {
    OptimizationRunData data = RunDataOf(Example());
    if (withoutGH) data.K[6] = 3e-6L;  // non-zero, so that only the flag can make it 0
    const RunLog run = Optimize({.VaryK15K16 = vary, .Withoutk6k7k13k14 = withoutGH}, data);
    for (int i = 1; i <= kRateConstantCount; ++i) {
      const bool zeroed = withoutGH && (i == 6 || i == 7 || i == 13 || i == 14);
      if (zeroed || data.K[i] == 0) {
        EXPECT_EQ(run.Result[i], 0) << "k" << i;
      } else {
        EXPECT_EQ(run.Result[i] == data.K[i], i >= 15 && !vary) << "k" << i;
      }
    }
  }
}

// A stop returns the constants reached at it; a stop before the run, the start constants
// without a report.
TEST(OptimizerStop, ReturnsTheConstantsReachedAtTheStop) {
  const OptimizationRunData data = RunDataOf(Example());
  const RunLog stopped = Optimize({}, data, 3);
  EXPECT_EQ(stopped.Reports.size(), 3u);
  EXPECT_FALSE(stopped.Result == data.K);
  StartObjectives starts;
  std::atomic<bool> stop{true};
  int reports = 0;
  const ProgressSink count = [&](int, Real, const RateConstants&) { ++reports; };
  EXPECT_TRUE(OptimizeRateConstants({}, data, starts, count, stop) == data.K);
  EXPECT_EQ(reports, 0);
}

// An experiment that matches the solution exactly except for one species at two times.
TEST(OptimizerObjective, SignedSumsCancelAndPrioritiesWeighTenTimes) {
  const KineticProject project = Example();
  Experiment e;
  e.Present = true, e.LastRow = 2, e.Times[1] = 1800, e.Times[2] = 7200;
  for (const std::size_t j : {1u, 2u}) e.Observed[j] = CalcConcLeft(PrepareCoefficients(project.K), e.Times[j]);
  CoefficientSet scratch;
  SpeciesFlags b{};
  b[2] = true;
  for (const auto& [species, d1, d2, priority, expected] :
       Table<int, Real, Real, bool, double>{{4, 0, 0, false, 0},
                                            {4, 0.01L, -0.01L, false, 0},     // the species' sum is 0
                                            {4, 0.01L, 0.01L, false, 40000},  // (2 x 0.01 x 10000)^2
                                            {2, 0.001L, 0, false, 100},
                                            {2, 0.001L, 0, true, 10000}}) {  // (10 x 10)^2
    Experiment changed = e;
    changed.Observed[1][species] += d1;
    changed.Observed[2][species] += d2;
    EXPECT_NEAR(static_cast<double>(
                    ExperimentObjective(project.K, changed, Side::Left, priority ? b : SpeciesFlags{}, true, scratch)),
                expected, 1e-6);
  }
}

// Selective mode counts only the species the experiment's reactant forms directly (the
// example's k6, k11, k12 and k13 are 0); with every species judged, a residual always counts.
TEST(OptimizerObjective, SelectiveModeCountsOnlySpeciesFormedDirectly) {
  const KineticProject project = Example();
  CoefficientSet scratch;
  for (const auto& [side, counted] :
       Table<Side, std::vector<int>>{{Side::Left, {2, 3, 4, 5, 6, 8}}, {Side::Right, {1, 3, 4, 8}}}) {
    for (int species = 1; species <= 8; ++species) {
      Experiment e;
      e.Present = true, e.LastRow = 1, e.Times[1] = 3600;
      e.Observed[1] = CalcConc(PrepareCoefficients(project.K), side, 3600);
      e.Observed[1][species] += 0.002L;
      const bool counts = std::find(counted.begin(), counted.end(), species) != counted.end();
      for (const bool all : {false, true}) {
        EXPECT_NEAR(static_cast<double>(ExperimentObjective(project.K, e, side, {}, all, scratch)),
                    counts || all ? 400.0 : 0.0, 1e-8)
            << species;
      }
    }
  }
}

TEST(OptimizerRelative, DialogTextShowsTwoDecimalsAboveZeroOnly) {
  for (const auto& [value, text] : Table<Real, const char*>{
           {12.3456L, "12.35"}, {0.125L, "0.13"}, {0.004L, "0.00"}, {0, "0.00"}, {-35.2L, "0.00"}}) {
    EXPECT_EQ(RelativeOptimizationText(value), text);
  }
}

// Every species counts when either total deviation exceeds 100.
TEST(OptimizerSettings, EverySpeciesCountsWhenEitherTotalExceedsOneHundred) {
  for (const auto& [left, right, all] :
       Table<Real, Real, bool>{{7.7L, 12.55L, false}, {100, 100, false}, {100.001L, 0, true}, {0, 250, true}}) {
    KineticProject project;
    project.LeftDeviation.TotalSquares = left;
    project.RightDeviation.TotalSquares = right;
    EXPECT_EQ(DefaultOptimizationSettings(project).AllSpecies, all) << left << " " << right;
  }
}

}  // namespace
}  // namespace zamo
