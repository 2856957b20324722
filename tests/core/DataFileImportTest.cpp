#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "document/DataFileImport.h"
#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "document/TextFile.h"
#include "model/DateTime.h"
#include "model/ZamoError.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

const DateTime kNow = EncodeDateTime({2024, 3, 1, 12, 30, 15, 0});
constexpr const char* kLeftExample = "left-tmcp-210.dat";
constexpr const char* kRightExample = "right-ipcp-210.dat";

std::string DataPath(const std::string& name) { return std::string(ZAMO_TEST_DATA_DIR) + "/" + name; }

DataFileChoice Choose(const std::string& name) { return {DataPath(name), ReadTextFile(DataPath(name))}; }

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
  KineticProject project;
  ReadInto(project, ExampleProjectText(), "open.zam");
  project.ReactantCount = 6;
  project.DeclaredRateConstantsPerReaction = 5;
  project.ShowLeft = false;
  project.DataValid = false;
  project.Modified = false;
  project.LeftDeviation.TotalSquares = 1.5L;
  project.RightDeviation.SignedSum[3] = -0.25L;
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

// Names each instance of a table after the case's `name`.
struct CaseName {
  template <typename Case>
  std::string operator()(const testing::TestParamInfo<Case>& param) const {
    return param.param.name;
  }
};

