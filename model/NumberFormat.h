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

// The texts of the result tables (fit, series, model selection): printf's "%.*Le", "%.*Lf"
// and "%.*Lg" with `digits` digits, and kMissing for a value that is not finite (a standard
// error the data do not determine, a statistic without degrees of freedom).
inline constexpr std::string_view kMissing = "-";
std::string ScientificText(Real value, int digits);
std::string FixedText(Real value, int digits);
std::string GeneralText(Real value, int digits);

// A value and its standard error as a chemist quotes them: the error to two significant
// digits and the value rounded at the same decimal place ("164.93", "0.64"; "-1000",
// "23000"). Without a finite positive error the value keeps `digits` significant digits
// and the error is kMissing.
struct ValueAndError {
  std::string Value;
  std::string Error;
};
ValueAndError RoundToError(Real value, Real error, int digits = 6);

// "164.93 ± 0.64", from RoundToError.
std::string ValueWithError(Real value, Real error, int digits = 6);

// Rows of cells as lines of columns, each column as wide as its widest cell and two blanks
// from the next, so that no two columns touch whatever the numbers; no blanks end a line.
std::vector<std::string> AlignColumns(const std::vector<std::vector<std::string>>& rows);

// The value formatted with pattern, padded with blanks on the left to width characters;
// a longer text keeps only its last width characters.
std::string PaddedField(Real value, std::string_view pattern, int width);

// Appends prefix followed by the padded fields of values, separatorBlanks blanks between
// them (none after the last), as one line.
void AddNumberRow(std::vector<std::string>& lines, std::string_view prefix, std::string_view pattern,
                  std::span<const Real> values, int separatorBlanks, int width);

}  // namespace zamo
