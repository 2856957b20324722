#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/NumberFormat.h"

namespace zamo {
namespace {

struct FormatCase {
  const char* pattern;
  Real value;
  const char* expected;
};

void ExpectFormats(const std::vector<FormatCase>& cases) {
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(std::string("pattern \"") + c.pattern + "\", expected \"" + c.expected + "\"");
    EXPECT_EQ(FormatFloat(c.pattern, c.value), c.expected);
  }
}

// The patterns of the project file, the report, the panel and the deviation labels with the
// worked examples given for them.
TEST(NumberFormatPatterns, DocumentedExamples) {
  ExpectFormats({
      {"0.00000E+00", 1.26E-6L, "1.26000E-06"},
      {"0.00000E+00", 0, "0.00000E+00"},
      {"0.00000E+00", 2.659E-4L, "2.65900E-04"},
      {"0.00000E+00", -1E-5L, "-1.00000E-05"},
      {"0.0000E+00", 1.26E-6L, "1.2600E-06"},
      {"0.0000E+00", 2.154E-05L, "2.1540E-05"},
      {"0.0000E+00", 0, "0.0000E+00"},
      {"0.0000E+00", 1E-43L, "1.0000E-43"},
      {"0.0000E+00", 1, "1.0000E+00"},
      {"#0.0", 30, "30.0"},
      {"#0.0", 0, "0.0"},
      {"#0.0", 1.25L, "1.3"},
      {"#0.0", 1799.0L / 60, "30.0"},  // a time of 1799 s in minutes
      {"#0.0", 1800.0L / 3600, "0.5"},
      {"#0.00", 91.09L, "91.09"},
      {"#0.00", 0, "0.00"},
      {"#0.00", -0.03L, "-0.03"},
      {"#####0.000", 8.2431L, "8.243"},
      {"##0.000", -0.6021L, "-0.602"},
      {"##0.000", -1234.5678L, "-1234.568"},
      {"##0.00", 4.634L, "4.63"},
      {"###0.00", 0, "0.00"},
      {"###0.00", 7.6959L, "7.70"},
      {"###0.00", 12.188L, "12.19"},
      {"###0.00", 3.731L, "3.73"},
      {"###0.0", 1800, "1800.0"},
      {"##0.0", (210.1L + 273.15L) - 273.15L, "210.1"},
      {"####0.00", 123456.789L, "123456.79"},  // more integer digits than placeholders
      {"0.00", 0.125L, "0.13"},
  });
}

TEST(NumberFormatPatterns, ThreeSectionsSignAndZero) {
  const char* const pattern = " 0.000;-0.000; 0.000";
  ExpectFormats({
      {pattern, 0.721337L, " 0.721"},
      {pattern, 0.763L, " 0.763"},
      {pattern, 3.394L, " 3.394"},
      {pattern, 12.3456L, " 12.346"},
      {pattern, -2.279429L, "-2.279"},
      {pattern, -0.130L, "-0.130"},
      {pattern, 0, " 0.000"},
      {pattern, -0.0L, " 0.000"},
      {pattern, 0.0004L, " 0.000"},
      {pattern, -0.0004L, " 0.000"},  // rounds to zero: zero section, no minus
      {pattern, -0.0005L, "-0.001"},  // exactly half rounds away from zero
  });
}

TEST(NumberFormatPatterns, TwoSectionsUseFirstForZero) {
  ExpectFormats({
      {"0.00;(0.00)", 1.5L, "1.50"},
      {"0.00;(0.00)", -1.5L, "(1.50)"},
      {"0.00;(0.00)", 0, "0.00"},
      {"0.00;(0.00)", -0.001L, "0.00"},
  });
}

TEST(NumberFormatRounding, HalvesGoAwayFromZero) {
  ExpectFormats({
      {"0.00", 0.12499L, "0.12"},
      {"0.00", 0.12501L, "0.13"},
      {"0.00", -0.125L, "-0.13"},
      {"0", 2.5L, "3"},
      {"0", -2.5L, "-3"},
      {"0", 0.5L, "1"},
      {"0", 0.49L, "0"},
      {"0", -0.49L, "0"},
      {"0.00", -0.0049L, "0.00"},
      {"0.00", -0.0L, "0.00"},
  });
}

// Each of these decimals is stored slightly below its value (for example 2.675L is
// 2.67499999999999999998...); rounding to 18 significant digits first restores the half.
TEST(NumberFormatRounding, StoredBelowDecimalHalfStillRoundsUp) {
  ExpectFormats({
      {"0.00", 0.145L, "0.15"},
      {"0.00", 2.675L, "2.68"},
      {"0.00", -2.675L, "-2.68"},
      {"0.00", 1.005L, "1.01"},
      {"0.00", 0.005L, "0.01"},
      {"0.00", -0.005L, "-0.01"},
      {"0.00", 0.285L, "0.29"},
      {"0.00", 1.045L, "1.05"},
      {"0.00", 100.005L, "100.01"},
      {"0.0E+00", 0.000125L, "1.3E-04"},
  });
}

// The nineteenth significant digit decides: at 18 digits 0.12499999999999999949 stays
// 0.124999999999999999 (below the half), while 0.12499999999999999951 becomes 0.125.
TEST(NumberFormatRounding, EighteenSignificantDigitsBeforeTheLastDigit) {
  ExpectFormats({
      {"0.00", 0.124999999999999999L, "0.12"},
      {"0.00", 0.12499999999999999949L, "0.12"},
      {"0.00", 0.12499999999999999951L, "0.13"},
      {"0.00", 0.1249999999999999999L, "0.13"},
  });
  // 2^70 = 1180591620717411303424 has 22 digits; only the first 18 survive.
  EXPECT_EQ(FormatFloat("0.00", std::ldexp(1.0L, 70)), "1180591620717411300000.00");
  EXPECT_EQ(FormatFloat("#0.0", 1E20L), "100000000000000000000.0");
}

TEST(NumberFormatRounding, CarryIntoNewLeadingDigit) {
  ExpectFormats({
      {"#0.000", 9.9995L, "10.000"},
      {"#0.0", 99.95L, "100.0"},
      {"0.000", 0.9995L, "1.000"},
      {"0.000", -0.9995L, "-1.000"},
      {"0.00000E+00", 9.999995E-06L, "1.00000E-05"},
      {"0.00000E+00", -9.999995E-06L, "-1.00000E-05"},
      {"0.00000E+00", 0.9999995L, "1.00000E+00"},
      {"0.0000E+00", 9.99995E99L, "1.0000E+100"},
  });
}

TEST(NumberFormatScientific, ExponentDigitsAndSign) {
  ExpectFormats({
      {"0.00000E+00", 1E-300L, "1.00000E-300"},
      {"0.00000E+00", 1.5E300L, "1.50000E+300"},
      {"0.00000E+00", -2.5E-4000L, "-2.50000E-4000"},
      {"0.0000E+00", 12345.678L, "1.2346E+04"},
      {"0.0000E+00", 5, "5.0000E+00"},
      {"0.0E-00", 1.5E3L, "1.5E03"},  // "E-": sign only for negative exponents
      {"0.0E-00", 1.5E-3L, "1.5E-03"},
  });
}

TEST(NumberFormatGeneralText, ShortestFormUpToFifteenDigits) {
  struct Case {
    Real value;
    const char* expected;
  };
  const Case cases[] = {
      {210.1L, "210.1"},
      {210.1, "210.1"},  // the double nearest to 210.1 lies below it beyond the 15th digit
      {200.0L, "200"},
      {0, "0"},
      {-0.0L, "0"},
      {-2.5L, "-2.5"},
      {0.1L, "0.1"},
      {0.1 + 0.2, "0.3"},
      {1.0L / 3, "0.333333333333333"},
      {2.0L / 3, "0.666666666666667"},
      {-2.0L / 3, "-0.666666666666667"},
      {123456789012345.6L, "123456789012346"},
      {999999999999999.0L, "999999999999999"},
      {0.00001L, "0.00001"},
      {0.000015L, "0.000015"},
      {1.5E20L, "1.5E20"},
      {1E-6L, "1E-6"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(FloatToText(c.value), c.expected);
  }
}

TEST(NumberFormatPaddedField, PadsLeftOrKeepsLastCharacters) {
  struct Case {
    Real value;
    const char* pattern;
    int width;
    const char* expected;
  };
  const Case cases[] = {
      // "-1234.568" is one character too long for the field.
      {-1234.5678L, "##0.000", 8, "1234.568"},
      {-0.6021L, "##0.000", 8, "  -0.602"},
      {91.09L, "#0.00", 6, " 91.09"},
      {-0.03L, "#0.00", 6, " -0.03"},
      {0, "#0.00", 6, "  0.00"},
      {1234.567L, "#0.00", 6, "234.57"},
      {-0.03L, "#0.00", 5, "-0.03"},
      {4.634L, "##0.00", 7, "   4.63"},
      {4.634L, "##0.00", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("expected \"") + c.expected + "\"");
    EXPECT_EQ(PaddedField(c.value, c.pattern, c.width), c.expected);
  }
}

TEST(NumberFormatNumberRow, ErrorSectionColumnsLineUpUnderSpeciesNames) {
  std::vector<std::string> lines = {"  TriMCP   IsPrCP   4MPent   IPrAll   23DMBD   T-2MPD   C-2MPD    4MePD"};
  const std::vector<Real> signedSums = {-0.6021L, -0.0763L, 0.0012L, -0.0601L, -0.0214L, -0.0018L, 0.7589L, -0.0004L};
  const std::vector<Real> absoluteSums = {4.634L, 0.2114L, 0.42L, 0.11L, 0.25L, 0.64L, 0.76L, 3.93L};
  AddNumberRow(lines, "", "##0.000", signedSums, 1, 8);
  AddNumberRow(lines, "", "##0.00", absoluteSums, 2, 7);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "  TriMCP   IsPrCP   4MPent   IPrAll   23DMBD   T-2MPD   C-2MPD    4MePD");
  EXPECT_EQ(lines[1], "  -0.602   -0.076    0.001   -0.060   -0.021   -0.002    0.759    0.000");
  EXPECT_EQ(lines[2], "   4.63     0.21     0.42     0.11     0.25     0.64     0.76     3.93");
}

TEST(NumberFormatNumberRow, PrefixSeparatorAndOverlongFields) {
  std::vector<std::string> lines;
  const std::vector<Real> values = {12345.6L, 1};
  AddNumberRow(lines, "row:", "0.0", values, 0, 3);
  AddNumberRow(lines, "empty", "0.0", std::vector<Real>{}, 3, 5);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "row:5.61.0");  // "12345.6" keeps "5.6"; no blank between or after
  EXPECT_EQ(lines[1], "empty");
}

}  // namespace
}  // namespace zamo
