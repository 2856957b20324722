#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <set>
#include <string>

#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "document/TextFile.h"
#include "model/DateTime.h"
#include "model/ZamoError.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

ProjectRead Read(const TextLines& lines, const ProjectData& base = {}) {
  return ReadProjectText(base, lines, "chosen.zam");
}

// ---- The built-in example ----

TEST(ProjectReaderExampleTest, ReadsTheValuesTheExampleHolds) {
  const ProjectRead read = Read(ExampleProjectText());
  const ProjectData& p = read.Data;
  EXPECT_EQ(p.Title, "TMCP-ICP Kinetic System");
  EXPECT_EQ(p.LeftReactantName, "1,3,3-Trimethylcyclopropene");
  EXPECT_EQ(p.RightDataFile, "IPCP210.dat");
  EXPECT_EQ(p.FileName, "chosen.zam");
  EXPECT_EQ(p.DataDateTime, EncodeDateTime({1997, 7, 25, 1, 51, 38, 0}));
  EXPECT_EQ(p.Temperature, 210.1L);
  EXPECT_NEAR(static_cast<double>(p.AbsoluteTemperature), 483.25, 1e-12);
  EXPECT_EQ(p.ReactantCount, 8);
  EXPECT_EQ(p.DeclaredRateConstantsPerReaction, 7);
  EXPECT_EQ(p.ZoomLeft, 163);
  EXPECT_EQ(p.ZoomRight, 320);
  EXPECT_EQ(p.K[1], 1.260E-06L);
  EXPECT_EQ(p.K[8], 3.623E-05L);
  EXPECT_EQ(p.K[7], 1.980E-05L);
  EXPECT_EQ(p.K[14], 7.320E-05L);
  EXPECT_EQ(p.K[15], 2.154E-05L);
  EXPECT_EQ(p.K[16], 2.659E-04L);
  EXPECT_TRUE(p.Left.Present);
  EXPECT_TRUE(p.Right.Present);
  EXPECT_EQ(p.Left.LastRow, 6);
  EXPECT_EQ(p.Right.LastRow, 6);
  const std::array<std::int32_t, kRowCount> left = {0, 1800, 3600, 7200, 10800, 19800, 36000};
  const std::array<std::int32_t, kRowCount> right = {0, 1200, 2400, 3600, 5400, 9000, 18000};
  EXPECT_EQ(p.Left.Times, left);
  EXPECT_EQ(p.Right.Times, right);
  EXPECT_EQ(read.ShowLeft, true);
  EXPECT_EQ(read.Caption, "Mavrin - Left Reactions: TMCP-ICP Kinetic System (T = 210.1)");

  // "30.0  91.09  0.18  1.68  0.00  0.00  3.93  0.10": H is what the seven others leave.
  const SpeciesValues& row = p.Left.Observed[1];
  const Real expected[] = {0.9109L, 0.0018L, 0.0168L, 0, 0, 0.0393L, 0.001L, 0.0302L};
  for (int s = 1; s <= 8; ++s) EXPECT_NEAR(static_cast<double>(row[s]), static_cast<double>(expected[s - 1]), 1e-15);
}

TEST(ProjectReaderExampleTest, SavedFileAndMixedLineEndsSplitToTheExampleLines) {
  EXPECT_EQ(DataFileLines("example-project.zam"), ExampleProjectText());
  EXPECT_EQ(DataFileLines("crlf-mixed-line-ends.zam"), ExampleProjectText());
}

// ---- Edge cases that read ----

TEST(ProjectReaderEdgeTest, RightExperimentAloneLendsItsTimesToTheLeft) {
  ProjectData base;
  base.Left.LastRow = 9;
  const ProjectRead read = Read(DataFileLines("right-only.zam"), base);
  const ProjectData& p = read.Data;
  EXPECT_EQ(read.ShowLeft, false);
  EXPECT_EQ(read.Caption, "Mavrin - Right Reactions: ICP Kinetic System (T = 210.1)");
  EXPECT_TRUE(p.Right.Present);
  EXPECT_EQ(p.Right.LastRow, 6);
  EXPECT_NEAR(static_cast<double>(p.Right.Observed[1][2]), 0.8587, 1e-15);
  EXPECT_FALSE(p.Left.Present);
  EXPECT_EQ(p.Left.LastRow, 1);
  EXPECT_EQ(p.Left.Times, p.Right.Times);
  for (const SpeciesValues& row : p.Left.Observed) EXPECT_TRUE(row == SpeciesValues{});
}

TEST(ProjectReaderEdgeTest, LeftHeaderWithTrailingBlankIsNoHeader) {
  ProjectData base;
  base.Left.LastRow = 3;
  base.Right.LastRow = 4;
  const ProjectRead read = Read(DataFileLines("left-header-trailing-blank.zam"), base);
  const ProjectData& p = read.Data;
  EXPECT_FALSE(p.Left.Present);
  EXPECT_FALSE(p.Right.Present);  // the header line is not "Right Reaction:" either
  EXPECT_FALSE(read.Caption.has_value());
  EXPECT_FALSE(read.ShowLeft.has_value());
  EXPECT_EQ(p.Left.LastRow, 3);
  EXPECT_EQ(p.Right.LastRow, 4);
  EXPECT_EQ(p.K[16], 2.659E-04L);
}

