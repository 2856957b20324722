#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "document/DataFileImport.h"
#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "model/DateTime.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

const DateTime kNow = EncodeDateTime({2024, 3, 1, 12, 30, 15, 0});
constexpr const char* kLeftExample = "left-tmcp-210.dat";
constexpr const char* kRightExample = "right-ipcp-210.dat";

DataFileChoice Choose(const std::string& name) { return {DataFilePath(name), DataFileLines(name)}; }

// A request as the dialog hands it over; the temperature box holds a value the files replace.
ImportRequest Request(const std::optional<std::string>& left, const std::optional<std::string>& right) {
  ImportRequest request;
  request.Title = "TMCP-ICP at low temperature";
  request.Author = "R. Searcher";
  request.LeftName = "1,3,3-Trimethylcyclopropene";
  request.RightName = "1-Isopropylcyclopropene";
  if (left) request.Left = Choose(*left);
  if (right) request.Right = Choose(*right);
  request.TemperatureText = "25";
  return request;
}

// The project open before the import: the example, with fields the import must overwrite
// set to values it never produces.
KineticProject OpenProject() {
  KineticProject project = Example();
  project.ReactantCount = 6;
  project.DeclaredRateConstantsPerReaction = 5;
  project.ShowLeft = false;
  project.LeftDeviation.TotalSquares = 1.5L;
  return project;
}

// The project an import builds over the open one, with the experiment it shows.
KineticProject Imported(const ImportRequest& request, ImportResult* result = nullptr) {
  KineticProject project = OpenProject();
  const ImportResult outcome = ImportDataFiles(project, request, kNow);
  static_cast<ProjectData&>(project) = outcome.Data;
  project.ShowLeft = outcome.ShowLeft;
  if (result != nullptr) *result = outcome;
  return project;
}

Thrown ImportFailure(const ImportRequest& request) {
  return ThrownBy([&] { (void)ImportDataFiles(OpenProject(), request, kNow); });
}

// ---- The dialog's checks ----

struct CheckCase {
  const char* name;
  bool left;
  bool right;
  const char* temperature;
  const char* rateConstants;
  std::vector<std::string> messages;
};

class ImportCheckTest : public testing::TestWithParam<CheckCase> {};

// A refused request reports the first message.
TEST_P(ImportCheckTest, GivesTheMessagesInOrder) {
  const CheckCase& c = GetParam();
  ImportRequest request = Request(c.left ? std::optional<std::string>(kLeftExample) : std::nullopt,
                                  c.right ? std::optional<std::string>(kRightExample) : std::nullopt);
  request.TemperatureText = c.temperature;
  request.RateConstantCountText = c.rateConstants;
  EXPECT_EQ(CheckImportRequest(request), c.messages);
  const Thrown failure = ImportFailure(request);
  EXPECT_EQ(failure.Kind, c.messages.empty() ? "none" : "format");
  EXPECT_EQ(failure.Text, c.messages.empty() ? "" : c.messages.front());
}

constexpr const char* kNoFile = "You have to Load a Zamo-Data-File";
constexpr const char* kNoTemperature = "Please enter the TEMPERATURE";
constexpr const char* kNoRateConstants = "Please enter the NUMBER OF RATE CONSTANT";

INSTANTIATE_TEST_SUITE_P(
    Import, ImportCheckTest,
    testing::Values(CheckCase{"NoFileHidesTheFieldChecks", false, false, "", "", {kNoFile}},
                    CheckCase{"BothFieldsEmpty", true, false, "", "", {kNoTemperature, kNoRateConstants}},
                    CheckCase{"TemperatureEmpty", false, true, "", "16", {kNoTemperature}},
                    CheckCase{"RateConstantsEmpty", true, true, "210.1", "", {kNoRateConstants}},
                    CheckCase{"EverythingGiven", true, true, "210.1", "16", {}}),
    CaseName());

