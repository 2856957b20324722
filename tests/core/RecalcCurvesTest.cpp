#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "model/IsoprCalcConc.h"
#include "model/RecalcCurves.h"
#include "model/ZamoError.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

constexpr int kA = 1, kB = 2;

// The curves are checked against the solver evaluated at i * Tend / N, while the store was
// filled with t grown by repeated addition; the difference in t stays far below 1e-9 s.
constexpr long double kSampleTolerance = 1e-14L;

bool SameCoefficients(const CoefficientSet& a, const CoefficientSet& b) { return a == b; }

class RecalcCurvesTest : public testing::Test {
 protected:
  void SetUp() override {
    ReadInto(project_, ExampleProjectText(), "");
    project_.DataValid = true;
  }

  void ExpectSampleAt(int sample, Side side, Real t) {
    const Concentrations expected = CalcConc(PrepareCoefficients(project_.K), side, t);
    for (int s = 1; s <= 8; ++s) {
      EXPECT_NEAR(project_.Curves.Value(s, sample), expected[s], kSampleTolerance)
          << "species " << s << " sample " << sample;
    }
  }

  KineticProject project_;
};

class RecalcCurvesShown : public RecalcCurvesTest, public testing::WithParamInterface<Side> {};

// The narrowest plot area: 566 samples from t = 0 to the last measured time of the shown
// experiment, which on the left is 36000 s and on the right 18000 s.
TEST_P(RecalcCurvesShown, SamplesShownExperimentFromStartToLastTime) {
  const Side side = GetParam();
  project_.ShowLeft = side == Side::Left;
  ASSERT_EQ(RecalcCurves(project_, 565), side);
  ASSERT_EQ(project_.Curves.Count(), 566);
  EXPECT_TRUE(SameCoefficients(project_.Coefficients, PrepareCoefficients(project_.K)));

  const Real end = side == Side::Left ? 36000 : 18000;
  const int reactant = side == Side::Left ? kA : kB;
  for (int s = 1; s <= 8; ++s) EXPECT_NEAR(project_.Curves.Value(s, 0), s == reactant ? 1.0L : 0.0L, 1e-18L);
  for (int i = 0; i <= 565; ++i) ExpectSampleAt(i, side, end * i / 565);
}

INSTANTIATE_TEST_SUITE_P(RecalcCurvesSides, RecalcCurvesShown, testing::Values(Side::Left, Side::Right),
                         [](const testing::TestParamInfo<Side>& param) {
                           return std::string(param.param == Side::Left ? "Left" : "Right");
                         });

class RecalcCurvesWide : public RecalcCurvesTest, public testing::WithParamInterface<int> {};

// A plot wider than the store holds is served with the store's full capacity, still
// spread over the whole time axis.
TEST_P(RecalcCurvesWide, CapsSampleCountToStore) {
  project_.ShowLeft = true;
  RecalcCurves(project_, GetParam());
  constexpr int kLast = CurveStore::kMaxIntervals;
  ASSERT_EQ(project_.Curves.Count(), kLast + 1);
  ExpectSampleAt(0, Side::Left, 0);
  ExpectSampleAt(kLast / 2, Side::Left, 18000);
  ExpectSampleAt(kLast, Side::Left, 36000);
}

INSTANTIATE_TEST_SUITE_P(RecalcCurvesCapacity, RecalcCurvesWide,
                         testing::Values(CurveStore::kMaxIntervals, CurveStore::kMaxIntervals + 1, 100000, INT_MAX));

TEST_F(RecalcCurvesTest, LastRowZeroGivesStartCompositionEverywhere) {
  project_.ShowLeft = true;
  project_.Left.LastRow = 0;
  RecalcCurves(project_, 565);
  ASSERT_EQ(project_.Curves.Count(), 566);
  for (int i = 0; i <= 565; ++i) {
    EXPECT_EQ(project_.Curves.Value(kA, i), 1.0L) << "sample " << i;
    for (int s = 2; s <= 8; ++s) EXPECT_NEAR(project_.Curves.Value(s, i), 0.0L, 1e-18L) << "sample " << i;
  }
}

std::vector<Real> CurveValues(const CurveStore& curves) {
  std::vector<Real> values;
  for (int s = 1; s <= 8; ++s)
    for (int i = 0; i < curves.Count(); ++i) values.push_back(curves.Value(s, i));
  return values;
}

struct FailingChange {
  const char* Name;
  void (*Change)(RateConstants& k);
  const char* Text;
};

const FailingChange kFailingChanges[] = {
    {"NegativeRadicand", [](RateConstants& k) { k[8] = -k[8]; }, "Ungültige Gleitkommaoperation"},
    // A grows like exp(t): the coefficients are fine, the sampling fails beyond t = 11356 s.
    {"GrowingSolution",
     [](RateConstants& k) {
       k.Fill(0);
       k[2] = -1;
       k[9] = 1e-3L;
     },
     "Gleitkommaüberlauf"},
};

class RecalcCurvesFailure : public RecalcCurvesTest, public testing::WithParamInterface<FailingChange> {};

TEST_P(RecalcCurvesFailure, LeavesCurvesCoefficientsAndSummariesAsTheyWere) {
  project_.ShowLeft = false;
  RecalcCurves(project_, 565);
  project_.ShowLeft = true;
  RecalcCurves(project_, 565);
  const std::vector<Real> curves = CurveValues(project_.Curves);
  const CoefficientSet coefficients = project_.Coefficients;
  const DeviationSummary left = project_.LeftDeviation;
  const DeviationSummary right = project_.RightDeviation;
  ASSERT_GT(left.TotalSquares, 0);
  ASSERT_GT(right.TotalSquares, 0);

  GetParam().Change(project_.K);
  std::string text = "no error";
  try {
    RecalcCurves(project_, 700);
  } catch (const FloatError& e) {
    text = e.what();
  }
  EXPECT_EQ(text, GetParam().Text);

  EXPECT_EQ(project_.Curves.Count(), 566);
  EXPECT_EQ(CurveValues(project_.Curves), curves);
  EXPECT_TRUE(SameCoefficients(project_.Coefficients, coefficients));
  EXPECT_EQ(project_.LeftDeviation, left);
  EXPECT_EQ(project_.RightDeviation, right);
}

INSTANTIATE_TEST_SUITE_P(RecalcCurvesFailures, RecalcCurvesFailure, testing::ValuesIn(kFailingChanges),
                         [](const testing::TestParamInfo<FailingChange>& param) {
                           return std::string(param.param.Name);
                         });

}  // namespace
}  // namespace zamo
