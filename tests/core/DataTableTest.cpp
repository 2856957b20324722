#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/DataFileImport.h"
#include "document/DataTable.h"
#include "document/DelimitedText.h"
#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "model/DateTime.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

const DateTime kNow = EncodeDateTime({2025, 6, 2, 9, 0, 0, 0});

DataFileChoice Chosen(const std::string& name) {
  const std::string path = DataFilePath(name);
  return {path, DataFileLines(name), DataFormatOfPath(path)};
}

ImportRequest TableRequest(std::optional<DataFileChoice> left, std::optional<DataFileChoice> right) {
  ImportRequest request;
  request.Title = "Tables";
  request.Left = std::move(left);
  request.Right = std::move(right);
  request.TemperatureText = "150.5";
  return request;
}

// ---- Delimited text ----

TEST(CsvCellTest, QuotesOnlyWhatMustBeQuotedAndDefusesFormulas) {
  const std::pair<const char*, const char*> cells[] = {
      {"plain", "plain"},
      {"", ""},
      {"1,3,3-Trimethylcyclopropene", "\"1,3,3-Trimethylcyclopropene\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"two\r\nlines", "\"two\r\nlines\""},
      {"a;b\tc", "a;b\tc"},
  };
  for (const auto& [text, written] : cells) EXPECT_EQ(CsvCell(text), written) << text;
  EXPECT_EQ(CsvRecord({"a", "b,c", ""}), "a,\"b,c\",\r\n");
  // Text that a spreadsheet would evaluate gets an apostrophe.
  const std::pair<const char*, const char*> texts[] = {
      {"=1+2", "'=1+2"}, {"+49 30", "'+49 30"},  {"-ene", "'-ene"}, {"@SUM(A1)", "'@SUM(A1)"},
      {"a=b", "a=b"},    {"'quoted", "'quoted"}, {"", ""}};
  for (const auto& [text, written] : texts) EXPECT_EQ(CsvTextCell(text), written) << text;
}

TEST(FindDelimiterTest, TabBeforeSemicolonBeforeCommaOutsideQuotes) {
  EXPECT_EQ(FindDelimiter({"1,5;2,5;3"}), ';');
  EXPECT_EQ(FindDelimiter({"a;b", "1,5\t2"}), '\t');
  EXPECT_EQ(FindDelimiter({"1.5,2.5"}), ',');
  EXPECT_EQ(FindDelimiter({"1.5"}), ',');
  EXPECT_EQ(FindDelimiter({"\"a;b\",1"}), ',');
  EXPECT_EQ(FindDelimiter({"\"a\tb\";1"}), ';');
}

TEST(SplitDelimitedLineTest, CellsWithTheirColumns) {
  const std::vector<DelimitedCell> cells = SplitDelimitedLine(" 1 ,\"a,\"\"b\"\"\" ,,x", ',');
  ASSERT_EQ(cells.size(), 4u);
  EXPECT_EQ(cells[0].Text + "|" + cells[1].Text + "|" + cells[2].Text + "|" + cells[3].Text, "1|a,\"b\"||x");
  EXPECT_EQ(cells[0].Column, 2);
  EXPECT_EQ(cells[1].Column, 5);
  EXPECT_EQ(cells[3].Column, 17);
  // A tab is the delimiter of a TSV line, not a blank around a cell.
  EXPECT_EQ(SplitDelimitedLine("\t1\t", '\t').size(), 3u);
  EXPECT_EQ(SplitDelimitedLine("1;2;", ';').size(), 3u);
}

TEST(DataFormatOfPathTest, TablesByExtensionInAnyCase) {
  for (const char* table : {"a/b.CSV", "b.tsv", "b.txt"}) EXPECT_EQ(DataFormatOfPath(table), DataFormat::Table);
  for (const char* data : {"b.dat", "dir.csv/b", "b"}) EXPECT_EQ(DataFormatOfPath(data), DataFormat::ZamoData);
}

// ---- The example's data as tables ----

class ExampleTableTest : public testing::TestWithParam<std::pair<const char*, const char*>> {};

