#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "document/ExampleProject.h"
#include "document/FullOutputText.h"
#include "document/ProjectReader.h"
#include "document/ProjectWriter.h"
#include "document/TextFile.h"
#include "model/Conversions.h"
#include "model/IsoprCalcConc.h"
#include "model/RecalcCurves.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

constexpr int kHeaderLines = 15;
constexpr int kBlockLines = 15;
constexpr int kBlockHeader = 2;   // offset of the column header in a block
constexpr int kFirstSpecies = 3;  // offset of species A in a block
constexpr const char* kColumns = "PRODUCT     OBS%      CALC%      DIFF%     SQDIFF%    PRD%,obs   PRD%,calc";
const char* const kLabels[] = {"A (TMCP)  ", "B (ICP)   ", "C (k2,k9) ", "D (k3,k10)",
                               "E (k4,k11)", "F (k5,k12)", "G (k6,...)", "H (k7,...)"};

KineticProject Loaded(const TextLines& text, bool showLeft) {
  return Opened(text, showLeft ? Side::Left : Side::Right);
}

// Field j (0..5) of a species line: label of 10, then fields of 6 with 5 blanks between.
std::string FieldOf(std::string_view line, int j) {
  return std::string(line.substr(static_cast<std::size_t>(10 + 11 * j), 6));
}

double NumberOf(std::string_view field) { return static_cast<double>(StrToFloat(field)); }

// The tokens of a data row of the example text, exactly as it writes them.
std::vector<std::string> Tokens(std::string_view row) {
  std::vector<std::string> tokens;
  std::size_t pos = 0;
  while ((pos = row.find_first_not_of(' ', pos)) != std::string_view::npos) {
    const std::size_t end = row.find(' ', pos);
    tokens.emplace_back(row.substr(pos, end - pos));
    pos = end == std::string_view::npos ? row.size() : end;
  }
  return tokens;
}

std::string RightAligned(const std::string& text) { return std::string(6 - text.size(), ' ') + text; }

TEST(FullOutputTextTest, LeftReportStartsWithTemperatureAndRateConstants) {
  const TextLines lines = FullOutputText(Loaded(ExampleProjectText(), true));
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kHeaderLines + 6 * kBlockLines + 6));
  const TextLines header = {"Temperature = 210.1 Grad",
                            " ",
                            "RATE CONSTANTS/S-1",
                            "k1 = 1.2600E-06   k8 = 3.6230E-05",
                            "k2 = 1.0300E-05   k9 = 1.7400E-05",
                            "k3 = 8.5000E-08   k10 = 9.9300E-07",
                            "k4 = 3.1000E-07   k11 = 0.0000E+00",
                            "k5 = 2.3350E-05   k12 = 0.0000E+00",
                            "k6 = 0.0000E+00   k13 = 0.0000E+00",
                            "k7 = 1.9800E-05   k14 = 7.3200E-05",
                            " ",
                            "Further Rate Constants",
                            "k15 = 2.1540E-05   k16 = 2.6590E-04",
                            " ",
                            " "};
  for (std::size_t i = 0; i < header.size(); ++i) EXPECT_EQ(lines[i], header[i]) << "line " << i;
}

struct SideCase {
  const char* name;
  bool showLeft;
  int firstRowLine;  // index of row 1 in the example text
  int start;         // the start species: A or B
  std::vector<std::string> times;
  std::string caption;
};

void PrintTo(const SideCase& c, std::ostream* out) { *out << c.name; }

class FullOutputBlockTest : public testing::TestWithParam<SideCase> {};