Thrown ImportFailure(const KineticProject& project, const ImportRequest& request) {
  return ThrownBy([&] { (void)ImportDataFiles(project, request, kNow); });
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

TEST_P(ImportCheckTest, GivesTheMessagesInOrder) {
  const CheckCase& c = GetParam();
  ImportRequest request = Request(c.left ? std::optional<std::string>(kLeftExample) : std::nullopt,
                                  c.right ? std::optional<std::string>(kRightExample) : std::nullopt);
  request.TemperatureText = c.temperature;
  request.RateConstantCountText = c.rateConstants;
  EXPECT_EQ(CheckImportRequest(request), c.messages);

  // A refused request reports the first message.
  const Thrown failure = ImportFailure(OpenProject(), request);
  EXPECT_EQ(failure.Kind, c.messages.empty() ? "none" : "format");
  if (!c.messages.empty()) {
    EXPECT_EQ(failure.Text, c.messages.front());
  }
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

// What the project file cannot hold never enters the project.
TEST(ImportCheckTest, FieldTheProjectFileCannotHoldIsRefused) {
  ImportRequest request = Request(kLeftExample, std::nullopt);
  request.RightName = "B\r";
  EXPECT_THROW_MSG((void)ImportDataFiles(OpenProject(), request, kNow), FormatError,
                   "the name of the right reactant cannot be written: it holds a line break (CR or LF)");
}

TEST(ImportTemperatureBoxTest, TextThatIsNotANumberIsAConversionError) {
  ImportRequest request = Request(kLeftExample, std::nullopt);
  request.TemperatureText = "abc";
  const Thrown failure = ImportFailure(OpenProject(), request);
  EXPECT_EQ(failure.Kind, "conversion");
  EXPECT_EQ(failure.Text, "'abc' ist kein gültiger Gleitkommawert");
}

// ---- Reading the data rows and the rate constants ----

TEST(DataFileRowsTest, SpeciesAfterTheLastGivenOneIsTheRemainder) {
  const KineticProject p = Imported(Request("rows-with-8-4-9-and-0-percentages.dat", std::nullopt));
  struct Row {
    std::int32_t seconds;
    std::array<long double, 8> fractions;  // A..H
  };
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
  for (std::size_t r = 0; r < rows.size(); ++r) {
    EXPECT_EQ(p.Left.Times[r], rows[r].seconds) << "row " << r;
    long double sum = 0;
    for (int s = 1; s <= 8; ++s) {
      EXPECT_NEAR(static_cast<double>(p.Left.Observed[r][s]),
                  static_cast<double>(rows[r].fractions[static_cast<std::size_t>(s - 1)]), 1e-15)
          << "row " << r << ", species " << s;
      sum += p.Left.Observed[r][s];
    }
    EXPECT_NEAR(static_cast<double>(sum), 1.0, 1e-15) << "row " << r;
  }
  for (std::size_t r = rows.size(); r < p.Left.Observed.size(); ++r) {
    EXPECT_EQ(p.Left.Times[r], 0);
    EXPECT_TRUE(p.Left.Observed[r] == SpeciesValues{}) << "row " << r;
  }
}

TEST(DataFileRowsTest, MinutesAreTruncatedTowardZeroToWholeSeconds) {
  const KineticProject p = Imported(Request("fractional-minutes.dat", std::nullopt));
  // 0.25 min = 15 s, 0.0125 min = 0.75 s, 2.99 min = 179.4 s, -0.0125 min = -0.75 s,
  // -8.4 min = -504 s (from the decimal text, not -503.99...)
  const std::array<std::int32_t, 6> seconds = {0, 15, 0, 179, 0, -504};
  ASSERT_EQ(p.Left.LastRow, 5);
  for (std::size_t r = 0; r < seconds.size(); ++r) EXPECT_EQ(p.Left.Times[r], seconds[r]) << "row " << r;
}

// The files hold k_n = n * 1E-05 for every constant they give, in pairs (k_i, k_(i+7)).
TEST(DataFileRateConstantsTest, LineAfterThePairsIsK15K16OnlyWithExactlyTwoNumbers) {
  const KineticProject withLine = Imported(Request("rows-with-8-4-9-and-0-percentages.dat", std::nullopt));
  for (int n = 1; n <= 16; ++n) EXPECT_NEAR(static_cast<double>(withLine.K[n]), n * 1e-5, 1e-18) << "k" << n;

  // The example had k15 and k16; a file without their line leaves them 0 and the line with
  // one number is the row count.
  const KineticProject withoutLine = Imported(Request("no-k15-k16-line.dat", std::nullopt));
  for (int n = 1; n <= 14; ++n) EXPECT_NEAR(static_cast<double>(withoutLine.K[n]), n * 1e-5, 1e-18) << "k" << n;
  EXPECT_EQ(withoutLine.K[15], 0);
  EXPECT_EQ(withoutLine.K[16], 0);
  EXPECT_EQ(withoutLine.Left.LastRow, 2);
  EXPECT_EQ(withoutLine.Left.Times[2], 120);
  EXPECT_NEAR(static_cast<double>(withoutLine.Left.Observed[2][2]), 0.02, 1e-15);
}

TEST(DataFileRowsTest, SeventeenRowsFillEveryRow) {
  const KineticProject p = Imported(Request("row-count-17.dat", std::nullopt));
  EXPECT_EQ(p.Left.LastRow, 16);
  EXPECT_EQ(p.Left.Times[16], 960);
  EXPECT_NEAR(static_cast<double>(p.Left.Observed[16][1]), 0.84, 1e-15);
}

TEST(DataFileRowsTest, EmptyLinesAnywhereAndCrLfChangeNothing) {
  const KineticProject plain = Imported(Request(kLeftExample, std::nullopt));
  const KineticProject spaced = Imported(Request("empty-lines-everywhere-crlf.dat", std::nullopt));
  EXPECT_TRUE(spaced.K == plain.K);
  EXPECT_EQ(spaced.AbsoluteTemperature, plain.AbsoluteTemperature);
  EXPECT_TRUE(spaced.Left == plain.Left);
  EXPECT_EQ(spaced.Left.LastRow, 6);
}

// ---- Faulty data files ----

struct FaultCase {
  const char* name;
  const char* file;
  const char* kind;
  int line;
  const char* text;
  int column = 0;  // of the number at fault on a number line
};

class DataFileFaultTest : public testing::TestWithParam<FaultCase> {};

// The faulty file comes last, after a good one, so that a half-done import would show.
TEST_P(DataFileFaultTest, NamesFileAndLine) {
  const FaultCase& c = GetParam();
  const Thrown failure = ImportFailure(OpenProject(), Request(kLeftExample, std::string(c.file)));
  EXPECT_EQ(failure.Kind, c.kind);
  EXPECT_EQ(failure.Text, c.text);
  EXPECT_EQ(failure.Line, c.line);
  EXPECT_EQ(failure.File, DataPath(c.file));
  const std::string column = c.column > 0 ? ":" + std::to_string(c.column) : "";
  EXPECT_EQ(failure.Described, DataPath(c.file) + ":" + std::to_string(c.line) + column + ": " + c.text);
}

INSTANTIATE_TEST_SUITE_P(
    DataFile, DataFileFaultTest,
    testing::Values(FaultCase{"TemperatureWithComma", "temperature-with-comma.dat", "conversion", 1,
                              "'210,1' ist kein gültiger Gleitkommawert"},
                    FaultCase{"RatePairWithOneNumber", "rate-pair-with-one-number.dat", "format", 4,
                              "expected two numbers for the rate constants k3 and k10, found 1"},
                    FaultCase{"RowCountNotWhole", "row-count-not-whole.dat", "conversion", 10,
                              "'3.5' ist kein gültiger Integerwert"},
                    FaultCase{"RowCount0", "row-count-0.dat", "format", 10,
                              "expected the number of rows (1 to 17, the start row included), found 0"},
                    FaultCase{"RowCount18", "row-count-18.dat", "format", 10,
                              "expected the number of rows (1 to 17, the start row included), found 18"},
                    FaultCase{"DataRowOfBlanks", "data-row-of-blanks.dat", "format", 12,
                              "expected a reaction time and concentrations for row 1 of the 3 rows"},
                    FaultCase{"DataRowNotANumber", "data-row-not-a-number.dat", "conversion", 12,
                              "'1.2.3' ist kein gültiger Gleitkommawert", 13},
                    // the error names the last line of the text
                    FaultCase{"EndsInRows", "ends-in-rows.dat", "format", 13,
                              "the text ends before row 3 of the 7 rows"}),
    CaseName());

TEST(DataFileFaultOrderTest, FaultyLeftFileStopsBeforeTheRightOne) {
  const Thrown failure = ImportFailure(OpenProject(), Request("row-count-18.dat", kRightExample));
  EXPECT_EQ(failure.File, DataPath("row-count-18.dat"));
  EXPECT_EQ(failure.Line, 10);
}

// ---- The start-row plausibility check ----

struct WarningCase {
  const char* name;
  std::optional<std::string> left;
  std::optional<std::string> right;
  std::vector<std::pair<std::string, std::string>> warnings;  // file, detail
};

class ImportWarningTest : public testing::TestWithParam<WarningCase> {};

TEST_P(ImportWarningTest, WarnsAndImportsTheDataAsRead) {
  const WarningCase& c = GetParam();
  ImportResult result;
  const KineticProject p = Imported(Request(c.left, c.right), &result);
  ASSERT_EQ(result.Warnings.size(), c.warnings.size());
  for (std::size_t i = 0; i < c.warnings.size(); ++i) {
    EXPECT_EQ(result.Warnings[i].Text, "Error by Analysing the File");
    EXPECT_EQ(result.Warnings[i].File, DataPath(c.warnings[i].first));
    EXPECT_EQ(result.Warnings[i].Detail, c.warnings[i].second);
  }
  // The start row stays as the file has it: the left example starts from pure A, the
  // right one from pure B, wherever they were imported.
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
  EXPECT_EQ(p.Title, "TMCP-ICP at low temperature");
  EXPECT_EQ(p.Author, "R. Searcher");
  EXPECT_EQ(p.LeftReactantName, "1,3,3-Trimethylcyclopropene");
  EXPECT_EQ(p.RightReactantName, "1-Isopropylcyclopropene");
  EXPECT_EQ(p.LeftDataFile, DataPath(kLeftExample));
  EXPECT_EQ(p.RightDataFile, DataPath(kRightExample));
  EXPECT_EQ(p.FileName, "TMCP-ICP at low temperature (210).zam");
  EXPECT_EQ(p.DataDateTime, kNow);
  EXPECT_NEAR(static_cast<double>(p.Temperature), 210.1, 1e-12);
  EXPECT_NEAR(static_cast<double>(p.AbsoluteTemperature), 483.25, 1e-12);
  EXPECT_EQ(p.ReactantCount, 8);
  EXPECT_EQ(p.RateConstantsPerReaction, 7);
  EXPECT_EQ(p.DeclaredRateConstantsPerReaction, 7);
  EXPECT_EQ(p.ZoomLeft, 315);
  EXPECT_EQ(p.ZoomRight, 315);
  EXPECT_TRUE(p.Left.Present);
  EXPECT_TRUE(p.Right.Present);
  EXPECT_TRUE(p.ShowLeft);
  EXPECT_EQ(result.Caption, "Zamo - Left Reactions: TMCP-ICP at low temperature (T = 210.1)");
}

// Reading the built-in example and importing the two data files it was made from are
// separate paths to the same numbers.
TEST(ImportProjectTest, ExampleDataFilesGiveTheExampleProjectsNumbers) {
  KineticProject example;
  ReadInto(example, ExampleProjectText(), "");
  const KineticProject imported = Imported(Request(kLeftExample, kRightExample));
  EXPECT_TRUE(imported.K == example.K);
  EXPECT_TRUE(imported.Left == example.Left);
  EXPECT_TRUE(imported.Right == example.Right);
}

struct OneSideCase {
  const char* name;
  bool left;  // the file given is the left example; else the right example alone
};

class ImportOneFileTest : public testing::TestWithParam<OneSideCase> {};

TEST_P(ImportOneFileTest, MissingExperimentBorrowsTheTimesOnly) {
  const bool left = GetParam().left;
  ImportResult result;
  const KineticProject p =
      Imported(left ? Request(kLeftExample, std::nullopt) : Request(std::nullopt, kRightExample), &result);
  const Experiment& present = left ? p.Left : p.Right;
  const Experiment& missing = left ? p.Right : p.Left;
  EXPECT_TRUE(present.Present);
  EXPECT_EQ(present.LastRow, 6);
  EXPECT_FALSE(missing.Present);
  EXPECT_EQ(missing.LastRow, 1);
  EXPECT_EQ(missing.Times, present.Times);
  // The open example had observed values on both sides; none survive on the missing one.
  for (const SpeciesValues& row : missing.Observed) EXPECT_TRUE(row == SpeciesValues{});
  EXPECT_EQ(p.ShowLeft, left);
  EXPECT_EQ(p.LeftDataFile, left ? DataPath(kLeftExample) : "*.dat");
  EXPECT_EQ(p.RightDataFile, left ? "*.dat" : DataPath(kRightExample));
  EXPECT_EQ(result.Caption, std::string(left ? "Zamo - Left Reactions: " : "Zamo - Right Reactions: ") +
                                "TMCP-ICP at low temperature (T = 210.1)");
}

INSTANTIATE_TEST_SUITE_P(Import, ImportOneFileTest,
                         testing::Values(OneSideCase{"LeftOnly", true}, OneSideCase{"RightOnly", false}), CaseName());

struct TemperatureCase {
  const char* name;
  const char* leftTemperature;  // nullptr: the right file alone
  const char* rightTemperature;
  double celsius;
  const char* fileName;
};

class ImportTemperatureTest : public testing::TestWithParam<TemperatureCase> {};

TextLines WithTemperature(const std::string& file, const char* temperature) {
  return WithLines(ReadTextFile(DataPath(file)), {{0, temperature}});
}

TEST_P(ImportTemperatureTest, LastFileReadSetsTemperatureAndFileName) {
  const TemperatureCase& c = GetParam();
  ImportRequest request = Request(std::nullopt, kRightExample);
  request.Title = "Run";
  if (c.leftTemperature != nullptr) {
    request.Left = DataFileChoice{DataPath(kLeftExample), WithTemperature(kLeftExample, c.leftTemperature)};
  }
  request.Right->Lines = WithTemperature(kRightExample, c.rightTemperature);
  const KineticProject p = Imported(request);
  EXPECT_NEAR(static_cast<double>(p.Temperature), c.celsius, 1e-12);
  EXPECT_NEAR(static_cast<double>(p.AbsoluteTemperature), c.celsius + 273.15, 1e-12);
  EXPECT_EQ(p.FileName, c.fileName);
}

INSTANTIATE_TEST_SUITE_P(
    Import, ImportTemperatureTest,
    testing::Values(TemperatureCase{"RightFileCountsOverLeft", "210.1", "180.55", 180.55, "Run (180).zam"},
                    TemperatureCase{"RightFileCountsOverColderLeft", "180.55", "210.1", 210.1, "Run (210).zam"},
                    TemperatureCase{"AlmostAHundred", nullptr, "99.99", 99.99, "Run (99).zam"},
                    TemperatureCase{"NegativeTruncatesTowardZero", nullptr, "-20.7", -20.7, "Run (-20).zam"},
                    TemperatureCase{"SmallNegativeIsZero", nullptr, "-0.5", -0.5, "Run (0).zam"}),
    CaseName());

}  // namespace
}  // namespace zamo
