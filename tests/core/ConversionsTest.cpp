#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "model/Conversions.h"
#include "model/ZamoError.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

TEST(ConversionFloat, AcceptsPlainDecimalAndExponentForms) {
  struct Case {
    const char* text;
    Real expected;
  };
  const Case cases[] = {
      {"210.1", 210.1L},
      {"  210.1  ", 210.1L},
      {"-2", -2},
      {"+2.5", 2.5L},
      {"1.", 1},
      {".5", 0.5L},
      {"007.50", 7.5L},
      {"1.5e3", 1500},
      {"1.5E+03", 1500},
      {"2.154E-05", 2.154E-05L},
      {"-1e-5", -1E-5L},
      {"0.0000E+00", 0},
      {"0.12345678901234567890123", 0.12345678901234567890123L},
      {"1e4931", 1E4931L},
      {"1e-5000", 0},  // below the extended range
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(StrToFloat(c.text), c.expected);
    Real value = -99;
    EXPECT_TRUE(TryStrToFloat(c.text, value));
    EXPECT_EQ(value, c.expected);
  }
}

TEST(ConversionFloat, ReadsWithExtendedPrecision) {
  // A detour through double would give the double nearest to 0.1, which differs from 0.1L.
  EXPECT_EQ(StrToFloat("0.1"), 0.1L);
  EXPECT_NE(StrToFloat("0.1"), static_cast<Real>(0.1));
}

TEST(ConversionFloat, RefusesEverythingElseWithTheMessage) {
  // clang-format off
  const char* const texts[] = {
      "", "   ", ".", "-", "+", "e5", "E5", "+-1", "--1",  // no digits or two signs
      "210,1", "1,000", "1 000", "1.5 e3", "1.2.3", "1..2",  // commas, inner blanks, two points
      "inf", "-inf", "INF", "infinity", "nan", "NaN", "0x10", "0x1p3",  // special values, hexadecimal
      "1e", "1e+", "1e5.0", "1e5x", "12abc", "1d5", "1D5", "1e2e3",  // broken exponent or trailing text
      "1e4933", "1e5000", "-1e5000",  // beyond the extended range
  };
  // clang-format on
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    EXPECT_THROW_MSG(StrToFloat(text), ConversionError, "'" + std::string(text) + "' ist kein gültiger Gleitkommawert");
    Real value = 0;
    EXPECT_FALSE(TryStrToFloat(text, value));
  }
  // The temperature line with a decimal comma.
  EXPECT_THROW_MSG(StrToFloat("210,1"), ConversionError, "'210,1' ist kein gültiger Gleitkommawert");
}

TEST(ConversionFloat, ErrorIsACoreError) { EXPECT_THROW(StrToFloat("x"), ZamoError); }

TEST(ConversionInt, AcceptsSignedDecimalInt32) {
  struct Case {
    const char* text;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"8", 8},
      {"   42", 42},
      {"+42", 42},
      {"-42", -42},
      {"007", 7},
      {"-0", 0},
      {"2147483647", std::numeric_limits<std::int32_t>::max()},
      {" -2147483648", std::numeric_limits<std::int32_t>::min()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(StrToInt(c.text), c.expected);
  }
}

TEST(ConversionInt, RefusesEverythingElseWithTheMessage) {
  // clang-format off
  const char* const texts[] = {
      "", "  ", "-", "+", "- 1", "+-1",  // no digits or two signs
      "42 ", "4 2", "1.0", "1e3", "0x10", "$10", "12a", "seven",  // anything but digits
      "2147483648", "-2147483649", "4294967296", "99999999999999999999",  // outside int32; 2^32 would wrap to 0
  };
  // clang-format on
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    EXPECT_THROW_MSG(StrToInt(text), ConversionError, "'" + std::string(text) + "' ist kein gültiger Integerwert");
  }
  EXPECT_THROW_MSG(StrToInt("7 "), ConversionError, "'7 ' ist kein gültiger Integerwert");
}

