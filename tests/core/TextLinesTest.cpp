#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/TextLines.h"
#include "model/ZamoError.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

// ---- SplitLines / JoinLinesCrLf ----

struct SplitCase {
  const char* name;
  std::string bytes;
  TextLines lines;
};

void PrintTo(const SplitCase& c, std::ostream* out) { *out << c.name; }

class SplitLinesTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitLinesTest, SplitsAtEveryKindOfLineEnd) { EXPECT_EQ(SplitLines(GetParam().bytes), GetParam().lines); }

INSTANTIATE_TEST_SUITE_P(LineEnds, SplitLinesTest,
                         testing::Values(SplitCase{"Empty", "", {}}, SplitCase{"NoTerminator", "abc", {"abc"}},
                                         SplitCase{"CrLf", "a\r\nb\r\n", {"a", "b"}},
                                         SplitCase{"LoneCr", "a\rb\r", {"a", "b"}},
                                         SplitCase{"LoneLf", "a\nb\n", {"a", "b"}},
                                         SplitCase{"LastLineUnterminated", "a\r\nb", {"a", "b"}},
                                         SplitCase{"OnlyCrLf", "\r\n", {""}},
                                         SplitCase{"EmptyLineBetweenCrLf", "a\r\n\r\nb", {"a", "", "b"}},
                                         SplitCase{"CrThenCrLf", "a\r\r\nb", {"a", "", "b"}},
                                         SplitCase{"LfThenCrIsTwoEnds", "a\n\rb", {"a", "", "b"}},
                                         SplitCase{"TrailingEmptyLines", "a\n\n\n", {"a", "", ""}},
                                         SplitCase{"MixedInOneText", "x\r\ny\rz\nw", {"x", "y", "z", "w"}},
                                         SplitCase{"BlanksAndTabsKept", " a \t\r\n\t", {" a \t", "\t"}},
                                         SplitCase{"NonUtf8BytesKept", "M\xE4rz\r\n\xFF\xFE", {"M\xE4rz", "\xFF\xFE"}},
                                         SplitCase{"NulByteKept", std::string("a\0b\n", 4), {std::string("a\0b", 3)}}),
                         [](const testing::TestParamInfo<SplitCase>& row) { return row.param.name; });

TEST(JoinLinesCrLfTest, PutsCrLfAfterEveryLineIncludingTheLast) {
  EXPECT_EQ(JoinLinesCrLf({"Titel:", "", " ", "M\xE4rz"}), "Titel:\r\n\r\n \r\nM\xE4rz\r\n");
  EXPECT_EQ(JoinLinesCrLf({}), "");
  EXPECT_EQ(JoinLinesCrLf({""}), "\r\n");
}

TEST(JoinLinesCrLfTest, SplittingTheJoinedTextGivesTheLinesBack) {
  const TextLines lines = {"", "a", "", "", " ", "last"};
  EXPECT_EQ(SplitLines(JoinLinesCrLf(lines)), lines);
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
  EXPECT_EQ(cursor.LineNumber(), 7);
  EXPECT_EQ(cursor.Index(), 7);
}

