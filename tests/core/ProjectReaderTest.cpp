#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>

#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "model/DateTime.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

ProjectRead Read(const TextLines& lines, const ProjectData& base = {}) {
  return ReadProjectText(base, lines, "chosen.zam");
}

ProjectData ReadFile(const char* name) { return Read(DataFileLines(name)).Data; }

void ExpectFractions(const SpeciesValues& row, const std::array<Real, 8>& expected) {
  for (int s = 1; s <= 8; ++s) {
    EXPECT_NEAR(static_cast<double>(row[s]), static_cast<double>(expected[static_cast<std::size_t>(s - 1)]), 1e-15)
        << "species " << s;
  }
}

// ---- What reads ----

TEST(ProjectReaderTest, ReadsTheValuesTheExampleHolds) {
  const ProjectRead read = Read(ExampleProjectText());
  const ProjectData& p = read.Data;
  EXPECT_EQ(p.Title + "|" + p.Author + "|" + p.LeftReactantName + "|" + p.LeftDataFile + "|" + p.RightReactantName +
                "|" + p.RightDataFile + "|" + p.FileName,
            "TMCP-ICP Kinetic System|A. Sample, B. Example, C. Demo|1,3,3-Trimethylcyclopropene|TMCP210.dat|"
            "1-Isopropylcyclopropene|IPCP210.dat|chosen.zam");
  EXPECT_EQ(p.DataDateTime, EncodeDateTime({1997, 7, 25, 1, 51, 38, 0}));
  EXPECT_EQ(p.Temperature, 210.1L);
  EXPECT_NEAR(static_cast<double>(p.AbsoluteTemperature), 483.25, 1e-12);
  EXPECT_EQ(p.ReactantCount, 8);
  EXPECT_EQ(p.DeclaredRateConstantsPerReaction, 7);
  EXPECT_EQ(p.ZoomLeft, 163);
  EXPECT_EQ(p.ZoomRight, 320);
  EXPECT_TRUE(p.K == ExampleRates());
  EXPECT_TRUE(p.Left.Present && p.Right.Present);
  EXPECT_EQ(p.Left.LastRow, 6);
  EXPECT_EQ(p.Right.LastRow, 6);
  EXPECT_EQ(p.Left.Times, (std::array<std::int32_t, kRowCount>{0, 1800, 3600, 7200, 10800, 19800, 36000}));
  EXPECT_EQ(p.Right.Times, (std::array<std::int32_t, kRowCount>{0, 1200, 2400, 3600, 5400, 9000, 18000}));
  EXPECT_EQ(read.ShowLeft, true);
  EXPECT_EQ(read.Caption, "Mavrin - Left Reactions: TMCP-ICP Kinetic System (T = 210.1)");
  // "30.0  91.09  0.18  1.68  0.00  0.00  3.93  0.10": H is what the seven others leave.
  ExpectFractions(p.Left.Observed[1], {0.9109L, 0.0018L, 0.0168L, 0, 0, 0.0393L, 0.001L, 0.0302L});
  // The saved file and one with mixed line ends split to the same lines.
  EXPECT_EQ(DataFileLines("example-project.zam"), ExampleProjectText());
  EXPECT_EQ(DataFileLines("crlf-mixed-line-ends.zam"), ExampleProjectText());
}

TEST(ProjectReaderTest, RightExperimentAloneLendsItsTimesToTheLeft) {
  ProjectData base;
  base.Left.LastRow = 9;
  const ProjectRead read = Read(DataFileLines("right-only.zam"), base);
  const ProjectData& p = read.Data;
  EXPECT_EQ(read.ShowLeft, false);
  EXPECT_EQ(read.Caption, "Mavrin - Right Reactions: ICP Kinetic System (T = 210.1)");
  EXPECT_TRUE(p.Right.Present);
  EXPECT_NEAR(static_cast<double>(p.Right.Observed[1][2]), 0.8587, 1e-15);
  EXPECT_FALSE(p.Left.Present);
  EXPECT_EQ(p.Left.LastRow, 1);
  EXPECT_EQ(p.Left.Times, p.Right.Times);
  for (const SpeciesValues& row : p.Left.Observed) EXPECT_TRUE(row == SpeciesValues{});
}

TEST(ProjectReaderTest, LeftHeaderWithTrailingBlankIsNoHeader) {
  ProjectData base;
  base.Left.LastRow = 3;
  base.Right.LastRow = 4;
  const ProjectRead read = Read(DataFileLines("left-header-trailing-blank.zam"), base);
  EXPECT_FALSE(read.Data.Left.Present);
  EXPECT_FALSE(read.Data.Right.Present);  // the header line is not "Right Reaction:" either
  EXPECT_FALSE(read.Caption || read.ShowLeft);
  EXPECT_EQ(read.Data.Left.LastRow, 3);
  EXPECT_EQ(read.Data.Right.LastRow, 4);
  EXPECT_EQ(read.Data.K[16], 2.659E-04L);
}

