#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "model/RateConstantStep.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

// Units from exp and log may miss the decimal literals in the last bits (0 is exact).
TEST(RateConstantStep, ClampsUnitsAndSteps) {
  using Pairs = std::pair<Real, Real>[];
  for (const auto& [value, clamped] : Pairs{{2, 1}, {1.0000001L, 1}, {0.3L, 0.3L}, {-1E-30L, 0}}) {
    EXPECT_EQ(ClampRate(value), clamped) << static_cast<double>(value);
  }
  // The place of the mantissa's first digit; 0 and negative constants use 1E-40 instead.
  for (const auto& [k, unit] : Pairs{{1.26E-06L, 1E-06L},
                                     {9.93E-07L, 1E-07L},
                                     {0.999L, 0.1L},
                                     {1, 0.1L},
                                     {2E-45L, 1E-45L},
                                     {0, 1E-41L},
                                     {-0.5L, 1E-41L}}) {
    EXPECT_TRUE(NearRelative(RateStepUnit(k), unit, 1e-15L)) << static_cast<double>(k);
  }
  // Steppers 1, 2 and 3 move the second, third and fourth mantissa digit within 0..1.
  for (const auto& [k, stepper, up, expected] :
       std::initializer_list<std::tuple<Real, int, bool, Real>>{{1.26E-06L, 1, true, 1.27E-06L},
                                                                {1.26E-06L, 2, true, 1.261E-06L},
                                                                {1.26E-06L, 3, false, 1.2599E-06L},
                                                                {1.99E-06L, 1, true, 2.0E-06L},
                                                                {1, 1, false, 0.999L},
                                                                {0.9995L, 1, true, 1},
                                                                {0, 1, true, 1E-43L},
                                                                {0, 3, true, 1E-45L},
                                                                {0, 1, false, 0},
                                                                {-0.5L, 1, true, 1E-43L},
                                                                {-0.5L, 3, false, 0}}) {
    EXPECT_TRUE(NearRelative(SteppedRate(k, stepper, up), expected, 1e-15L))
        << static_cast<double>(k) << " " << stepper;
  }
  Real held = 0.95L;
  for (int i = 0; i < 100; ++i) held = SteppedRate(held, 1, true);
  EXPECT_EQ(held, 1);
}

}  // namespace
}  // namespace zamo
