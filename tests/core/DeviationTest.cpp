#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/EvaluateDeviation.h"
#include "model/IsoprCalcConc.h"
#include "model/MeasuredRows.h"
#include "model/RecalcCurves.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

constexpr int kA = 1, kH = 8;

// A summary no evaluation produces, to see whether one was written.
DeviationSummary Untouched() {
  DeviationSummary summary;
  summary.SignedSum.Fill(-7);
  summary.AbsoluteSum.Fill(-7);
  summary.TotalSquares = -7;
  return summary;
}

// The label texts of the example project as published.
TEST(DeviationExample, ShowsPublishedLabels) {
  const std::array<std::string, 8> signedSums = {"-0.111", " 0.006", "-0.007", "-0.007",
                                                 " 0.008", "-0.005", " 0.721", "-0.606"};
  const std::array<std::string, 8> absoluteSums = {" 4.686", " 0.228", " 0.456", " 0.111",
                                                   " 0.277", " 0.628", " 0.721", " 3.899"};
  KineticProject project = Example();
  ASSERT_EQ(RecalcCurves(project, 565), Side::Left);
  const DeviationLabelTexts labels = DeviationLabels(project.LeftDeviation);
  EXPECT_EQ(labels.Total, "7.70");
  for (std::size_t s = 1; s <= 8; ++s) {
    EXPECT_EQ(labels.Signed[static_cast<int>(s)], signedSums[s - 1]) << s;
    EXPECT_EQ(labels.Absolute[static_cast<int>(s)], absoluteSums[s - 1]) << s;
  }
  KineticProject right = Example(Side::Right);  // and one of the right experiment's
  ASSERT_EQ(RecalcCurves(right, 565), Side::Right);
  EXPECT_EQ(DeviationLabels(right.RightDeviation).Total, "12.55");
}

// Which summary an evaluation refreshes (left present, right present, left shown, data valid):
// the one present, else the one shown, none before the data are loaded with both or neither.
struct Choice {
  bool Left, Right, ShowLeft, Valid;
  std::optional<Side> Evaluated;
};
const Choice kChoices[] = {{true, false, false, false, Side::Left},  {false, true, true, true, Side::Right},
                           {false, true, true, false, Side::Right},  {true, true, true, true, Side::Left},
                           {true, true, false, true, Side::Right},   {true, true, true, false, std::nullopt},
                           {false, false, false, true, Side::Right}, {false, false, true, false, std::nullopt}};

TEST(DeviationChoice, RefreshesOnlyTheChosenSummary) {
  for (const Choice& c : kChoices) {
    KineticProject project = Example();
    project.Left.Present = c.Left, project.Right.Present = c.Right, project.ShowLeft = c.ShowLeft;
    project.DataValid = c.Valid;
    project.LeftDeviation = project.RightDeviation = Untouched();
    EXPECT_EQ(EvaluateDeviation(project), c.Evaluated) << c.Left << c.Right << c.ShowLeft << c.Valid;
    for (const Side side : {Side::Left, Side::Right}) {
      EXPECT_EQ(project.DeviationOf(side) == Untouched(), c.Evaluated != side) << c.Left << c.Right << c.ShowLeft;
    }
  }
}

// Only the start row: the old sums are replaced by zeros, whatever rows 1..16 hold.
TEST(DeviationEvaluation, LastRowZeroClearsSummary) {
  KineticProject project = Example();
  project.Left.LastRow = 0;
  project.Left.Observed[0][kA] += 0.3L;  // the start row never counts
  for (std::size_t j = 1; j <= kMaxRow; ++j) project.Left.Observed[j].Fill(0.5L);
  project.LeftDeviation = Untouched();
  EXPECT_EQ(EvaluateDeviation(project), Side::Left);
  EXPECT_EQ(project.LeftDeviation, DeviationSummary{});
}

// A solution growing like exp(t) overflows at the fifth measured time (19800 s), after four
// rows were compared; neither summary may keep a partial sum.
TEST(DeviationEvaluation, SolverFailureLeavesBothSummaries) {
  KineticProject project = Example();
  project.Coefficients = PrepareCoefficients(Rates({0, -1}, {0, 1e-3L}, 0, 0));
  project.LeftDeviation = project.RightDeviation = Untouched();
  EXPECT_THROW_MSG(EvaluateDeviation(project), FloatError, "Gleitkommaüberlauf");
  EXPECT_TRUE(project.LeftDeviation == Untouched() && project.RightDeviation == Untouched());
}

// The one walk over the measured rows: which rows, in order, and what an unevaluable row does.
TEST(DeviationEvaluation, MeasuredRowsWalkTheRowsAskedFor) {
  const CoefficientSet set = Example().Coefficients;
  Experiment e;  // observations equal to the calculated fractions but one
  e.Present = true, e.LastRow = 6, e.Times = {0, 600, 1800, 3600, 7200, 18000, 36000};
  for (std::size_t j = 0; j <= 6; ++j) e.Observed[j] = CalcConc(set, Side::Left, e.Times[j]);
  e.Observed[2][kA] += 0.01L;
  const auto rowsOf = [&](const CoefficientSet* with, int first, UnevaluatedRow unevaluated = UnevaluatedRow::EndWalk) {
    std::vector<MeasuredRow<Real>> rows;
    const auto error = ForEachMeasuredRow(
        with, Side::Left, e, [&rows](const MeasuredRow<Real>& row) { rows.push_back(row); }, first, unevaluated);
    return std::make_pair(rows, error);
  };
  const auto [fromOne, none] = rowsOf(&set, kFirstMeasuredRow);
  ASSERT_TRUE(!none && fromOne.size() == 6u);
  EXPECT_TRUE(fromOne[1].Row == 2 && fromOne[1].Time == 1800 && std::fabs(fromOne[1].Residual[kA] - 0.01L) < 1e-15L);
  for (const auto& [last, first, count] : std::initializer_list<std::tuple<int, int, std::size_t>>{
           {6, 0, 7}, {40, 1, kMaxRow}, {-3, 0, 1}, {-3, 1, 0}}) {  // LastRow held to 0..kMaxRow
    e.LastRow = last;
    EXPECT_EQ(rowsOf(&set, first).first.size(), count) << last << " " << first;
  }
  e.LastRow = 6;
  EXPECT_TRUE(rowsOf(nullptr, 1).second == FloatError::Kind::InvalidOperation);
  const auto [unevaluated, error] = rowsOf(nullptr, 1, UnevaluatedRow::NotANumber);
  ASSERT_TRUE(!error && unevaluated.size() == 6u);
  EXPECT_TRUE(std::isnan(unevaluated[5].Calculated[kH]) && std::isnan(unevaluated[5].Residual[kH]));
}

}  // namespace
}  // namespace zamo