// Every number of every row block, against values reasoned out independently: the observed
// column is the text's percentages, CALC the solver's fractions, DIFF their difference,
// SQDIFF 100 d^2, the shares relative to everything but the start species. Fields hold two
// decimals, so computed values agree to half a unit of the last digit.
TEST_P(FullOutputBlockTest, RowBlocksHoldObservedCalculatedAndShares) {
  const SideCase& side = GetParam();
  const KineticProject project = Loaded(ExampleProjectText(), side.showLeft);
  const TextLines lines = FullOutputText(project);
  EXPECT_EQ(FullOutputCaption(side.showLeft), side.caption);
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kHeaderLines + 6 * kBlockLines + 6));
  const Experiment& experiment = project.Current();
  constexpr double kHalfDigit = 0.005 + 1e-9;

  for (int r = 1; r <= 6; ++r) {
    SCOPED_TRACE("row " + std::to_string(r));
    const auto block = static_cast<std::size_t>(kHeaderLines + (r - 1) * kBlockLines);
    EXPECT_EQ(lines[block], side.times[static_cast<std::size_t>(r - 1)]);
    EXPECT_EQ(lines[block + 1], " ");
    EXPECT_EQ(lines[block + kBlockHeader], kColumns);

    const std::vector<std::string> text =
        Tokens(ExampleProjectText()[static_cast<std::size_t>(side.firstRowLine + r - 1)]);
    const auto t = static_cast<Real>(experiment.Times[static_cast<std::size_t>(r)]);
    const Concentrations calc = CalcConc(project.Coefficients, project.CurrentSide(), t);
    Real observed[9] = {};
    Real percentSum = 0;
    for (int s = 1; s <= 7; ++s) {
      observed[s] = StrToFloat(text[static_cast<std::size_t>(s)]) / 100;
      percentSum += StrToFloat(text[static_cast<std::size_t>(s)]);
    }
    observed[8] = (100 - percentSum) / 100;

    Real rowSquares = 0;
    for (int s = 1; s <= 8; ++s) {
      SCOPED_TRACE(kLabels[s - 1]);
      const std::string_view line = lines[block + kFirstSpecies + static_cast<std::size_t>(s - 1)];
      ASSERT_EQ(line.size(), 71u);
      EXPECT_EQ(line.substr(0, 10), kLabels[s - 1]);
      for (int j = 0; j < 5; ++j) EXPECT_EQ(line.substr(static_cast<std::size_t>(16 + 11 * j), 5), "     ");

      if (s <= 7) {
        EXPECT_EQ(FieldOf(line, 0), RightAligned(text[static_cast<std::size_t>(s)]));
      }
      EXPECT_NEAR(NumberOf(FieldOf(line, 0)), static_cast<double>(100 * observed[s]), kHalfDigit);
      EXPECT_NEAR(NumberOf(FieldOf(line, 1)), static_cast<double>(100 * calc[s]), kHalfDigit);
      const Real d = observed[s] - calc[s];
      EXPECT_NEAR(NumberOf(FieldOf(line, 2)), static_cast<double>(100 * d), kHalfDigit);
      EXPECT_NEAR(NumberOf(FieldOf(line, 2)), NumberOf(FieldOf(line, 0)) - NumberOf(FieldOf(line, 1)), 0.0101);
      EXPECT_NEAR(NumberOf(FieldOf(line, 3)), static_cast<double>(100 * d * d), kHalfDigit);
      rowSquares += (100 * d) * (100 * d);

      const Real observedShare = s == side.start ? 0 : observed[s] / (1 - observed[side.start]);
      const Real calcShare = s == side.start ? 0 : calc[s] / (1 - calc[side.start]);
      EXPECT_NEAR(NumberOf(FieldOf(line, 4)), static_cast<double>(100 * observedShare), kHalfDigit);
      EXPECT_NEAR(NumberOf(FieldOf(line, 5)), static_cast<double>(100 * calcShare), kHalfDigit);
    }
    EXPECT_EQ(lines[block + 11], " ");
    const std::string_view sum = lines[block + 12];
    ASSERT_EQ(sum.rfind("SUM OF SQUARES OF %DIFFS = ", 0), 0u) << sum;
    EXPECT_NEAR(NumberOf(sum.substr(27)), static_cast<double>(rowSquares), kHalfDigit);
    EXPECT_EQ(lines[block + 13], " ");
    EXPECT_EQ(lines[block + 14], " ");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Experiments, FullOutputBlockTest,
    testing::Values(SideCase{"Left",
                             true,
                             37,
                             1,
                             {"TIME = 1800.0 s, 30.0 min,  0.5 h", "TIME = 3600.0 s, 60.0 min,  1.0 h",
                              "TIME = 7200.0 s, 120.0 min,  2.0 h", "TIME = 10800.0 s, 180.0 min,  3.0 h",
                              "TIME = 19800.0 s, 330.0 min,  5.5 h", "TIME = 36000.0 s, 600.0 min,  10.0 h"},
                             "Full Output of the Result - Left Reactions"},
                    SideCase{"Right",
                             false,
                             49,
                             2,
                             {"TIME = 1200.0 s, 20.0 min,  0.3 h", "TIME = 2400.0 s, 40.0 min,  0.7 h",
                              "TIME = 3600.0 s, 60.0 min,  1.0 h", "TIME = 5400.0 s, 90.0 min,  1.5 h",
                              "TIME = 9000.0 s, 150.0 min,  2.5 h", "TIME = 18000.0 s, 300.0 min,  5.0 h"},
                             "Full Output of the Result - Right Reactions"}),
    [](const testing::TestParamInfo<SideCase>& row) { return row.param.name; });

