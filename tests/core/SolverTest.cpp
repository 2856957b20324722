// The closed form against an independent reference (the matrix exponential in quadruple
// precision), on well-separated, degenerate and nearly degenerate rate sets.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "model/ClosedForm.h"
#include "model/IsoprCalcConc.h"
#include "model/ZamoError.h"
#include "tests/core/ExactReference.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

std::string SetName(const testing::TestParamInfo<RateSet>& info) { return info.param.Name; }

const RateSet kExample = {"Example", ExampleRates()};

// Both experiments against the reference at the times, within `tolerance` (ten times that,
// relative, before the start), the eight fractions summing to 1.
void ExpectExact(const RateConstants& k, std::initializer_list<Real> times, Real tolerance, ClosedFormPath path) {
  CoefficientSet set;
  ASSERT_FALSE(PrepareClosedForm(k, std::nullopt, set, path).has_value());
  for (const Side side : {Side::Left, Side::Right}) {
    for (const Real t : times) {
      Concentrations c;
      ASSERT_FALSE(EvaluateClosedForm(set, side, t, c).has_value());
      const SpeciesValues exact = test::ExactConcentrations(k, side, t);
      for (int s = 1; s <= 8; ++s) {
        EXPECT_NEAR(c[s], exact[s], t < 0 ? 10 * tolerance * (1 + std::fabs(exact[s])) : tolerance)
            << (side == Side::Left ? "left" : "right") << " species " << s << " t = " << static_cast<double>(t);
      }
      EXPECT_NEAR(t < 0 ? 1 : c[1] + c[2] + c[3] + c[4] + c[5] + c[6] + c[7] + c[8], 1, 1e-18L);
    }
  }
}

// Far apart both the modal form and the divided differences are exact to a few units of
// the last place.
const RateSet kSeparated[] = {
    kExample,
    {"FastInterconversion", Rates({5e-3L, 1e-5L, 2e-5L, 3e-5L, 4e-5L, 5e-5L, 6e-5L},
                                  {3e-3L, 6e-5L, 5e-5L, 4e-5L, 3e-5L, 2e-5L, 1e-5L}, 1e-3L, 2e-3L)},
    {"OneWayAToB",
     Rates({2e-4L, 1e-5L, 0, 2e-5L, 0, 3e-5L, 4e-5L}, {0, 1e-4L, 2e-5L, 0, 3e-5L, 1e-5L, 0}, 2e-2L, 3e-2L)},
    {"FastNetwork", Rates({2e-2L, 1e-3L, 2e-3L, 3e-3L, 4e-3L, 5e-3L, 6e-3L},
                          {1e-2L, 6e-3L, 5e-3L, 4e-3L, 3e-3L, 2e-3L, 1e-3L}, 0.5L, 0.25L)},
};

class SolverSeparated : public testing::TestWithParam<RateSet> {};

