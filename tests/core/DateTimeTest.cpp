#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <string>

#include "model/DateTime.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

// Day numbers of this date system are the well-known serial dates: 30.12.1899 is day 0,
// 01.01.1900 is day 2, 01.01.1970 is day 25569, 01.01.2000 is day 36526.
std::string Shown(const CivilDateTime& c) {
  char text[48];
  std::snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d:%02d.%03d", c.Year, c.Month, c.Day, c.Hour, c.Minute,
                c.Second, c.Millisecond);
  return text;
}

TEST(DateTimeCalendar, KnownSerialDays) {
  const std::pair<CivilDateTime, double> cases[] = {
      {{1899, 12, 30}, 0},
      {{1899, 12, 31}, 1},
      {{1900, 1, 1}, 2},
      {{1900, 3, 1}, 61},  // 1900 has no 29 February
      {{2000, 1, 1}, 36526},
      {{1970, 1, 1}, 25569},
      {{1899, 12, 30, 18}, 0.75},
      {{1899, 12, 29}, -1},
      {{1899, 12, 29, 6}, -1.25},  // before day 0 the time of day still counts forward from
                                   // midnight
      {{1, 1, 1}, -693593},
      {{9999, 12, 31}, 2958465},
  };
  for (const auto& [civil, serial] : cases) {
    EXPECT_DOUBLE_EQ(EncodeDateTime(civil), serial);
    EXPECT_EQ(Shown(DecodeDateTime(serial)), Shown(civil));
  }
}

TEST(DateTimeCalendar, EveryDayFrom1896To2104FollowsTheGregorianRules) {
  int serial = static_cast<int>(EncodeDateTime({1896, 1, 1}));
  for (int year = 1896; year <= 2104; ++year) {
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int monthDays[12] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= monthDays[month - 1]; ++day, ++serial) {
        const CivilDateTime civil{year, month, day, 13, 14, 15, 678};
        const DateTime value = EncodeDateTime(civil);
        // Before day 0 the time of day is subtracted, so the day is the whole part toward zero.
        ASSERT_EQ(std::trunc(value), serial) << Shown(civil);
        ASSERT_EQ(Shown(DecodeDateTime(value)), Shown(civil));
      }
    }
  }
}

TEST(DateTimeParse, AcceptsDayMonthYearAndOptionalTime) {
  const std::pair<const char*, CivilDateTime> cases[] = {
      {"25.07.97 01:51:38", {1997, 7, 25, 1, 51, 38}},
      {"25.07.1997 01:51:38", {1997, 7, 25, 1, 51, 38}},
      {" 25.07.97 01:51:38 ", {1997, 7, 25, 1, 51, 38}},
      {"25.07.97 01:51", {1997, 7, 25, 1, 51, 0}},
      {"25.07.97", {1997, 7, 25}},
      {"1.2.03", {2003, 2, 1}},
      {"01.01.00", {2000, 1, 1}},
      {"31.12.49", {2049, 12, 31}},
      {"01.01.50", {1950, 1, 1}},
      {"31.12.99 23:59:59", {1999, 12, 31, 23, 59, 59}},
      {"29.02.2000", {2000, 2, 29}},  // divisible by 400: a leap year
      {"29.02.24", {2024, 2, 29}},
      {"30.12.1899", {1899, 12, 30}},
      {"01.01.0001 00:00", {1, 1, 1}},
      {"31.12.9999 23:59:59", {9999, 12, 31, 23, 59, 59}},
  };
  for (const auto& [text, civil] : cases) EXPECT_EQ(Shown(DecodeDateTime(StrToDateTime(text))), Shown(civil)) << text;
}

TEST(DateTimeParse, RefusesInvalidDatesAndShapesWithTheMessage) {
  // clang-format off
  const char* const texts[] = {
      "", "   ", "abc", "25.07", "25..97", "25/07/97", "1997.07.25", "-1.01.2000",  // not day.month.year
      "31.04.2000", "29.02.2023", "29.02.1900", "29.02.2100", "00.01.2000", "32.01.2000",  // no such day
      "01.00.2000", "01.13.2000", "01.01.0000",  // no such month or year
      "01.01.7", "01.01.197", "01.01.19970", "25.07.97.", "25.07.97x",  // year not of 2 or 4 digits, text after it
      "25.07.97 24:00", "25.07.97 23:60", "25.07.97 12:00:60",  // no such time
      "25.07.97 01", "25.07.97 01:", "25.07.97 01:51:", "25.07.97 01:51:38:00",  // incomplete or extra time parts
      "25.07.97 01:51:38.5", "25.07.97T01:51:38", "25.07.97 1:51pm",  // other time forms
  };
  // clang-format on
  for (const char* text : texts) {
    EXPECT_THROW_MSG(StrToDateTime(text), ConversionError,
                     "'" + std::string(text) + "' ist keine gültige Datums- und Uhrzeitangabe");
  }
}

// Two-digit years within 1950..2049 only, since only those read back; the time unless it is
// exactly midnight.
TEST(DateTimeText, TwoDigitYearAndTimeUnlessExactlyMidnight) {
  const std::pair<CivilDateTime, const char*> cases[] = {
      {{1997, 7, 25, 1, 51, 38}, "25.07.97 01:51:38"},
      {{2000, 1, 1}, "01.01.00"},
      {{2000, 1, 1, 0, 0, 1}, "01.01.00 00:00:01"},
      {{2000, 1, 1, 0, 0, 0, 400}, "01.01.00 00:00:00"},
      {{1950, 6, 5, 13, 4, 5}, "05.06.50 13:04:05"},
      {{2049, 12, 31, 12}, "31.12.49 12:00:00"},
      {{1899, 12, 30}, "30.12.1899"},
      {{1899, 12, 29, 6}, "29.12.1899 06:00:00"},
      {{2050, 1, 1}, "01.01.2050"},
  };
  for (const auto& [civil, text] : cases) EXPECT_EQ(DateTimeToText(EncodeDateTime(civil)), text);
  for (const char* text : {"25.07.97 01:51:45", "29.02.04 23:59:59", "31.12.49 00:00:01"}) {
    EXPECT_EQ(DateTimeToText(StrToDateTime(text)), text);
  }
}

TEST(DateTimeNow, IsTodayInLocalTime) {
  // Local time differs from UTC by at most 14 hours.
  const double utcNow = 25569 + static_cast<double>(std::time(nullptr)) / 86400;
  EXPECT_NEAR(CurrentDateTime(), utcNow, 14.0 / 24 + 1.0 / 1440);
}

}  // namespace
}  // namespace zamo
