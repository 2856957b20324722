#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/TextLines.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

TEST(SplitLinesTest, SplitsAtEveryKindOfLineEndAndJoinsWithCrLf) {
  // LF then CR are two line ends.
  // clang-format off
  const std::pair<std::string, TextLines> cases[] = {
      {"", {}}, {"abc", {"abc"}}, {"a\r\nb\r\n", {"a", "b"}}, {"a\rb\r", {"a", "b"}}, {"a\nb\n", {"a", "b"}},
      {"a\r\nb", {"a", "b"}}, {"\r\n", {""}}, {"a\r\n\r\nb", {"a", "", "b"}}, {"a\r\r\nb", {"a", "", "b"}},
      {"a\n\rb", {"a", "", "b"}}, {"a\n\n\n", {"a", "", ""}}, {" a \t\r\n\t", {" a \t", "\t"}},
      {"M\xE4rz\r\n\xFF\xFE", {"M\xE4rz", "\xFF\xFE"}}, {std::string("a\0b\n", 4), {std::string("a\0b", 3)}}};
  // clang-format on
  for (const auto& [bytes, lines] : cases) EXPECT_EQ(SplitLines(bytes), lines) << testing::PrintToString(bytes);
  EXPECT_EQ(JoinLinesCrLf({"Titel:", "", " ", "M\xE4rz"}), "Titel:\r\n\r\n \r\nM\xE4rz\r\n");
}

TEST(LineCursorTest, ReadNextLineSkipsEmptyLinesButNotBlankOnes) {
  const TextLines lines = {"label", "", "", "first", "", " ", "last"};
  LineCursor cursor(lines, 1);
  EXPECT_EQ(cursor.ReadNextLine("x"), "first");
  EXPECT_EQ(cursor.ReadNextLine("x"), " ");
  EXPECT_EQ(cursor.ReadNextLine("x"), "last");
  EXPECT_THROW_DESCRIBED(cursor.ReadNextLine("the next value"), FormatError,
                         "line 7: the text ends before the next value");
  EXPECT_THROW_DESCRIBED(LineCursor(TextLines{}).ReadNextLine("anything"), FormatError,
                         "the text ends before anything");
}

TEST(ParseNumberLineTest, ReadsTheTokensWhereTheyStand) {
  const std::pair<std::string, std::vector<Real>> cases[] = {
      {"1,5d-3  -2", {0.0015L, -2}},    // decimal comma, D exponent
      {"\t \x01 2.5E+3 \t\r", {2500}},  // control characters trimmed at both ends
      {"12a3%", {123}},                 // other characters dropped inside a token
      {"1D2 +7", {100, 7}}};
  for (const auto& [text, values] : cases) {
    const NumberLine line = ParseNumberLine(text);
    EXPECT_EQ(std::vector<Real>(line.Values.begin(), line.Values.begin() + line.Count()), values) << text;
  }
  const std::string text = "  1.5   -2,0d1\t";
  const NumberLine line = ParseNumberLine(text);
  EXPECT_EQ(std::tuple(line.Columns[0], line.Columns[1], line.Written(text, 1)), std::tuple(3, 9, "-2,0d1"));
}

TEST(ParseNumberLineTest, RefusalNamesTheCleanedTokenAndItsColumn) {
  const std::tuple<std::string, std::string, int> cases[] = {
      {"1.0\t2.0", "1.02.0", 1},  // a tab does not separate
      {"n/a", "", 1},             // every character dropped
      {"1 \t 2", "", 3},          // a tab between blanks is an empty token
      {"7  1,5,2", "1.5.2", 4},
      {" \t 7   x", "", 8}};  // the column counts the trimmed blanks
  for (const auto& [text, token, column] : cases) {
    const auto error = Caught<ConversionError>([&] { ParseNumberLine(text); });
    ASSERT_TRUE(error);
    EXPECT_EQ(std::pair(std::string(error->what()), error->Column()),
              std::pair("'" + token + "' ist kein gültiger Gleitkommawert", column));
  }
}

}  // namespace
}  // namespace zamo
