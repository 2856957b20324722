#pragma once

#include <cstdint>
#include <string_view>

#include "model/Real.h"

namespace zamo {

// The float conversion used for every number text, read or written: leading and trailing
// blanks, an optional sign, digits with at most one ".", and an optional exponent ("E" or
// "e", optional sign, digits). Nothing else: no thousands separators, no "inf" or "nan", no
// hexadecimal. The decimal separator is always ".". A value beyond the extended range is
// refused; one below it becomes 0. Throws ConversionError ("'%s' ist kein gültiger
// Gleitkommawert").
Real StrToFloat(std::string_view text);

// Like StrToFloat, but answers false instead of throwing.
bool TryStrToFloat(std::string_view text, Real& value);

// The integer conversion: leading blanks, an optional sign and decimal digits, nothing after
// them, within the signed 32-bit range. Throws ConversionError ("'%s' ist kein gültiger
// Integerwert").
std::int32_t StrToInt(std::string_view text);

// A reaction time in minutes, written as the float conversion takes it, to whole seconds:
// the exact decimal value of the text times 60, truncated toward zero ("4.2" gives 252,
// "4.25" gives 255, "-0.0125" gives 0), however many digits it has. False when the text is
// no number or the seconds lie outside the signed 32-bit range. Every reader of minutes
// converts them here, so that no binary rounding of the value can cost a second.
bool MinutesToSeconds(std::string_view text, std::int32_t& seconds);

// Truncation toward zero to a signed 32-bit value; false when the value is not a number or
// lies outside the range.
bool TruncToInt32(Real value, std::int32_t& result);

// Rounds to the nearest integer with halves to the even neighbour (pixel coordinates and
// progress positions). Values beyond the int range are clamped to it; NaN gives 0.
int nearest(Real value);

}  // namespace zamo