TEST(ImportCheckTest, WhatTheProjectCannotHoldOrReadIsRefused) {
  ImportRequest request = Request(kLeftExample, std::nullopt);
  request.RightName = "B\r";
  EXPECT_THROW_MSG((void)ImportDataFiles(OpenProject(), request, kNow), FormatError,
                   "the name of the right reactant cannot be written: it holds a line break (CR or LF)");
  request.RightName = "B";
  request.TemperatureText = "abc";
  EXPECT_THROW_MSG((void)ImportDataFiles(OpenProject(), request, kNow), ConversionError,
                   "'abc' ist kein gültiger Gleitkommawert");
}

// ---- Reading the data rows and the rate constants ----

TEST(DataFileRowsTest, SpeciesAfterTheLastGivenOneIsTheRemainder) {
  const KineticProject p = Imported(Request("rows-with-8-4-9-and-0-percentages.dat", std::nullopt));
  using Row = std::pair<std::int32_t, std::array<long double, 8>>;  // seconds, A..H
  const std::array<Row, 5> rows = {{
      {0, {1, 0, 0, 0, 0, 0, 0, 0}},
      // eight percentages: the eighth (99 %) is ignored, H is what A..G leave
      {600, {0.50L, 0.01L, 0.02L, 0.03L, 0.04L, 0.05L, 0.06L, 0.29L}},
      // four percentages: A..D as given, E the rest, F..H stay 0
      {1200, {0.40L, 0.30L, 0.20L, 0.05L, 0.05L, 0, 0, 0}},
      // nine percentages: the first seven count
      {1800, {0.60L, 0.01L, 0.02L, 0.03L, 0.04L, 0.05L, 0.06L, 0.19L}},
      // a time alone: A is the whole remainder
      {2400, {1, 0, 0, 0, 0, 0, 0, 0}},
  }};
  ASSERT_EQ(p.Left.LastRow, 4);
  for (std::size_t r = 0; r < p.Left.Observed.size(); ++r) {
    const auto [seconds, fractions] = r < rows.size() ? rows[r] : Row{};
    EXPECT_EQ(p.Left.Times[r], seconds) << "row " << r;
    for (int s = 1; s <= 8; ++s) {
      EXPECT_NEAR(static_cast<double>(p.Left.Observed[r][s]), static_cast<double>(fractions[s - 1u]), 1e-15)
          << "row " << r << ", species " << s;
    }
  }
  // The files hold k_n = n * 1E-05 for every constant they give, in pairs (k_i, k_(i+7)).
  for (int n = 1; n <= 16; ++n) EXPECT_NEAR(static_cast<double>(p.K[n]), n * 1e-5, 1e-18) << "k" << n;
}

// The example had k15 and k16; a file without their line leaves them 0, and the line with
// one number is the row count.
TEST(DataFileRowsTest, LineAfterThePairsIsK15K16OnlyWithExactlyTwoNumbers) {
  const KineticProject p = Imported(Request("no-k15-k16-line.dat", std::nullopt));
  for (int n = 1; n <= 14; ++n) EXPECT_NEAR(static_cast<double>(p.K[n]), n * 1e-5, 1e-18) << "k" << n;
  EXPECT_EQ(p.K[15] + p.K[16], 0);
  EXPECT_EQ(p.Left.LastRow, 2);
  EXPECT_EQ(p.Left.Times[2], 120);
}

TEST(DataFileRowsTest, MinutesTruncateTowardZeroAndSeventeenRowsFillEveryRow) {
  // 0.25 min = 15 s, 0.0125 min = 0.75 s, 2.99 min = 179.4 s, -0.0125 min = -0.75 s,
  // -8.4 min = -504 s (from the decimal text, not -503.99...)
  const KineticProject p = Imported(Request("fractional-minutes.dat", std::nullopt));
  ASSERT_EQ(p.Left.LastRow, 5);
  EXPECT_EQ(p.Left.Times, (std::array<std::int32_t, kRowCount>{0, 15, 0, 179, 0, -504}));
  const KineticProject full = Imported(Request("row-count-17.dat", std::nullopt));
  EXPECT_EQ(full.Left.LastRow, 16);
  EXPECT_EQ(full.Left.Times[16], 960);
  EXPECT_NEAR(static_cast<double>(full.Left.Observed[16][1]), 0.84, 1e-15);
}

