#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "model/NumberFormat.h"

namespace zamo {
namespace {

struct FormatCase {
  const char* pattern;
  Real value;
  const char* expected;
};

// The patterns of the project file, the report, the panel and the deviation labels.
TEST(NumberFormat, FormatFloat) {
  const char* const sections = " 0.000;-0.000; 0.000";
  const FormatCase cases[] = {
      {"0.00000E+00", 1.26E-6L, "1.26000E-06"},
      {"0.00000E+00", 0, "0.00000E+00"},
      {"0.00000E+00", -1E-5L, "-1.00000E-05"},
      {"0.0000E+00", 2.154E-05L, "2.1540E-05"},
      {"0.0000E+00", 12345.678L, "1.2346E+04"},
      {"0.00000E+00", -2.5E-4000L, "-2.50000E-4000"},
      {"0.0E-00", 1.5E3L, "1.5E03"},  // "E-": sign only for negative exponents
      {"0.0E-00", 1.5E-3L, "1.5E-03"},
      {"#0.0", 0, "0.0"},
      {"#0.0", 1799.0L / 60, "30.0"},  // a time of 1799 s in minutes
      {"#0.00", -0.03L, "-0.03"},
      {"##0.000", -1234.5678L, "-1234.568"},
      {"###0.00", 7.6959L, "7.70"},
      {"##0.0", (210.1L + 273.15L) - 273.15L, "210.1"},
      {"####0.00", 123456.789L, "123456.79"},  // more integer digits than placeholders
      // Three sections: positive, negative, zero; what rounds to zero takes the zero section.
      {sections, 12.3456L, " 12.346"},
      {sections, -2.279429L, "-2.279"},
      {sections, -0.0L, " 0.000"},
      {sections, -0.0004L, " 0.000"},
      {sections, -0.0005L, "-0.001"},
      // Two sections: the first also for zero.
      {"0.00;(0.00)", -1.5L, "(1.50)"},
      {"0.00;(0.00)", -0.001L, "0.00"},
      // Halves away from zero.
      {"0.00", 0.12499L, "0.12"},
      {"0.00", 0.125L, "0.13"},
      {"0", 2.5L, "3"},
      {"0", -2.5L, "-3"},
      {"0", -0.49L, "0"},
      // Stored slightly below the decimal half (2.675L is 2.67499999999999999998...):
      // rounding to 18 significant digits first restores the half.
      {"0.00", 2.675L, "2.68"},
      {"0.00", -0.005L, "-0.01"},
      {"0.0E+00", 0.000125L, "1.3E-04"},
      // The nineteenth significant digit decides.
      {"0.00", 0.12499999999999999949L, "0.12"},
      {"0.00", 0.12499999999999999951L, "0.13"},
      {"0.00", std::ldexp(1.0L, 70), "1180591620717411300000.00"},  // 22 digits, 18 kept
      // A carry into a new leading digit.
      {"#0.000", 9.9995L, "10.000"},
      {"0.000", -0.9995L, "-1.000"},
      {"0.00000E+00", 9.999995E-06L, "1.00000E-05"},
      {"0.0000E+00", 9.99995E99L, "1.0000E+100"},
  };
  for (const FormatCase& c : cases) EXPECT_EQ(FormatFloat(c.pattern, c.value), c.expected) << c.pattern;
}

TEST(NumberFormat, FloatToTextIsTheShortestFormUpToFifteenDigits) {
  const std::pair<Real, const char*> cases[] = {
      {210.1, "210.1"},  // the double nearest to 210.1 lies below it beyond the 15th digit
      {200.0L, "200"},
      {-0.0L, "0"},
      {0.1 + 0.2, "0.3"},
      {-2.0L / 3, "-0.666666666666667"},
      {123456789012345.6L, "123456789012346"},
      {0.000015L, "0.000015"},
      {1.5E20L, "1.5E20"},
      {1E-6L, "1E-6"},
  };
  for (const auto& [value, expected] : cases) EXPECT_EQ(FloatToText(value), expected);
}

TEST(NumberFormat, PaddedFieldPadsLeftOrKeepsTheLastCharacters) {
  const std::tuple<Real, const char*, int, const char*> cases[] = {
      {-1234.5678L, "##0.000", 8, "1234.568"},  // "-1234.568" is one character too long
      {-0.6021L, "##0.000", 8, "  -0.602"},
      {-0.03L, "#0.00", 5, "-0.03"},
      {4.634L, "##0.00", 0, ""},
  };
  for (const auto& [value, pattern, width, expected] : cases) EXPECT_EQ(PaddedField(value, pattern, width), expected);
}

// The error section's columns line up under the species names; a field too long keeps its
// last characters, with no blank between or after.
TEST(NumberFormat, NumberRowsLineUpUnderSpeciesNames) {
  std::vector<std::string> lines = {"  TriMCP   IsPrCP   4MPent   IPrAll   23DMBD   T-2MPD   C-2MPD    4MePD"};
  AddNumberRow(lines, "", "##0.000", std::vector<Real>{-0.6021L, -0.0763L, 0.0012L, 0, 0, 0, 0.7589L, -0.0004L}, 1, 8);
  AddNumberRow(lines, "", "##0.00", std::vector<Real>{4.634L, 0.2114L}, 2, 7);
  AddNumberRow(lines, "row:", "0.0", std::vector<Real>{12345.6L, 1}, 0, 3);
  AddNumberRow(lines, "empty", "0.0", std::vector<Real>{}, 3, 5);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "  TriMCP   IsPrCP   4MPent   IPrAll   23DMBD   T-2MPD   C-2MPD    4MePD",
                       "  -0.602   -0.076    0.001    0.000    0.000    0.000    0.759    0.000",
                       "   4.63     0.21",
                       "row:5.61.0",
                       "empty",
                   }));
}

// Two significant digits of the error, the value rounded at the error's last digit.
TEST(NumberFormatRoundToError, TwoDigitsOfTheErrorFixTheValuesPlace) {
  const auto both = [](Real value, Real error) {
    const ValueAndError r = RoundToError(value, error);
    return r.Value + " " + r.Error;
  };
  EXPECT_EQ(both(164.9312L, 0.6417L), "164.93 0.64");
  EXPECT_EQ(both(-1234, 23456), "-1000 23000");
  EXPECT_EQ(both(0.0123456L, 0.000987L), "0.01235 0.00099");
  EXPECT_EQ(ValueWithError(2, std::numeric_limits<Real>::quiet_NaN()), "2 ± " + std::string(kMissing));
}

}  // namespace
}  // namespace zamo
