#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "document/ProjectWriter.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

constexpr const char* kSpeciesHeader = "  TriMCP   IsPrCP   4MPent   IPrAll   23DMBD   T-2MPD   C-2MPD    4MePD";

KineticProject ReadProject(const TextLines& lines) {
  KineticProject project;
  ReadInto(project, lines, "");
  return project;
}

// A function, not a namespace-scope constant: the date encoding relies on constants of its
// own translation unit that may not be initialised yet while this one is.
DateTime Now() { return EncodeDateTime({2024, 3, 5, 14, 7, 9, 0}); }

// The example as written: its own lines but for the time of writing and the rate constants
// with six digits; each block followed by an empty line, then both error sections.
TEST(ProjectWriterTest, WritesTheExampleLineByLine) {
  KineticProject project = ReadProject(ExampleProjectText());
  project.LeftDeviation.TotalSquares = 8.2431L;
  project.LeftDeviation.SignedSum = {{-0.6021L, -0.0762L, 0.0011L, -0.0603L, -0.0214L, -0.0018L, 0.7589L, 0.0003L}};
  project.LeftDeviation.AbsoluteSum = {{4.634L, 0.21L, 0.42L, 0.11L, 0.25L, 0.64L, 0.76L, 3.93L}};
  TextLines expected = WithLines(ExampleProjectText(), {{14, "Act. Date/Time: 05.03.24 14:07:09"},
                                                        {22, "1.26000E-06  3.62300E-05"},
                                                        {23, "1.03000E-05  1.74000E-05"},
                                                        {24, "8.50000E-08  9.93000E-07"},
                                                        {25, "3.10000E-07  0.00000E+00"},
                                                        {26, "2.33500E-05  0.00000E+00"},
                                                        {27, "0.00000E+00  0.00000E+00"},
                                                        {28, "1.98000E-05  7.32000E-05"},
                                                        {30, "2.15400E-05  2.65900E-04"}});
  const TextLines errors = {"", "", "Error: Left-Reactions", "", "TOTAL SQ DIFF SUM = 8.243", " ",
                            "Summ.Error of each reactant:", kSpeciesHeader,
                            "  -0.602   -0.076    0.001   -0.060   -0.021   -0.002    0.759    0.000",
                            "   4.63     0.21     0.42     0.11     0.25     0.64     0.76     3.93",
                            // The right summary was never evaluated and stays zero.
                            "", "Error: Right-Reactions", "", "TOTAL SQ DIFF SUM = 0.000", " ",
                            "Summ.Error of each reactant:", kSpeciesHeader,
                            "   0.000    0.000    0.000    0.000    0.000    0.000    0.000    0.000",
                            "   0.00     0.00     0.00     0.00     0.00     0.00     0.00     0.00"};
  expected.Append(errors);
  EXPECT_EQ(BuildProjectText(project, Now()), expected);
}

TEST(ProjectWriterTest, RateConstantsHaveSixSignificantDigits) {
  KineticProject project = ReadProject(ExampleProjectText());
  const std::pair<std::pair<Real, Real>, const char*> cases[] = {
      {{1.234567891e-6L, 9.999996e-3L}, "1.23457E-06  1.00000E-02"},
      {{1, 0.5e-12L}, "1.00000E+00  5.00000E-13"},
  };
  for (const auto& [values, line] : cases) {
    project.K[2] = values.first;
    project.K[9] = values.second;
    EXPECT_EQ(BuildProjectText(project, Now())[23], line);
  }
}

TEST(ProjectWriterTest, RightExperimentAloneWritesNoLeftBlockOrLeftErrors) {
  const KineticProject project = ReadProject(DataFileLines("right-only.zam"));
  const TextLines written = BuildProjectText(project, Now());
  EXPECT_EQ(written[32], "Right Reaction:");
  EXPECT_EQ(std::count(written.begin(), written.end(), "Left Reaction:"), 0);
  EXPECT_EQ(std::count(written.begin(), written.end(), "Error: Left-Reactions"), 0);
  EXPECT_EQ(written.size(), 32u + 12u + 9u);
  const KineticProject back = ReadProject(written);
  EXPECT_FALSE(back.Left.Present || back.ShowLeft);
  EXPECT_TRUE(back.Right == project.Right);
}