TEST(ProjectReaderEdgeTest, OneDigitLastNumberOnTheZoomLine) {
  const ProjectData p = Read(DataFileLines("zoom-right-one-digit.zam")).Data;
  EXPECT_EQ(p.ZoomLeft, 163);
  EXPECT_EQ(p.ZoomRight, 5);
}

TEST(ProjectReaderEdgeTest, RowsWithTwoAndWithNineConcentrations) {
  const ProjectData p = Read(DataFileLines("rows-with-two-and-nine-concentrations.zam")).Data;
  // "600.0  12.63  0.15": C..G stay 0, H = 1 - 0.1278.
  const SpeciesValues& shortRow = p.Left.Observed[6];
  EXPECT_NEAR(static_cast<double>(shortRow[1]), 0.1263, 1e-15);
  EXPECT_NEAR(static_cast<double>(shortRow[2]), 0.0015, 1e-15);
  for (int s = 3; s <= 7; ++s) EXPECT_EQ(shortRow[s], 0) << s;
  EXPECT_NEAR(static_cast<double>(shortRow[8]), 0.8722, 1e-15);
  // "330.0 ... 1.76  23.34  9.99": the eighth and ninth values give way to the remainder
  // 1 - 0.7665.
  const SpeciesValues& longRow = p.Left.Observed[5];
  EXPECT_NEAR(static_cast<double>(longRow[7]), 0.0176, 1e-15);
  EXPECT_NEAR(static_cast<double>(longRow[8]), 0.2335, 1e-15);
  EXPECT_EQ(p.Left.Times[5], 19800);
}

TEST(ProjectReaderEdgeTest, MinutesBecomeWholeSecondsTruncated) {
  const ProjectData p = Read(DataFileLines("fractional-minutes.zam")).Data;
  ASSERT_EQ(p.Left.LastRow, 5);
  // 0.0, 0.01 (0.6 s), 4,2 (252 s from the decimal text, not 251.99...), 2.99 (179.4 s),
  // 29.99 (1799.4 s) and 600.0 minutes.
  const std::array<std::int32_t, 6> expected = {0, 0, 252, 179, 1799, 36000};
  for (std::size_t r = 0; r < expected.size(); ++r) EXPECT_EQ(p.Left.Times[r], expected[r]) << r;
  EXPECT_TRUE(p.Right.Present);
}

// The bounds of a rate constant are taken: 1e-4000 is finite (though 0 in a double), and the
// largest double is within the range.
TEST(ProjectReaderEdgeTest, RateConstantsAtTheBoundsAreRead) {
  const ProjectData p = Read(ExampleTextWith({{22, "1e-4000  1.7976931348623157E+308"}, {30, "-0.0  0"}})).Data;
  EXPECT_EQ(p.K[1], 1e-4000L);
  EXPECT_EQ(p.K[8], 1.7976931348623157E+308L);
  EXPECT_EQ(p.K[15], 0);
}

TEST(ProjectReaderEdgeTest, NonUtf8BytesAreKeptAsTheyStand) {
  const ProjectData p = Read(DataFileLines("non-utf8-names.zam")).Data;
  EXPECT_EQ(p.Title, "TMCP-ICP Kinetik, M\xE4rz 1997");
  EXPECT_EQ(p.Author, "J. M\xE4rz, K. B\xE4r");
  EXPECT_EQ(p.LeftDataFile, "C:\\Daten\\M\xE4rz\\TMCP210.dat");
}

TEST(ProjectReaderEdgeTest, FiveDeclaredRateLinesFillTwoColumnsOfFive) {
  const ProjectData p = Read(DataFileLines("declared-5-rate-lines.zam")).Data;
  EXPECT_EQ(p.DeclaredRateConstantsPerReaction, 5);
  EXPECT_EQ(p.K[1], 1.260E-06L);
  EXPECT_EQ(p.K[6], 1.350E-06L);
  EXPECT_EQ(p.K[5], 2.335E-05L);
  EXPECT_EQ(p.K[10], 4.400E-07L);
  for (int i = 11; i <= 14; ++i) EXPECT_EQ(p.K[i], 0) << i;
  EXPECT_EQ(p.K[15], 2.154E-05L);
  EXPECT_TRUE(p.Left.Present);
  EXPECT_EQ(p.Left.Times[6], 36000);
}

// ---- Texts that fail ----

enum class Kind { Format, Conversion };

struct BadFile {
  const char* file;
  Kind kind;
  int line;
  std::string message;
  int column = 0;  // of the number at fault on a number line
};

void PrintTo(const BadFile& bad, std::ostream* out) { *out << bad.file; }

class ProjectReaderErrorTest : public testing::TestWithParam<BadFile> {};

