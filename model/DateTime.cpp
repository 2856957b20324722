#include "model/DateTime.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>

#include "model/PlatformTexts.h"
#include "model/ZamoError.h"

namespace zamo {

namespace {

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

// Days since 1 January 1970 of a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0));
}

// Compile-time constants, so that no static initialisation order can see them unset.
constexpr std::int64_t kEpochDays = DaysFromCivil(1899, 12, 30);
// Year 1 to year 9999, the range a date text can name.
constexpr std::int64_t kFirstDay = DaysFromCivil(1, 1, 1) - kEpochDays;
constexpr std::int64_t kLastDay = DaysFromCivil(9999, 12, 31) - kEpochDays;
static_assert(kEpochDays == -25569);

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Reads 1..maxDigits decimal digits at pos; false when there is none.
bool ReadNumber(std::string_view text, std::size_t& pos, int maxDigits, int& value, int& digits) {
  value = 0;
  digits = 0;
  while (pos < text.size() && digits < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos] - '0');
    ++pos;
    ++digits;
  }
  return digits > 0;
}

bool Expect(std::string_view text, std::size_t& pos, char c) {
  if (pos >= text.size() || text[pos] != c) return false;
  ++pos;
  return true;
}

bool ParseDateTime(std::string_view text, CivilDateTime& result) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  std::size_t pos = 0;
  int digits = 0;
  CivilDateTime civil;
  if (!ReadNumber(text, pos, 2, civil.Day, digits) || !Expect(text, pos, '.')) return false;
  if (!ReadNumber(text, pos, 2, civil.Month, digits) || !Expect(text, pos, '.')) return false;
  if (!ReadNumber(text, pos, 4, civil.Year, digits)) return false;
  if (digits == 2) {
    civil.Year += civil.Year < 50 ? 2000 : 1900;
  } else if (digits != 4) {
    return false;
  }
  if (pos < text.size()) {
    if (text[pos] != ' ') return false;
    while (pos < text.size() && text[pos] == ' ') ++pos;
    if (!ReadNumber(text, pos, 2, civil.Hour, digits) || !Expect(text, pos, ':')) return false;
    if (!ReadNumber(text, pos, 2, civil.Minute, digits)) return false;
    if (pos < text.size()) {
      if (!Expect(text, pos, ':') || !ReadNumber(text, pos, 2, civil.Second, digits)) return false;
    }
    if (pos != text.size()) return false;
  }
  if (civil.Year < 1 || civil.Month < 1 || civil.Month > 12) return false;
  if (civil.Day < 1 || civil.Day > DaysInMonth(civil.Year, civil.Month)) return false;
  if (civil.Hour > 23 || civil.Minute > 59 || civil.Second > 59) return false;
  result = civil;
  return true;
}

}  // namespace

DateTime EncodeDateTime(const CivilDateTime& civil) {
  const auto days = static_cast<double>(
      DaysFromCivil(civil.Year, static_cast<unsigned>(civil.Month), static_cast<unsigned>(civil.Day)) - kEpochDays);
  const double time =
      static_cast<double>(((civil.Hour * 60 + civil.Minute) * 60 + civil.Second) * 1000 + civil.Millisecond) /
      static_cast<double>(kMillisecondsPerDay);
  return days >= 0 ? days + time : days - time;
}

CivilDateTime DecodeDateTime(DateTime value) {
  if (!std::isfinite(value)) value = 0;
  double whole = std::trunc(value);
  whole = std::fmax(static_cast<double>(kFirstDay), std::fmin(static_cast<double>(kLastDay), whole));
  auto days = static_cast<std::int64_t>(whole);
  std::int64_t ms = std::llround(std::fabs(value - std::trunc(value)) * static_cast<double>(kMillisecondsPerDay));
  if (ms >= kMillisecondsPerDay) {
    ms -= kMillisecondsPerDay;
    days += value >= 0 ? 1 : -1;
  }
  CivilDateTime civil;
  CivilFromDays(days + kEpochDays, civil.Year, civil.Month, civil.Day);
  civil.Hour = static_cast<int>(ms / 3'600'000);
  civil.Minute = static_cast<int>(ms / 60'000 % 60);
  civil.Second = static_cast<int>(ms / 1000 % 60);
  civil.Millisecond = static_cast<int>(ms % 1000);
  return civil;
}

DateTime StrToDateTime(std::string_view text) {
  CivilDateTime civil;
  if (!ParseDateTime(text, civil)) throw ConversionError(texts::NotADateTime(text));
  return EncodeDateTime(civil);
}

std::string DateTimeToText(DateTime value) {
  const CivilDateTime c = DecodeDateTime(value);
  char buffer[64];
  // Two digits where they read back to the same year, all four elsewhere.
  const bool twoDigits = c.Year >= 1950 && c.Year <= 2049;
  const int year = twoDigits ? c.Year % 100 : c.Year;
  const int width = twoDigits ? 2 : 4;
  if (c.Hour == 0 && c.Minute == 0 && c.Second == 0 && c.Millisecond == 0) {
    std::snprintf(buffer, sizeof buffer, "%02d.%02d.%0*d", c.Day, c.Month, width, year);
  } else {
    std::snprintf(buffer, sizeof buffer, "%02d.%02d.%0*d %02d:%02d:%02d", c.Day, c.Month, width, year, c.Hour, c.Minute,
                  c.Second);
  }
  return buffer;
}

DateTime CurrentDateTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  CivilDateTime civil;
  civil.Year = local.tm_year + 1900;
  civil.Month = local.tm_mon + 1;
  civil.Day = local.tm_mday;
  civil.Hour = local.tm_hour;
  civil.Minute = local.tm_min;
  civil.Second = local.tm_sec > 59 ? 59 : local.tm_sec;
  return EncodeDateTime(civil);
}

}  // namespace zamo
