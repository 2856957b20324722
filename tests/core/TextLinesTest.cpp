#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/TextLines.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

// ---- SplitLines / JoinLinesCrLf ----

TEST(SplitLinesTest, SplitsAtEveryKindOfLineEnd) {
  const std::pair<std::string, TextLines> cases[] = {
      {"", {}},
      {"abc", {"abc"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"a\r\nb", {"a", "b"}},
      {"\r\n", {""}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"a\n\rb", {"a", "", "b"}},  // LF then CR: two line ends
      {"a\n\n\n", {"a", "", ""}},
      {"x\r\ny\rz\nw", {"x", "y", "z", "w"}},
      {" a \t\r\n\t", {" a \t", "\t"}},
      {"M\xE4rz\r\n\xFF\xFE", {"M\xE4rz", "\xFF\xFE"}},
      {std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
  };
  for (const auto& [bytes, lines] : cases) EXPECT_EQ(SplitLines(bytes), lines) << testing::PrintToString(bytes);
}

TEST(JoinLinesCrLfTest, PutsCrLfAfterEveryLineIncludingTheLast) {
  EXPECT_EQ(JoinLinesCrLf({"Titel:", "", " ", "M\xE4rz"}), "Titel:\r\n\r\n \r\nM\xE4rz\r\n");
  EXPECT_EQ(JoinLinesCrLf({}), "");
  EXPECT_EQ(JoinLinesCrLf({""}), "\r\n");
}

// ---- LineCursor ----

TEST(LineCursorTest, ReadNextLineSkipsEmptyLinesButNotBlankOnes) {
  const TextLines lines = {"label", "", "", "first", "", " ", "last"};
  LineCursor cursor(lines, 1);
  EXPECT_EQ(cursor.ReadNextLine("x"), "first");
  EXPECT_EQ(cursor.LineNumber(), 4);
  EXPECT_EQ(cursor.ReadNextLine("x"), " ");
  EXPECT_EQ(cursor.LineNumber(), 6);
  EXPECT_EQ(cursor.ReadNextLine("x"), "last");
  EXPECT_EQ(cursor.Index(), 7);
  // The text ending before a line is a format error naming the last line.
  EXPECT_THROW_DESCRIBED(cursor.ReadNextLine("the next value"), FormatError,
                         "line 7: the text ends before the next value");
}

TEST(LineCursorTest, CursorBeyondTheEndNeverReadsOutside) {
  const TextLines lines = {"a"};
  LineCursor cursor(lines, 5);
  std::string_view line;
  EXPECT_FALSE(cursor.TryReadNextLine(line));
  EXPECT_EQ(line.data(), nullptr);
  EXPECT_THROW(cursor.ReadNextLine("x"), FormatError);
  const TextLines none;
  LineCursor empty(none);
  EXPECT_FALSE(empty.TryReadNextLine(line));
  // An empty text has no line to name.
  EXPECT_THROW_DESCRIBED(empty.ReadNextLine("anything"), FormatError, "the text ends before anything");
}

// ---- ParseNumberLine ----

TEST(ParseNumberLineTest, ReadsTheTokens) {
  const std::pair<std::string, std::vector<Real>> cases[] = {
      {"1,5d-3  -2", {0.0015L, -2}},  // decimal comma, D exponent
      {"163  5", {163, 5}},
      {"1 2", {1, 2}},
      {"1      2", {1, 2}},
      {"\t \x01 2.5E+3 \t\r", {2500}},  // control characters trimmed at both ends
      {"12a3%", {123}},                 // other characters dropped inside a token
      {"1D2  +7", {100, 7}},
      {"30.0  91.09  0.18  1.68  0.00  0.00  3.93  0.10", {30, 91.09L, 0.18L, 1.68L, 0, 0, 3.93L, 0.10L}},
      {"", {}},
      {"    ", {}},
  };
  for (const auto& [text, values] : cases) {
    const NumberLine line = ParseNumberLine(text);
    EXPECT_EQ(std::vector<Real>(line.Values.begin(), line.Values.begin() + line.Count()), values) << text;
  }
}

TEST(ParseNumberLineTest, RefusalNamesTheCleanedTokenAndItsColumn) {
  const std::tuple<std::string, std::string, int> cases[] = {
      {"1.0\t2.0", "1.02.0", 1},  // a tab does not separate
      {"n/a", "", 1},             // every character dropped
      {"1 \t 2", "", 3},          // a tab between blanks is an empty token
      {"7  1,5,2", "1.5.2", 4},
      {"2.5d", "2.5E", 1},
      {" \t 7   x", "", 8},  // the column counts the trimmed blanks
  };
  for (const auto& [text, token, column] : cases) {
    if (const auto error = Caught<ConversionError>([&] { ParseNumberLine(text); })) {
      EXPECT_EQ(error->what(), "'" + token + "' ist kein gültiger Gleitkommawert");
      EXPECT_EQ(error->Column(), column) << text;
    }
  }
}

std::string Numbers(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += (i > 1 ? "  " : "") + std::to_string(i);
  return text;
}

TEST(ParseNumberLineTest, FortyOneNumbersFillEverySlotTheFortySecondIsAFormatError) {
  const NumberLine line = ParseNumberLine(Numbers(41));
  EXPECT_EQ(line.LastIndex, 40);
  EXPECT_EQ(line.Values[40], 41);
  if (const auto error = Caught<FormatError>([&] { ParseNumberLine(Numbers(42)); })) {
    EXPECT_STREQ(error->what(), "a line holds at most 41 numbers, this one 42");
    EXPECT_EQ(error->Column(), static_cast<int>(Numbers(41).size()) + 3);
  }
  EXPECT_THROW(ParseNumberLine(Numbers(1000)), FormatError);
}

TEST(ParseNumberLineTest, EachNumberKnowsWhereItStands) {
  const std::string text = "  1.5   -2,0d1\t";
  const NumberLine line = ParseNumberLine(text);
  ASSERT_EQ(line.Count(), 2);
  EXPECT_EQ(line.Columns[0], 3);
  EXPECT_EQ(line.Columns[1], 9);
  EXPECT_EQ(line.Written(text, 0), "1.5");
  EXPECT_EQ(line.Written(text, 1), "-2,0d1");
}

}  // namespace
}  // namespace zamo
