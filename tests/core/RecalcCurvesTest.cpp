#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "document/ExampleProject.h"
#include "model/IsoprCalcConc.h"
#include "model/RecalcCurves.h"
#include "model/ZamoError.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

class RecalcCurvesTest : public testing::Test {
 protected:
  void SetUp() override {
    ReadInto(project_, ExampleProjectText(), "");
    project_.DataValid = true;
  }

  // The store was filled with t grown by repeated addition: it differs from i * Tend / N far
  // below 1e-9 s.
  void ExpectSampleAt(int sample, Side side, Real t) {
    const Concentrations expected = CalcConc(PrepareCoefficients(project_.K), side, t);
    for (int s = 1; s <= 8; ++s) {
      EXPECT_NEAR(project_.Curves.Value(s, sample), expected[s], 1e-14L) << "species " << s << " sample " << sample;
    }
  }

  std::vector<Real> CurveValues() const {
    std::vector<Real> values;
    for (int s = 1; s <= 8; ++s)
      for (int i = 0; i < project_.Curves.Count(); ++i) values.push_back(project_.Curves.Value(s, i));
    return values;
  }

  KineticProject project_;
};

// The shown experiment from t = 0 to its last measured time (36000 s left, 18000 s right);
// a plot wider than the store holds gets the store's capacity over the same axis.
TEST_F(RecalcCurvesTest, SamplesTheShownExperimentUpToItsLastTime) {
  for (const Side side : {Side::Left, Side::Right}) {
    project_.ShowLeft = side == Side::Left;
    ASSERT_EQ(RecalcCurves(project_, 565), side);
    ASSERT_EQ(project_.Curves.Count(), 566);
    EXPECT_TRUE(project_.Coefficients == PrepareCoefficients(project_.K));
    const Real end = side == Side::Left ? 36000 : 18000;
    for (int i = 0; i <= 565; ++i) ExpectSampleAt(i, side, end * i / 565);
  }
  project_.ShowLeft = true;
  for (const int width : {CurveStore::kMaxIntervals + 1, INT_MAX}) {
    RecalcCurves(project_, width);
    ASSERT_EQ(project_.Curves.Count(), CurveStore::kMaxIntervals + 1);
    ExpectSampleAt(CurveStore::kMaxIntervals / 2, Side::Left, 18000);
    ExpectSampleAt(CurveStore::kMaxIntervals, Side::Left, 36000);
  }
  // Without measured rows the axis has no length: the start composition everywhere.
  project_.Left.LastRow = 0;
  RecalcCurves(project_, 565);
  for (int i = 0; i <= 565; i += 113) ExpectSampleAt(i, Side::Left, 0);
}

// A failed recalculation leaves the curves, coefficients and summaries as they were: a
// negative radicand, and a solution that grows like exp(t) beyond t = 11356 s.
TEST_F(RecalcCurvesTest, FailureLeavesEverythingAsItWas) {
  struct Failure {
    void (*Change)(RateConstants& k);
    const char* Text;
  };
  const Failure failures[] = {{[](RateConstants& k) { k[8] = -k[8]; }, "Ungültige Gleitkommaoperation"},
                              {[](RateConstants& k) { k.Fill(0), k[2] = -1, k[9] = 1e-3L; }, "Gleitkommaüberlauf"}};
  for (const auto& [change, text] : failures) {
    SetUp();
    project_.ShowLeft = false;
    RecalcCurves(project_, 565);
    project_.ShowLeft = true;
    RecalcCurves(project_, 565);
    const std::vector<Real> curves = CurveValues();
    const KineticProject before = project_;
    ASSERT_GT(before.LeftDeviation.TotalSquares * before.RightDeviation.TotalSquares, 0);
    change(project_.K);
    EXPECT_THROW_MSG(RecalcCurves(project_, 700), FloatError, text);
    EXPECT_EQ(CurveValues(), curves);
    EXPECT_TRUE(project_.Coefficients == before.Coefficients);
    EXPECT_EQ(project_.LeftDeviation, before.LeftDeviation);
    EXPECT_EQ(project_.RightDeviation, before.RightDeviation);
  }
}

}  // namespace
}  // namespace zamo