TEST(LineCursorTest, TextEndingBeforeTheLineIsAFormatErrorNamingTheLastLine) {
  const TextLines lines = {"1", "", ""};
  LineCursor cursor(lines);
  cursor.ReadNextLine("the first value");
  const auto error = Caught<FormatError>([&] { cursor.ReadNextLine("the second value"); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Describe(), "line 3: the text ends before the second value");
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
  EXPECT_EQ(Caught<FormatError>([&] { empty.ReadNextLine("anything"); })->Describe(), "the text ends before anything");
}

// ---- ParseNumberLine ----

struct NumberCase {
  const char* name;
  std::string text;
  std::vector<Real> values;
};

void PrintTo(const NumberCase& c, std::ostream* out) { *out << '"' << c.text << '"'; }

class ParseNumberLineTest : public testing::TestWithParam<NumberCase> {};

TEST_P(ParseNumberLineTest, ReadsTheTokens) {
  const NumberLine line = ParseNumberLine(GetParam().text);
  ASSERT_EQ(line.Count(), static_cast<int>(GetParam().values.size()));
  for (std::size_t i = 0; i < GetParam().values.size(); ++i) EXPECT_EQ(line.Values[i], GetParam().values[i]) << i;
}

INSTANTIATE_TEST_SUITE_P(Tokens, ParseNumberLineTest,
                         testing::Values(NumberCase{"CommaAndDExponent", "1,5d-3  -2", {0.0015L, -2}},
                                         NumberCase{"OneCharacterLastNumber", "163  5", {163, 5}},
                                         NumberCase{"SingleBlankSeparates", "1 2", {1, 2}},
                                         NumberCase{"RunOfBlanksSeparatesOnce", "1      2", {1, 2}},
                                         NumberCase{
                                             "ControlCharactersTrimmedAtBothEnds", "\t \x01 2.5E+3 \t\r", {2500}},
                                         NumberCase{"OtherCharactersDroppedInsideAToken", "12a3%", {123}},
                                         NumberCase{"CapitalD", "1D2  +7", {100, 7}},
                                         NumberCase{"ExampleDataRow",
                                                    "30.0  91.09  0.18  1.68  0.00  0.00  3.93  0.10",
                                                    {30, 91.09L, 0.18L, 1.68L, 0, 0, 3.93L, 0.10L}},
                                         NumberCase{"Empty", "", {}}, NumberCase{"OnlyBlanks", "    ", {}}),
                         [](const testing::TestParamInfo<NumberCase>& row) { return row.param.name; });

struct BadNumberCase {
  const char* name;
  std::string text;
  std::string message;
  int column;  // of the token at fault, counted in the text as given
};

void PrintTo(const BadNumberCase& c, std::ostream* out) { *out << '"' << c.text << '"'; }

class ParseNumberLineErrorTest : public testing::TestWithParam<BadNumberCase> {};

TEST_P(ParseNumberLineErrorTest, NamesTheCleanedToken) {
  if (const auto error = Caught<ConversionError>([&] { ParseNumberLine(GetParam().text); })) {
    EXPECT_EQ(error->what(), GetParam().message);
    EXPECT_EQ(error->Column(), GetParam().column);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, ParseNumberLineErrorTest,
    testing::Values(BadNumberCase{"TabDoesNotSeparate", "1.0\t2.0", "'1.02.0' ist kein gültiger Gleitkommawert", 1},
                    BadNumberCase{"AllCharactersDropped", "n/a", "'' ist kein gültiger Gleitkommawert", 1},
                    BadNumberCase{"TabBetweenBlanksIsAnEmptyToken", "1 \t 2", "'' ist kein gültiger Gleitkommawert", 3},
                    BadNumberCase{"TwoDecimalCommas", "7  1,5,2", "'1.5.2' ist kein gültiger Gleitkommawert", 4},
                    BadNumberCase{"ExponentWithoutDigits", "2.5d", "'2.5E' ist kein gültiger Gleitkommawert", 1},
                    BadNumberCase{"ColumnCountsTheTrimmedBlanks", " \t 7   x", "'' ist kein gültiger Gleitkommawert",
                                  8}),
    [](const testing::TestParamInfo<BadNumberCase>& row) { return row.param.name; });

std::string Numbers(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += (i > 1 ? "  " : "") + std::to_string(i);
  return text;
}

TEST(ParseNumberLineLimitTest, FortyOneNumbersFillEverySlot) {
  const NumberLine line = ParseNumberLine(Numbers(41));
  EXPECT_EQ(line.LastIndex, 40);
  EXPECT_EQ(line.Values[0], 1);
  EXPECT_EQ(line.Values[40], 41);
}

TEST(ParseNumberLineLimitTest, FortyTwoNumbersAreAFormatErrorAtTheFortySecond) {
  if (const auto error = Caught<FormatError>([&] { ParseNumberLine(Numbers(42)); })) {
    EXPECT_STREQ(error->what(), "a line holds at most 41 numbers, this one 42");
    EXPECT_EQ(error->Column(), static_cast<int>(Numbers(41).size()) + 3);
  }
  EXPECT_THROW(ParseNumberLine(Numbers(1000)), FormatError);
}

TEST(ParseNumberLineColumnTest, EachNumberKnowsWhereItStands) {
  const std::string text = "  1.5   -2,0d1\t";
  const NumberLine line = ParseNumberLine(text);
  ASSERT_EQ(line.Count(), 2);
  EXPECT_EQ(line.Columns[0], 3);
  EXPECT_EQ(line.Columns[1], 9);
  EXPECT_EQ(line.Written(text, 0), "1.5");
  EXPECT_EQ(line.Written(text, 1), "-2,0d1");
  EXPECT_EQ(line.Values[1], -20);
}

}  // namespace
}  // namespace zamo