// The example was made from these measurements; read as tables they are its experiments,
// number for number, with the open project's rate constants and the box's temperature.
TEST_P(ExampleTableTest, GivesTheExamplesExperiments) {
  const KineticProject example = Example();
  KineticProject open = Example();
  open.K[3] = 0.5L;  // a table brings no constants: the open project's stay
  const ImportResult result =
      ImportDataFiles(open, TableRequest(Chosen(GetParam().first), Chosen(GetParam().second)), kNow);
  EXPECT_TRUE(result.Data.Left == example.Left);
  EXPECT_TRUE(result.Data.Right == example.Right);
  EXPECT_TRUE(result.Data.K == open.K);
  EXPECT_NEAR(static_cast<double>(result.Data.Temperature), 150.5, 1e-12);
  EXPECT_TRUE(result.Warnings.empty());
  EXPECT_EQ(result.Data.FileName, "Tables (150).zam");
}

// Comma-separated with a header and H; tab-separated with decimal commas; semicolons,
// decimal commas and no header.
INSTANTIATE_TEST_SUITE_P(Import, ExampleTableTest,
                         testing::Values(std::pair{"example-left.csv", "example-right.csv"},
                                         std::pair{"example-left-decimal-comma.tsv", "example-right-decimal-comma.tsv"},
                                         std::pair{"example-left-decimal-comma-semicolon.txt",
                                                   "example-right-decimal-comma-semicolon.txt"}));

TEST(DataTableTest, MixedWithADataFileTheDataFileBringsConstantsAndTemperature) {
  const KineticProject example = Example();
  KineticProject open = Example();
  open.K.Fill(0);
  const ImportResult result =
      ImportDataFiles(open, TableRequest(Chosen("example-left.csv"), Chosen("right-ipcp-210.dat")), kNow);
  EXPECT_TRUE(result.Data.K == example.K);
  EXPECT_EQ(result.Data.AbsoluteTemperature, example.AbsoluteTemperature);
  EXPECT_TRUE(result.Data.Left == example.Left);
}

TEST(DataTableTest, HCellIsIgnoredAndBlanksByteOrderMarkAndEmptyLinesSkipped) {
  const std::vector<DataTableRow> rows =
      ReadDataTable(PastedLines("\xEF\xBB\xBFTime;A;B;C;D;E;F;G;H\r\n\r\n;;\r\n 0 ; 0 ; 100;0;0;0;0;0;99\r\n"
                                "4,2;1,5;90;2;0;0;0;0;;;\r\n"));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].Line, 4);
  EXPECT_EQ(rows[1].Line, 5);
  EXPECT_EQ(rows[1].Seconds, 252);  // 4.2 min exactly, not 251.99...
  EXPECT_EQ(rows[1].Percent[0], 1.5L);
  EXPECT_EQ(rows[1].Percent[1], 90);

  ProjectData data;
  std::vector<ImportWarning> warnings;
  AnalyseDataTable(data, Side::Right, PastedLines("0\t0\t100\t0\t0\t0\t0\t0\t50\n1\t10\t80\t1\t2\t3\t0.5\t1.5\n"),
                   warnings, kClipboardSource);
  EXPECT_EQ(data.Right.LastRow, 1);
  EXPECT_EQ(data.Right.Observed[0][8], 0);
  EXPECT_EQ(data.Right.Observed[1][8], 1 - (0.1L + 0.8L + 0.01L + 0.02L + 0.03L + 0.005L + 0.015L));
  EXPECT_EQ(data.Right.Times[1], 60);
  EXPECT_TRUE(warnings.empty());
}

TEST(DataTableTest, FirstLineWithANumberIsARowAndSeventeenRowsAreTaken) {
  EXPECT_EQ(ReadDataTable({"0,100,0,0,0,0,0,0", "30,90,1,2,3,4,0,0"}).at(0).Percent[0], 100);
  TextLines lines = {"min,A,B,C,D,E,F,G"};
  for (int row = 0; row < kRowCount; ++row) lines.push_back(std::to_string(row) + ",50,0,0,0,0,0,0");
  EXPECT_EQ(ReadDataTable(lines).size(), static_cast<std::size_t>(kRowCount));
}

TEST(DataTableTest, StartRowThatDoesNotFitWarnsAsADataFile) {
  const ImportResult result = ImportDataFiles(Example(), TableRequest(Chosen("example-right.csv"), {}), kNow);
  ASSERT_EQ(result.Warnings.size(), 1u);
  EXPECT_EQ(result.Warnings[0].Text, "Error by Analysing the File");
  EXPECT_EQ(result.Warnings[0].File, DataFilePath("example-right.csv"));
}

// ---- Refused tables ----

