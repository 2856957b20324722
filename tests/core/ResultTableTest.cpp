#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "document/ResultTable.h"
#include "document/TextFile.h"
#include "model/IsoprCalcConc.h"
#include "model/ZamoError.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

using Record = std::vector<std::string>;

// An RFC 4180 reader of its own, so that the table is read back independently of its writer:
// records end with CR LF, quoted cells may hold commas, quotes (doubled) and line breaks.
std::vector<Record> ReadCsv(const std::string& text) {
  std::vector<Record> records;
  Record record;
  std::string cell;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        cell += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        cell += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      record.push_back(cell);
      cell.clear();
    } else if (c == '\r') {
      EXPECT_EQ(text[i + 1], '\n') << "a record ends with CR LF";
      ++i;
      record.push_back(cell);
      cell.clear();
      records.push_back(record);
      record.clear();
    } else {
      cell += c;
    }
  }
  EXPECT_TRUE(cell.empty() && record.empty()) << "the last record ends with CR LF";
  return records;
}

Real Number(const std::string& cell) {
  char* end = nullptr;
  const Real value = std::strtold(cell.c_str(), &end);
  EXPECT_TRUE(!cell.empty() && *end == '\0') << "not a number: '" << cell << "'";
  return value;
}

// At least 14 significant digits: far more than the six a spreadsheet needs, and far fewer
// than a double would lose.
void ExpectValue(const std::string& cell, Real expected, const std::string& where) {
  const Real value = Number(cell);
  EXPECT_LE(std::fabs(value - expected), 1e-14L * std::fabs(expected) + 1e-300L)
      << where << ": '" << cell << "' against " << static_cast<double>(expected);
}

void ExpectSpecies(const Record& record, std::size_t first, const SpeciesValues& fractions, const std::string& where) {
  for (int s = 1; s <= kSpeciesCount; ++s) {
    ExpectValue(record[first + static_cast<std::size_t>(s - 1)], 100 * fractions[s],
                where + " species " + static_cast<char>('A' + s - 1));
  }
}

struct Section {
  std::vector<Record> records;  // header first
};

// The two sections, apart by one empty record.
std::pair<Section, Section> Sections(const std::vector<Record>& records) {
  std::pair<Section, Section> sections;
  bool second = false;
  for (const Record& record : records) {
    if (record == Record{""}) {
      EXPECT_FALSE(second) << "one empty record apart";
      second = true;
      continue;
    }
    (second ? sections.second : sections.first).records.push_back(record);
  }
  EXPECT_TRUE(second);
  return sections;
}

TEST(ResultTableTest, EveryValueIsTheCoresNumber) {
  KineticProject project = test::Example();
  project.RightReactantName = "Isopropyl \"ICP\", pure";
  project.LeftReactantName = "=HYPERLINK(\"x\")";
  const int points = 7;
  const auto [measured, curves] = Sections(ReadCsv(ResultTableCsv(project, points)));
  const CoefficientSet set = PrepareCoefficients(project.K);

  ASSERT_FALSE(measured.records.empty());
  const Record& header = measured.records.front();
  ASSERT_EQ(header.size(), 5u + 3 * 8);
  EXPECT_EQ(header[3], "Time (min)");
  EXPECT_EQ(header[5], "A observed (%)");
  EXPECT_EQ(header[13], "A calculated (%)");
  EXPECT_EQ(header[28], "H residual (%)");

  std::size_t next = 1;
  for (const Side side : {Side::Left, Side::Right}) {
    const Experiment& experiment = project.ExperimentOf(side);
    ASSERT_TRUE(experiment.Present);
    for (int row = 0; row <= experiment.LastRow; ++row, ++next) {
      ASSERT_LT(next, measured.records.size());
      const Record& record = measured.records[next];
      const std::string where = (side == Side::Left ? "left row " : "right row ") + std::to_string(row);
      ASSERT_EQ(record.size(), header.size()) << where;
      EXPECT_EQ(record[0], side == Side::Left ? "Left" : "Right");
      EXPECT_EQ(record[1], side == Side::Left ? "'" + project.LeftReactantName : project.RightReactantName);
      EXPECT_EQ(record[2], std::to_string(row));
      const Real t = experiment.Times[static_cast<std::size_t>(row)];
      ExpectValue(record[3], t / 60, where + " minutes");
      ExpectValue(record[4], t, where + " seconds");
      const SpeciesValues& observed = experiment.Observed[static_cast<std::size_t>(row)];
      const Concentrations calculated = CalcConc(set, side, t);
      SpeciesValues residual;
      for (int s = 1; s <= kSpeciesCount; ++s) residual[s] = observed[s] - calculated[s];
      ExpectSpecies(record, 5, observed, where + " observed");
      ExpectSpecies(record, 13, calculated, where + " calculated");
      ExpectSpecies(record, 21, residual, where + " residual");
    }
  }
  EXPECT_EQ(next, measured.records.size());

  ASSERT_EQ(curves.records.size(), 1u + 2 * points);
  EXPECT_EQ(curves.records.front().size(), 5u + 8);
  for (std::size_t i = 1; i < curves.records.size(); ++i) {
    const Record& record = curves.records[i];
    const Side side = i <= points ? Side::Left : Side::Right;
    const int point = static_cast<int>((i - 1) % points);
    const Experiment& experiment = project.ExperimentOf(side);
    const Real last = experiment.Times[static_cast<std::size_t>(experiment.LastRow)];
    const Real t = last * point / (points - 1);
    const std::string where = "curve point " + std::to_string(i);
    EXPECT_EQ(record[2], std::to_string(point));
    ExpectValue(record[4], t, where + " seconds");
    ExpectSpecies(record, 5, CalcConc(set, side, t), where);
  }
  // The curves run from the start to the last reaction time.
  EXPECT_EQ(curves.records[points][4], "36000");
  EXPECT_EQ(curves.records[2 * points][4], "18000");
}

TEST(ResultTableTest, AbsentExperimentIsLeftOut) {
  KineticProject project = test::Example();
  project.Right.Present = false;
  const auto [measured, curves] = Sections(ReadCsv(ResultTableCsv(project, 3)));
  EXPECT_EQ(measured.records.size(), 1u + static_cast<std::size_t>(project.Left.LastRow) + 1);
  EXPECT_EQ(curves.records.size(), 1u + 3);
  for (std::size_t i = 1; i < curves.records.size(); ++i) EXPECT_EQ(curves.records[i][0], "Left");
}

TEST(ResultTableTest, WrittenThroughTheWriter) {
  const std::string path = ::testing::TempDir() + "/result-table.csv";
  const KineticProject project = test::Example();
  WriteResultTable(path, project, 5);
  EXPECT_EQ(ReadTextFile(path), SplitLines(ResultTableCsv(project, 5)));
  std::remove(path.c_str());

  const test::Thrown failure = test::ThrownBy([&] { WriteResultTable("/nonexistent-folder/t.csv", project, 5); });
  EXPECT_EQ(failure.Kind, "file");
}

}  // namespace
}  // namespace zamo
