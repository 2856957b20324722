#pragma once

#include <string>
#include <string_view>

namespace zamo {

// A date and time as days since 30 December 1899, with the time of day as the fraction
// (for days before that date the fraction still counts forward from midnight).
using DateTime = double;

struct CivilDateTime {
  int Year = 1899;
  int Month = 12;
  int Day = 30;
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  int Millisecond = 0;
};

DateTime EncodeDateTime(const CivilDateTime& civil);
CivilDateTime DecodeDateTime(DateTime value);

// The date-time conversion: day.month.year with a two- or four-digit year (00..49 are
// 2000..2049, 50..99 are 1950..1999), optionally followed by a blank and hh:mm or hh:mm:ss
// in 24-hour time. Surrounding blanks are allowed. Throws ConversionError ("'%s' ist keine
// gültige Datums- und Uhrzeitangabe").
DateTime StrToDateTime(std::string_view text);

// "dd.mm.yy hh:mm:ss", or "dd.mm.yy" alone when the value is exactly midnight; the year has
// four digits ("dd.mm.yyyy") outside 1950..2049, where two would read back as another year.
std::string DateTimeToText(DateTime value);

// The local date and time now.
DateTime CurrentDateTime();

}  // namespace zamo
