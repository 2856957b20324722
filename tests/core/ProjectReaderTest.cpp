#include <gtest/gtest.h>

#include <set>
#include <string>

#include "document/ProjectReader.h"
#include "model/DateTime.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

ProjectRead Read(const TextLines& lines, const ProjectData& base = {}) { return ReadProjectText(base, lines, "x.zam"); }

ProjectData ReadFile(const char* name) { return Read(DataFileLines(name)).Data; }

void ExpectFractions(const SpeciesValues& row, const std::array<Real, 8>& expected) {
  for (int s = 1; s <= 8; ++s) EXPECT_NEAR(double(row[s]), double(expected[s - 1u]), 1e-15) << "species " << s;
}

// The example's numbers are also compared with the import of the data files it was made from.
TEST(ProjectReaderTest, ReadsTheValuesTheExampleHolds) {
  const ProjectRead read = Read(ExampleProjectText());
  const ProjectData& p = read.Data;
  EXPECT_EQ(p.Title + "|" + p.Author + "|" + p.LeftReactantName + "|" + p.LeftDataFile + "|" + p.RightReactantName +
                "|" + p.RightDataFile + "|" + p.FileName,
            "TMCP-ICP Kinetic System|A. Sample, B. Example, C. Demo|1,3,3-Trimethylcyclopropene|TMCP210.dat|"
            "1-Isopropylcyclopropene|IPCP210.dat|x.zam");
  EXPECT_EQ(p.DataDateTime, EncodeDateTime({1997, 7, 25, 1, 51, 38, 0}));
  EXPECT_EQ(std::tuple(p.ReactantCount, p.DeclaredRateConstantsPerReaction, p.ZoomLeft, p.ZoomRight),
            std::tuple(8, 7, 163, 320));
  EXPECT_EQ(read.Caption, "Mavrin - Left Reactions: TMCP-ICP Kinetic System (T = 210.1)");
  // "30.0  91.09  0.18  1.68  0.00  0.00  3.93  0.10": H is what the seven others leave.
  ExpectFractions(p.Left.Observed[1], {0.9109L, 0.0018L, 0.0168L, 0, 0, 0.0393L, 0.001L, 0.0302L});
  // Two values: C..G stay 0; nine: the eighth and ninth give way to the remainder.
  const ProjectData rows = ReadFile("rows-with-two-and-nine-concentrations.zam");
  ExpectFractions(rows.Left.Observed[6], {0.1263L, 0.0015L, 0, 0, 0, 0, 0, 0.8722L});
  EXPECT_NEAR(static_cast<double>(rows.Left.Observed[5][8]), 0.2335, 1e-15);
  // The right experiment alone lends its times to the left; a left header with a trailing
  // blank is no header (nor "Right Reaction:"), and both experiments keep the base's rows.
  ProjectData base;
  base.Left.LastRow = base.Right.LastRow = 3;
  const ProjectRead alone = Read(DataFileLines("right-only.zam"), base);
  EXPECT_EQ(alone.Caption, "Mavrin - Right Reactions: ICP Kinetic System (T = 210.1)");
  const Experiment& left = alone.Data.Left;
  EXPECT_TRUE(alone.Data.Right.Present && !left.Present && left.LastRow == 1 && alone.ShowLeft == false);
  EXPECT_EQ(left.Times, alone.Data.Right.Times);
  const ProjectRead none = Read(DataFileLines("left-header-trailing-blank.zam"), base);
  EXPECT_FALSE(none.Data.Left.Present || none.Data.Right.Present || none.Caption || none.ShowLeft);
  EXPECT_EQ(none.Data.Left.LastRow + none.Data.Right.LastRow + none.Data.K[16], 6 + 2.659E-04L);
}

// 1e-4000 is finite (though 0 in a double), the largest double is within the range, and so
// are percentages of +-1000 and a line of 41 numbers. Five declared rate lines fill two
// columns of five, in pairs (k_i, k_(i+5)).
TEST(ProjectReaderTest, ValuesAtTheirLimitsAndFiveRateLines) {
  std::string z = "1";
  for (int i = 1; i < 41; ++i) z += "  1";
  const auto p =
      Read(ExampleTextWith({{16, z}, {22, "1e-4000  1.7976931348623157E+308"}, {37, "30.0  1000  -1000  1.68"}})).Data;
  EXPECT_EQ(p.K[1], 1e-4000L);
  EXPECT_EQ(p.K[8], 1.7976931348623157E+308L);
  EXPECT_EQ(p.Left.Observed[1][1], 10);
  EXPECT_EQ(ReadFile("zoom-right-one-digit.zam").ZoomRight, 5);
  const ProjectData five = ReadFile("declared-5-rate-lines.zam");
  EXPECT_EQ(five.DeclaredRateConstantsPerReaction, 5);
  EXPECT_EQ(std::tuple(five.K[5], five.K[6], five.K[10], five.K[11], five.K[14], five.K[15]),
            std::tuple(2.335E-05L, 1.350E-06L, 4.400E-07L, Real(0), Real(0), 2.154E-05L));
}