TEST(ConversionTrunc, TowardZeroWithinInt32) {
  struct Case {
    Real value;
    std::int32_t expected;
  };
  const Case cases[] = {
      {2.9L, 2},
      {-2.9L, -2},
      {0.999L, 0},
      {-0.999L, 0},
      {29.99L * 60, 1799},  // 1799.4 s
      {2147483647.9L, 2147483647},
      {-2147483648.9L, std::numeric_limits<std::int32_t>::min()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    std::int32_t result = 0;
    EXPECT_TRUE(TruncToInt32(c.value, result));
    EXPECT_EQ(result, c.expected);
  }
  const Real outside[] = {2147483648.0L,
                          -2147483649.0L,
                          1E10L,
                          std::numeric_limits<Real>::quiet_NaN(),
                          std::numeric_limits<Real>::infinity(),
                          -std::numeric_limits<Real>::infinity()};
  for (const Real value : outside) {
    SCOPED_TRACE(static_cast<double>(value));
    std::int32_t result = 0;
    EXPECT_FALSE(TruncToInt32(value, result));
  }
}

// Every one-decimal time from 0.1 to 600.0 minutes is tenths x 6 seconds exactly; in binary
// floating point 139 of them (2.1, 4.2, 8.4, ...) come out a second short.
TEST(ConversionMinutes, EveryTenthOfAMinuteIsWholeSeconds) {
  for (int tenths = 1; tenths <= 6000; ++tenths) {
    const std::string text = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
    std::int32_t seconds = -1;
    ASSERT_TRUE(MinutesToSeconds(text, seconds)) << text;
    EXPECT_EQ(seconds, tenths * 6) << text;
  }
}

TEST(ConversionMinutes, TruncatesTheExactDecimalValueTowardZero) {
  struct Case {
    const char* text;
    std::optional<std::int32_t> seconds;  // none: refused
  };
  const Case cases[] = {
      {"4.21", 252},
      {"4.25", 255},
      {"-4.2", -252},
      {"-4.25", -255},
      {"0.0125", 0},
      {"-0.0125", 0},
      {"0.05", 3},
      {"42E-1", 252},
      {"0.042e+2", 252},
      {" 007.50 ", 450},
      {"4.19999999999999999999999999999999", 251},
      {"4.20000000000000000000000000000001", 252},
      {"0.016666666666666666666666666666667", 1},
      {"1e-4000", 0},
      {"0", 0},
      {"-0.0", 0},
      {"35791394.1", 2147483646},
      {"-35791394.1333333334", -2147483647 - 1},
      {"35791394.1333333334", std::nullopt},
      {"1e4000", std::nullopt},
      {"4,2", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    std::int32_t seconds = -1;
    const bool read = MinutesToSeconds(c.text, seconds);
    EXPECT_EQ(read, c.seconds.has_value()) << c.text;
    if (read && c.seconds) {
      EXPECT_EQ(seconds, *c.seconds) << c.text;
    }
  }
}

TEST(NearestRounding, HalvesGoToTheEvenNeighbour) {
  struct Case {
    Real value;
    int expected;
  };
  const Case cases[] = {
      {0.5L, 0},
      {1.5L, 2},
      {2.5L, 2},
      {3.5L, 4},
      {-0.5L, 0},
      {-1.5L, -2},
      {-2.5L, -2},
      {12.5L, 12},  // the optimizer's position example
      {2147483646.5L, 2147483646},
      {0.49999L, 0},
      {0.50001L, 1},
      {-0.50001L, -1},
      {7, 7},
      {-7, -7},
      // One unit in the last place of the extended type away from a half: a computation
      // in double would see the half itself.
      {0.5L + std::ldexp(1.0L, -64), 1},
      {1.5L - std::ldexp(1.0L, -63), 1},
      {1E12L, std::numeric_limits<int>::max()},
      {-1E12L, std::numeric_limits<int>::min()},
      {std::numeric_limits<Real>::quiet_NaN(), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<double>(c.value));
    EXPECT_EQ(nearest(c.value), c.expected);
  }
}

}  // namespace
}  // namespace zamo
