#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "model/IsoprCalcConc.h"
#include "model/RecalcCurves.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

// The store was filled with t grown by repeated addition: it differs from i * Tend / N far
// below 1e-9 s.
void ExpectSampleAt(const KineticProject& project, int sample, Side side, Real t) {
  const Concentrations expected = CalcConc(PrepareCoefficients(project.K), side, t);
  for (int s = 1; s <= 8; ++s) {
    EXPECT_NEAR(project.Curves.Value(s, sample), expected[s], 1e-14L) << "species " << s << " sample " << sample;
  }
}

std::vector<Real> CurveValues(const KineticProject& project) {
  std::vector<Real> values;
  for (int i = 0; i < 8 * project.Curves.Count(); ++i) values.push_back(project.Curves.Value(i % 8 + 1, i / 8));
  return values;
}

// The shown experiment from t = 0 to its last measured time (36000 s left, 18000 s right);
// a plot wider than the store holds gets the store's capacity over the same axis.
TEST(RecalcCurves, SamplesTheShownExperimentUpToItsLastTime) {
  for (const Side side : {Side::Left, Side::Right}) {
    KineticProject project = Example(side);
    ASSERT_EQ(RecalcCurves(project, 565), side);
    ASSERT_EQ(project.Curves.Count(), 566);
    EXPECT_TRUE(project.Coefficients == PrepareCoefficients(project.K));
    for (int i = 0; i <= 565; ++i) ExpectSampleAt(project, i, side, (side == Side::Left ? 36000 : 18000) * i / 565.0L);
  }
  KineticProject project = Example();
  RecalcCurves(project, INT_MAX);
  ASSERT_EQ(project.Curves.Count(), CurveStore::kMaxIntervals + 1);
  ExpectSampleAt(project, CurveStore::kMaxIntervals, Side::Left, 36000);
  // Without measured rows the axis has no length: the start composition everywhere.
  project.Left.LastRow = 0;
  RecalcCurves(project, 565);
  for (int i = 0; i <= 565; i += 113) ExpectSampleAt(project, i, Side::Left, 0);
}

// A failed recalculation leaves the curves, coefficients and summaries as they were: a
// negative radicand, and a solution that grows like exp(t) beyond t = 11356 s.
TEST(RecalcCurves, FailureLeavesEverythingAsItWas) {
  for (const bool overflow : {false, true}) {
    KineticProject project = Example(Side::Right);
    project.ShowLeft = true;
    RecalcCurves(project, 565);
    const std::vector<Real> curves = CurveValues(project);
    const KineticProject before = project;
    ASSERT_GT(before.LeftDeviation.TotalSquares * before.RightDeviation.TotalSquares, 0);
    if (overflow) project.K = Rates({0, -1}, {0, 1e-3L}, 0, 0);
    if (!overflow) project.K[8] = -project.K[8];
    EXPECT_THROW_MSG(RecalcCurves(project, 700), FloatError,
                     overflow ? "Gleitkommaüberlauf" : "Ungültige Gleitkommaoperation");
    EXPECT_EQ(CurveValues(project), curves);
    EXPECT_TRUE(project.Coefficients == before.Coefficients && project.LeftDeviation == before.LeftDeviation &&
                project.RightDeviation == before.RightDeviation);
  }
}

}  // namespace
}  // namespace zamo