TEST(ProjectReaderTest, RowsZoomLinesAndTimesAtTheirEdges) {
  EXPECT_EQ(ReadFile("zoom-right-one-digit.zam").ZoomRight, 5);
  // "600.0  12.63  0.15": C..G stay 0, H = 1 - 0.1278. "330.0 ... 1.76  23.34  9.99": the
  // eighth and ninth values give way to the remainder.
  const ProjectData rows = ReadFile("rows-with-two-and-nine-concentrations.zam");
  ExpectFractions(rows.Left.Observed[6], {0.1263L, 0.0015L, 0, 0, 0, 0, 0, 0.8722L});
  EXPECT_NEAR(static_cast<double>(rows.Left.Observed[5][8]), 0.2335, 1e-15);
  // 0.0, 0.01 (0.6 s), 4,2 (252 s from the decimal text, not 251.99...), 2.99 (179.4 s),
  // 29.99 (1799.4 s) and 600.0 minutes, truncated to whole seconds.
  const ProjectData minutes = ReadFile("fractional-minutes.zam");
  ASSERT_EQ(minutes.Left.LastRow, 5);
  EXPECT_EQ(minutes.Left.Times, (std::array<std::int32_t, kRowCount>{0, 0, 252, 179, 1799, 36000}));
}

// 1e-4000 is finite (though 0 in a double), the largest double is within the range, and so
// are percentages of +-1000 and a line of 41 numbers.
TEST(ProjectReaderTest, ValuesAtTheirLimitsAreRead) {
  std::string zoom = "1";
  for (int i = 1; i < 41; ++i) zoom += "  1";
  const ProjectData p =
      Read(
          ExampleTextWith(
              {{16, zoom}, {22, "1e-4000  1.7976931348623157E+308"}, {30, "-0.0  0"}, {37, "30.0  1000  -1000  1.68"}}))
          .Data;
  EXPECT_EQ(p.K[1], 1e-4000L);
  EXPECT_EQ(p.K[8], 1.7976931348623157E+308L);
  EXPECT_EQ(p.K[15], 0);
  EXPECT_EQ(p.Left.Observed[1][1], 10);
}

TEST(ProjectReaderTest, FiveDeclaredRateLinesFillTwoColumnsOfFive) {
  const ProjectData p = ReadFile("declared-5-rate-lines.zam");
  EXPECT_EQ(p.DeclaredRateConstantsPerReaction, 5);
  EXPECT_EQ(p.K[1], 1.260E-06L);
  EXPECT_EQ(p.K[5], 2.335E-05L);
  EXPECT_EQ(p.K[6], 1.350E-06L);
  EXPECT_EQ(p.K[10], 4.400E-07L);
  for (int i = 11; i <= 14; ++i) EXPECT_EQ(p.K[i], 0) << i;
  EXPECT_EQ(p.K[15], 2.154E-05L);
  EXPECT_EQ(p.Left.Times[6], 36000);
}

// ---- Texts that fail: the kind of error and the line (and column) it names ----

struct BadText {
  const char* name;  // a file of tests/data, or the name of a change to the example
  const char* kind;
  std::string described;
  int index = -1;  // the example's line (from 0) replaced by `line`
  const char* line = "";
};

void PrintTo(const BadText& bad, std::ostream* out) { *out << bad.name; }

class ProjectReaderErrorTest : public testing::TestWithParam<BadText> {};

TEST_P(ProjectReaderErrorTest, NamesTheLine) {
  const BadText& bad = GetParam();
  const TextLines lines = bad.index < 0 ? DataFileLines(bad.name) : ExampleTextWith({{bad.index, bad.line}});
  const Thrown thrown = ThrownBy([&] { Read(lines); });
  EXPECT_EQ(thrown.Kind, bad.kind);
  EXPECT_EQ(thrown.Described, bad.described);
}

const std::string kNotAFloat = " ist kein gültiger Gleitkommawert";
const std::string kRange = " from 0 to 1.7976931348623157E+308, found ";
const std::string kPercentage = ": expected a percentage from -1000 to 1000 for species ";

