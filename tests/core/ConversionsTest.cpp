#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "model/Conversions.h"
#include "model/ZamoError.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

// "0.1" is not the double nearest to 0.1; "1e-5000" lies below the extended range.
TEST(Conversion, FloatReadsDecimalAndExponentFormsInExtendedPrecisionAndRefusesTheRest) {
  const std::pair<const char*, Real> cases[] = {{"  210.1  ", 210.1L}, {"+2.5", 2.5L},      {"1.", 1},     {".5", 0.5L},
                                                {"0.1", 0.1L},         {"1e4931", 1E4931L}, {"1e-5000", 0}};
  Real value = -99;
  for (const auto& [text, expected] : cases) {
    EXPECT_TRUE(TryStrToFloat(text, value) && value == expected) << text;
    EXPECT_EQ(StrToFloat(text), expected) << text;
  }
  for (const char* text :
       {"", ".", "e5", "+-1", "210,1", "1 000", "1.2.3", "inf", "nan", "0x1p3", "1e", "12abc", "1e4933", "-1e5000"}) {
    EXPECT_THROW_MSG(StrToFloat(text), ConversionError, "'" + std::string(text) + "' ist kein gültiger Gleitkommawert");
    EXPECT_FALSE(TryStrToFloat(text, value)) << text;
  }
}

TEST(Conversion, IntReadsSignedDecimalInt32AndRefusesTheRest) {
  EXPECT_EQ(StrToInt("   +42"), 42);
  EXPECT_EQ(StrToInt(" -2147483648"), std::numeric_limits<std::int32_t>::min());
  for (const char* text : {"", "- 1", "42 ", "1.0", "0x10", "2147483648", "4294967296" /* would wrap to 0 */}) {
    EXPECT_THROW_MSG(StrToInt(text), ConversionError, "'" + std::string(text) + "' ist kein gültiger Integerwert");
  }
  std::int32_t result = 0;
  EXPECT_TRUE(TruncToInt32(-2147483648.9L, result) && result == std::numeric_limits<std::int32_t>::min());
  EXPECT_TRUE(TruncToInt32(29.99L * 60, result) && result == 1799);
  EXPECT_FALSE(TruncToInt32(2147483648.0L, result) || TruncToInt32(std::numeric_limits<Real>::quiet_NaN(), result));
}

// Minutes are truncated toward zero from their exact decimal value: every one-decimal time up
// to 600.0 minutes is whole seconds, although in binary 139 of them come out a second short.
TEST(Conversion, MinutesTruncateTheExactDecimalValueTowardZero) {
  std::int32_t seconds = -1;
  for (int tenths = 1; tenths <= 6000; ++tenths) {
    const std::string text = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
    EXPECT_TRUE(MinutesToSeconds(text, seconds) && seconds == tenths * 6) << text;
  }
  // clang-format off
  const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
      {"-4.25", -255}, {"0.042e+2", 252}, {"4.19999999999999999999999999999999", 251},
      {"-35791394.1333333334", -2147483647 - 1}, {"35791394.1333333334", std::nullopt}, {"4,2", std::nullopt}};
  // clang-format on
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(MinutesToSeconds(text, seconds) ? std::optional(seconds) : std::nullopt, expected) << text;
  }
}

// Halves go to the even neighbour, also one extended ulp off a half (double would see the half).
TEST(Conversion, NearestRoundsHalvesToEven) {
  const Real ulp = std::ldexp(1.0L, -64);
  const Real nan = std::numeric_limits<Real>::quiet_NaN();
  const int least = std::numeric_limits<int>::min();
  const std::pair<Real, int> cases[] = {{0.5L, 0},           {2.5L, 2},       {-1.5L, -2}, {0.5L + ulp, 1},
                                        {1.5L - 2 * ulp, 1}, {-1E12L, least}, {nan, 0}};
  for (const auto& [value, expected] : cases) EXPECT_EQ(nearest(value), expected) << static_cast<double>(value);
}

}  // namespace
}  // namespace zamo
