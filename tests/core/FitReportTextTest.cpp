#include <gtest/gtest.h>

#include <atomic>
#include <limits>
#include <string>
#include <vector>

#include "model/NumberFormat.h"
#include "optimize/FitReportText.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

struct Fitted {
  FitSettings Settings;
  FitResult Result;
};

// The example fitted: with every constant free (k13 ends at its bound, k15 and k16 are
// correlated, k3 is not separable from zero), or its default set to the left experiment alone.
Fitted FitOfExample(bool everything) {
  const KineticProject project = Example();
  Fitted f;
  f.Settings.Free = DefaultFreeSet(project.K, false);
  if (everything) f.Settings.Free.Fill(true);
  if (!everything) f.Settings.Experiments = FitExperiments::Left, f.Settings.Starts = 1;
  const std::atomic<bool> stop{false};
  f.Result = FitRateConstants(f.Settings, {project.K, project.Left, project.Right}, nullptr, stop);
  return f;
}

TEST(FitReportText, FlagsTableAndTabSeparatedTextOfTheExample) {
  const Fitted f = FitOfExample(true);
  const auto flagsOf = [&](int index) {
    const auto n = std::find(f.Result.Free.begin(), f.Result.Free.end(), index) - f.Result.Free.begin();
    return FitFlags(f.Result, static_cast<std::size_t>(n));
  };
  EXPECT_EQ(flagsOf(13), std::vector<std::string>{"at bound"});
  EXPECT_EQ(flagsOf(3), std::vector<std::string>{"interval contains 0"});
  EXPECT_TRUE(flagsOf(2).empty() && !FitFlagExplanation("at bound").empty());
  EXPECT_EQ(flagsOf(16).back(), "r = 0.99 with k15");
  // A row per free constant under the header; the sums before and after.
  const FitReport report = MakeFitReport(f.Settings, f.Result);
  EXPECT_EQ(report.Headline.rfind("Least-squares fit to both experiments: converged after ", 0), 0u);
  ASSERT_EQ(report.Constants.size(), 17u);
  EXPECT_EQ(report.Constants[13],
            (std::vector<std::string>{"k13", report.Constants[13][1], "0.00000e+00", "-", "-", "-", "at bound"}));
  EXPECT_EQ(report.Sums[3][0], "total");
  // Tab-separated: the constants' table with its header, then the correlation matrix.
  const std::string text = FitTabSeparated(f.Settings, f.Result);
  EXPECT_NE(text.find("\nConstant\tStart (1/s)\tFitted (1/s)\tSE (1/s)\t95 % interval (1/s)\tRel. SE\tFlags\nk1\t"),
            std::string::npos);
  EXPECT_NE(text.find("\nk16\t" + FixedText(f.Result.Correlation[15][0], 4) + "\t"), std::string::npos);
}

// The cells every rendering shares, on a result made by hand: the relative error in percent
// of the fitted value, and the missing mark where a value is not finite or k is 0.
TEST(FitReportText, ConstantCellsCarryTextDigitsAndTheMissingMark) {
  const Real nan = std::numeric_limits<Real>::quiet_NaN();
  FitResult fit;
  fit.Free = {2, 5}, fit.K[2] = 2e-3L, fit.Start[5] = 1e-4L, fit.StandardError = {1e-4L, nan};
  fit.Interval95 = {{1.8e-3L, 2.2e-3L}, {nan, nan}}, fit.Correlation = {{1, nan}, {nan, nan}};
  const std::vector<FitConstantCells> cells = MakeFitConstantCells(fit);
  ASSERT_EQ(cells.size(), 2u);
  EXPECT_TRUE(cells[0].Index == 2 && cells[0].Fitted.Text == "2.00000e-03" && cells[0].Fitted.Digits == 5);
  EXPECT_EQ(cells[0].RelativeError.Text, "5.0 %");
  EXPECT_EQ(IntervalText(cells[0].Interval95), "[1.80000e-03, 2.20000e-03]");
  EXPECT_EQ(cells[1].Start.Text, "1.00000e-04");
  EXPECT_TRUE(cells[1].StandardError.Missing && cells[1].RelativeError.Text == kMissing);
  EXPECT_EQ(IntervalText(cells[1].Interval95), kMissing);
}

// A fit to one experiment names the constants it hardly determines before they are applied;
// columns are as wide as their widest cell, so a 4-digit exponent does not run into the next.
TEST(FitReportText, OneExperimentNotesAndColumnsThatNeverTouch) {
  Fitted f = FitOfExample(false);
  const std::vector<std::string> notes = MakeFitReport(f.Settings, f.Result).Notes;
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[1].rfind(
                "Fitted to the left experiment alone, which hardly determines k1, k3, k4, k14 (see their flags)", 0),
            0u)
      << notes[1];
  f.Result.Start[1] = 1e-4000L;
  f.Result.StandardError[0] = 3e+4000L;
  for (const std::string& line : FitTable(f.Settings, f.Result)) {
    EXPECT_TRUE(line.rfind("k1 ", 0) != 0 || line.find("1.00000e-4000  ") != std::string::npos) << line;
  }
  EXPECT_EQ(AlignColumns({{"R²", "bb"}, {"ccc", "d"}}), (std::vector<std::string>{"R²   bb", "ccc  d"}));
}

}  // namespace
}  // namespace zamo
