#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model/ClosedForm.h"
#include "model/Dual.h"
#include "model/IsoprCalcConc.h"
#include "tests/core/ExactReference.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

using Jet = Dual<kRateConstantCount>;

// The example and the degenerate and nearly degenerate cases of the closed form: the
// derivatives must be as exact there as the values.
const RateSet kSets[] = {
    {"Example", ExampleRates()},
    {"EqualDecayConstants", Rates({0, 2.1e-5L, 0, 0, 0, 1.2e-5L, 0}, {1.3e-5L, 2.0e-5L, 0, 0, 0, 0, 0}, 1e-5L, 2e-5L)},
    {"NearlyEqualDecayConstants",
     Rates({0, 2.1e-5L, 0, 0, 0, 1.2e-5L, 0}, {1.3e-5L, 2.0e-5L + 1e-17L, 0, 0, 0, 0, 0}, 1e-5L, 2e-5L)},
    {"AllThreeMeet", Rates({0, 1e-4L, 0, 0, 0, 1e-4L, 0}, {5e-5L, 0, 0, 0, 0, 5e-5L, 1e-4L}, 1e-4L, 1e-4L)},
    {"NoGHExchange", WithMu(ExampleRates(), 0)},
    {"MuAtFastDecay", WithMu(Rates({0, 1e-4L, 1e-4L, 0, 0, 5e-5L, 5e-5L}, {0, 5e-5L, 0, 0, 0, 0, 5e-5L}, 0, 0), 3e-4L)},
    {"AInert", Rates({0, 0, 0, 0, 0, 0, 0}, {3e-5L, 1e-5L, 2e-5L, 0, 0, 4e-5L, 1e-5L}, 2e-5L, 3e-4L)},
    {"BInert", Rates({1e-5L, 2e-5L, 0, 3e-5L, 0, 1e-5L, 1e-5L}, {0, 0, 0, 0, 0, 0, 0}, 2e-5L, 3e-4L)},
};

class JacobianTest : public testing::TestWithParam<RateSet> {};

// Against the derivatives of the quadruple-precision matrix exponential, each compared in
// units of the change that a relative step of k (or an absolute step of 1/t for a zero
// constant) makes; the values are those of the plain evaluation to the last bit, and those
// the reference's.
TEST_P(JacobianTest, MatchesExactDerivativesAndThePlainValues) {
  const RateConstants& k = GetParam().K;
  OneBased<Jet, kRateConstantCount> seeded;
  for (int i = 1; i <= kRateConstantCount; ++i) seeded[i] = Jet::Parameter(k[i], i - 1);
  BasicCoefficientSet<Jet> set;
  ASSERT_FALSE(PrepareClosedForm(seeded, std::nullopt, set).has_value());
  const CoefficientSet plain = PrepareCoefficients(k);
  for (const Side side : {Side::Left, Side::Right}) {
    for (const Real t : {0.0L, 100.0L, 1e3L, 1e4L, 1e5L, 1e6L}) {
      OneBased<Jet, kSpeciesCount> x;
      ASSERT_FALSE(EvaluateClosedForm(set, side, t, x).has_value());
      const Concentrations c = CalcConc(plain, side, t);
      for (int s = 1; s <= kSpeciesCount; ++s) EXPECT_EQ(x[s].Value, c[s]) << "species " << s << " at t = " << t;
      const SpeciesValues value = test::ExactConcentrations(k, side, t);
      for (int s = 1; s <= kSpeciesCount; ++s)
        EXPECT_NEAR(c[s], value[s], 1e-15L) << "species " << s << " at t = " << t;
      for (int i = 1; t > 0 && t < 1e6L && i <= kRateConstantCount; ++i) {
        const SpeciesValues exact = test::ExactDerivatives(k, i, side, t);
        const Real unit = k[i] + 1 / t;
        for (int s = 1; s <= kSpeciesCount; ++s) {
          EXPECT_NEAR(x[s].Slope[static_cast<std::size_t>(i - 1)] * unit, exact[s] * unit, 1e-16L)
              << "d species " << s << " / d k" << i << " at t = " << t;
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(JacobianSets, JacobianTest, testing::ValuesIn(kSets),
                         [](const testing::TestParamInfo<RateSet>& p) { return p.param.Name; });

}  // namespace
}  // namespace zamo
