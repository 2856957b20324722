#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <tuple>
#include <utility>
#include <vector>

#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "model/IsoprCalcConc.h"
#include "model/RecalcCurves.h"
#include "optimize/ConstantSearch.h"
#include "optimize/OptimizeRateConstants.h"
#include "optimize/RelativeOptimizationText.h"
#include "tests/core/TestSupport.h"

// Counts heap allocations while a test asks for it, to show that the optimizer's
// evaluations allocate nothing. The replacement operators pair malloc with free on purpose.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
std::atomic<bool> countAllocations{false};
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  if (countAllocations.load()) ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
// The standard library's nothrow forms (std::stable_sort's buffer) must pair with the same free.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (countAllocations.load()) ++allocations;
  return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace zamo {
namespace {

// Rows of a table of cases, for a range-for with structured bindings.
template <typename... Column>
using Table = std::tuple<Column...>[];

struct Report {
  int Position;
  Real Relative;
};

OptimizationRunData RunDataOf(const KineticProject& project) { return {project.K, project.Left, project.Right}; }

// Runs the optimizer and keeps every progress report; stopAfter > 0 sets the stop flag from
// within that report, as the dialog's Stop does between two reports.
struct RunLog {
  RateConstants Result;
  std::vector<Report> Reports;
  StartObjectives Starts;
};

RunLog Optimize(const OptimizationSettings& settings, const OptimizationRunData& data, int stopAfter = 0,
                StartObjectives starts = {}) {
  RunLog run;
  run.Starts = starts;
  std::atomic<bool> stop{false};
  const ProgressSink sink = [&](int position, Real relative, const RateConstants&) {
    run.Reports.push_back({position, relative});
    if (static_cast<int>(run.Reports.size()) == stopAfter) stop = true;
  };
  run.Result = OptimizeRateConstants(settings, data, run.Starts, sink, stop);
  return run;
}

SpeciesFlags Flags(std::initializer_list<int> species) {
  SpeciesFlags flags{};
  for (const int s : species) flags[s] = true;
  return flags;
}

// The objective as the optimizer sees it in a pass with high priority: B flagged on the
// left, A on the right.
Real PassObjective(const RateConstants& k, const KineticProject& p, Side side, bool allSpecies = false) {
  CoefficientSet scratch;
  return ExperimentObjective(k, p.ExperimentOf(side), side, Flags({side == Side::Left ? 2 : 1}), allSpecies, scratch);
}

// ---- The search of one constant, on objectives worked out by hand ----

// An objective of k1 alone that keeps every point it is evaluated at.
class TracedObjective : public SearchObjective {
 public:
  explicit TracedObjective(Real (*f)(Real)) : f_(f) {}
  Real Evaluate(const RateConstants& k) override {
    Visited.push_back(k[1]);
    return f_(k[1]);
  }
  std::vector<Real> Visited;

 private:
  Real (*f_)(Real);
};

// f(x) = |x - 1| from x = 1 with step 0.001. Both first trials are worse: the search stays
// one step below (0.999) and the step becomes 0.0004. It climbs until 1.0006 is worse,
// goes half a step back to 1.0004 (step 0.00016), turns back at 1.00056, climbs down to
// 0.99976 and goes half a step back to 0.99984 (step 0.000064).
TEST(ConstantSearchTest, FollowsTheHandWorkedTrajectory) {
  TracedObjective objective([](Real x) { return std::fabs(x - 1); });
  RateConstants work{};
  work[1] = 1;
  Real step = 0.001L;
  Real current = 0;
  SearchConstant(1, work, step, current, objective);
  const Real expected[] = {1.001L,   0.999L,   0.9994L,  0.9998L,  1.0002L,  1.0006L, 1.0004L,
                           1.00056L, 1.00024L, 1.00008L, 0.99992L, 0.99976L, 0.99984L};
  ASSERT_GE(objective.Visited.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_TRUE(NearRelative(objective.Visited[i], expected[i])) << "evaluation " << i + 1;
  }
  EXPECT_GE(objective.Visited.size(), 30u);
  EXPECT_LE(objective.Visited.size(), 33u);
  EXPECT_EQ(current, std::fabs(work[1] - 1));
}

// An objective that always falls: thirty steps up, none back, and then the step grows
// 10000 times, but to no more than a thousandth of the constant. A constant at 0 is never
// evaluated.
TEST(ConstantSearchTest, StepGrowsTenThousandTimesUpToAThousandthOfTheConstant) {
  for (const auto& [initial, grown] : Table<Real, Real>{{1e-9L, 1e-5L}, {1e-6L, (1 + 30e-6L) / 1000}}) {
    TracedObjective objective([](Real x) { return -x; });
    RateConstants work{};
    work[1] = 1;
    Real step = initial;
    Real current = -1;
    SearchConstant(1, work, step, current, objective);
    EXPECT_EQ(objective.Visited.size(), 30u);
    EXPECT_TRUE(NearRelative(work[1], 1 + 30 * initial));
    EXPECT_TRUE(NearRelative(step, grown));
  }
  TracedObjective never([](Real x) { return x; });
  RateConstants zero{};
  Real step = 1;
  Real current = 5;
  SearchConstant(1, zero, step, current, never);
  EXPECT_TRUE(never.Visited.empty());
  EXPECT_EQ(step, 1);
}

// ---- Schedule, constants searched, stop ----

TEST(OptimizerSchedule, ReportPositionsFollowTheCyclesOfAllPasses) {
  const KineticProject project = Example();
  // Steps s: passes of s, s, s-1, s-1, ..., 1, 1 cycles, s(s+1) in all; position i of n is
  // i * 1000 / n rounded half to even.
  for (const int steps : {1, 2, 15}) {
    OptimizationSettings settings;
    settings.Steps = steps;
    const RunLog run = Optimize(settings, RunDataOf(project));
    const int total = steps * (steps + 1);
    ASSERT_EQ(static_cast<int>(run.Reports.size()), total) << steps;
    for (int i = 1; i <= total; ++i) {
      const int quotient = i * 1000 / total;
      const int twiceRest = 2 * (i * 1000 % total);
      const int expected = twiceRest > total || (twiceRest == total && quotient % 2 == 1) ? quotient + 1 : quotient;
      EXPECT_EQ(run.Reports[static_cast<std::size_t>(i) - 1].Position, expected) << "report " << i;
    }
  }
}

// Zero constants stay 0, k15 and k16 only move when asked, "without G and H" zeroes k6, k7,
// k13 and k14 even where they are not 0; every other constant is searched.
TEST(OptimizerConstants, SearchesExactlyTheConstantsTheSettingsFree) {
  struct Case {
    bool VaryK15K16;
    bool WithoutGH;
    std::vector<int> Zeroed;
  };
  for (const Case& c : {Case{false, false, {}}, Case{true, false, {}}, Case{false, true, {6, 7, 13, 14}}}) {
    OptimizationSettings settings;
    settings.VaryK15K16 = c.VaryK15K16;
    settings.Withoutk6k7k13k14 = c.WithoutGH;
    OptimizationRunData data = RunDataOf(Example());
    if (c.WithoutGH) data.K[6] = 3e-6L;  // non-zero, so that only the flag can make it 0
    const RunLog run = Optimize(settings, data);
    for (int i = 1; i <= kRateConstantCount; ++i) {
      const bool zeroed = std::find(c.Zeroed.begin(), c.Zeroed.end(), i) != c.Zeroed.end();
      if (zeroed || data.K[i] == 0) {
        EXPECT_EQ(run.Result[i], 0) << "k" << i;
      } else if (i >= 15 && !c.VaryK15K16) {
        EXPECT_EQ(run.Result[i], data.K[i]) << "k" << i;
      } else {
        EXPECT_NE(run.Result[i], data.K[i]) << "k" << i;
      }
    }
  }
}

// Without measured rows the objective is 0 everywhere: every trial counts as not worse, so
// each search climbs one step per evaluation up to the limit of 30, and no start objective
// is recorded. Unsolvable trials count as worse and throw nothing.
TEST(OptimizerConstants, FlatAndUnsolvableObjectives) {
  OptimizationRunData data = RunDataOf(Example());
  data.Left.LastRow = data.Right.LastRow = 0;
  OptimizationSettings settings;
  settings.Steps = 1;
  const RunLog run = Optimize(settings, data);
  for (const int i : {1, 2, 3, 4, 5, 7, 8, 9, 10, 14}) {
    Real expected = data.K[i];
    for (int n = 0; n < 30; ++n) expected += data.K[i] / 1000;
    EXPECT_EQ(run.Result[i], expected) << "k" << i;
  }
  EXPECT_EQ(run.Starts.Left + run.Starts.Right, 0);
  for (const Report& r : run.Reports) EXPECT_EQ(r.Relative, 0);

  // A and B only exchange with each other: every evaluation divides by zero.
  OptimizationRunData exchange = RunDataOf(Example());
  exchange.K.Fill(0);
  exchange.K[1] = 1e-5L;
  exchange.K[8] = 2e-5L;
  settings.Steps = 2;
  RunLog unsolvable;
  EXPECT_NO_THROW(unsolvable = Optimize(settings, exchange));
  EXPECT_EQ(unsolvable.Reports.size(), 6u);
  EXPECT_TRUE(std::isfinite(unsolvable.Result[1]) && unsolvable.Result[1] > 0);
}

TEST(OptimizerStop, ReturnsTheConstantsReachedAtTheStop) {
  const OptimizationRunData data = RunDataOf(Example());
  const RunLog stopped = Optimize(OptimizationSettings{}, data, 3);
  EXPECT_EQ(stopped.Reports.size(), 3u);
  EXPECT_FALSE(stopped.Result == data.K);
  EXPECT_TRUE(Optimize(OptimizationSettings{}, data, 3).Result == stopped.Result);
  EXPECT_FALSE(Optimize(OptimizationSettings{}, data).Result == stopped.Result);
  // A stop before the run returns the start constants without a report.
  StartObjectives starts;
  std::atomic<bool> stop{true};
  int reports = 0;
  const RateConstants result = OptimizeRateConstants(
      OptimizationSettings{}, data, starts, [&](int, Real, const RateConstants&) { ++reports; }, stop);
  EXPECT_EQ(reports, 0);
  EXPECT_TRUE(result == data.K);
}

// ---- Objective ----

TEST(OptimizerObjective, SignedSumsCancelAndPrioritiesWeighTenTimes) {
  const KineticProject project = Example();
  const CoefficientSet set = PrepareCoefficients(project.K);
  // An experiment that matches the solution exactly except for species B (2) or D (4).
  Experiment e;
  e.Present = true;
  e.LastRow = 2;
  e.Times[1] = 1800;
  e.Times[2] = 7200;
  for (const std::size_t j : {1u, 2u}) e.Observed[j] = CalcConcLeft(set, e.Times[j]);
  CoefficientSet scratch;
  const auto objective = [&](int species, Real d1, Real d2, const SpeciesFlags& priority) {
    Experiment changed = e;
    changed.Observed[1][species] += d1;
    changed.Observed[2][species] += d2;
    return static_cast<double>(ExperimentObjective(project.K, changed, Side::Left, priority, true, scratch));
  };
  EXPECT_NEAR(objective(4, 0, 0, {}), 0, 1e-18);
  // +0.01 at one time and -0.01 at the other: the sum of the species is 0.
  EXPECT_NEAR(objective(4, 0.01L, -0.01L, {}), 0, 1e-9);
  // The same sign twice: (2 x 0.01 x 10000)^2.
  EXPECT_NEAR(objective(4, 0.01L, 0.01L, {}), 40000, 1e-6);
  // One residual of 0.001: 10^2, or (10 x 10)^2 for a priority species.
  EXPECT_NEAR(objective(2, 0.001L, 0, {}), 100, 1e-9);
  EXPECT_NEAR(objective(2, 0.001L, 0, Flags({2})), 10000, 1e-7);
}

// Selective mode counts only the species the experiment's reactant forms directly (the
// example's k6, k11, k12 and k13 are 0); with every species judged, a residual always counts.
TEST(OptimizerObjective, SelectiveModeCountsOnlySpeciesFormedDirectly) {
  const KineticProject project = Example();
  const CoefficientSet set = PrepareCoefficients(project.K);
  CoefficientSet scratch;
  for (const Side side : {Side::Left, Side::Right}) {
    const std::vector<int> counted =
        side == Side::Left ? std::vector<int>{2, 3, 4, 5, 6, 8} : std::vector<int>{1, 3, 4, 8};
    for (int species = 1; species <= 8; ++species) {
      Experiment e;
      e.Present = true;
      e.LastRow = 1;
      e.Times[1] = 3600;
      e.Observed[1] = CalcConc(set, side, 3600);
      e.Observed[1][species] += 0.002L;
      const bool counts = std::find(counted.begin(), counted.end(), species) != counted.end();
      EXPECT_NEAR(static_cast<double>(ExperimentObjective(project.K, e, side, {}, false, scratch)),
                  counts ? 400.0 : 0.0, 1e-8)
          << species;
      EXPECT_NEAR(static_cast<double>(ExperimentObjective(project.K, e, side, {}, true, scratch)), 400.0, 1e-8);
    }
  }
}

TEST(OptimizerObjective, EvaluationsAndWholeRunsAllocateNothing) {
  const KineticProject project = Example();
  const OptimizationRunData data = RunDataOf(project);
  CoefficientSet scratch;
  StartObjectives starts;
  const std::atomic<bool> stop{false};
  const ProgressSink none;
  allocations = 0;
  countAllocations = true;
  Real sum = 0;
  for (int i = 0; i < 100; ++i) sum += ExperimentObjective(project.K, project.Left, Side::Left, {}, false, scratch);
  const RateConstants result = OptimizeRateConstants(OptimizationSettings{}, data, starts, none, stop);
  countAllocations = false;
  EXPECT_EQ(allocations.load(), 0);
  EXPECT_GT(sum, 0);
  EXPECT_NE(result[1], 0);
}

// ---- Relative optimization and settings ----

// After the left pass the right experiment has no start objective yet; after the right
// pass the figure compares both latest objectives with the sum of the starts. A second run
// is measured against the first run's start.
TEST(OptimizerRelative, FigureComparesTheLatestObjectivesWithTheStartSum) {
  const KineticProject project = Example();
  OptimizationSettings settings;
  settings.Steps = 1;
  const RunLog afterLeft = Optimize(settings, RunDataOf(project), 1);
  const RunLog full = Optimize(settings, RunDataOf(project));
  const Real startLeft = PassObjective(project.K, project, Side::Left);
  const Real startRight = PassObjective(afterLeft.Result, project, Side::Right);
  EXPECT_EQ(full.Starts.Left, startLeft);
  EXPECT_EQ(full.Starts.Right, startRight);
  const Real leftNow = PassObjective(afterLeft.Result, project, Side::Left);
  EXPECT_NEAR(static_cast<double>(full.Reports[0].Relative), static_cast<double>(100 * (1 - leftNow / startLeft)),
              1e-9);
  const Real rightNow = PassObjective(full.Result, project, Side::Right);
  EXPECT_NEAR(static_cast<double>(full.Reports[1].Relative),
              static_cast<double>(100 * (1 - (rightNow + leftNow) / (startLeft + startRight))), 1e-9);

  OptimizationRunData again = RunDataOf(project);
  again.K = full.Result;
  const RunLog firstCycle = Optimize(settings, again, 1, full.Starts);
  EXPECT_EQ(firstCycle.Starts.Left, full.Starts.Left);
  const Real leftAgain = PassObjective(firstCycle.Result, project, Side::Left);
  EXPECT_NEAR(static_cast<double>(firstCycle.Reports.front().Relative),
              static_cast<double>(100 * (1 - (leftAgain + full.Starts.Right) / (startLeft + startRight))), 1e-9);
}

TEST(OptimizerRelative, DialogTextShowsTwoDecimalsAboveZeroOnly) {
  for (const auto& [value, text] : Table<Real, const char*>{
           {12.3456L, "12.35"}, {0.125L, "0.13"}, {0.004L, "0.00"}, {0, "0.00"}, {-35.2L, "0.00"}}) {
    EXPECT_EQ(RelativeOptimizationText(value), text);
  }
}

// Every species counts when either total deviation exceeds 100; the default run then lowers
// both objectives a hundredfold.
TEST(OptimizerSettings, EverySpeciesCountsWhenEitherTotalExceedsOneHundred) {
  for (const auto& [left, right, all] :
       Table<Real, Real, bool>{{7.7L, 12.55L, false}, {100, 100, false}, {100.001L, 0, true}, {0, 250, true}}) {
    KineticProject project;
    project.LeftDeviation.TotalSquares = left;
    project.RightDeviation.TotalSquares = right;
    EXPECT_EQ(DefaultOptimizationSettings(project).AllSpecies, all) << left << " " << right;
  }
  const KineticProject project = Example();
  const RunLog run = Optimize(DefaultOptimizationSettings(project), RunDataOf(project));
  for (const Side side : {Side::Left, Side::Right}) {
    EXPECT_LT(PassObjective(run.Result, project, side), PassObjective(project.K, project, side) / 100);
  }
}

}  // namespace
}  // namespace zamo