// A file of tests/data, or the example with one line (from 0) replaced, names the line.
TEST(ProjectReaderTest, FaultyTextsNameTheLine) {
  const std::string notAFloat = " ist kein gültiger Gleitkommawert";
  const std::string range = " from 0 to 1.7976931348623157E+308, found ";
  const std::tuple<const char*, int, std::string> cases[] = {
      {"ends-in-rate-constants.zam", 0, "line 26: the text ends before the rate constants k5 and k12"},
      {"ends-in-left-rows.zam", 0, "line 42: the text ends before row 4 of the left reaction"},
      {"last-row-17.zam", 0, "line 35: expected the number of reaction times of the left reaction (0 to 16), found 17"},
      // Row 7 is the "Right Reaction:" header, whose letters are all dropped.
      {"last-row-one-too-many.zam", 0, "line 45, column 1: ''" + notAFloat},
      {"rate-lines-declared-8.zam", 0, "line 14: expected the number of rate constants per reaction (1 to 7), found 8"},
      {"zoom-line-one-number.zam", 0, "line 17: expected two zoom values, found 1"},
      {"rate-line-one-number.zam", 0, "line 25: expected two numbers for the rate constants k3 and k10, found 1"},
      {"rate-line-tab-separated.zam", 0, "line 23, column 1: '1.260E-063.623E-05'" + notAFloat},
      {"data-row-blank.zam", 0, "line 39: expected a reaction time and concentrations for row 2 of the left reaction"},
      {"line-with-42-numbers.zam", 0, "line 38, column 247: a line holds at most 41 numbers, this one 42"},
      {"reactant-count-not-integer.zam", 0, "line 12: '8.0' ist kein gültiger Integerwert"},
      {"date-time-invalid.zam", 0, "line 8: '25.13.97 01:51:38' ist keine gültige Datums- und Uhrzeitangabe"},
      {"30.0  91.09  1e4000  1.68", 37,
       "line 38, column 14: expected a percentage from -1000 to 1000 for species B, found 1e4000"},
      {"30.0  91.09  1e5000", 37, "line 38, column 14: '1e5000'" + notAFloat},
      {"1.0E-04  -1.0E-04", 22, "line 23, column 10: expected k8" + range + "-1.0E-04"},
      {"1e+400  2.659E-04", 30, "line 31, column 1: expected k15" + range + "1e+400"}};
  for (const auto& [text, index, described] : cases) {
    const TextLines lines = index == 0 ? DataFileLines(text) : ExampleTextWith({{index, text}});
    EXPECT_EQ(ThrownBy([&] { Read(lines); }).Described, described);
  }
}

// Every prefix of the example either reads or fails as a text that ends too soon, naming
// its last line. It reads exactly where the grammar may stop: after the rate constants or
// after a complete block. Replacing one line by "x" fails exactly on the lines that hold
// data; labels, empty lines and the two experiment headers are never compared.
TEST(ProjectReaderRobustnessTest, EveryTruncationAndEveryGarbageLine) {
  EXPECT_THROW_MSG(Read({}), FormatError, "the text ends before the date and time (line 8)");
  const TextLines& example = ExampleProjectText();
  const std::set<std::size_t> complete = {31, 32, 43, 44, 55};
  std::set<std::size_t> data = {7, 9, 11, 13, 16, 30, 34, 46};
  for (std::size_t i = 0; i <= 6; ++i) data.insert({22 + i, 36 + i, 48 + i});
  for (std::size_t n = 1; n <= example.size(); ++n) {
    const Thrown ended = ThrownBy([&] { Read(TextLines(example.begin(), example.begin() + std::ptrdiff_t(n))); });
    EXPECT_EQ(ended.Kind + std::to_string(ended.Line) + ended.Text.substr(0, 20),
              complete.contains(n) ? "none0" : "format" + std::to_string(n) + "the text ends before");
    const Thrown garbage = ThrownBy([&] { Read(WithLines(example, {{n - 1, "x"}})); });
    EXPECT_EQ(garbage.Line, data.contains(n - 1) ? int(n) : 0) << "line " << n;
  }
}

}  // namespace
}  // namespace zamo