TEST(ProjectWriterTest, NonUtf8NamesAreReadAndWrittenBackByteForByte) {
  const TextLines file = DataFileLines("non-utf8-names.zam");
  const KineticProject project = ReadProject(file);
  EXPECT_EQ(project.Title, "TMCP-ICP Kinetik, M\xE4rz 1997");
  const TextLines written = BuildProjectText(project, Now());
  for (std::size_t i = 1; i <= 6; ++i) EXPECT_EQ(written[i], file[i]) << "line " << i;
}

TEST(DeviationSummaryLinesTest, ColumnsAreNineCharactersWideUnderTheSpeciesNames) {
  DeviationSummary summary;
  summary.SignedSum = {{-1234.5678L, 999.9994L, -0.0004L, 12.3456L, 0, 1, -1, 100}};
  summary.AbsoluteSum = {{12345.678L, 999.994L, 0.004L, 12.3456L, 0, 1, 1, 100}};
  summary.TotalSquares = 1234567.8914L;
  // "-1234.568" keeps its last 8 characters, and so does an over-long field of width 7 and
  // two blanks; a rounded negative zero has no sign.
  EXPECT_EQ(DeviationSummaryLines(summary),
            (TextLines{"TOTAL SQ DIFF SUM = 1234567.891", " ", "Summ.Error of each reactant:", kSpeciesHeader,
                       "1234.568  999.999    0.000   12.346    0.000    1.000   -1.000  100.000",
                       "2345.68   999.99     0.00    12.35     0.00     1.00     1.00   100.00"}));
}

// What the text keeps of each value: six digits of a constant, tenths of a minute, two
// decimals of a percentage with species 8 again the remainder.
TEST(ProjectWriterTest, ExampleReadsBackToWhatTheTextKeeps) {
  KineticProject project = ReadProject(ExampleProjectText());
  project.K[3] = 1.23456789e-7L;
  project.ZoomLeft = 17;
  project.Left.Times[2] = 1799;  // 29.983 minutes
  const TextLines written = BuildProjectText(project, Now());
  EXPECT_EQ(written[38], "30.0  82.90  0.34  3.33  0.01  0.02  7.58  0.29");
  const KineticProject back = ReadProject(written);
  project.K[3] = 1.23457e-7L;
  project.Left.Times[2] = 1800;
  EXPECT_TRUE(back.K == project.K);
  EXPECT_EQ(back.ZoomLeft, 17);
  EXPECT_EQ(back.Left.Times, project.Left.Times);
  for (const Side side : {Side::Left, Side::Right}) {
    for (std::size_t r = 0; r <= 6; ++r) {
      const SpeciesValues& a = project.ExperimentOf(side).Observed[r];
      const SpeciesValues& b = back.ExperimentOf(side).Observed[r];
      Real sum = 0;
      for (int s = 1; s <= 7; ++s) {
        EXPECT_NEAR(static_cast<double>(b[s]), static_cast<double>(a[s]), 1e-12) << r << "/" << s;
        sum += b[s];
      }
      EXPECT_EQ(b[8], 1 - sum);
    }
  }
}

// Regression: the count declared on line 13 was written back as read, while the constants
// were always written in seven lines, so a text declaring five rate-constant lines read
// back with its columns shifted.
TEST(ProjectWriterTest, RegressionDeclaredFiveRateLinesRoundTripKeepsTheConstants) {
  const KineticProject project = ReadProject(DataFileLines("declared-5-rate-lines.zam"));
  const TextLines written = BuildProjectText(project, Now());
  EXPECT_EQ(written[13], "7");
  EXPECT_EQ(written[22], "1.26000E-06  1.74000E-05");  // k1 beside k8
  const KineticProject back = ReadProject(written);
  EXPECT_TRUE(back.K == project.K);
  EXPECT_TRUE(back.Left == project.Left);
}

}  // namespace
}  // namespace zamo
