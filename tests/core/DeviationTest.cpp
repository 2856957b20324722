#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "model/EvaluateDeviation.h"
#include "model/IsoprCalcConc.h"
#include "model/MeasuredRows.h"
#include "model/RecalcCurves.h"
#include "model/ZamoError.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

constexpr int kA = 1, kB = 2, kG = 7, kH = 8;

template <typename Param>
std::string ParamName(const testing::TestParamInfo<Param>& info) {
  return info.param.Name;
}

// A summary no evaluation produces, to see whether one was written.
DeviationSummary Untouched() {
  DeviationSummary summary;
  summary.SignedSum.Fill(-7);
  summary.AbsoluteSum.Fill(-7);
  summary.TotalSquares = -7;
  return summary;
}

class DeviationTest : public testing::Test {
 protected:
  void SetUp() override { project_ = Example(); }

  KineticProject project_;
};

struct ExampleLabels {
  const char* Name;
  Side Shown;
  const char* Total;
  std::array<const char*, 8> Signed;
  std::array<const char*, 8> Absolute;
};

// The label texts of the example project as published for each experiment.
const ExampleLabels kExampleLabels[] = {
    {"Left",
     Side::Left,
     "7.70",
     {"-0.111", " 0.006", "-0.007", "-0.007", " 0.008", "-0.005", " 0.721", "-0.606"},
     {" 4.686", " 0.228", " 0.456", " 0.111", " 0.277", " 0.628", " 0.721", " 3.899"}},
    {"Right",
     Side::Right,
     "12.55",
     {"-0.018", "-2.279", "-0.004", "-0.683", " 0.024", "-0.398", " 3.394", "-0.036"},
     {" 1.523", " 4.570", " 1.392", " 0.683", " 0.047", " 1.022", " 3.587", " 3.439"}},
};

class DeviationExample : public DeviationTest, public testing::WithParamInterface<ExampleLabels> {};

TEST_P(DeviationExample, ShowsPublishedLabels) {
  const ExampleLabels& expected = GetParam();
  project_.ShowLeft = expected.Shown == Side::Left;
  ASSERT_EQ(RecalcCurves(project_, 565), expected.Shown);
  const DeviationLabelTexts labels = DeviationLabels(project_.DeviationOf(expected.Shown));
  EXPECT_EQ(labels.Total, expected.Total);
  for (int s = 1; s <= 8; ++s) {
    EXPECT_EQ(labels.Signed[s], expected.Signed[static_cast<std::size_t>(s - 1)]) << "species " << s;
    EXPECT_EQ(labels.Absolute[s], expected.Absolute[static_cast<std::size_t>(s - 1)]) << "species " << s;
  }
}

INSTANTIATE_TEST_SUITE_P(DeviationExamples, DeviationExample, testing::ValuesIn(kExampleLabels),
                         ParamName<ExampleLabels>);

struct Choice {
  const char* Name;
  bool LeftPresent;
  bool RightPresent;
  bool ShowLeft;
  bool DataValid;
  std::optional<Side> Evaluated;
};

const Choice kChoices[] = {
    {"OnlyLeftEvenIfRightShown", true, false, false, false, Side::Left},
    {"OnlyRightEvenIfLeftShown", false, true, true, true, Side::Right},
    {"OnlyRightBeforeLoading", false, true, true, false, Side::Right},
    {"BothShowingLeft", true, true, true, true, Side::Left},
    {"BothShowingRight", true, true, false, true, Side::Right},
    {"BothBeforeLoading", true, true, true, false, std::nullopt},
    {"NeitherShowingRight", false, false, false, true, Side::Right},
    {"NeitherBeforeLoading", false, false, true, false, std::nullopt},
};

class DeviationChoice : public DeviationTest, public testing::WithParamInterface<Choice> {};

