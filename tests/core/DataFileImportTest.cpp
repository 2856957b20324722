#include <gtest/gtest.h>

#include <tuple>

#include "document/DataFileImport.h"
#include "model/DateTime.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

const DateTime kNow = EncodeDateTime({2024, 3, 1, 12, 30, 15, 0});
constexpr const char* kLeftExample = "left-tmcp-210.dat";
constexpr const char* kRightExample = "right-ipcp-210.dat";
using File = std::optional<std::string>;

// A request as the dialog hands it over; the temperature box holds a value the files replace.
ImportRequest Request(const File& left, const File& right) {
  ImportRequest request;
  request.Title = "TMCP-ICP at low temperature";
  request.Author = "R. Searcher";
  request.LeftName = "1,3,3-Trimethylcyclopropene";
  request.RightName = "1-Isopropylcyclopropene";
  if (left) request.Left = DataFileChoice{DataFilePath(*left), DataFileLines(*left)};
  if (right) request.Right = DataFileChoice{DataFilePath(*right), DataFileLines(*right)};
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
  return project;
}

ImportResult Imported(const ImportRequest& request) { return ImportDataFiles(OpenProject(), request, kNow); }

// The dialog's checks give every message in order; a refused import reports the first.
TEST(ImportCheckTest, GivesTheMessagesInOrder) {
  const char* noFile = "You have to Load a Zamo-Data-File";
  const char* noTemperature = "Please enter the TEMPERATURE";
  const std::tuple<File, File, const char*, const char*, std::vector<std::string>> cases[] = {
      {std::nullopt, std::nullopt, "", "", {noFile}},
      {kLeftExample, std::nullopt, "", "", {noTemperature, "Please enter the NUMBER OF RATE CONSTANT"}},
      {std::nullopt, kRightExample, "", "16", {noTemperature}},
      {kLeftExample, kRightExample, "210.1", "16", {}}};
  for (const auto& [left, right, temperature, rateConstants, messages] : cases) {
    ImportRequest request = Request(left, right);
    request.TemperatureText = temperature;
    request.RateConstantCountText = rateConstants;
    EXPECT_EQ(CheckImportRequest(request), messages);
    EXPECT_EQ(ThrownBy([&] { (void)Imported(request); }).Text, messages.empty() ? "" : messages.front());
  }
}

TEST(DataFileRowsTest, SpeciesAfterTheLastGivenOneIsTheRemainder) {
  const ProjectData p = Imported(Request("rows-with-8-4-9-and-0-percentages.dat", std::nullopt)).Data;
  // Eight percentages: the eighth is ignored, H is what A..G leave; four: E is the rest;
  // nine: the first seven count; a time alone: A is the whole remainder.
  const std::array<std::array<long double, 8>, 5> rows = {{{1, 0, 0, 0, 0, 0, 0, 0},
                                                           {0.50L, 0.01L, 0.02L, 0.03L, 0.04L, 0.05L, 0.06L, 0.29L},
                                                           {0.40L, 0.30L, 0.20L, 0.05L, 0.05L, 0, 0, 0},
                                                           {0.60L, 0.01L, 0.02L, 0.03L, 0.04L, 0.05L, 0.06L, 0.19L},
                                                           {1, 0, 0, 0, 0, 0, 0, 0}}};
  ASSERT_EQ(p.Left.LastRow, 4);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    EXPECT_EQ(p.Left.Times[r], static_cast<std::int32_t>(600 * r));
    for (int s = 1; s <= 8; ++s) EXPECT_NEAR(double(p.Left.Observed[r][s]), double(rows[r][s - 1u]), 1e-15) << r << s;
  }
  // The files hold k_n = n * 1E-05 for every constant they give, in pairs (k_i, k_(i+7)); a
  // file without the line of k15 and k16 leaves them 0, its line of one number is the row count.
  const ProjectData no1516 = Imported(Request("no-k15-k16-line.dat", std::nullopt)).Data;
  for (int n = 1; n <= 16; ++n) EXPECT_NEAR(double(p.K[n]), n * 1e-5, 1e-18) << "k" << n;
  for (int n = 1; n <= 16; ++n) EXPECT_NEAR(double(no1516.K[n]), n <= 14 ? n * 1e-5 : 0, 1e-18) << "k" << n;
  EXPECT_EQ(no1516.Left.LastRow, 2);
  EXPECT_EQ(Imported(Request("row-count-17.dat", std::nullopt)).Data.Left.LastRow, 16);
}

// Reading the built-in example and importing the two data files it was made from are
// separate paths to the same numbers; empty lines anywhere and CR LF change nothing. Each
// file on the other side warns, and its start row stays as read: the left example starts
// from pure A, the right one from pure B.
TEST(ImportProjectTest, ExampleDataFilesGiveTheExampleProjectsNumbersAndFillEveryField) {
  const KineticProject example = Example();
  const ImportResult result = Imported(Request(kLeftExample, kRightExample));
  const ProjectData& p = result.Data;
  EXPECT_TRUE(p.K == example.K);
  EXPECT_TRUE(p.Left == example.Left);
  EXPECT_TRUE(p.Right == example.Right);
  const ProjectData spaced = Imported(Request("empty-lines-everywhere-crlf.dat", std::nullopt)).Data;
  EXPECT_TRUE(spaced.K == example.K);
  EXPECT_TRUE(spaced.Left == example.Left);
  EXPECT_EQ(p.Title + "|" + p.Author + "|" + p.LeftReactantName + "|" + p.RightReactantName,
            "TMCP-ICP at low temperature|R. Searcher|1,3,3-Trimethylcyclopropene|1-Isopropylcyclopropene");
  EXPECT_EQ(p.LeftDataFile + "|" + p.RightDataFile, DataFilePath(kLeftExample) + "|" + DataFilePath(kRightExample));
  EXPECT_EQ(p.DataDateTime, kNow);
  EXPECT_EQ(std::pair(p.ReactantCount, p.DeclaredRateConstantsPerReaction), std::pair(8, 7));
  EXPECT_EQ(p.ZoomLeft + p.ZoomRight, 630);
  EXPECT_TRUE(result.ShowLeft);
  EXPECT_EQ(result.Caption, "Zamo - Left Reactions: TMCP-ICP at low temperature (T = 210.1)");
  EXPECT_TRUE(result.Warnings.empty());
  const ImportResult swapped = Imported(Request(kRightExample, kLeftExample));
  ASSERT_EQ(swapped.Warnings.size(), 2u);
  EXPECT_EQ(swapped.Warnings[0].Detail, "the start row of the left reaction holds some B");
  EXPECT_EQ(swapped.Warnings[1].File + ": " + swapped.Warnings[1].Detail,
            DataFilePath(kLeftExample) + ": the start row of the right reaction holds no B");
  EXPECT_EQ(swapped.Data.Left.Observed[0][2] + swapped.Data.Right.Observed[0][1], 2);
}

