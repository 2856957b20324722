#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "document/ResultTable.h"
#include "document/TextFile.h"
#include "model/IsoprCalcConc.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

using Record = std::vector<std::string>;

// An RFC 4180 reader independent of the writer: CR LF ends a record, quotes hold commas and "".
std::vector<Record> ReadCsv(const std::string& text) {
  std::vector<Record> records(1);
  std::string cell;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"' && quoted && text[i + 1] == '"') {
      cell += text[++i];
    } else if (c == '"' || (!quoted && (c == ',' || c == '\r'))) {
      quoted = c == '"' ? !quoted : quoted;
      if (c != '"') records.back().push_back(std::exchange(cell, {}));
      if (c == '\r' && text[++i] == '\n') records.emplace_back();
    } else {
      cell += c;
    }
  }
  records.pop_back();
  return records;
}

// At least 14 significant digits: far more than a spreadsheet needs, far fewer than a double keeps.
void ExpectValues(const Record& record, std::size_t first, const std::vector<Real>& expected) {
  for (std::size_t n = 0; n < expected.size(); ++n) {
    const std::string& cell = record.at(first + n);
    EXPECT_TRUE(NearRelative(std::strtold(cell.c_str(), nullptr), expected[n], 1e-14L)) << first + n << ": " << cell;
  }
}

// Every number the core's, names quoted, a formula defused, an absent experiment left out.
using ResultTableTest = TempFolderTest;
TEST_F(ResultTableTest, EveryValueIsTheCoresNumberAndTheWriterWritesTheTable) {
  KineticProject project = Example();
  project.RightReactantName = "Isopropyl \"ICP\", pure";
  project.LeftReactantName = "=HYPERLINK(\"x\")";
  const std::size_t points = 7;
  const std::vector<Record> records = ReadCsv(ResultTableCsv(project, static_cast<int>(points)));
  std::size_t next = 1;
  for (const Side side : {Side::Left, Side::Right}) {
    const Experiment& experiment = project.ExperimentOf(side);
    for (int row = 0; row <= experiment.LastRow; ++row, ++next) {
      const Real t = experiment.Times[static_cast<std::size_t>(row)];
      const SpeciesValues& observed = experiment.Observed[static_cast<std::size_t>(row)];
      const Concentrations calculated = CalcConc(project.Coefficients, side, t);
      std::vector<Real> expected = {t / 60, t};
      for (int s = 1; s <= kSpeciesCount; ++s) expected.push_back(100 * observed[s]);
      for (int s = 1; s <= kSpeciesCount; ++s) expected.push_back(100 * calculated[s]);
      for (int s = 1; s <= kSpeciesCount; ++s) expected.push_back(100 * (observed[s] - calculated[s]));
      ExpectValues(records.at(next), 3, expected);
      EXPECT_EQ(records[next][1], side == Side::Left ? "'" + project.LeftReactantName : project.RightReactantName);
    }
  }
  ASSERT_EQ(records.size(), next + 2 + 2 * points);
  for (std::size_t i = 0; i < 2 * points; ++i) {
    const Experiment& experiment = project.ExperimentOf(i < points ? Side::Left : Side::Right);
    const Real t = experiment.Times[static_cast<std::size_t>(experiment.LastRow)] * static_cast<Real>(i % points) /
                   static_cast<Real>(points - 1);
    std::vector<Real> expected = {t};
    for (const Real c : CalcConc(project.Coefficients, i < points ? Side::Left : Side::Right, t))
      expected.push_back(100 * c);
    ExpectValues(records[next + 2 + i], 4, expected);
  }

  project.Right.Present = false;
  const std::string path = (dir_ / "table.csv").string();
  WriteResultTable(path, project, 3);
  const TextLines lines = ReadTextFile(path);
  EXPECT_EQ(lines, SplitLines(ResultTableCsv(project, 3)));
  EXPECT_EQ(lines.size(), 1u + static_cast<std::size_t>(project.Left.LastRow) + 1 + 1 + 1 + 3);
  EXPECT_EQ(ThrownBy([&] { WriteResultTable("/nonexistent-folder/t.csv", project, 5); }).Kind, "file");
}

}  // namespace
}  // namespace zamo