INSTANTIATE_TEST_SUITE_P(
    Texts, ProjectReaderErrorTest,
    testing::Values(
        BadText{"ends-after-temperature.zam", "format",
                "line 10: the text ends before the number of reactants (line 12)"},
        BadText{"ends-in-rate-constants.zam", "format", "line 26: the text ends before the rate constants k5 and k12"},
        BadText{"ends-before-right-block.zam", "format",
                "line 45: the text ends before the number of reaction times of the right reaction"},
        BadText{"ends-in-left-rows.zam", "format", "line 42: the text ends before row 4 of the left reaction"},
        BadText{"last-row-17.zam", "format",
                "line 35: expected the number of reaction times of the left reaction (0 to 16), found 17"},
        BadText{"last-row-minus-1.zam", "format",
                "line 47: expected the number of reaction times of the right reaction (0 to 16), found -1"},
        // Row 7 is the "Right Reaction:" header, whose letters are all dropped.
        BadText{"last-row-one-too-many.zam", "conversion", "line 45, column 1: ''" + kNotAFloat},
        BadText{"rate-lines-declared-0.zam", "format",
                "line 14: expected the number of rate constants per reaction (1 to 7), found 0"},
        BadText{"rate-lines-declared-8.zam", "format",
                "line 14: expected the number of rate constants per reaction (1 to 7), found 8"},
        BadText{"zoom-line-one-number.zam", "format", "line 17: expected two zoom values, found 1"},
        BadText{"rate-line-one-number.zam", "format",
                "line 25: expected two numbers for the rate constants k3 and k10, found 1"},
        BadText{"k15-k16-line-one-number.zam", "format",
                "line 31: expected two numbers for the rate constants k15 and k16, found 1"},
        BadText{"rate-line-tab-separated.zam", "conversion", "line 23, column 1: '1.260E-063.623E-05'" + kNotAFloat},
        BadText{"data-row-blank.zam", "format",
                "line 39: expected a reaction time and concentrations for row 2 of the left reaction"},
        BadText{"data-row-not-a-number.zam", "conversion", "line 53, column 1: ''" + kNotAFloat},
        BadText{"line-with-42-numbers.zam", "format",
                "line 38, column 247: a line holds at most 41 numbers, this one 42"},
        BadText{"temperature-with-comma.zam", "conversion", "line 10: '210,1'" + kNotAFloat},
        BadText{"reactant-count-not-integer.zam", "conversion", "line 12: '8.0' ist kein gültiger Integerwert"},
        BadText{"date-time-invalid.zam", "conversion",
                "line 8: '25.13.97 01:51:38' ist keine gültige Datums- und Uhrzeitangabe"},
        BadText{"PercentageAboveTheLimit", "format", "line 38, column 14" + kPercentage + "B, found 1e4000", 37,
                "30.0  91.09  1e4000  1.68"},
        BadText{"PercentageBelowTheLimit", "format", "line 50, column 7" + kPercentage + "A, found -1000.01", 49,
                "20.0  -1000.01  85.87  1.94"},
        BadText{"NumberBeyondTheExtendedRange", "conversion", "line 38, column 14: '1e5000'" + kNotAFloat, 37,
                "30.0  91.09  1e5000"},
        BadText{"RateConstantBelowZero", "format", "line 23, column 10: expected k8" + kRange + "-1.0E-04", 22,
                "1.0E-04  -1.0E-04"},
        BadText{"RateConstantBeyondADouble", "format", "line 31, column 1: expected k15" + kRange + "1e+400", 30,
                "1e+400  2.659E-04"}),
    [](const testing::TestParamInfo<BadText>& row) {
      std::string name;
      for (const char c : std::string(row.param.name)) {
        if (c == '.') break;
        if (c != '-') name += c;
      }
      return name;
    });

// Every prefix of the example either reads or fails as a text that ends too soon, naming
// its last line. It reads exactly where the grammar may stop: after the rate constants or
// after a complete block.
TEST(ProjectReaderRobustnessTest, EveryTruncationReadsOrFailsAtItsLastLine) {
  EXPECT_THROW_MSG(Read({}), FormatError, "the text ends before the date and time (line 8)");
  const TextLines& example = ExampleProjectText();
  const std::set<std::size_t> complete = {31, 32, 43, 44, 55};
  for (std::size_t n = 1; n <= example.size(); ++n) {
    const TextLines prefix(example.begin(), example.begin() + static_cast<std::ptrdiff_t>(n));
    if (complete.contains(n)) {
      EXPECT_NO_THROW(Read(prefix)) << n;
    } else if (const auto error = Caught<FormatError>([&] { Read(prefix); })) {
      EXPECT_EQ(error->Line(), static_cast<int>(n));
      EXPECT_EQ(std::string(error->what()).rfind("the text ends before", 0), 0u) << error->what();
    }
  }
}

// Replacing one line by "x" fails exactly on the lines that hold data; labels, empty lines
// and the two experiment headers are never compared in a way that fails.
TEST(ProjectReaderRobustnessTest, GarbageFailsOnlyOnDataLines) {
  std::set<std::size_t> data = {7, 9, 11, 13, 16, 30, 34, 46};
  for (std::size_t i = 0; i <= 6; ++i) data.insert({22 + i, 36 + i, 48 + i});
  const TextLines& example = ExampleProjectText();
  for (std::size_t i = 0; i < example.size(); ++i) {
    const TextLines lines = WithLines(example, {{i, "x"}});
    if (!data.contains(i)) {
      EXPECT_NO_THROW(Read(lines)) << "line " << i + 1;
    } else if (const auto error = Caught<ConversionError>([&] { Read(lines); })) {
      EXPECT_EQ(error->Line(), static_cast<int>(i) + 1);
    }
  }
}

}  // namespace
}  // namespace zamo