// Reading the built-in example and importing the two data files it was made from are
// separate paths to the same numbers; empty lines anywhere and CR LF change nothing.
TEST(DataFileRowsTest, ExampleDataFilesGiveTheExampleProjectsNumbers) {
  const KineticProject example = Example();
  const KineticProject imported = Imported(Request(kLeftExample, kRightExample));
  EXPECT_TRUE(imported.K == example.K);
  EXPECT_TRUE(imported.Left == example.Left);
  EXPECT_TRUE(imported.Right == example.Right);
  const KineticProject spaced = Imported(Request("empty-lines-everywhere-crlf.dat", std::nullopt));
  EXPECT_TRUE(spaced.K == example.K);
  EXPECT_TRUE(spaced.Left == example.Left);
}

// ---- Faulty data files: the error names the file, the line and the column ----

struct FaultCase {
  const char* name;
  std::string path;
  TextLines lines;
  const char* kind;
  std::string where;  // what Describe() adds after the path
};

void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.name; }

FaultCase FromFile(const char* name, const char* file, const char* kind, std::string where) {
  return {name, DataFilePath(file), DataFileLines(file), kind, std::move(where)};
}

FaultCase Edited(const char* name, const char* file, const std::map<std::size_t, std::string>& changes,
                 const char* kind, std::string where, bool emptyLineFirst = false) {
  TextLines lines = emptyLineFirst ? TextLines{""} : TextLines{};
  lines.Append(WithLines(DataFileLines(file), changes));
  return {name, "edited.dat", lines, kind, std::move(where)};
}

class DataFileFaultTest : public testing::TestWithParam<FaultCase> {};

// The faulty file comes last, after a good one, so that a half-done import would show.
TEST_P(DataFileFaultTest, NamesFileAndLine) {
  ImportRequest request = Request(kLeftExample, std::nullopt);
  request.Right = DataFileChoice{GetParam().path, GetParam().lines};
  const Thrown failure = ImportFailure(request);
  EXPECT_EQ(failure.Kind, GetParam().kind);
  EXPECT_EQ(failure.File, GetParam().path);
  EXPECT_EQ(failure.Described, GetParam().path + GetParam().where);
}

const std::string kNotAFloat = " ist kein gültiger Gleitkommawert";

INSTANTIATE_TEST_SUITE_P(
    DataFile, DataFileFaultTest,
    testing::Values(
        FromFile("TemperatureWithComma", "temperature-with-comma.dat", "conversion", ":1: '210,1'" + kNotAFloat),
        Edited("TemperatureAfterAnEmptyLine", kLeftExample, {{0, "210,1"}}, "conversion", ":2: '210,1'" + kNotAFloat,
               true),
        FaultCase{"EmptyLinesOnly", "edited.dat", {"", ""}, "format", ":2: the text ends before the temperature"},
        FaultCase{"EmptyFile", "edited.dat", {}, "format", ": the text ends before the temperature"},
        FromFile("RatePairWithOneNumber", "rate-pair-with-one-number.dat", "format",
                 ":4: expected two numbers for the rate constants k3 and k10, found 1"),
        Edited("NegativeRateConstant", kRightExample, {{2, "1.0E-04  -1.0E-04"}}, "format",
               ":3:10: expected k8 from 0 to 1.7976931348623157E+308, found -1.0E-04"),
        FromFile("RowCountNotWhole", "row-count-not-whole.dat", "conversion",
                 ":10: '3.5' ist kein gültiger Integerwert"),
        FromFile("RowCount0", "row-count-0.dat", "format",
                 ":10: expected the number of rows (1 to 17, the start row included), found 0"),
        FromFile("RowCount18", "row-count-18.dat", "format",
                 ":10: expected the number of rows (1 to 17, the start row included), found 18"),
        FromFile("DataRowOfBlanks", "data-row-of-blanks.dat", "format",
                 ":12: expected a reaction time and concentrations for row 1 of the 3 rows"),
        FromFile("DataRowNotANumber", "data-row-not-a-number.dat", "conversion", ":12:13: '1.2.3'" + kNotAFloat),
        FromFile("EndsInRows", "ends-in-rows.dat", "format", ":13: the text ends before row 3 of the 7 rows"),
        Edited("PercentageAboveTheLimit", kLeftExample, {{11, "30.0  5000  0.18"}}, "format",
               ":12:7: expected a percentage from -1000 to 1000 for species A, found 5000"),
        // The remainder of a row is written as the next species' percentage.
        Edited("RemainderAboveTheLimit", kLeftExample, {{11, "30.0  -1000  -1000"}}, "format",
               ":12: the remainder to 100 % for species C would be 2100, outside -1000 to 1000")),
    CaseName());