struct RefusedCase {
  const char* name;
  std::string text;
  std::string where;  // line:column: message
};

void PrintTo(const RefusedCase& c, std::ostream* out) { *out << c.name; }

class RefusedTableTest : public testing::TestWithParam<RefusedCase> {};

// Pasted for the right reaction after a good left file: the error names the clipboard, the
// line and the column.
TEST_P(RefusedTableTest, NamesClipboardLineAndColumn) {
  const DataFileChoice pasted{kClipboardSource, PastedLines(GetParam().text), DataFormat::Table};
  const Thrown failure =
      ThrownBy([&] { (void)ImportDataFiles(Example(), TableRequest(Chosen("example-left.csv"), pasted), kNow); });
  EXPECT_EQ(failure.Kind, "format");
  EXPECT_EQ(failure.Described, "clipboard:" + GetParam().where);
}

std::string RowsOf(int count) {
  std::string text = "Time,A,B,C,D,E,F,G\n";
  for (int row = 0; row < count; ++row) text += std::to_string(row * 10) + ",0,100,0,0,0,0,0\n";
  return text;
}

const std::string kHeader = "Time,A,B,C,D,E,F,G,H\n";
const std::string kStart = "0,0,100,0,0,0,0,0\n";
const std::string kRowHolds = "; a row holds the time in minutes, then A to G in %";

INSTANTIATE_TEST_SUITE_P(
    Import, RefusedTableTest,
    testing::Values(RefusedCase{"EighteenRows", RowsOf(18),
                                "19:1: the table holds more than 17 rows (the start row and 16 reaction times)"},
                    RefusedCase{"WordInACell", kHeader + kStart + "30,5,90,n/a,0,0,0,0\n",
                                "3:9: expected a number in column 4 (C in %), found 'n/a'"},
                    RefusedCase{"EmptyCell", kHeader + kStart + "30,5,,1,0,0,0,0\n",
                                "3:6: expected a number in column 3 (B in %), found an empty cell"},
                    RefusedCase{"MissingColumn", kHeader + kStart + "30,5,90,1,0,0,0\n",
                                "3:16: the row ends before column 8 (G in %)" + kRowHolds},
                    RefusedCase{"TimeAlone", kStart + "60\n", "2:3: the row ends before column 2 (A in %)" + kRowHolds},
                    RefusedCase{"CellAfterH", kStart + "30,5,90,1,0,0,0,0,4,x\n",
                                "2:21: unexpected 'x' in column 10" + kRowHolds + " and at most H"},
                    RefusedCase{
                        "DecimalCommaInACommaTable", kStart + "30,\"5,5\",90,1,0,0,0,0\n",
                        "2:4: expected a number in column 2 (A in %), found '5,5' (a comma-separated table takes \".\" "
                        "as its decimal separator)"},
                    RefusedCase{"PercentageOutOfRange", "0;0;100;0;0;0;0;0\n30;5;90;1;0;0;0;1500\n",
                                "2:17: expected a percentage from -1000 to 1000 for species G, found 1500"},
                    RefusedCase{"TimeOutOfRange", kStart + "1e30,5,90,1,0,0,0,0\n",
                                "2:1: the reaction time in column 1 is out of range: 1e30 minutes"},
                    RefusedCase{"QuoteThatDoesNotEnd", kStart + "30,\"5,90,1,0,0,0,0\n",
                                "2:4: a quoted cell does not end on its line"},
                    RefusedCase{"TextAfterAClosingQuote", kStart + "30,\"5\"x,90,1,0,0,0,0\n",
                                "2:7: expected the delimiter after the closing quote of a cell"}),
    CaseName());

TEST(RefusedTableTest, HeaderAloneHoldsNoRowsAndAFileIsNamed) {
  EXPECT_EQ(ThrownBy([] {
              (void)ReadDataTable({"Time,A,B,C,D,E,F,G", ""});
            }).Described,
            "line 2: the table holds no rows");
  DataFileChoice choice{"/tmp/rows.csv", {"0,0,100,0,0,0,0,0", "30,x,0,0,0,0,0,0"}, DataFormat::Table};
  const Thrown failure = ThrownBy([&] { (void)ImportDataFiles(Example(), TableRequest(std::move(choice), {}), kNow); });
  EXPECT_EQ(failure.Described, "/tmp/rows.csv:2:4: expected a number in column 2 (A in %), found 'x'");
}

}  // namespace
}  // namespace zamo
