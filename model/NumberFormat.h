#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/Real.h"

namespace zamo {

// Formats a value with a format pattern, the one formatter behind every number the user
// reads. A pattern has up to three sections separated by ";": for positive values, for
// negative values and for zero. In a section, "0" is a digit that is always written, "#" a
// digit written only when significant, "." the decimal point, "E+00"/"E-00" a scientific
// exponent (sign always / only when negative, at least as many digits as zeros); any other
// character, or text in quotes, is written as it stands.
//
// Rounding: the value is first rounded to 18 significant decimal digits, then at the
// pattern's last digit with halves away from zero. A value that rounds to zero takes the
// zero section when there is one and is never written with a minus sign. A negative value
// takes the negative section when there is one (which then carries its own sign); otherwise
// it is written with a leading "-".
std::string FormatFloat(std::string_view pattern, Real value);

// The general float text: the shortest decimal form with at most 15 significant digits, "."
// as the decimal point and no trailing zeros (210.1 gives "210.1", 200.0 gives "200"). Very
// large or small magnitudes use a plain exponent ("1.5E20", "1E-6").
std::string FloatToText(Real value);

// The value formatted with pattern, padded with blanks on the left to width characters;
// a longer text keeps only its last width characters.
std::string PaddedField(Real value, std::string_view pattern, int width);

// Appends prefix followed by the padded fields of values, separatorBlanks blanks between
// them (none after the last), as one line.
void AddNumberRow(std::vector<std::string>& lines, std::string_view prefix, std::string_view pattern,
                  std::span<const Real> values, int separatorBlanks, int width);

}  // namespace zamo
