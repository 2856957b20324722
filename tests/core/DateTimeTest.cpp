#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <string>

#include "model/DateTime.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

std::string Shown(const CivilDateTime& c) {
  char text[48];
  std::snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d:%02d.%03d", c.Year, c.Month, c.Day, c.Hour, c.Minute,
                c.Second, c.Millisecond);
  return text;
}

// Serial days since 30.12.1899; before day 0 the time of day still counts forward. Now is
// within 14 hours of UTC.
TEST(DateTimeCalendar, KnownSerialDaysEveryDayFrom1896To2104AndNow) {
  const std::pair<CivilDateTime, double> cases[] = {
      {{1899, 12, 30, 18}, 0.75}, {{1899, 12, 29, 6}, -1.25}, {{1, 1, 1}, -693593}, {{9999, 12, 31}, 2958465}};
  for (const auto& [civil, serial] : cases) {
    EXPECT_DOUBLE_EQ(EncodeDateTime(civil), serial);
    EXPECT_EQ(Shown(DecodeDateTime(serial)), Shown(civil));
  }
  using namespace std::chrono;
  for (sys_days day = 1896y / 1 / 1; day <= sys_days(2104y / 12 / 31); day += days(1)) {
    const year_month_day ymd(day);
    const CivilDateTime civil{int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day())), 13, 14, 15, 678};
    ASSERT_EQ(std::trunc(EncodeDateTime(civil)), day.time_since_epoch().count() + 25569) << Shown(civil);
    ASSERT_EQ(Shown(DecodeDateTime(EncodeDateTime(civil))), Shown(civil));
  }
  EXPECT_NEAR(CurrentDateTime(), 25569 + static_cast<double>(std::time(nullptr)) / 86400, 14.0 / 24 + 1.0 / 1440);
}

// Two-digit years are written within 1950..2049 only, since only those read back; the time
// unless it is exactly midnight.
TEST(DateTimeText, ReadsDayMonthYearAndOptionalTimeRefusesEverythingElseAndWritesWhatReadsBack) {
  // clang-format off
  const std::pair<const char*, CivilDateTime> read[] = {
      {" 25.07.1997 01:51:38 ", {1997, 7, 25, 1, 51, 38}}, {"25.07.97 01:51", {1997, 7, 25, 1, 51, 0}},
      {"1.2.03", {2003, 2, 1}}, {"31.12.49", {2049, 12, 31}}, {"01.01.50", {1950, 1, 1}}, {"29.02.2000", {2000, 2, 29}},
      {"01.01.0001 00:00", {1, 1, 1}}, {"31.12.9999", {9999, 12, 31}}};
  const char* const refused[] = {"", "25.07", "25/07/97", "1997.07.25", "31.04.2000", "29.02.1900", "29.02.2100",
      "00.01.2000", "01.13.2000", "01.01.0000", "01.01.197", "25.07.97x", "25.07.97 24:00", "25.07.97 23:60",
      "25.07.97 12:00:60", "25.07.97 01", "25.07.97 01:51:", "25.07.97 01:51:38:00", "25.07.97 01:51:38.5"};
  const std::pair<CivilDateTime, const char*> written[] = {
      {{2000, 1, 1}, "01.01.00"}, {{2000, 1, 1, 0, 0, 0, 400}, "01.01.00 00:00:00"}, {{2050, 1, 1}, "01.01.2050"},
      {{1950, 6, 5, 13, 4, 5}, "05.06.50 13:04:05"}, {{2049, 12, 31, 12}, "31.12.49 12:00:00"},
      {{1899, 12, 29, 6}, "29.12.1899 06:00:00"}};
  // clang-format on
  for (const auto& [text, civil] : read) EXPECT_EQ(Shown(DecodeDateTime(StrToDateTime(text))), Shown(civil)) << text;
  const std::string invalid = "' ist keine gültige Datums- und Uhrzeitangabe";
  for (const char* text : refused) EXPECT_THROW_MSG(StrToDateTime(text), ConversionError, "'" + (text + invalid));
  for (const auto& [civil, text] : written) EXPECT_EQ(DateTimeToText(EncodeDateTime(civil)), text);
}

}  // namespace
}  // namespace zamo
