#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "model/RateConstantStep.h"

namespace zamo {
namespace {

// Expected values are decimal literals; the unit comes from exp and log, so the results
// may differ from them in the last bits of the extended significand.
constexpr Real kRelativeTolerance = 1E-15L;

void ExpectClose(Real actual, Real expected) {
  EXPECT_NEAR(static_cast<double>(actual), static_cast<double>(expected),
              static_cast<double>(std::fabs(expected) * kRelativeTolerance))
      << "expected " << static_cast<double>(expected);
}

TEST(RateConstantClamp, KeepsZeroToOneAndLimitsTheRest) {
  struct Case {
    Real value;
    Real expected;
  };
  const Case cases[] = {{2, 1}, {1.0000001L, 1}, {1, 1}, {0.3L, 0.3L}, {0, 0}, {-1E-30L, 0}, {-5, 0}};
  for (const Case& c : cases) EXPECT_EQ(ClampRate(c.value), c.expected) << static_cast<double>(c.value);
}

TEST(RateConstantUnit, IsThePlaceOfTheMantissasFirstDigit) {
  struct Case {
    Real k;
    Real unit;
  };
  const Case cases[] = {
      {1.26E-06L, 1E-06L},
      {9.93E-07L, 1E-07L},
      {2.659E-04L, 1E-04L},
      {0.5L, 0.1L},
      {0.999L, 0.1L},
      {1, 0.1L},
      {2E-45L, 1E-45L},
      // No logarithm of zero or of a negative constant: both use 1E-40 in its place.
      {0, 1E-41L},
      {-0.5L, 1E-41L},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<double>(c.k));
    ExpectClose(RateStepUnit(c.k), c.unit);
  }
}

struct Step {
  const char* Name;
  Real K;
  int Stepper;
  bool Up;
  Real Expected;
};

// Steppers 1, 2 and 3 move the second, third and fourth mantissa digit; the result stays
// within 0..1.
const Step kSteps[] = {
    {"FirstUp", 1.26E-06L, 1, true, 1.27E-06L},
    {"SecondUp", 1.26E-06L, 2, true, 1.261E-06L},
    {"ThirdUp", 1.26E-06L, 3, true, 1.2601E-06L},
    {"FirstDown", 1.26E-06L, 1, false, 1.25E-06L},
    {"ThirdDown", 1.26E-06L, 3, false, 1.2599E-06L},
    {"CarriesIntoFirstDigit", 1.99E-06L, 1, true, 2.0E-06L},
    {"OneDownByThousandth", 1, 1, false, 0.999L},
    {"OneUpStaysOne", 1, 3, true, 1},
    {"NearOneUpClampsToOne", 0.9995L, 1, true, 1},
    {"ZeroUpFirst", 0, 1, true, 1E-43L},
    {"ZeroUpSecond", 0, 2, true, 1E-44L},
    {"ZeroUpThird", 0, 3, true, 1E-45L},
    {"ZeroDownStaysZero", 0, 1, false, 0},
    {"NegativeUpStepsFromZero", -0.5L, 1, true, 1E-43L},
    {"NegativeDownBecomesZero", -0.5L, 3, false, 0},
};

class RateConstantStep : public testing::TestWithParam<Step> {};

TEST_P(RateConstantStep, MovesOneDigitWithinZeroToOne) {
  const Step& s = GetParam();
  const Real stepped = SteppedRate(s.K, s.Stepper, s.Up);
  if (s.Expected == 0 || s.Expected == 1) {
    EXPECT_EQ(stepped, s.Expected);
  } else {
    ExpectClose(stepped, s.Expected);
  }
}

std::string StepName(const testing::TestParamInfo<Step>& step) { return step.param.Name; }

INSTANTIATE_TEST_SUITE_P(Steps, RateConstantStep, testing::ValuesIn(kSteps), StepName);

TEST(RateConstantSteps, HeldUpArrowStopsAtOne) {
  Real k = 0.95L;
  for (int i = 0; i < 100; ++i) k = SteppedRate(k, 1, true);
  EXPECT_EQ(k, 1);
}

}  // namespace
}  // namespace zamo