TEST_P(SolverSeparated, MatchesTheReferenceAndReachesTheEndComposition) {
  for (const ClosedFormPath path : {ClosedFormPath::Fastest, ClosedFormPath::DividedDifferences}) {
    ExpectExact(GetParam().K, {0.0L, 0.5L, 60.0L, 1800.0L, 36000.0L, 2e5L, 1e6L}, 2e-18L, path);
  }
  // After every decay A and B are gone: the integrals of A and B over all time solve
  // ka IA - k8 IB = a0 and kb IB - k1 IA = b0, which fix the end products, also where 1e12 s
  // and 1e20 s put every rate times t far beyond the range of exp.
  const RateConstants& k = GetParam().K;
  Real ka = 0, kb = 0;
  for (int i = 1; i <= 7; ++i) ka += k[i], kb += k[i + 7];
  const Real p = ka * kb - k[1] * k[8];
  for (const Side side : {Side::Left, Side::Right}) {
    const Real ia = (side == Side::Left ? kb : k[8]) / p, ib = (side == Side::Left ? k[1] : ka) / p;
    const Real gh = (k[6] + k[7]) * ia + (k[13] + k[14]) * ib;
    for (const Real t : {1e7L, 1e12L, 1e20L}) {
      const Concentrations c = CalcConc(PrepareCoefficients(k), side, t);
      for (int s = 3; s <= 6; ++s) EXPECT_NEAR(c[s], k[s - 1] * ia + k[s + 6] * ib, 1e-17L) << s << " " << t;
      EXPECT_NEAR(c[7], k[15] / (k[15] + k[16]) * gh, 1e-17L) << t;
      EXPECT_NEAR(c[8], k[16] / (k[15] + k[16]) * gh, 1e-17L) << t;
      EXPECT_TRUE(std::fabs(c[1]) < 1e-17L && std::fabs(c[2]) < 1e-17L) << t;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(SolverRateSets, SolverSeparated, testing::ValuesIn(kSeparated), SetName);

// The published fractions of the example project, in percent to four decimals.
TEST(SolverExample, ReproducesPublishedValues) {
  const std::pair<Side, Real> times[] = {{Side::Left, 1800}, {Side::Left, 36000}, {Side::Right, 36000}};
  const std::array<Real, 8> percent[] = {
      {90.5636L, 0.1925L, 1.7682L, 0.0147L, 0.0531L, 4.0014L, 0.0568L, 3.3497L},
      {13.9564L, 0.2229L, 16.4150L, 0.1471L, 0.4868L, 36.6707L, 2.3116L, 29.7894L},
      {6.4097L, 1.0914L, 17.6001L, 0.8058L, 0.1224L, 9.2230L, 4.7764L, 59.9711L},
  };
  const CoefficientSet set = PrepareCoefficients(kExample.K);
  for (std::size_t row = 0; row < std::size(times); ++row) {
    const Concentrations c = CalcConc(set, times[row].first, times[row].second);
    for (int s = 1; s <= 8; ++s) EXPECT_NEAR(100 * c[s], percent[row][static_cast<std::size_t>(s - 1)], 0.5e-4L) << row;
  }
}

// Where the decay constants of the A/B pair meet (w = 0), where the G/H relaxation rate meets
// one of them or 0, where nothing reacts, and the same sets moved by a few units of the last
// place up to 2^60 of them: the solution is continuous there. (The sets of the Jacobian's
// tests, A or B inert among them, are checked against the reference there.)
std::vector<RateSet> DegenerateSets() {
  std::vector<RateSet> sets = {
      {"DecimalEqualTotals", Rates({0, 1.1e-5L, 2.2e-5L, 0, 0, 0, 0}, {1.3e-5L, 2.0e-5L, 0, 0, 0, 0, 0}, 1e-5L, 2e-5L)},
      {"AllZero", RateConstants{}},
      {"OnlyInterconversion", Rates({1e-5L, 0, 0, 0, 0, 0, 0}, {3e-5L, 0, 0, 0, 0, 0, 0}, 2e-5L, 3e-4L)},
  };
  const RateConstants equalTotals =
      Rates({0, 3e-5L, 0, 1e-5L, 0, 2e-5L, 1e-5L}, {4e-5L, 1e-5L, 0, 0, 1e-5L, 1e-5L, 1e-5L}, 1e-5L, 3e-5L);
  const Real ka = 3e-5L + 1e-5L + 2e-5L + 1e-5L;
  const RateConstants noExchange = Rates({0, 3e-4L, 0, 0, 0, 1e-4L, 0}, {0, 1e-4L, 0, 0, 0, 0, 1e-4L}, 0, 0);
  const CoefficientSet example = PrepareCoefficients(kExample.K);
  // `units` units in the last place of x.
  const auto moved = [](Real x, Real units) { return x + units * (std::nextafter(x, 2 * x) - x); };
  for (const int e : {0, 1, 3, 8, 16, 24, 32, 40, 48, 56, 60}) {
    for (const int sign : {1, -1}) {
      const Real units = sign * std::ldexp(1.0L, e);
      const std::string suffix = std::string(sign > 0 ? "Up" : "Down") + std::to_string(e);
      RateConstants k = equalTotals;
      k[2] += units * (std::nextafter(ka, 2 * ka) - ka);  // ka moved off kb
      sets.push_back({"EqualTotals" + suffix, k});
      // mu at l1 = ka and at l2 = kb with k1 = k8 = 0, and at the example's decay constants.
      sets.push_back({"MuAtFastDecay" + suffix, WithMu(noExchange, moved(4e-4L, units))});
      sets.push_back({"MuAtSlowDecay" + suffix, WithMu(noExchange, moved(2e-4L, units))});
      sets.push_back({"MuAtExampleL1" + suffix, WithMu(kExample.K, moved(example.Lambda1, units))});
      sets.push_back({"MuAtExampleL2" + suffix, WithMu(kExample.K, moved(example.Lambda2, units))});
    }
  }
  // Rates spread over fourteen decades, some of them zero.
  std::mt19937_64 random(20261207);
  std::uniform_real_distribution<double> decade(-12, 2);
  std::bernoulli_distribution zero(0.25);
  for (int n = 0; n < 16; ++n) {
    RateConstants k;
    for (int i = 1; i <= 16; ++i) k[i] = zero(random) ? 0 : std::pow(10.0L, static_cast<Real>(decade(random)));
    sets.push_back({"Spread" + std::to_string(n), k});
  }
  sets.push_back({"FastEquilibriumSlowDrain",
                  Rates({1e2L, 0, 0, 1e-12L, 0, 0, 0}, {1e2L, 0, 0, 0, 0, 1e-12L, 1e-12L}, 1e-3L, 1e-3L)});
  return sets;
}

class SolverDegenerate : public testing::TestWithParam<RateSet> {};

// Also backwards in time (a row before the start), where the divided differences measure
// their distances in units of 1/|t|; the spread sets grow beyond the range there.
TEST_P(SolverDegenerate, MatchesTheReferenceForwardAndBackward) {
  if (GetParam().Name.rfind("Spread", 0) == 0 || GetParam().Name.rfind("Fast", 0) == 0) {
    ExpectExact(GetParam().K, {0.0L, 100.0L, 1e4L, 1e6L, 1e9L}, 1e-15L, ClosedFormPath::Fastest);
  } else {
    ExpectExact(GetParam().K, {-3e4L, -100.0L, 0.0L, 100.0L, 1e4L, 1e6L, 1e9L}, 1e-15L, ClosedFormPath::Fastest);
  }
}

INSTANTIATE_TEST_SUITE_P(SolverDegenerateSets, SolverDegenerate, testing::ValuesIn(DegenerateSets()), SetName);

// Negative constants: a negative radicand is an invalid operation, a growing solution
// overflows the extended range.
TEST(SolverFailure, RaisesPlatformTexts) {
  EXPECT_THROW_MSG(PrepareCoefficients(Rates({1e-4L, 1e-4L, 0, 0, 0, 0, 0}, {-1e-4L, 3e-4L, 0, 0, 0, 0, 0}, 0, 0)),
                   FloatError, "Ungültige Gleitkommaoperation");
  const CoefficientSet set = PrepareCoefficients(Rates({0, -1, 0, 0, 0, 0, 0}, {0, 1e-3L, 0, 0, 0, 0, 0}, 0, 0));
  EXPECT_NO_THROW(CalcConcLeft(set, 11000));
  EXPECT_THROW_MSG(CalcConcLeft(set, 12000), FloatError, "Gleitkommaüberlauf");
}

}  // namespace
}  // namespace zamo
