#pragma once

#include <limits>

namespace zamo {

// Every real number of the computation: concentrations, rate constants, temperatures,
// deviations. It must be the 80-bit extended type with its 64-bit significand; a platform
// whose long double is narrower would silently change every printed digit.
using Real = long double;

static_assert(std::numeric_limits<Real>::digits == 64,
              "Zamo needs long double to be the 80-bit extended type (64-bit significand)");
static_assert(std::numeric_limits<Real>::is_iec559);

}  // namespace zamo
