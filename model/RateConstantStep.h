#pragma once

#include <string_view>

#include "model/Real.h"

namespace zamo {

// A rate constant as the panel stores it: values above 1 become 1, below 0 become 0.
Real ClampRate(Real value);

// A typed or pasted text as the constant it stores: blanks and line ends around it are
// dropped, the rest takes the float conversion (ConversionError when it is no number), and
// the value is clamped to 0..1.
Real RateFromText(std::string_view text);

// The place value the three steppers work in: 10 raised to the integer part, truncated
// toward zero, of log10(k) - 1, computed as exp(trunc(ln(k) / ln(10) - 1) * ln(10)). For the
// usual constants below 1 this is the place of the mantissa's first digit. k = 0, and a
// negative k (which only a hand-made project text can hold), use 1E-40 in its place, so that
// no logarithm of a non-positive number is ever taken.
Real RateStepUnit(Real k);

// The constant after one click of stepper 1, 2 or 3 (a hundredth, thousandth or ten
// thousandth of the unit), up or down, clamped to 0..1. A non-positive k steps from 0.
Real SteppedRate(Real k, int stepper, bool up);

}  // namespace zamo