TEST(DataFileFaultOrderTest, FaultyLeftFileStopsBeforeTheRightOne) {
  EXPECT_EQ(ImportFailure(Request("row-count-18.dat", kRightExample)).File, DataFilePath("row-count-18.dat"));
}

// ---- The start-row plausibility check ----

struct WarningCase {
  const char* name;
  std::optional<std::string> left;
  std::optional<std::string> right;
  std::vector<std::pair<std::string, std::string>> warnings;  // file, detail
};

class ImportWarningTest : public testing::TestWithParam<WarningCase> {};

// The start row stays as the file has it: the left example starts from pure A, the right
// one from pure B, wherever they were imported.
TEST_P(ImportWarningTest, WarnsAndImportsTheDataAsRead) {
  const WarningCase& c = GetParam();
  ImportResult result;
  const KineticProject p = Imported(Request(c.left, c.right), &result);
  ASSERT_EQ(result.Warnings.size(), c.warnings.size());
  for (std::size_t i = 0; i < c.warnings.size(); ++i) {
    EXPECT_EQ(result.Warnings[i].Text, "Error by Analysing the File");
    EXPECT_EQ(result.Warnings[i].File, DataFilePath(c.warnings[i].first));
    EXPECT_EQ(result.Warnings[i].Detail, c.warnings[i].second);
  }
  if (c.left) {
    EXPECT_EQ(p.Left.Observed[0][*c.left == kLeftExample ? 1 : 2], 1);
  }
  if (c.right) {
    EXPECT_EQ(p.Right.Observed[0][*c.right == kLeftExample ? 1 : 2], 1);
  }
}

constexpr const char* kLeftHoldsB = "the start row of the left reaction holds some B";
constexpr const char* kRightHoldsNoB = "the start row of the right reaction holds no B";

INSTANTIATE_TEST_SUITE_P(
    Import, ImportWarningTest,
    testing::Values(WarningCase{"FilesOnTheirOwnSides", kLeftExample, kRightExample, {}},
                    WarningCase{"LeftStartRowHoldsB", kRightExample, std::nullopt, {{kRightExample, kLeftHoldsB}}},
                    WarningCase{"RightStartRowHoldsNoB", std::nullopt, kLeftExample, {{kLeftExample, kRightHoldsNoB}}},
                    WarningCase{"BothSidesSwapped",
                                kRightExample,
                                kLeftExample,
                                {{kRightExample, kLeftHoldsB}, {kLeftExample, kRightHoldsNoB}}}),
    CaseName());

// ---- The project the import builds ----

