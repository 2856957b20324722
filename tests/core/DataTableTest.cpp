#include <gtest/gtest.h>

#include <tuple>

#include "document/DataFileImport.h"
#include "document/DataTable.h"
#include "document/DelimitedText.h"
#include "model/DateTime.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

const DateTime kNow = EncodeDateTime({2025, 6, 2, 9, 0, 0, 0});

DataFileChoice Chosen(const std::string& name) {
  const std::string path = DataFilePath(name);
  return {path, DataFileLines(name), DataFormatOfPath(path)};
}

ImportResult Import(const KineticProject& open, std::optional<DataFileChoice> left,
                    std::optional<DataFileChoice> right = std::nullopt) {
  ImportRequest request;
  request.Title = "Tables";
  request.Left = std::move(left);
  request.Right = std::move(right);
  request.TemperatureText = "150.5";
  return ImportDataFiles(open, request, kNow);
}

TEST(DelimitedTextTest, QuotesDefusesFormulasAndFindsTabBeforeSemicolonBeforeCommaOutsideQuotes) {
  EXPECT_EQ(CsvRecord({"a", "b,c", ""}), "a,\"b,c\",\r\n");
  for (const auto& [text, written] :
       {std::pair{"=1+2", "'=1+2"}, {"+4", "'+4"}, {"-e", "'-e"}, {"@S", "'@S"}, {"a=b", "a=b"}, {"", ""}})
    EXPECT_EQ(CsvTextCell(text), written) << text;
  const std::pair<TextLines, char> delimited[] = {
      {{"1,5;2,5;3"}, ';'}, {{"a;b", "1,5\t2"}, '\t'}, {{"1.5"}, ','}, {{"\"a;b\",1"}, ','}, {{"\"a\tb\";1"}, ';'}};
  for (const auto& [lines, delimiter] : delimited) EXPECT_EQ(FindDelimiter(lines), delimiter) << lines[0];
  const std::vector<DelimitedCell> split = SplitDelimitedLine(" 1 ,\"a,\"\"b\"\"\" ,,x", ',');
  ASSERT_EQ(split.size(), 4u);
  EXPECT_EQ(split[0].Text + "|" + split[1].Text + "|" + split[2].Text + "|" + split[3].Text, "1|a,\"b\"||x");
  EXPECT_EQ(std::tuple(split[0].Column, split[1].Column, split[3].Column), std::tuple(2, 5, 17));
  EXPECT_EQ(SplitDelimitedLine("\t1\t", '\t').size(), 3u);  // a tab is no blank around a cell here
  for (const char* table : {"a/b.CSV", "b.tsv", "b.txt"}) EXPECT_EQ(DataFormatOfPath(table), DataFormat::Table);
  for (const char* data : {"b.dat", "dir.csv/b"}) EXPECT_EQ(DataFormatOfPath(data), DataFormat::ZamoData);
}

