#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "model/Conversions.h"
#include "model/ZamoError.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

// Rows of a table of cases, for a range-for with structured bindings.
template <typename... Column>
using Table = std::tuple<Column...>[];

TEST(ConversionFloat, ReadsDecimalAndExponentFormsInExtendedPrecisionAndRefusesTheRest) {
  struct Case {
    const char* Text;
    Real Expected;
  };
  const Case cases[] = {
      {"  210.1  ", 210.1L},
      {"-2", -2},
      {"+2.5", 2.5L},
      {"1.", 1},
      {".5", 0.5L},
      {"1.5E+03", 1500},
      {"2.154E-05", 2.154E-05L},
      {"0.12345678901234567890123", 0.12345678901234567890123L},
      {"0.1", 0.1L},  // not the double nearest to 0.1
      {"1e4931", 1E4931L},
      {"1e-5000", 0},  // below the extended range
  };
  for (const Case& c : cases) {
    Real value = -99;
    EXPECT_TRUE(TryStrToFloat(c.Text, value)) << c.Text;
    EXPECT_EQ(value, c.Expected) << c.Text;
    EXPECT_EQ(StrToFloat(c.Text), c.Expected) << c.Text;
  }
  // clang-format off
  for (const char* text : {"", ".", "-", "e5", "+-1",  // no digits or two signs
                           "210,1", "1 000", "1.5 e3", "1.2.3",  // commas, inner blanks, two points
                           "inf", "nan", "0x10", "0x1p3",  // special values, hexadecimal
                           "1e", "1e5.0", "12abc", "1d5",  // broken exponent or trailing text
                           "1e4933", "-1e5000"}) {  // beyond the extended range
    // clang-format on
    EXPECT_THROW_MSG(StrToFloat(text), ConversionError, "'" + std::string(text) + "' ist kein gültiger Gleitkommawert");
    Real value = 0;
    EXPECT_FALSE(TryStrToFloat(text, value)) << text;
  }
}

TEST(ConversionInt, ReadsSignedDecimalInt32AndRefusesTheRest) {
  for (const auto& [text, expected] :
       Table<const char*, std::int32_t>{{"   42", 42},
                                        {"+42", 42},
                                        {"-0", 0},
                                        {"007", 7},
                                        {"2147483647", std::numeric_limits<std::int32_t>::max()},
                                        {" -2147483648", std::numeric_limits<std::int32_t>::min()}}) {
    EXPECT_EQ(StrToInt(text), expected) << text;
  }
  // 2^32 would wrap to 0.
  for (const char* text : {"", "-", "- 1", "42 ", "1.0", "1e3", "0x10", "seven", "2147483648", "-2147483649",
                           "4294967296", "99999999999999999999"}) {
    EXPECT_THROW_MSG(StrToInt(text), ConversionError, "'" + std::string(text) + "' ist kein gültiger Integerwert");
  }
}

TEST(ConversionTrunc, TowardZeroWithinInt32) {
  for (const auto& [value, expected] :
       Table<Real, std::int32_t>{{2.9L, 2},
                                 {-0.999L, 0},
                                 {29.99L * 60, 1799},
                                 {2147483647.9L, 2147483647},
                                 {-2147483648.9L, std::numeric_limits<std::int32_t>::min()}}) {
    std::int32_t result = 0;
    EXPECT_TRUE(TruncToInt32(value, result)) << static_cast<double>(value);
    EXPECT_EQ(result, expected);
  }
  for (const Real value : {2147483648.0L, -2147483649.0L, std::numeric_limits<Real>::quiet_NaN(),
                           -std::numeric_limits<Real>::infinity()}) {
    std::int32_t result = 0;
    EXPECT_FALSE(TruncToInt32(value, result)) << static_cast<double>(value);
  }
}

// Minutes are truncated toward zero from their exact decimal value: every one-decimal time
// up to 600.0 minutes is whole seconds, although in binary 139 of them (2.1, 4.2, 8.4, ...)
// come out a second short.
TEST(ConversionMinutes, TruncatesTheExactDecimalValueTowardZero) {
  for (int tenths = 1; tenths <= 6000; ++tenths) {
    const std::string text = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
    std::int32_t seconds = -1;
    ASSERT_TRUE(MinutesToSeconds(text, seconds)) << text;
    EXPECT_EQ(seconds, tenths * 6) << text;
  }
  const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
      {"4.25", 255},
      {"-4.25", -255},
      {"-0.0125", 0},
      {"0.042e+2", 252},
      {" 007.50 ", 450},
      {"4.19999999999999999999999999999999", 251},
      {"0.016666666666666666666666666666667", 1},
      {"1e-4000", 0},
      {"-35791394.1333333334", -2147483647 - 1},
      {"35791394.1333333334", std::nullopt},
      {"4,2", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [text, expected] : cases) {
    std::int32_t seconds = -1;
    EXPECT_EQ(MinutesToSeconds(text, seconds), expected.has_value()) << text;
    if (expected) {
      EXPECT_EQ(seconds, *expected) << text;
    }
  }
}

TEST(NearestRounding, HalvesGoToTheEvenNeighbour) {
  // One unit in the last place of the extended type away from a half: a computation in
  // double would see the half itself.
  for (const auto& [value, expected] : Table<Real, int>{{0.5L, 0},
                                                        {1.5L, 2},
                                                        {2.5L, 2},
                                                        {-1.5L, -2},
                                                        {-2.5L, -2},
                                                        {12.5L, 12},
                                                        {0.50001L, 1},
                                                        {-0.50001L, -1},
                                                        {0.5L + std::ldexp(1.0L, -64), 1},
                                                        {1.5L - std::ldexp(1.0L, -63), 1},
                                                        {1E12L, std::numeric_limits<int>::max()},
                                                        {-1E12L, std::numeric_limits<int>::min()},
                                                        {std::numeric_limits<Real>::quiet_NaN(), 0}}) {
    EXPECT_EQ(nearest(value), expected) << static_cast<double>(value);
  }
}

}  // namespace
}  // namespace zamo