// A faulty right file after a good left one: the error names the file, line and column.
TEST(DataFileFaultTest, NamesFileLineAndColumn) {
  const std::string notAFloat = " ist kein gültiger Gleitkommawert";
  const auto edited = [](const char* file, std::size_t line, const std::string& text) {
    return WithLines(DataFileLines(file), {{line, text}});
  };
  const std::tuple<std::string, TextLines, std::string> cases[] = {
      {"edited.dat", {"", ""}, ":2: the text ends before the temperature"},
      {"edited.dat", edited(kRightExample, 2, "1.0E-04  -1.0E-04"),
       ":3:10: expected k8 from 0 to 1.7976931348623157E+308, found -1.0E-04"},
      {"edited.dat", edited(kLeftExample, 11, "30.0  5000  0.18"),
       ":12:7: expected a percentage from -1000 to 1000 for species A, found 5000"},
      // The remainder of a row is written as the next species' percentage.
      {"edited.dat", edited(kLeftExample, 11, "30.0  -1000  -1000"),
       ":12: the remainder to 100 % for species C would be 2100, outside -1000 to 1000"},
      {"rate-pair-with-one-number.dat", {}, ":4: expected two numbers for the rate constants k3 and k10, found 1"},
      {"row-count-0.dat", {}, ":10: expected the number of rows (1 to 17, the start row included), found 0"},
      {"row-count-18.dat", {}, ":10: expected the number of rows (1 to 17, the start row included), found 18"},
      {"data-row-of-blanks.dat", {}, ":12: expected a reaction time and concentrations for row 1 of the 3 rows"},
      {"data-row-not-a-number.dat", {}, ":12:13: '1.2.3'" + notAFloat},
      {"ends-in-rows.dat", {}, ":13: the text ends before row 3 of the 7 rows"}};
  for (const auto& [file, lines, where] : cases) {
    ImportRequest request = Request(kLeftExample, std::nullopt);
    const std::string path = lines.empty() ? DataFilePath(file) : file;
    request.Right = DataFileChoice{path, lines.empty() ? DataFileLines(file) : lines};
    EXPECT_EQ(ThrownBy([&] { (void)Imported(request); }).Described, path + where);
  }
}

// One file (the left example, or the right one alone): the missing experiment borrows its
// times only, none of the open project's observed values survive on it.
TEST(ImportProjectTest, MissingExperimentBorrowsTheTimesOnly) {
  for (const bool left : {true, false}) {
    const ImportResult result =
        Imported(left ? Request(kLeftExample, std::nullopt) : Request(std::nullopt, kRightExample));
    const ProjectData& p = result.Data;
    const Experiment& present = left ? p.Left : p.Right;
    const Experiment& missing = left ? p.Right : p.Left;
    EXPECT_TRUE(present.Present && !missing.Present);
    EXPECT_EQ(missing.LastRow, 1);
    EXPECT_EQ(missing.Times, present.Times);
    for (const SpeciesValues& row : missing.Observed) EXPECT_TRUE(row == SpeciesValues{});
    EXPECT_EQ(result.ShowLeft, left);
    EXPECT_EQ((left ? p.RightDataFile : p.LeftDataFile), "*.dat");
    EXPECT_EQ(result.Caption.substr(0, 11), left ? "Zamo - Left" : "Zamo - Righ");
  }
}

// The last file read (the right one; with none on the left) sets the temperature, and the
// file name takes its whole degrees.
TEST(ImportProjectTest, LastFileReadSetsTemperatureAndFileName) {
  const std::tuple<const char*, const char*, double, const char*> cases[] = {
      {"210.1", "180.55", 180.55, "Run (180).zam"},
      {"180.55", "210.1", 210.1, "Run (210).zam"},
      {nullptr, "-20.7", -20.7, "Run (-20).zam"},
      {nullptr, "-0.5", -0.5, "Run (0).zam"}};
  for (const auto& [left, right, celsius, fileName] : cases) {
    ImportRequest request = Request(left != nullptr ? File(kLeftExample) : std::nullopt, kRightExample);
    request.Title = "Run";
    if (left != nullptr) request.Left->Lines = WithLines(request.Left->Lines, {{0, left}});
    request.Right->Lines = WithLines(request.Right->Lines, {{0, right}});
    const ProjectData p = Imported(request).Data;
    EXPECT_NEAR(static_cast<double>(p.AbsoluteTemperature), celsius + 273.15, 1e-12);
    EXPECT_EQ(p.FileName, fileName);
  }
}

}  // namespace
}  // namespace zamo
