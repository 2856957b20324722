#include <gtest/gtest.h>

#include <atomic>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "model/NumberFormat.h"
#include "optimize/FitReportText.h"

namespace zamo {
namespace {

struct FittedExample {
  FitSettings Settings;
  FitResult Result;
};

// All sixteen constants free: k13 ends at its bound, k15 and k16 are correlated, several
// minor constants are not separable from zero.
const FittedExample& EverythingFree() {
  static const FittedExample fitted = [] {
    const ProjectData project = ReadProjectText(ProjectData{}, ExampleProjectText(), "").Data;
    FittedExample f;
    f.Settings.Free.Fill(true);
    const std::atomic<bool> stop{false};
    f.Result = FitRateConstants(f.Settings, {project.K, project.Left, project.Right}, nullptr, stop);
    return f;
  }();
  return fitted;
}

std::vector<std::string> FlagsOf(int index) {
  const FitResult& r = EverythingFree().Result;
  for (std::size_t n = 0; n < r.Free.size(); ++n) {
    if (r.Free[n] == index) return FitFlags(r, n);
  }
  return {"not free"};
}

TEST(FitReportText, FlagsNameBoundZeroAndCorrelation) {
  EXPECT_EQ(FlagsOf(13), std::vector<std::string>{"at bound"});
  EXPECT_EQ(FlagsOf(3), std::vector<std::string>{"interval contains 0"});
  EXPECT_EQ(FlagsOf(2), std::vector<std::string>{});
  EXPECT_EQ(FlagsOf(15).back(), "r = 0.99 with k16");
  EXPECT_EQ(FlagsOf(16).back(), "r = 0.99 with k15");
  for (const int i : {3, 13, 15}) EXPECT_FALSE(FitFlagExplanation(FlagsOf(i).back()).empty()) << "k" << i;
}

TEST(FitReportText, TableHasARowPerFreeConstantAndTheSums) {
  const FittedExample& f = EverythingFree();
  const FitReport report = MakeFitReport(f.Settings, f.Result);
  EXPECT_EQ(report.Headline.rfind("Least-squares fit to both experiments: converged after ", 0), 0u);
  ASSERT_EQ(report.Constants.size(), 17u);
  EXPECT_EQ(report.Constants[0][1], "Start (1/s)");
  EXPECT_EQ(report.Constants[13][0], "k13");
  EXPECT_EQ(report.Constants[13].back(), "at bound");
  EXPECT_EQ(report.Constants[13][3], "-");
  EXPECT_EQ(report.Sums[3], (std::vector<std::string>{"total", "20.2490", "15.2925", ""}));
  EXPECT_EQ(report.Correlated.front().rfind("k6-k7 -0.98", 0), 0u) << report.Correlated.front();
}

// The cells every rendering shares, on a result made by hand: the relative error in percent
// of the fitted value, and the missing mark where a value is not finite or k is 0.
TEST(FitReportText, ConstantCellsCarryTextDigitsAndTheMissingMark) {
  const Real nan = std::numeric_limits<Real>::quiet_NaN();
  FitResult fit;
  fit.Free = {2, 5};
  fit.K[2] = 2e-3L;
  fit.Start[5] = 1e-4L;
  fit.StandardError = {1e-4L, nan};
  fit.Interval95 = {{1.8e-3L, 2.2e-3L}, {nan, nan}};
  fit.Correlation = {{1, nan}, {nan, nan}};
  const std::vector<FitConstantCells> cells = MakeFitConstantCells(fit);
  ASSERT_EQ(cells.size(), 2u);
  EXPECT_EQ(cells[0].Index, 2);
  EXPECT_EQ(cells[0].Fitted.Text, "2.00000e-03");
  EXPECT_EQ(cells[0].Fitted.Digits, 5);
  EXPECT_EQ(cells[0].RelativeError.Text, "5.0 %");
  EXPECT_EQ(IntervalText(cells[0].Interval95), "[1.80000e-03, 2.20000e-03]");
  EXPECT_EQ(cells[1].Start.Text, "1.00000e-04");
  EXPECT_TRUE(cells[1].StandardError.Missing && cells[1].RelativeError.Missing && cells[1].Interval95[0].Missing);
  EXPECT_EQ(cells[1].RelativeError.Text, kMissing);
  EXPECT_EQ(IntervalText(cells[1].Interval95), kMissing);
  EXPECT_FALSE(cells[0].Profile.has_value());
}

// A fit to one experiment names the constants it hardly determines before they are applied.
TEST(FitReportText, OneExperimentNamesWhatItHardlyDetermines) {
  const ProjectData project = ReadProjectText(ProjectData{}, ExampleProjectText(), "").Data;
  FitSettings settings;
  settings.Free = DefaultFreeSet(project.K, false);
  settings.Experiments = FitExperiments::Left;
  settings.Starts = 1;
  const std::atomic<bool> stop{false};
  const FitResult fit = FitRateConstants(settings, {project.K, project.Left, project.Right}, nullptr, stop);
  const std::vector<std::string> notes = MakeFitReport(settings, fit).Notes;
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[1].rfind(
                "Fitted to the left experiment alone, which hardly determines k1, k3, k4, k14 (see their flags)", 0),
            0u)
      << notes[1];
}

// Columns are as wide as their widest cell: a 4-digit exponent does not run into the next.
TEST(FitReportText, ColumnsNeverTouch) {
  FittedExample f = EverythingFree();
  f.Result.Start[1] = 1e-4000L;
  f.Result.StandardError[0] = 3e+4000L;
  for (const std::string& line : FitTable(f.Settings, f.Result)) {
    if (line.rfind("k1 ", 0) == 0) {
      EXPECT_NE(line.find("1.00000e-4000  "), std::string::npos) << line;
    }
  }
  EXPECT_EQ(AlignColumns({{"a", "bb"}, {"ccc", "d"}}), (std::vector<std::string>{"a    bb", "ccc  d"}));
  EXPECT_EQ(AlignColumns({{"R²", "x"}, {"abc", "y"}}), (std::vector<std::string>{"R²   x", "abc  y"}));
}

// Tab-separated: the constants' table with its header, then the correlation matrix.
TEST(FitReportText, TabSeparatedHoldsTheTablesAndTheCorrelations) {
  const FittedExample& f = EverythingFree();
  const std::string text = FitTabSeparated(f.Settings, f.Result);
  EXPECT_NE(text.find("\nConstant\tStart (1/s)\tFitted (1/s)\tSE (1/s)\t95 % interval (1/s)\tRel. SE\tFlags\nk1\t"),
            std::string::npos);
  EXPECT_NE(text.find("\nCorrelation\tk1\tk2\t"), std::string::npos);
  EXPECT_NE(text.find("\nk16\t" + FixedText(f.Result.Correlation[15][0], 4) + "\t"), std::string::npos);
}

}  // namespace
}  // namespace zamo