TEST_P(ProjectReaderErrorTest, NamesTheLine) {
  const BadFile& bad = GetParam();
  const TextLines lines = DataFileLines(bad.file);
  const std::optional<ZamoError> error = Caught<ZamoError>([&] { Read(lines); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->what(), bad.message);
  EXPECT_EQ(error->Line(), bad.line);
  EXPECT_EQ(error->Column(), bad.column);
  const std::string column = bad.column > 0 ? ", column " + std::to_string(bad.column) : "";
  EXPECT_EQ(error->Describe(), "line " + std::to_string(bad.line) + column + ": " + bad.message);
  if (bad.kind == Kind::Format) {
    EXPECT_THROW(Read(lines), FormatError);
  } else {
    EXPECT_THROW(Read(lines), ConversionError);
  }
}

INSTANTIATE_TEST_SUITE_P(
    DataFiles, ProjectReaderErrorTest,
    testing::Values(
        BadFile{"ends-after-temperature.zam", Kind::Format, 10,
                "the text ends before the number of reactants (line 12)"},
        BadFile{"ends-in-rate-constants.zam", Kind::Format, 26, "the text ends before the rate constants k5 and k12"},
        BadFile{"ends-before-right-block.zam", Kind::Format, 45,
                "the text ends before the number of reaction times of the right reaction"},
        BadFile{"ends-in-left-rows.zam", Kind::Format, 42, "the text ends before row 4 of the left reaction"},
        BadFile{"last-row-17.zam", Kind::Format, 35,
                "expected the number of reaction times of the left reaction (0 to 16), found 17"},
        BadFile{"last-row-minus-1.zam", Kind::Format, 47,
                "expected the number of reaction times of the right reaction (0 to 16), found -1"},
        // Row 7 is the "Right Reaction:" header, whose letters are all dropped.
        BadFile{"last-row-one-too-many.zam", Kind::Conversion, 45, "'' ist kein gültiger Gleitkommawert", 1},
        BadFile{"rate-lines-declared-0.zam", Kind::Format, 14,
                "expected the number of rate constants per reaction (1 to 7), found 0"},
        BadFile{"rate-lines-declared-8.zam", Kind::Format, 14,
                "expected the number of rate constants per reaction (1 to 7), found 8"},
        BadFile{"zoom-line-one-number.zam", Kind::Format, 17, "expected two zoom values, found 1"},
        BadFile{"rate-line-one-number.zam", Kind::Format, 25,
                "expected two numbers for the rate constants k3 and k10, found 1"},
        BadFile{"k15-k16-line-one-number.zam", Kind::Format, 31,
                "expected two numbers for the rate constants k15 and k16, found 1"},
        BadFile{"rate-line-tab-separated.zam", Kind::Conversion, 23,
                "'1.260E-063.623E-05' ist kein gültiger Gleitkommawert", 1},
        BadFile{"data-row-blank.zam", Kind::Format, 39,
                "expected a reaction time and concentrations for row 2 of the left reaction"},
        BadFile{"data-row-not-a-number.zam", Kind::Conversion, 53, "'' ist kein gültiger Gleitkommawert", 1},
        BadFile{"line-with-42-numbers.zam", Kind::Format, 38, "a line holds at most 41 numbers, this one 42", 247},
        BadFile{"temperature-with-comma.zam", Kind::Conversion, 10, "'210,1' ist kein gültiger Gleitkommawert"},
        BadFile{"reactant-count-not-integer.zam", Kind::Conversion, 12, "'8.0' ist kein gültiger Integerwert"},
        BadFile{"date-time-invalid.zam", Kind::Conversion, 8,
                "'25.13.97 01:51:38' ist keine gültige Datums- und Uhrzeitangabe"}),
    [](const testing::TestParamInfo<BadFile>& row) {
      std::string name;
      for (const char c : std::string(row.param.file)) {
        if (c == '.') break;
        if (c != '-') name += c;
      }
      return name;
    });

// Every prefix of the example either reads or fails as a text that ends too soon, naming
// its last line. It reads exactly where the grammar may stop: after the rate constants or
// after a complete block.
TEST(ProjectReaderRobustnessTest, EveryTruncationReadsOrFailsAtItsLastLine) {
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

TEST(ProjectReaderRobustnessTest, EmptyTextIsAFormatError) {
  EXPECT_THROW_MSG(Read({}), FormatError, "the text ends before the date and time (line 8)");
}

// Replacing one line by "x" fails exactly on the lines that hold data; labels, empty lines
// and the two experiment headers are never compared in a way that fails.
TEST(ProjectReaderRobustnessTest, GarbageFailsOnlyOnDataLines) {
  std::set<std::size_t> data = {7, 9, 11, 13, 16, 30, 34, 46};
  for (std::size_t i = 22; i <= 28; ++i) data.insert(i);
  for (std::size_t i = 36; i <= 42; ++i) data.insert(i);
  for (std::size_t i = 48; i <= 54; ++i) data.insert(i);
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