// The report sums its own differences; they must come to the numbers the saved file's error
// section shows for the same experiment.
TEST(FullOutputTextTest, ClosingSumsEqualTheWrittenErrorSection) {
  for (const bool showLeft : {true, false}) {
    const KineticProject project = Loaded(ExampleProjectText(), showLeft);
    const TextLines report = FullOutputText(project);
    const TextLines written = BuildProjectText(project, 0);
    const std::string header = showLeft ? "Error: Left-Reactions" : "Error: Right-Reactions";
    const auto section = std::find(written.begin(), written.end(), header);
    ASSERT_NE(section, written.end());
    const TextLines expected(section + 2, section + 8);
    const TextLines closing(report.end() - 6, report.end());
    EXPECT_EQ(closing, expected) << header;
    EXPECT_EQ(closing[0].rfind("TOTAL SQ DIFF SUM = ", 0), 0u);
  }
}

TEST(FullOutputTextTest, EmptyWithoutValidDataOrWithoutTheCurrentExperiment) {
  KineticProject invalid = Loaded(ExampleProjectText(), true);
  invalid.DataValid = false;
  EXPECT_TRUE(FullOutputText(invalid).empty());

  KineticProject rightOnly;
  ReadInto(rightOnly, ReadTextFile(std::string(ZAMO_TEST_DATA_DIR) + "/right-only.zam"), "");
  rightOnly.DataValid = true;
  rightOnly.ShowLeft = true;  // the left experiment is absent
  EXPECT_TRUE(FullOutputText(rightOnly).empty());
  rightOnly.ShowLeft = false;
  EXPECT_FALSE(FullOutputText(rightOnly).empty());
}

// A row in which the start species is still all there is leaves no rest to share out.
TEST(FullOutputTextTest, StartSpeciesAtHundredPercentShowsEmptyShares) {
  const KineticProject project = Loaded(DataFileLines("start-species-at-100-percent.zam"), true);
  TextLines lines;
  ASSERT_NO_THROW(lines = FullOutputText(project));
  const std::size_t row2 = kHeaderLines + kBlockLines;
  EXPECT_EQ(lines[row2], "TIME = 3600.0 s, 60.0 min,  1.0 h");
  for (int s = 1; s <= 8; ++s) {
    const std::string_view line = lines[row2 + kFirstSpecies + static_cast<std::size_t>(s - 1)];
    ASSERT_EQ(line.size(), 71u);
    EXPECT_EQ(FieldOf(line, 0), s == 1 ? "100.00" : "  0.00");
    EXPECT_EQ(FieldOf(line, 4), s == 1 ? "  0.00" : "      ") << s;
    EXPECT_NE(FieldOf(line, 5), "      ") << s;  // the calculated rest is not zero
  }
}

TEST(FullOutputTextTest, OverlongFieldKeepsItsLastSixCharacters) {
  KineticProject project = Loaded(ExampleProjectText(), true);
  project.Left.Observed[3][2] = 12.3456L;  // 1234.56 %
  const TextLines lines = FullOutputText(project);
  const std::string_view line = lines[kHeaderLines + 2 * kBlockLines + kFirstSpecies + 1];
  ASSERT_EQ(line.size(), 71u);
  EXPECT_EQ(FieldOf(line, 0), "234.56");
  const Real d = 12.3456L - CalcConc(project.Coefficients, Side::Left, 7200)[2];
  char full[64];
  std::snprintf(full, sizeof full, "%.2Lf", 100 * d * d);  // about 15234 %, eight characters
  EXPECT_EQ(FieldOf(line, 3), std::string(full).substr(std::string(full).size() - 6));
}

}  // namespace
}  // namespace zamo
