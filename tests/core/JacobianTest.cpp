#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "model/ClosedForm.h"
#include "model/Dual.h"
#include "model/IsoprCalcConc.h"
#include "tests/core/ExactReference.h"

namespace zamo {
namespace {

using Jet = Dual<kRateConstantCount>;

RateConstants Rates(const std::array<Real, 7>& fromA, const std::array<Real, 7>& fromB, Real k15, Real k16) {
  RateConstants k;
  for (int i = 0; i < 7; ++i) {
    k[i + 1] = fromA[static_cast<std::size_t>(i)];
    k[i + 8] = fromB[static_cast<std::size_t>(i)];
  }
  k[15] = k15;
  k[16] = k16;
  return k;
}

struct RateSet {
  std::string Name;
  RateConstants K;
};
void PrintTo(const RateSet& set, std::ostream* os) { *os << set.Name; }

const RateConstants kExample = Rates({1.260E-06L, 1.030E-05L, 8.500E-08L, 3.100E-07L, 2.335E-05L, 0, 1.980E-05L},
                                     {3.623E-05L, 1.740E-05L, 9.930E-07L, 0, 0, 0, 7.320E-05L}, 2.154E-05L, 2.659E-04L);

RateConstants WithMu(RateConstants k, Real mu) {
  k[15] = k[16] = mu / 2;
  return k;
}

// The example and the degenerate and nearly degenerate cases of the closed form: the
// derivatives must be as exact there as the values.
const RateSet kSets[] = {
    {"Example", kExample},
    {"EqualDecayConstants", Rates({0, 2.1e-5L, 0, 0, 0, 1.2e-5L, 0}, {1.3e-5L, 2.0e-5L, 0, 0, 0, 0, 0}, 1e-5L, 2e-5L)},
    {"NearlyEqualDecayConstants",
     Rates({0, 2.1e-5L, 0, 0, 0, 1.2e-5L, 0}, {1.3e-5L, 2.0e-5L + 1e-17L, 0, 0, 0, 0, 0}, 1e-5L, 2e-5L)},
    {"AllThreeMeet", Rates({0, 1e-4L, 0, 0, 0, 1e-4L, 0}, {5e-5L, 0, 0, 0, 0, 5e-5L, 1e-4L}, 1e-4L, 1e-4L)},
    {"NoGHExchange", WithMu(kExample, 0)},
    {"MuAtFastDecay", WithMu(Rates({0, 1e-4L, 1e-4L, 0, 0, 5e-5L, 5e-5L}, {0, 5e-5L, 0, 0, 0, 0, 5e-5L}, 0, 0), 3e-4L)},
    {"AInert", Rates({0, 0, 0, 0, 0, 0, 0}, {3e-5L, 1e-5L, 2e-5L, 0, 0, 4e-5L, 1e-5L}, 2e-5L, 3e-4L)},
    {"BInert", Rates({1e-5L, 2e-5L, 0, 3e-5L, 0, 1e-5L, 1e-5L}, {0, 0, 0, 0, 0, 0, 0}, 2e-5L, 3e-4L)},
};

// The solution with the derivatives with respect to all sixteen constants, at 0 included.
std::vector<OneBased<Jet, kSpeciesCount>> Differentiated(const RateConstants& k, Side side,
                                                         const std::vector<Real>& times) {
  OneBased<Jet, kRateConstantCount> seeded;
  for (int i = 1; i <= kRateConstantCount; ++i) seeded[i] = Jet::Parameter(k[i], i - 1);
  BasicCoefficientSet<Jet> set;
  EXPECT_FALSE(PrepareClosedForm(seeded, std::nullopt, set).has_value());
  std::vector<OneBased<Jet, kSpeciesCount>> result;
  for (const Real t : times) {
    OneBased<Jet, kSpeciesCount> x;
    EXPECT_FALSE(EvaluateClosedForm(set, side, t, x).has_value());
    result.push_back(x);
  }
  return result;
}

class JacobianTest : public testing::TestWithParam<RateSet> {};

// Against the derivatives of the quadruple-precision matrix exponential. Each derivative is
// compared in units of the change that a relative step of k (or an absolute step of 1/t for a
// zero constant) makes.
TEST_P(JacobianTest, MatchesExactDerivatives) {
  const RateConstants& k = GetParam().K;
  const std::vector<Real> times = {100, 1e3L, 1e4L, 1e5L};
  for (const Side side : {Side::Left, Side::Right}) {
    const auto x = Differentiated(k, side, times);
    for (std::size_t n = 0; n < times.size(); ++n) {
      const Real t = times[n];
      for (int i = 1; i <= kRateConstantCount; ++i) {
        const SpeciesValues exact = test::ExactDerivatives(k, i, side, t);
        const Real unit = k[i] + 1 / t;
        for (int s = 1; s <= kSpeciesCount; ++s) {
          EXPECT_NEAR(x[n][s].Slope[static_cast<std::size_t>(i - 1)] * unit, exact[s] * unit, 1e-16L)
              << "d species " << s << " / d k" << i << " at t = " << t;
        }
      }
    }
  }
}

// Against central differences of the extended-precision closed form itself, which also
// checks that values and derivatives come from the same arithmetic.
TEST_P(JacobianTest, MatchesCentralDifferencesOfTheValues) {
  const RateConstants& k = GetParam().K;
  const std::vector<Real> times = {60, 1800, 36000};
  for (const Side side : {Side::Left, Side::Right}) {
    const auto x = Differentiated(k, side, times);
    for (int i = 1; i <= kRateConstantCount; ++i) {
      // Steps of 1e-6 relative: truncation 1e-12, rounding 1e-19 / 1e-6 = 1e-13. A zero
      // constant is stepped forward only (a negative one may have no real decay constants),
      // with the second-order one-sided formula.
      const Real h = std::max(k[i], Real(1e-5L)) * 1e-6L;
      const auto at = [&](Real step) {
        RateConstants moved = k;
        moved[i] += step;
        return PrepareCoefficients(moved);
      };
      const bool central = k[i] > 0;
      const CoefficientSet first = at(central ? h : 0);
      const CoefficientSet second = at(central ? -h : h);
      const CoefficientSet third = at(2 * h);
      for (std::size_t n = 0; n < times.size(); ++n) {
        const Concentrations a = CalcConc(first, side, times[n]);
        const Concentrations b = CalcConc(second, side, times[n]);
        const Concentrations c = CalcConc(third, side, times[n]);
        for (int s = 1; s <= kSpeciesCount; ++s) {
          const Real difference = central ? (a[s] - b[s]) / (2 * h) : (-3 * a[s] + 4 * b[s] - c[s]) / (2 * h);
          EXPECT_NEAR(x[n][s].Slope[static_cast<std::size_t>(i - 1)] * h, difference * h, 1e-17L)
              << "d species " << s << " / d k" << i << " at t = " << times[n];
        }
      }
    }
  }
}

std::string SetName(const testing::TestParamInfo<RateSet>& param) { return param.param.Name; }

INSTANTIATE_TEST_SUITE_P(JacobianSets, JacobianTest, testing::ValuesIn(kSets), SetName);

// The values of the differentiated evaluation are those of the plain one, to the last bit.
TEST(JacobianValues, EqualThePlainEvaluation) {
  for (const RateSet& set : kSets) {
    const std::vector<Real> times = {0, 60, 1800, 36000, 1e6L};
    for (const Side side : {Side::Left, Side::Right}) {
      const auto x = Differentiated(set.K, side, times);
      const CoefficientSet plain = PrepareCoefficients(set.K);
      for (std::size_t n = 0; n < times.size(); ++n) {
        const Concentrations c = CalcConc(plain, side, times[n]);
        for (int s = 1; s <= kSpeciesCount; ++s) EXPECT_EQ(x[n][s].Value, c[s]) << set.Name << " species " << s;
      }
    }
  }
}

}  // namespace
}  // namespace zamo
