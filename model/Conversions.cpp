#include "model/Conversions.h"

#include <locale.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "model/PlatformTexts.h"
#include "model/ZamoError.h"

namespace zamo {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// True when text is exactly: optional sign, digits with at most one ".", at least one digit,
// then optionally "E"/"e", an optional sign and at least one digit.
bool IsFloatSyntax(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  int mantissaDigits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
      ++mantissaDigits;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (mantissaDigits == 0) return false;
  if (i == text.size()) return true;
  if (text[i] != 'E' && text[i] != 'e') return false;
  ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  int exponentDigits = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) ++exponentDigits;
  return exponentDigits > 0 && i == text.size();
}

// The C locale, so that the process locale can never change the decimal separator.
locale_t CLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

}  // namespace

bool TryStrToFloat(std::string_view text, Real& value) {
  const std::string_view number = TrimBlanks(text);
  if (!IsFloatSyntax(number)) return false;
  const std::string copy(number);
  const Real parsed = strtold_l(copy.c_str(), nullptr, CLocale());
  if (std::isinf(parsed)) return false;
  value = parsed;
  return true;
}

Real StrToFloat(std::string_view text) {
  Real value = 0;
  if (!TryStrToFloat(text, value)) throw ConversionError(texts::NotAFloat(text));
  return value;
}

bool MinutesToSeconds(std::string_view text, std::int32_t& seconds) {
  const std::string_view number = TrimBlanks(text);
  if (!IsFloatSyntax(number)) return false;
  std::size_t i = 0;
  const bool negative = number[i] == '-';
  if (number[i] == '+' || number[i] == '-') ++i;

  // The value is 0.DIGITS x 10^point: the mantissa's digits without leading zeros, and
  // where the decimal point stands before them.
  std::string digits;
  std::int64_t point = 0;
  bool afterPoint = false;
  for (; i < number.size() && number[i] != 'E' && number[i] != 'e'; ++i) {
    if (number[i] == '.') {
      afterPoint = true;
    } else if (digits.empty() && number[i] == '0') {
      if (afterPoint) --point;
    } else {
      digits += number[i];
      if (!afterPoint) ++point;
    }
  }
  if (i < number.size()) {
    // The exponent, saturated far beyond any value that matters here.
    ++i;
    const bool down = number[i] == '-';
    if (number[i] == '+' || number[i] == '-') ++i;
    std::int64_t exponent = 0;
    for (; i < number.size(); ++i) exponent = std::min<std::int64_t>(exponent * 10 + (number[i] - '0'), 1'000'000);
    point += down ? -exponent : exponent;
  }
  if (digits.empty() || point < -1) {
    // Zero, or below a hundredth of a minute (less than 0.6 s).
    seconds = 0;
    return true;
  }
  // 2^31 s is about 3.6e7 minutes: more than eight whole digits are out of range.
  if (point > 8) return false;

  // Whole minutes times 60, plus the fraction times 60, truncated: the fraction's digits
  // multiplied by 60 from the last one on; the carry left at the point is its whole part.
  const auto whole = static_cast<std::size_t>(std::max<std::int64_t>(point, 0));
  std::int64_t result = 0;
  for (std::size_t d = 0; d < whole; ++d) result = result * 10 + (d < digits.size() ? digits[d] - '0' : 0);
  result *= 60;
  int carry = 0;
  for (std::size_t d = digits.size(); d > whole; --d) carry = ((digits[d - 1] - '0') * 60 + carry) / 10;
  // With the point one place before the digits the fraction is 0.0DIGITS: one more shift.
  if (point == -1) carry /= 10;
  result += carry;

  const std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + (negative ? 1 : 0);
  if (result > limit) return false;
  seconds = static_cast<std::int32_t>(negative ? -result : result);
  return true;
}

std::int32_t StrToInt(std::string_view text) {
  std::string_view rest = text;
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  bool negative = false;
  if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
    negative = rest.front() == '-';
    rest.remove_prefix(1);
  }
  if (rest.empty()) throw ConversionError(texts::NotAnInteger(text));
  // Accumulated as a magnitude in 64 bits; more digits than any int32 needs are refused
  // before they could overflow.
  std::int64_t magnitude = 0;
  for (const char c : rest) {
    if (!IsDigit(c)) throw ConversionError(texts::NotAnInteger(text));
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) {
      throw ConversionError(texts::NotAnInteger(text));
    }
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<std::int32_t>::max()) throw ConversionError(texts::NotAnInteger(text));
  return static_cast<std::int32_t>(value);
}

bool TruncToInt32(Real value, std::int32_t& result) {
  if (std::isnan(value)) return false;
  const Real truncated = std::trunc(value);
  if (truncated < std::numeric_limits<std::int32_t>::min() || truncated > std::numeric_limits<std::int32_t>::max()) {
    return false;
  }
  result = static_cast<std::int32_t>(truncated);
  return true;
}

int nearest(Real value) {
  if (std::isnan(value)) return 0;
  constexpr Real lowest = std::numeric_limits<int>::min();
  constexpr Real highest = std::numeric_limits<int>::max();
  if (value <= lowest) return std::numeric_limits<int>::min();
  if (value >= highest) return std::numeric_limits<int>::max();
  // Halves to even, independent of the process rounding mode.
  const Real lower = std::floor(value);
  const Real fraction = value - lower;
  Real rounded = lower;
  if (fraction > 0.5L) {
    rounded = lower + 1;
  } else if (fraction == 0.5L) {
    rounded = std::fmod(lower, 2.0L) == 0 ? lower : lower + 1;
  }
  return static_cast<int>(rounded);
}

}  // namespace zamo
