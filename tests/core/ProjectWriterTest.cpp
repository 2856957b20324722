#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "document/ProjectWriter.h"
#include "document/TextFile.h"
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

bool Contains(const TextLines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The summary the error-section example of the file format shows.
DeviationSummary ExampleSummary() {
  DeviationSummary summary;
  summary.TotalSquares = 8.2431L;
  summary.SignedSum = {{-0.6021L, -0.0762L, 0.0011L, -0.0603L, -0.0214L, -0.0018L, 0.7589L, 0.0003L}};
  summary.AbsoluteSum = {{4.634L, 0.21L, 0.42L, 0.11L, 0.25L, 0.64L, 0.76L, 3.93L}};
  return summary;
}

// ---- Layout ----

TEST(ProjectWriterLayoutTest, WritesTheExampleLineByLine) {
  KineticProject project = ReadProject(ExampleProjectText());
  project.LeftDeviation = ExampleSummary();
  const TextLines written = BuildProjectText(project, Now());
  const TextLines& example = ExampleProjectText();
  ASSERT_EQ(written.size(), 74u);

  const TextLines header = {"Titel:",
                            "TMCP-ICP Kinetic System",
                            example[2],
                            "1,3,3-Trimethylcyclopropene",
                            "TMCP210.dat",
                            "1-Isopropylcyclopropene",
                            "IPCP210.dat",
                            "25.07.97 01:51:38",
                            "Temperature:",
                            "210.1",
                            "Act. Number of Reactant:",
                            "8",
                            "Number of Rate Constant for Left or Right Reaction:",
                            "7",
                            "Act. Date/Time: 05.03.24 14:07:09",
                            "Zoom Values:",
                            "163  320",
                            "",
                            "",
                            "",
                            "",
                            "Rate Constant k1 - k14:",
                            "1.26000E-06  3.62300E-05",
                            "1.03000E-05  1.74000E-05",
                            "8.50000E-08  9.93000E-07",
                            "3.10000E-07  0.00000E+00",
                            "2.33500E-05  0.00000E+00",
                            "0.00000E+00  0.00000E+00",
                            "1.98000E-05  7.32000E-05",
                            "k15 and k16:",
                            "2.15400E-05  2.65900E-04",
                            ""};
  for (std::size_t i = 0; i < header.size(); ++i) EXPECT_EQ(written[i], header[i]) << "line " << i;
  // Both blocks come out as the example holds them, each followed by an empty line.
  for (std::size_t i = 32; i < example.size(); ++i) EXPECT_EQ(written[i], example[i]) << "line " << i;
  EXPECT_EQ(written[55], "");

  const TextLines errors = {"", "Error: Left-Reactions", "", "TOTAL SQ DIFF SUM = 8.243", " ",
                            "Summ.Error of each reactant:", kSpeciesHeader,
                            "  -0.602   -0.076    0.001   -0.060   -0.021   -0.002    0.759    0.000",
                            "   4.63     0.21     0.42     0.11     0.25     0.64     0.76     3.93",
                            // The right summary was never evaluated and stays zero.
                            "", "Error: Right-Reactions", "", "TOTAL SQ DIFF SUM = 0.000", " ",
                            "Summ.Error of each reactant:", kSpeciesHeader,
                            "   0.000    0.000    0.000    0.000    0.000    0.000    0.000    0.000",
                            "   0.00     0.00     0.00     0.00     0.00     0.00     0.00     0.00"};
  for (std::size_t i = 0; i < errors.size(); ++i) EXPECT_EQ(written[56 + i], errors[i]) << "line " << 56 + i;
}

struct RateCase {
  const char* name;
  Real left;
  Real right;
  std::string line;
};

void PrintTo(const RateCase& c, std::ostream* out) { *out << c.line; }

class ProjectWriterRateTest : public testing::TestWithParam<RateCase> {};

TEST_P(ProjectWriterRateTest, WritesSixSignificantDigits) {
  KineticProject project = ReadProject(ExampleProjectText());
  project.K[2] = GetParam().left;
  project.K[9] = GetParam().right;
  EXPECT_EQ(BuildProjectText(project, Now())[23], GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(Constants, ProjectWriterRateTest,
                         testing::Values(RateCase{"Zero", 0, 0, "0.00000E+00  0.00000E+00"},
                                         RateCase{"RoundedAtTheSixthDigit", 1.234567891e-6L, 9.999996e-3L,
                                                  "1.23457E-06  1.00000E-02"},
                                         RateCase{"LargeExponent", 1, 0.5e-12L, "1.00000E+00  5.00000E-13"}),
                         [](const testing::TestParamInfo<RateCase>& row) { return row.param.name; });

TEST(ProjectWriterLayoutTest, RightExperimentAloneWritesNoLeftBlockOrLeftErrors) {
  const KineticProject project = ReadProject(DataFileLines("right-only.zam"));
  const TextLines written = BuildProjectText(project, Now());
  EXPECT_EQ(written[32], "Right Reaction:");
  EXPECT_FALSE(Contains(written, "Left Reaction:"));
  EXPECT_FALSE(Contains(written, "Error: Left-Reactions"));
  EXPECT_TRUE(Contains(written, "Error: Right-Reactions"));
  EXPECT_EQ(written.size(), 32u + 12u + 9u);

  const KineticProject back = ReadProject(written);
  EXPECT_FALSE(back.Left.Present);
  EXPECT_FALSE(back.ShowLeft);
  EXPECT_TRUE(back.Right == project.Right);
}

TEST(ProjectWriterLayoutTest, NonUtf8NamesAreWrittenBackByteForByte) {
  const TextLines file = DataFileLines("non-utf8-names.zam");
  const TextLines written = BuildProjectText(ReadProject(file), Now());
  for (std::size_t i = 1; i <= 6; ++i) EXPECT_EQ(written[i], file[i]) << "line " << i;
  EXPECT_EQ(written[1], "TMCP-ICP Kinetik, M\xE4rz 1997");
}

// ---- The error section ----

TEST(DeviationSummaryLinesTest, ColumnsAreNineCharactersWideUnderTheSpeciesNames) {
  DeviationSummary summary;
  summary.SignedSum = {{-1234.5678L, 999.9994L, -0.0004L, 12.3456L, 0, 1, -1, 100}};
  summary.AbsoluteSum = {{12345.678L, 999.994L, 0.004L, 12.3456L, 0, 1, 1, 100}};
  summary.TotalSquares = 1234567.8914L;
  const TextLines lines = DeviationSummaryLines(summary);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], "TOTAL SQ DIFF SUM = 1234567.891");
  EXPECT_EQ(lines[1], " ");
  EXPECT_EQ(lines[2], "Summ.Error of each reactant:");
  EXPECT_EQ(lines[3], kSpeciesHeader);
  // "-1234.568" keeps its last 8 characters; a rounded negative zero has no sign.
  EXPECT_EQ(lines[4], "1234.568  999.999    0.000   12.346    0.000    1.000   -1.000  100.000");
  // Width 7 and two blanks: an over-long field also keeps its last characters.
  EXPECT_EQ(lines[5], "2345.68   999.99     0.00    12.35     0.00     1.00     1.00   100.00");
  EXPECT_EQ(lines[4].size(), lines[3].size());
}

// ---- Write, then read back ----

TEST(ProjectWriterRoundTripTest, ExampleReadsBackToWhatWasWritten) {
  KineticProject project = ReadProject(ExampleProjectText());
  project.K[3] = 1.23456789e-7L;  // more digits than the text keeps
  project.K[12] = 4.4e-7L;
  project.ZoomLeft = 17;
  project.ZoomRight = 325;
  project.Left.Times[2] = 1799;  // 29.983 minutes
  const TextLines written = BuildProjectText(project, Now());
  EXPECT_EQ(written[38], "30.0  82.90  0.34  3.33  0.01  0.02  7.58  0.29");

  const KineticProject back = ReadProject(written);
  for (int i = 1; i <= kRateConstantCount; ++i) {
    const Real expected = i == 3 ? 1.23457e-7L : project.K[i];
    EXPECT_EQ(back.K[i], expected) << "k" << i;
  }
  EXPECT_EQ(back.ZoomLeft, 17);
  EXPECT_EQ(back.ZoomRight, 325);
  EXPECT_EQ(back.Left.Times[2], 1800);
  project.Left.Times[2] = 1800;
  EXPECT_EQ(back.Left.Times, project.Left.Times);
  EXPECT_EQ(back.Right.Times, project.Right.Times);
  EXPECT_EQ(back.Left.LastRow, 6);
  EXPECT_EQ(back.Right.LastRow, 6);
  EXPECT_EQ(back.Title, project.Title);
  EXPECT_EQ(back.DataDateTime, project.DataDateTime);
  EXPECT_EQ(back.Temperature, project.Temperature);
  // The written percentages hold two decimals; species 8 is again the remainder.
  for (const Side side : {Side::Left, Side::Right}) {
    for (int r = 0; r <= 6; ++r) {
      const SpeciesValues& a = project.ExperimentOf(side).Observed[static_cast<std::size_t>(r)];
      const SpeciesValues& b = back.ExperimentOf(side).Observed[static_cast<std::size_t>(r)];
      Real sum = 0;
      for (int s = 1; s <= 7; ++s) {
        EXPECT_NEAR(static_cast<double>(b[s]), static_cast<double>(a[s]), 1e-12) << r << "/" << s;
        sum += b[s];
      }
      EXPECT_EQ(b[8], 1 - sum);
    }
  }
}

// The regression: the count declared on line 13 was written back as read, while the
// constants were always written in seven lines, so a text declaring five rate-constant lines
// read back with its columns shifted.
TEST(ProjectWriterRoundTripTest, DeclaredFiveRateLinesRoundTripKeepsTheConstants) {
  const KineticProject project = ReadProject(DataFileLines("declared-5-rate-lines.zam"));
  ASSERT_EQ(project.DeclaredRateConstantsPerReaction, 5);
  const TextLines written = BuildProjectText(project, Now());
  EXPECT_EQ(written[13], "7");
  EXPECT_EQ(written[21], "Rate Constant k1 - k14:");
  EXPECT_EQ(written[22], "1.26000E-06  1.74000E-05");  // k1 beside k8
  const KineticProject back = ReadProject(written);
  EXPECT_TRUE(back.K == project.K);
  EXPECT_TRUE(back.Left == project.Left);
  EXPECT_TRUE(back.Right == project.Right);
}

}  // namespace
}  // namespace zamo