// The example's measurements as tables (with a header and H; tab-separated with decimal commas;
// semicolons, decimal commas, no header) are its experiments, with the open project's
// constants; a data file beside a table brings its constants.
TEST(DataTableTest, ExampleTablesGiveTheExamplesExperiments) {
  const KineticProject example = Example();
  KineticProject open = Example();
  open.K[3] = 0.5L;
  for (const std::string ending : {".csv", "-decimal-comma.tsv", "-decimal-comma-semicolon.txt"}) {
    const ImportResult result = Import(open, Chosen("example-left" + ending), Chosen("example-right" + ending));
    EXPECT_TRUE(result.Data.Left == example.Left && result.Data.Right == example.Right) << ending;
    EXPECT_TRUE(result.Data.K == open.K);
    EXPECT_EQ(result.Data.FileName, "Tables (150).zam");
  }
  EXPECT_TRUE(Import(open, Chosen("example-left.csv"), Chosen("right-ipcp-210.dat")).Data.K == example.K);
  EXPECT_EQ(Import(open, Chosen("example-right.csv")).Warnings.size(), 1u);  // a start row that does not fit
  // The H cell is ignored; blanks, a byte order mark and empty lines are skipped.
  const std::vector<DataTableRow> rows =
      ReadDataTable(PastedLines("\xEF\xBB\xBFTime;A;B;C;D;E;F;G;H\r\n\r\n;;\r\n 0 ; 0 ; 100;0;0;0;0;0;99\r\n"
                                "4,2;1,5;90;2;0;0;0;0;;;\r\n"));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(std::tuple(rows[0].Line, rows[1].Line, rows[1].Seconds), std::tuple(4, 5, 252));
  const DataFileChoice pasted{
      kClipboardSource, PastedLines("0\t0\t100\t0\t0\t0\t0\t0\t50\n1\t10\t80\t1\t2\t3\t0.5\t1.5\n"), DataFormat::Table};
  const Experiment right = Import(Example(), std::nullopt, pasted).Data.Right;
  EXPECT_EQ(right.LastRow, 1);
  EXPECT_EQ(right.Observed[1][8], 1 - (0.1L + 0.8L + 0.01L + 0.02L + 0.03L + 0.005L + 0.015L));
  TextLines lines = {"min,A,B,C,D,E,F,G"};
  for (int row = 0; row < kRowCount; ++row) lines.push_back(std::to_string(row) + ",50,0,0,0,0,0,0");
  EXPECT_EQ(ReadDataTable(lines).size(), static_cast<std::size_t>(kRowCount));
}

// Pasted after a good left file: the error names the clipboard, line and column; a file is
// named by its path.
TEST(DataTableTest, RefusedTablesNameTheirSourceLineAndColumn) {
  std::string eighteen = "Time,A,B,C,D,E,F,G\n";
  for (int row = 0; row < 18; ++row) eighteen += std::to_string(row * 10) + ",0,100,0,0,0,0,0\n";
  const std::string start = "0,0,100,0,0,0,0,0\n";
  const std::string holds = "; a row holds the time in minutes, then A to G in %";
  const std::pair<std::string, std::string> cases[] = {
      {eighteen, "19:1: the table holds more than 17 rows (the start row and 16 reaction times)"},
      {start + "30,5,90,n/a,0,0,0,0\n", "2:9: expected a number in column 4 (C in %), found 'n/a'"},
      {start + "30,5,,1,0,0,0,0\n", "2:6: expected a number in column 3 (B in %), found an empty cell"},
      {start + "30,5,90,1,0,0,0\n", "2:16: the row ends before column 8 (G in %)" + holds},
      {start + "30,5,90,1,0,0,0,0,4,x\n", "2:21: unexpected 'x' in column 10" + holds + " and at most H"},
      {start + "30,\"5,5\",90,1,0,0,0,0\n",
       "2:4: expected a number in column 2 (A in %), found '5,5' (a comma-separated table takes \".\" as its decimal "
       "separator)"},
      {"0;0;100;0;0;0;0;0\n30;5;90;1;0;0;0;1500\n",
       "2:17: expected a percentage from -1000 to 1000 for species G, found 1500"},
      {start + "1e30,5,90,1,0,0,0,0\n", "2:1: the reaction time in column 1 is out of range: 1e30 minutes"},
      {start + "30,\"5,90,1,0,0,0,0\n", "2:4: a quoted cell does not end on its line"},
      {start + "30,\"5\"x,90,1,0,0,0,0\n", "2:7: expected the delimiter after the closing quote of a cell"},
      {"Time,A,B,C,D,E,F,G\n\n", "2: the table holds no rows"}};
  for (const auto& [text, where] : cases) {
    const DataFileChoice pasted{kClipboardSource, PastedLines(text), DataFormat::Table};
    EXPECT_EQ(ThrownBy([&] { (void)Import(Example(), Chosen("example-left.csv"), pasted); }).Described,
              "clipboard:" + where);
  }
  DataFileChoice file{"/tmp/rows.csv", {"0,0,100,0,0,0,0,0", "30,x,0,0,0,0,0,0"}, DataFormat::Table};
  EXPECT_EQ(ThrownBy([&] { (void)Import(Example(), file); }).Described,
            "/tmp/rows.csv:2:4: expected a number in column 2 (A in %), found 'x'");
}

}  // namespace
}  // namespace zamo
