#include <gtest/gtest.h>

#include <algorithm>

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

// A function, not a constant: the date encoding needs another unit's constants initialised.
TextLines Written(const KineticProject& p) { return BuildProjectText(p, EncodeDateTime({2024, 3, 5, 14, 7, 9, 0})); }

// The example as written: its own lines but for the time and the constants of six digits;
// then both error sections (the right one never evaluated and zero).
TEST(ProjectWriterTest, WritesTheExampleLineByLineAndEachBlockOnlyWithItsExperiment) {
  KineticProject project = ReadProject(ExampleProjectText());
  project.LeftDeviation.TotalSquares = 8.2431L;
  project.LeftDeviation.SignedSum = {{-0.6021L, -0.0762L, 0.0011L, -0.0603L, -0.0214L, -0.0018L, 0.7589L, 0.0003L}};
  project.LeftDeviation.AbsoluteSum = {{4.634L, 0.21L, 0.42L, 0.11L, 0.25L, 0.64L, 0.76L, 3.93L}};
  // clang-format off
  TextLines expected = WithLines(ExampleProjectText(), {{14, "Act. Date/Time: 05.03.24 14:07:09"},
      {22, "1.26000E-06  3.62300E-05"}, {23, "1.03000E-05  1.74000E-05"}, {24, "8.50000E-08  9.93000E-07"},
      {25, "3.10000E-07  0.00000E+00"}, {26, "2.33500E-05  0.00000E+00"}, {27, "0.00000E+00  0.00000E+00"},
      {28, "1.98000E-05  7.32000E-05"}, {30, "2.15400E-05  2.65900E-04"}});
  expected.Append({"", "", "Error: Left-Reactions", "", "TOTAL SQ DIFF SUM = 8.243", " ",
      "Summ.Error of each reactant:", kSpeciesHeader,
      "  -0.602   -0.076    0.001   -0.060   -0.021   -0.002    0.759    0.000",
      "   4.63     0.21     0.42     0.11     0.25     0.64     0.76     3.93", "", "Error: Right-Reactions", "",
      "TOTAL SQ DIFF SUM = 0.000", " ", "Summ.Error of each reactant:", kSpeciesHeader,
      "   0.000    0.000    0.000    0.000    0.000    0.000    0.000    0.000",
      "   0.00     0.00     0.00     0.00     0.00     0.00     0.00     0.00"});
  // clang-format on
  EXPECT_EQ(Written(project), expected);
  // "-1234.568" keeps its last 8 characters; a rounded negative zero has no sign.
  DeviationSummary summary;
  summary.SignedSum = {{-1234.5678L, 999.9994L, -0.0004L, 12.3456L, 0, 1, -1, 100}};
  EXPECT_EQ(DeviationSummaryLines(summary)[4],
            "1234.568  999.999    0.000   12.346    0.000    1.000   -1.000  100.000");
  // The right experiment alone writes no left block or left errors; names that are no UTF-8
  // are written back byte for byte.
  const TextLines written = Written(ReadProject(DataFileLines("right-only.zam")));
  EXPECT_EQ(std::count(written.begin(), written.end(), "Left Reaction:"), 0);
  EXPECT_EQ(written.size(), 32u + 12u + 9u);
  const TextLines file = DataFileLines("non-utf8-names.zam");
  EXPECT_TRUE(std::equal(file.begin() + 1, file.begin() + 7, Written(ReadProject(file)).begin() + 1));
}

// Regression: the count declared on line 13 was written back as read, while the constants
// were always written in seven lines, so a text declaring five rate-constant lines read back
// with its columns shifted. Percentages keep two decimals, times tenths of a minute.
TEST(ProjectWriterTest, RegressionDeclaredFiveRateLinesRoundTripKeepsTheConstants) {
  KineticProject project = ReadProject(DataFileLines("declared-5-rate-lines.zam"));
  project.Left.Times[2] = 1799;  // 29.983 minutes
  const TextLines written = Written(project);
  EXPECT_EQ(std::string(written[13]) + "|" + std::string(written[22]), "7|1.26000E-06  1.74000E-05");
  EXPECT_EQ(written[38], "30.0  82.90  0.34  3.33  0.01  0.02  7.58  0.29");
  EXPECT_TRUE(ReadProject(written).K == project.K);
  EXPECT_EQ(ReadProject(written).Left.Times[2], 1800);
}

}  // namespace
}  // namespace zamo