TEST_P(DeviationChoice, RefreshesOnlyTheChosenSummary) {
  const Choice& c = GetParam();
  project_.Left.Present = c.LeftPresent;
  project_.Right.Present = c.RightPresent;
  project_.ShowLeft = c.ShowLeft;
  project_.DataValid = c.DataValid;
  project_.LeftDeviation = project_.RightDeviation = Untouched();

  EXPECT_EQ(EvaluateDeviation(project_), c.Evaluated);
  for (const Side side : {Side::Left, Side::Right}) {
    const DeviationSummary& summary = project_.DeviationOf(side);
    if (c.Evaluated == side) {
      EXPECT_GT(summary.TotalSquares, 0) << (side == Side::Left ? "left" : "right");
    } else {
      EXPECT_EQ(summary, Untouched()) << (side == Side::Left ? "left" : "right");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(DeviationChoices, DeviationChoice, testing::ValuesIn(kChoices), ParamName<Choice>);

// An experiment whose observations equal the calculated fractions, then moved by known
// amounts: each difference d adds 100 d to the signed sum, |100 d| to the absolute sum and
// (100 d)^2 to the total.
struct Change {
  int Row;
  int Species;
  Real Delta;
};

struct ChangedRows {
  const char* Name;
  Side Which;
  std::vector<Change> Changes;
};

Experiment MatchingExperiment(const CoefficientSet& set, Side side) {
  Experiment e;
  e.Present = true;
  e.LastRow = 6;
  e.Times = {0, 600, 1800, 3600, 7200, 18000, 36000};
  for (int j = 0; j <= e.LastRow; ++j) e.Observed[static_cast<std::size_t>(j)] = CalcConc(set, side, e.Times[j]);
  return e;
}

const ChangedRows kChangedRows[] = {
    {"Unchanged", Side::Left, {}},
    {"AHalfPercentHigh", Side::Left, {{3, kA, 0.005L}}},
    {"AHalfPercentLow", Side::Left, {{3, kA, -0.005L}}},
    {"OppositeRowsCancelInSignedSum", Side::Left, {{1, kA, 0.005L}, {2, kA, -0.005L}}},
    {"MassBalanceMovesH", Side::Left, {{2, kA, 0.005L}, {2, kH, -0.005L}}},
    {"LastRowCounts", Side::Left, {{6, kG, 0.02L}}},
    {"StartRowIgnored", Side::Left, {{0, kA, 0.3L}}},
    {"RightExperiment", Side::Right, {{4, kB, -0.01L}, {5, kG, 0.003L}}},
};

class DeviationOfChangedRows : public DeviationTest, public testing::WithParamInterface<ChangedRows> {};

TEST_P(DeviationOfChangedRows, AddsEachDifferenceInPercentagePoints) {
  const ChangedRows& c = GetParam();
  Experiment e = MatchingExperiment(project_.Coefficients, c.Which);
  DeviationSummary expected;
  for (const Change& change : c.Changes) {
    e.Observed[static_cast<std::size_t>(change.Row)][change.Species] += change.Delta;
    if (change.Row == 0) continue;
    expected.SignedSum[change.Species] += 100 * change.Delta;
    expected.AbsoluteSum[change.Species] += std::fabs(100 * change.Delta);
    expected.TotalSquares += 10000 * change.Delta * change.Delta;
  }
  const DeviationSummary actual = ComputeDeviation(e, c.Which, project_.Coefficients);
  for (int s = 1; s <= 8; ++s) {
    EXPECT_NEAR(actual.SignedSum[s], expected.SignedSum[s], 1e-12L) << "species " << s;
    EXPECT_NEAR(actual.AbsoluteSum[s], expected.AbsoluteSum[s], 1e-12L) << "species " << s;
  }
  EXPECT_NEAR(actual.TotalSquares, expected.TotalSquares, 1e-12L);
}

INSTANTIATE_TEST_SUITE_P(DeviationRows, DeviationOfChangedRows, testing::ValuesIn(kChangedRows),
                         ParamName<ChangedRows>);

// Only the start row: the old sums are replaced by zeros, whatever rows 1..16 hold.
TEST_F(DeviationTest, LastRowZeroClearsSummary) {
  project_.ShowLeft = true;
  project_.Left.LastRow = 0;
  for (std::size_t j = 1; j <= kMaxRow; ++j) project_.Left.Observed[j].Fill(0.5L);
  project_.LeftDeviation = Untouched();
  ASSERT_EQ(EvaluateDeviation(project_), Side::Left);
  EXPECT_EQ(project_.LeftDeviation, DeviationSummary{});
  const DeviationLabelTexts labels = DeviationLabels(project_.LeftDeviation);
  EXPECT_EQ(labels.Total, "0.00");
  for (int s = 1; s <= 8; ++s) EXPECT_EQ(labels.Absolute[s], " 0.000") << "species " << s;
}

// A solution growing like exp(t) overflows at the fifth measured time (19800 s), after
// four rows were compared; neither summary may keep a partial sum.
TEST_F(DeviationTest, SolverFailureLeavesBothSummaries) {
  RateConstants growing{};
  growing[2] = -1;
  growing[9] = 1e-3L;
  project_.Coefficients = PrepareCoefficients(growing);
  project_.ShowLeft = true;
  project_.LeftDeviation = project_.RightDeviation = Untouched();
  EXPECT_THROW_MSG(EvaluateDeviation(project_), FloatError, "Gleitkommaüberlauf");
  EXPECT_EQ(project_.LeftDeviation, Untouched());
  EXPECT_EQ(project_.RightDeviation, Untouched());
}

// The one walk over the measured rows: which rows, in order, and what an unevaluable row does.
TEST_F(DeviationTest, MeasuredRowsWalkTheRowsAskedFor) {
  Experiment e = MatchingExperiment(project_.Coefficients, Side::Left);
  e.Observed[2][kA] += 0.01L;
  const auto rowsOf = [&](const CoefficientSet* set, int first, UnevaluatedRow unevaluated) {
    std::vector<MeasuredRow<Real>> rows;
    const auto error = ForEachMeasuredRow(
        set, Side::Left, e, [&rows](const MeasuredRow<Real>& row) { rows.push_back(row); }, first, unevaluated);
    return std::make_pair(rows, error);
  };
  const auto [fromOne, none] = rowsOf(&project_.Coefficients, kFirstMeasuredRow, UnevaluatedRow::EndWalk);
  EXPECT_FALSE(none.has_value());
  ASSERT_EQ(fromOne.size(), 6u);
  EXPECT_EQ(fromOne[1].Row, 2);
  EXPECT_EQ(fromOne[1].Time, 1800);
  EXPECT_NEAR(fromOne[1].Residual[kA], 0.01L, 1e-15L);
  EXPECT_NEAR(fromOne[1].Calculated[kA], CalcConc(project_.Coefficients, Side::Left, 1800)[kA], 1e-18L);
  EXPECT_EQ(rowsOf(&project_.Coefficients, 0, UnevaluatedRow::EndWalk).first.size(), 7u);
  e.LastRow = 40;  // held to the rows there are
  EXPECT_EQ(rowsOf(&project_.Coefficients, 1, UnevaluatedRow::EndWalk).first.size(), std::size_t{kMaxRow});
  e.LastRow = -3;  // held to 0: the start alone
  EXPECT_EQ(rowsOf(&project_.Coefficients, 0, UnevaluatedRow::EndWalk).first.size(), 1u);
  EXPECT_TRUE(rowsOf(&project_.Coefficients, 1, UnevaluatedRow::EndWalk).first.empty());

  e.LastRow = 6;
  EXPECT_TRUE(rowsOf(nullptr, 1, UnevaluatedRow::EndWalk).second == FloatError::Kind::InvalidOperation);
  const auto [unevaluated, error] = rowsOf(nullptr, 1, UnevaluatedRow::NotANumber);
  EXPECT_FALSE(error.has_value());
  ASSERT_EQ(unevaluated.size(), 6u);
  EXPECT_TRUE(std::isnan(unevaluated[5].Calculated[kH]) && std::isnan(unevaluated[5].Residual[kH]));
}

}  // namespace
}  // namespace zamo
