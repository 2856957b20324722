#include "model/RateConstantStep.h"

#include <cassert>
#include <cmath>

#include "model/Conversions.h"

namespace zamo {

Real ClampRate(Real value) {
  if (value > 1) return 1;
  if (value < 0) return 0;
  return value;
}

Real RateFromText(std::string_view text) {
  const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return ClampRate(StrToFloat(text));
}

Real RateStepUnit(Real k) {
  const Real reference = k > 0 ? k : 1E-40L;
  const Real ln10 = std::log(10.0L);
  return std::exp(std::trunc(std::log(reference) / ln10 - 1) * ln10);
}

Real SteppedRate(Real k, int stepper, bool up) {
  assert(stepper >= 1 && stepper <= 3);
  static constexpr Real kDivisor[3] = {100, 1000, 10000};
  const Real step = (up ? 1 : -1) / kDivisor[stepper - 1];
  const Real from = k > 0 ? k : 0;
  return ClampRate(from + RateStepUnit(k) * step);
}

}  // namespace zamo
