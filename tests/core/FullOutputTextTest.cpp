#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "document/ExampleProject.h"
#include "document/FullOutputText.h"
#include "document/ProjectWriter.h"
#include "model/Conversions.h"
#include "model/IsoprCalcConc.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

constexpr std::size_t kHeaderLines = 15;
constexpr std::size_t kBlockLines = 15;
constexpr std::size_t kFirstSpecies = 3;  // offset of species A in a block

// Field j (0..5) of a species line: label of 10, then fields of 6 with 5 blanks between.
std::string FieldOf(std::string_view line, std::size_t j) { return std::string(line.substr(10 + 11 * j, 6)); }
double NumberOf(std::string_view field) { return static_cast<double>(StrToFloat(field)); }

TEST(FullOutputTextTest, ReportStartsWithTemperatureAndRateConstants) {
  const TextLines lines = FullOutputText(Example());
  ASSERT_EQ(lines.size(), kHeaderLines + 6 * kBlockLines + 6);
  EXPECT_EQ(lines[0], "Temperature = 210.1 Grad");
  EXPECT_EQ(FullOutputCaption(false), "Full Output of the Result - Right Reactions");
  EXPECT_EQ(lines[3], "k1 = 1.2600E-06   k8 = 3.6230E-05");
  EXPECT_EQ(lines[12], "k15 = 2.1540E-05   k16 = 2.6590E-04");
}

// Every number of every row block, reasoned out independently: OBS, CALC the solver's fractions,
// DIFF, SQDIFF 100 d^2, the shares relative to everything but the start species, and the row's
// sum of squares. Fields hold two decimals: computed values agree to half a unit of the last.
TEST(FullOutputTextTest, RowBlocksHoldObservedCalculatedAndShares) {
  constexpr double kHalfDigit = 0.005 + 1e-9;
  for (const auto& [side, start, firstTime] : {std::tuple{Side::Left, 1, "TIME = 1800.0 s, 30.0 min,  0.5 h"},
                                               std::tuple{Side::Right, 2, "TIME = 1200.0 s, 20.0 min,  0.3 h"}}) {
    const KineticProject project = Example(side);
    const TextLines lines = FullOutputText(project);
    EXPECT_EQ(lines[kHeaderLines], firstTime);
    const Experiment& experiment = project.Current();
    for (std::size_t r = 1; r <= 6; ++r) {
      const std::size_t block = kHeaderLines + (r - 1) * kBlockLines;
      const Concentrations calc = CalcConc(project.Coefficients, side, static_cast<Real>(experiment.Times[r]));
      const SpeciesValues& observed = experiment.Observed[r];
      Real rowSquares = 0;
      for (int s = 1; s <= 8; ++s) {
        SCOPED_TRACE("row " + std::to_string(r) + " species " + std::to_string(s));
        const std::string_view line = lines[block + kFirstSpecies + static_cast<std::size_t>(s - 1)];
        ASSERT_EQ(line.size(), 71u);
        const Real d = observed[s] - calc[s];
        const Real observedShare = s == start ? 0 : observed[s] / (1 - observed[start]);
        const Real calcShare = s == start ? 0 : calc[s] / (1 - calc[start]);
        const Real expected[] = {observed[s], calc[s], d, d * d, observedShare, calcShare};
        for (std::size_t j = 0; j < 6; ++j) {
          EXPECT_NEAR(NumberOf(FieldOf(line, j)), static_cast<double>(100 * expected[j]), kHalfDigit);
        }
        rowSquares += (100 * d) * (100 * d);
      }
      EXPECT_NEAR(NumberOf(lines[block + 12].substr(27)), static_cast<double>(rowSquares), kHalfDigit);
    }
  }
}

// The report's own closing sums are the numbers of the saved file's error section.
TEST(FullOutputTextTest, ClosingSumsEqualTheWrittenErrorSection) {
  for (const Side side : {Side::Left, Side::Right}) {
    const KineticProject project = Example(side);
    const TextLines report = FullOutputText(project);
    const TextLines written = BuildProjectText(project, 0);
    const auto section = std::find(written.begin(), written.end(),
                                   side == Side::Left ? "Error: Left-Reactions" : "Error: Right-Reactions");
    ASSERT_NE(section, written.end());
    EXPECT_EQ(TextLines(report.end() - 6, report.end()), TextLines(section + 2, section + 8));
  }
}

TEST(FullOutputTextTest, EmptyWithoutValidDataOrWithoutTheCurrentExperiment) {
  KineticProject project = Example();
  project.DataValid = false;
  EXPECT_TRUE(FullOutputText(project).empty());
  project = Opened(DataFileLines("right-only.zam"), Side::Right);
  EXPECT_FALSE(FullOutputText(project).empty());
  project.ShowLeft = true;  // the left experiment is absent
  EXPECT_TRUE(FullOutputText(project).empty());
}

// A row in which the start species is still all there is leaves no rest to share out.
TEST(FullOutputTextTest, StartSpeciesAtHundredPercentShowsEmptyShares) {
  const TextLines lines = FullOutputText(Opened(DataFileLines("start-species-at-100-percent.zam")));
  const std::size_t row2 = kHeaderLines + kBlockLines;
  EXPECT_EQ(lines[row2], "TIME = 3600.0 s, 60.0 min,  1.0 h");
  for (std::size_t s = 1; s <= 8; ++s) {
    const std::string_view line = lines[row2 + kFirstSpecies + s - 1];
    EXPECT_EQ(FieldOf(line, 0) + FieldOf(line, 4), s == 1 ? "100.00  0.00" : "  0.00      ") << s;
    EXPECT_NE(FieldOf(line, 5), "      ") << s;  // the calculated rest is not zero
  }
}

TEST(FullOutputTextTest, OverlongFieldKeepsItsLastSixCharacters) {
  KineticProject project = Example();
  project.Left.Observed[3][2] = 12.3456L;  // 1234.56 %
  const TextLines lines = FullOutputText(project);
  const std::string_view line = lines[kHeaderLines + 2 * kBlockLines + kFirstSpecies + 1];
  EXPECT_EQ(FieldOf(line, 0), "234.56");
  const Real d = 12.3456L - CalcConc(project.Coefficients, Side::Left, 7200)[2];
  char full[64];
  std::snprintf(full, sizeof full, "%.2Lf", 100 * d * d);  // about 15234 %, eight characters
  EXPECT_EQ(FieldOf(line, 3), std::string(full).substr(std::string(full).size() - 6));
}

}  // namespace
}  // namespace zamo