TEST(ImportProjectTest, BothFilesFillEveryField) {
  ImportResult result;
  const KineticProject p = Imported(Request(kLeftExample, kRightExample), &result);
  EXPECT_EQ(p.Title + "|" + p.Author + "|" + p.LeftReactantName + "|" + p.RightReactantName,
            "TMCP-ICP at low temperature|R. Searcher|1,3,3-Trimethylcyclopropene|1-Isopropylcyclopropene");
  EXPECT_EQ(p.LeftDataFile, DataFilePath(kLeftExample));
  EXPECT_EQ(p.RightDataFile, DataFilePath(kRightExample));
  EXPECT_EQ(p.FileName, "TMCP-ICP at low temperature (210).zam");
  EXPECT_EQ(p.DataDateTime, kNow);
  EXPECT_NEAR(static_cast<double>(p.AbsoluteTemperature), 483.25, 1e-12);
  EXPECT_EQ(p.ReactantCount, 8);
  EXPECT_EQ(p.RateConstantsPerReaction, 7);
  EXPECT_EQ(p.DeclaredRateConstantsPerReaction, 7);
  EXPECT_EQ(p.ZoomLeft, 315);
  EXPECT_EQ(p.ZoomRight, 315);
  EXPECT_TRUE(p.ShowLeft);
  EXPECT_EQ(result.Caption, "Zamo - Left Reactions: TMCP-ICP at low temperature (T = 210.1)");
}

class ImportOneFileTest : public testing::TestWithParam<bool> {};

// One file (the left example, or the right one alone): the missing experiment borrows its
// times only.
TEST_P(ImportOneFileTest, MissingExperimentBorrowsTheTimesOnly) {
  const bool left = GetParam();
  ImportResult result;
  const KineticProject p =
      Imported(left ? Request(kLeftExample, std::nullopt) : Request(std::nullopt, kRightExample), &result);
  const Experiment& present = left ? p.Left : p.Right;
  const Experiment& missing = left ? p.Right : p.Left;
  EXPECT_TRUE(present.Present);
  EXPECT_FALSE(missing.Present);
  EXPECT_EQ(missing.LastRow, 1);
  EXPECT_EQ(missing.Times, present.Times);
  // The open example had observed values on both sides; none survive on the missing one.
  for (const SpeciesValues& row : missing.Observed) EXPECT_TRUE(row == SpeciesValues{});
  EXPECT_EQ(p.ShowLeft, left);
  EXPECT_EQ(p.LeftDataFile, left ? DataFilePath(kLeftExample) : "*.dat");
  EXPECT_EQ(p.RightDataFile, left ? "*.dat" : DataFilePath(kRightExample));
  EXPECT_EQ(result.Caption,
            std::string(left ? "Zamo - Left" : "Zamo - Right") + " Reactions: TMCP-ICP at low temperature (T = 210.1)");
}

INSTANTIATE_TEST_SUITE_P(Import, ImportOneFileTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& row) { return row.param ? "LeftOnly" : "RightOnly"; });

// The last file read sets the temperature, and the file name takes its whole degrees.
TEST(ImportTemperatureTest, LastFileReadSetsTemperatureAndFileName) {
  const struct {
    const char* left;  // nullptr: the right file alone
    const char* right;
    double celsius;
    const char* fileName;
  } cases[] = {{"210.1", "180.55", 180.55, "Run (180).zam"},
               {"180.55", "210.1", 210.1, "Run (210).zam"},
               {nullptr, "99.99", 99.99, "Run (99).zam"},
               {nullptr, "-20.7", -20.7, "Run (-20).zam"},
               {nullptr, "-0.5", -0.5, "Run (0).zam"}};
  for (const auto& c : cases) {
    ImportRequest request =
        Request(c.left != nullptr ? std::optional<std::string>(kLeftExample) : std::nullopt, kRightExample);
    request.Title = "Run";
    if (c.left != nullptr) request.Left->Lines = WithLines(request.Left->Lines, {{0, c.left}});
    request.Right->Lines = WithLines(request.Right->Lines, {{0, c.right}});
    const KineticProject p = Imported(request);
    EXPECT_NEAR(static_cast<double>(p.Temperature), c.celsius, 1e-12);
    EXPECT_NEAR(static_cast<double>(p.AbsoluteTemperature), c.celsius + 273.15, 1e-12);
    EXPECT_EQ(p.FileName, c.fileName);
  }
}

}  // namespace
}  // namespace zamo
