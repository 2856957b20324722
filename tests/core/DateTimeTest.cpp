#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <string>

#include "model/DateTime.h"
#include "model/ZamoError.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

// Day numbers of this date system are the well-known serial dates: 30.12.1899 is day 0,
// 01.01.1900 is day 2, 01.01.1970 is day 25569, 01.01.2000 is day 36526.
constexpr double kFirstOf2000 = 36526;

void ExpectCivil(const CivilDateTime& actual, const CivilDateTime& expected) {
  EXPECT_EQ(actual.Year, expected.Year);
  EXPECT_EQ(actual.Month, expected.Month);
  EXPECT_EQ(actual.Day, expected.Day);
  EXPECT_EQ(actual.Hour, expected.Hour);
  EXPECT_EQ(actual.Minute, expected.Minute);
  EXPECT_EQ(actual.Second, expected.Second);
  EXPECT_EQ(actual.Millisecond, expected.Millisecond);
}

TEST(DateTimeCalendar, KnownSerialDays) {
  struct Case {
    CivilDateTime civil;
    double expected;
  };
  const Case cases[] = {
      {{1899, 12, 30}, 0},
      {{1899, 12, 31}, 1},
      {{1900, 1, 1}, 2},
      {{1900, 3, 1}, 61},  // 1900 has no 29 February
      {{2000, 1, 1}, kFirstOf2000},
      {{1970, 1, 1}, 25569},
      {{1899, 12, 30, 18}, 0.75},
      {{1899, 12, 29}, -1},
      // Before day 0 the time of day still counts forward from midnight.
      {{1899, 12, 29, 6}, -1.25},
      {{1, 1, 1}, -693593},
      {{9999, 12, 31}, 2958465},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_DOUBLE_EQ(EncodeDateTime(c.civil), c.expected);
    ExpectCivil(DecodeDateTime(c.expected), c.civil);
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
        ASSERT_EQ(std::trunc(value), serial) << day << "." << month << "." << year;
        const CivilDateTime back = DecodeDateTime(value);
        ASSERT_TRUE(back.Year == year && back.Month == month && back.Day == day && back.Hour == 13 &&
                    back.Minute == 14 && back.Second == 15 && back.Millisecond == 678)
            << day << "." << month << "." << year;
      }
    }
  }
  EXPECT_DOUBLE_EQ(EncodeDateTime({2000, 1, 1}), kFirstOf2000);
}

TEST(DateTimeParse, AcceptsDayMonthYearAndOptionalTime) {
  struct Case {
    const char* text;
    CivilDateTime expected;
  };
  const Case cases[] = {
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
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ExpectCivil(DecodeDateTime(StrToDateTime(c.text)), c.expected);
  }
  // 25.07.1997 lies 890 days before 01.01.2000 (160 days to the end of 1997, then 365 + 365).
  EXPECT_NEAR(StrToDateTime("25.07.97 01:51:38"), kFirstOf2000 - 890 + (1 * 3600 + 51 * 60 + 38) / 86400.0, 1E-9);
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
    SCOPED_TRACE(text);
    EXPECT_THROW_MSG(StrToDateTime(text), ConversionError,
                     "'" + std::string(text) + "' ist keine gültige Datums- und Uhrzeitangabe");
  }
}

TEST(DateTimeText, TwoDigitYearAndTimeUnlessExactlyMidnight) {
  struct Case {
    CivilDateTime civil;
    const char* expected;
  };
  const Case cases[] = {
      {{1997, 7, 25, 1, 51, 38}, "25.07.97 01:51:38"},
      {{2000, 1, 1}, "01.01.00"},
      {{2000, 1, 1, 0, 0, 1}, "01.01.00 00:00:01"},
      {{2000, 1, 1, 0, 0, 0, 400}, "01.01.00 00:00:00"},  // not exactly midnight
      {{1999, 12, 31, 23, 59, 59}, "31.12.99 23:59:59"},
      {{1950, 6, 5, 13, 4, 5}, "05.06.50 13:04:05"},
      {{2049, 12, 31, 12}, "31.12.49 12:00:00"},
      // Outside 1950..2049 two digits would read back as another year.
      {{1899, 12, 30}, "30.12.1899"},
      {{1899, 12, 29, 6}, "29.12.1899 06:00:00"},
      {{2050, 1, 1}, "01.01.2050"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(DateTimeToText(EncodeDateTime(c.civil)), c.expected);
  }
}

TEST(DateTimeText, WrittenTextReadsBackUnchanged) {
  const char* const texts[] = {"25.07.97 01:51:38", "25.07.97 01:51:45", "01.01.00",
                               "29.02.04 23:59:59", "31.12.49 00:00:01", "01.01.50 12:30:00"};
  for (const char* text : texts) {
    SCOPED_TRACE(text);
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
