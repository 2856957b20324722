#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "model/ClosedForm.h"
#include "model/IsoprCalcConc.h"
#include "model/ZamoError.h"
#include "tests/core/ExactReference.h"

namespace zamo {
namespace {

constexpr int kA = 1, kB = 2, kC = 3, kD = 4, kE = 5, kF = 6, kG = 7, kH = 8;

// k1..k7 (out of A), k8..k14 (out of B), then k15 and k16.
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

Concentrations Solve(const CoefficientSet& set, Side side, Real t) {
  return side == Side::Left ? CalcConcLeft(set, t) : CalcConcRight(set, t);
}

std::string FloatErrorText(const std::function<void()>& action) {
  try {
    action();
  } catch (const FloatError& e) {
    return e.what();
  }
  return "no error";
}

struct RateSet {
  std::string Name;
  RateConstants K;
};

std::string SetName(const testing::TestParamInfo<RateSet>& info) { return info.param.Name; }
void PrintTo(const RateSet& set, std::ostream* os) { *os << set.Name; }

const RateSet kExample = {"Example",
                          Rates({1.260E-06L, 1.030E-05L, 8.500E-08L, 3.100E-07L, 2.335E-05L, 0, 1.980E-05L},
                                {3.623E-05L, 1.740E-05L, 9.930E-07L, 0, 0, 0, 7.320E-05L}, 2.154E-05L, 2.659E-04L)};

// Largest deviation from the quadruple-precision matrix exponential over both experiments
// and the given times; every fraction must be finite and the eight must sum to 1.
struct Agreement {
  Real MaxError = 0;
  Real MaxSumError = 0;
  std::string Worst;
};

Agreement CompareWithExact(const RateConstants& k, std::initializer_list<Real> times,
                           ClosedFormPath path = ClosedFormPath::Fastest) {
  Agreement a;
  CoefficientSet set;
  EXPECT_FALSE(PrepareClosedForm(k, std::nullopt, set, path).has_value());
  for (const Side side : {Side::Left, Side::Right}) {
    for (const Real t : times) {
      Concentrations c;
      EXPECT_FALSE(EvaluateClosedForm(set, side, t, c).has_value());
      const SpeciesValues exact = test::ExactConcentrations(k, side, t);
      Real sum = 0;
      for (int s = 1; s <= 8; ++s) {
        EXPECT_TRUE(std::isfinite(c[s])) << "species " << s << " t = " << t;
        const Real error = std::fabs(c[s] - exact[s]);
        if (!(error <= a.MaxError)) {
          a.MaxError = error;
          a.Worst = std::string(side == Side::Left ? "left" : "right") + " species " + "ABCDEFGH"[s - 1] +
                    " t = " + std::to_string(static_cast<double>(t));
        }
        sum += c[s];
      }
      a.MaxSumError = std::max(a.MaxSumError, std::fabs(sum - 1));
    }
  }
  return a;
}

// Well-separated rate sets: agreement far beyond what a double evaluation could reach.
const RateSet kSeparated[] = {
    kExample,
    {"FastInterconversion", Rates({5e-3L, 1e-5L, 2e-5L, 3e-5L, 4e-5L, 5e-5L, 6e-5L},
                                  {3e-3L, 6e-5L, 5e-5L, 4e-5L, 3e-5L, 2e-5L, 1e-5L}, 1e-3L, 2e-3L)},
    {"NoInterconversion",
     Rates({0, 2e-5L, 1e-5L, 3e-5L, 1e-5L, 2e-5L, 1e-5L}, {0, 5e-5L, 4e-5L, 6e-5L, 3e-5L, 7e-5L, 5e-5L}, 4e-6L, 6e-6L)},
    {"OneWayAToB",
     Rates({2e-4L, 1e-5L, 0, 2e-5L, 0, 3e-5L, 4e-5L}, {0, 1e-4L, 2e-5L, 0, 3e-5L, 1e-5L, 0}, 2e-2L, 3e-2L)},
    {"OneWayBToA",
     Rates({0, 3e-4L, 1e-4L, 0, 5e-5L, 2e-5L, 1e-5L}, {4e-4L, 0, 1e-5L, 2e-5L, 0, 5e-6L, 5e-6L}, 7e-5L, 1.3e-4L)},
    {"FastNetwork", Rates({2e-2L, 1e-3L, 2e-3L, 3e-3L, 4e-3L, 5e-3L, 6e-3L},
                          {1e-2L, 6e-3L, 5e-3L, 4e-3L, 3e-3L, 2e-3L, 1e-3L}, 0.5L, 0.25L)},
};

class SolverSeparated : public testing::TestWithParam<RateSet> {};

// Far apart, the modal form serves; the divided differences serve everywhere. Both must be
// exact to a few units of the last place.
TEST_P(SolverSeparated, MatchesExactSolutionToTheLastDigits) {
  for (const ClosedFormPath path : {ClosedFormPath::Fastest, ClosedFormPath::DividedDifferences}) {
    const Agreement a = CompareWithExact(GetParam().K, {0.0L, 0.5L, 60.0L, 1800.0L, 36000.0L, 2e5L, 1e6L}, path);
    EXPECT_LE(a.MaxError, 2e-18L) << a.Worst;
    EXPECT_LE(a.MaxSumError, 1e-18L);
  }
}

// After every decay A and B are gone; the integrals of A and B over all time solve
// ka IA - k8 IB = a0 and kb IB - k1 IA = b0, which fix the end products.
TEST_P(SolverSeparated, ReachesEndCompositionForLargeTimes) {
  const RateConstants& k = GetParam().K;
  const CoefficientSet set = PrepareCoefficients(k);
  const Real ka = k[1] + k[2] + k[3] + k[4] + k[5] + k[6] + k[7];
  const Real kb = k[8] + k[9] + k[10] + k[11] + k[12] + k[13] + k[14];
  const Real p = ka * kb - k[1] * k[8];
  const Real mu = k[15] + k[16];
  for (const Side side : {Side::Left, Side::Right}) {
    const Real ia = side == Side::Left ? kb / p : k[8] / p;
    const Real ib = side == Side::Left ? k[1] / p : ka / p;
    const Real gh = (k[6] + k[7]) * ia + (k[13] + k[14]) * ib;
    SpeciesValues end;
    end[kA] = end[kB] = 0;
    end[kC] = k[2] * ia + k[9] * ib;
    end[kD] = k[3] * ia + k[10] * ib;
    end[kE] = k[4] * ia + k[11] * ib;
    end[kF] = k[5] * ia + k[12] * ib;
    end[kG] = k[15] / mu * gh;
    end[kH] = k[16] / mu * gh;
    // 1e12 s and 1e20 s put every rate times t far beyond the range of exp.
    for (const Real t : {1e7L, 1e12L, 1e20L}) {
      const Concentrations c = Solve(set, side, t);
      for (int s = 1; s <= 8; ++s) {
        ASSERT_TRUE(std::isfinite(c[s])) << "species " << s << " at t = " << t;
        EXPECT_NEAR(c[s], end[s], 1e-17L) << "species " << s << " at t = " << t;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(SolverRateSets, SolverSeparated, testing::ValuesIn(kSeparated), SetName);

struct PrintedValues {
  Side Which;
  Real Time;
  std::array<Real, 8> Percent;
};

// The published fractions of the example project, in percent to four decimals.
TEST(SolverExample, ReproducesPublishedValues) {
  const PrintedValues cases[] = {
      {Side::Left, 1800, {90.5636L, 0.1925L, 1.7682L, 0.0147L, 0.0531L, 4.0014L, 0.0568L, 3.3497L}},
      {Side::Left, 36000, {13.9564L, 0.2229L, 16.4150L, 0.1471L, 0.4868L, 36.6707L, 2.3116L, 29.7894L}},
      {Side::Right, 1800, {5.5356L, 79.4530L, 2.8521L, 0.1601L, 0.0016L, 0.1229L, 0.2014L, 11.6732L}},
      {Side::Right, 36000, {6.4097L, 1.0914L, 17.6001L, 0.8058L, 0.1224L, 9.2230L, 4.7764L, 59.9711L}},
  };
  const CoefficientSet set = PrepareCoefficients(kExample.K);
  for (const PrintedValues& row : cases) {
    const Concentrations c = Solve(set, row.Which, row.Time);
    for (int s = 1; s <= 8; ++s) {
      EXPECT_NEAR(100 * c[s], row.Percent[static_cast<std::size_t>(s - 1)], 0.5e-4L)
          << (row.Which == Side::Left ? "left" : "right") << " t = " << row.Time << " species " << s;
    }
  }
}

// Degenerate and nearly degenerate rate sets: where the decay constants of the A/B pair
// meet (w = 0), where the G/H relaxation rate meets one of them or 0 (Dg = 0), where A or B
// never reacts (P = 0), and the same sets moved by a few units of the last place up to
// 2^60 of them. The solution is continuous there; each must match the exact one.
// k2 moved by `units` units in the last place of ka (positive or negative).
RateConstants MovedByUnits(RateConstants k, int index, Real reference, Real units) {
  const Real ulp = std::nextafter(reference, 2 * reference) - reference;
  k[index] += units * ulp;
  return k;
}

// k15 = k16 = mu / 2, so that k15 + k16 is mu exactly.
RateConstants WithMu(RateConstants k, Real mu) {
  k[15] = k[16] = mu / 2;
  return k;
}

std::vector<RateSet> DegenerateSets() {
  std::vector<RateSet> sets = {
      // ka = kb in decimal, not in binary.
      {"DecimalEqualTotals", Rates({0, 1.1e-5L, 2.2e-5L, 0, 0, 0, 0}, {1.3e-5L, 2.0e-5L, 0, 0, 0, 0, 0}, 1e-5L, 2e-5L)},
      // ka = kb also in binary, k1 = 0: w = 0 exactly.
      {"BinaryEqualTotalsNoAToB",
       Rates({0, 2.1e-5L, 0, 0, 0, 1.2e-5L, 0}, {1.3e-5L, 2.0e-5L, 0, 0, 0, 0, 0}, 1e-5L, 2e-5L)},
      {"BinaryEqualTotalsNoBToA",
       Rates({1.3e-5L, 2.0e-5L, 0, 0, 0, 0, 0}, {0, 2.1e-5L, 0, 0, 0, 1.2e-5L, 0}, 1e-5L, 2e-5L)},
      // mu = 0 while A and B feed G and H.
      {"NoGHExchange", WithMu(kExample.K, 0)},
      {"NoGHExchangeEqualTotals",
       WithMu(Rates({0, 1e-5L, 0, 0, 0, 2e-5L, 3e-5L}, {0, 0, 0, 0, 0, 4e-5L, 2e-5L}, 0, 0), 0)},
      // P = 0: A inert, B inert, both inert, or A and B only interconvert.
      {"AInert", Rates({0, 0, 0, 0, 0, 0, 0}, {3e-5L, 1e-5L, 2e-5L, 0, 0, 4e-5L, 1e-5L}, 2e-5L, 3e-4L)},
      {"BInert", Rates({1e-5L, 2e-5L, 0, 3e-5L, 0, 1e-5L, 1e-5L}, {0, 0, 0, 0, 0, 0, 0}, 2e-5L, 3e-4L)},
      {"AllZero", RateConstants{}},
      {"OnlyInterconversion", Rates({1e-5L, 0, 0, 0, 0, 0, 0}, {3e-5L, 0, 0, 0, 0, 0, 0}, 2e-5L, 3e-4L)},
      // l1 = l2 = mu: ka = kb = mu, k1 = 0.
      {"AllThreeMeet", Rates({0, 1e-4L, 0, 0, 0, 1e-4L, 0}, {5e-5L, 0, 0, 0, 0, 5e-5L, 1e-4L}, 1e-4L, 1e-4L)},
      // mu equal to l1 and to l2 exactly, with k1 = k8 = 0 so that l1 = ka and l2 = kb.
      {"MuEqualsFastDecay",
       WithMu(Rates({0, 1e-4L, 1e-4L, 0, 0, 5e-5L, 5e-5L}, {0, 5e-5L, 0, 0, 0, 0, 5e-5L}, 0, 0), 3e-4L)},
      {"MuEqualsSlowDecay",
       WithMu(Rates({0, 1e-4L, 1e-4L, 0, 0, 5e-5L, 5e-5L}, {0, 5e-5L, 0, 0, 0, 0, 5e-5L}, 0, 0), 1e-4L)},
  };
  const RateConstants equalTotals =
      Rates({0, 3e-5L, 0, 1e-5L, 0, 2e-5L, 1e-5L}, {4e-5L, 1e-5L, 0, 0, 1e-5L, 1e-5L, 1e-5L}, 1e-5L, 3e-5L);
  const Real ka = 3e-5L + 1e-5L + 2e-5L + 1e-5L;
  for (const int e : {0, 1, 2, 3, 5, 8, 12, 16, 20, 24, 28, 32, 36, 40, 44, 48, 52, 56, 60}) {
    for (const int sign : {1, -1}) {
      const Real units = sign * std::ldexp(1.0L, e);
      const std::string suffix = std::string(sign > 0 ? "Up" : "Down") + std::to_string(e);
      sets.push_back({"EqualTotals" + suffix, MovedByUnits(equalTotals, 2, ka, units)});
      // mu at l1 = ka and at l2 = kb, with k1 = k8 = 0.
      RateConstants k = Rates({0, 3e-4L, 0, 0, 0, 1e-4L, 0}, {0, 1e-4L, 0, 0, 0, 0, 1e-4L}, 0, 0);
      const Real mu1 = 4e-4L;
      const Real mu2 = 2e-4L;
      sets.push_back({"MuAtFastDecay" + suffix, WithMu(k, mu1 + units * (std::nextafter(mu1, 1.0L) - mu1))});
      sets.push_back({"MuAtSlowDecay" + suffix, WithMu(k, mu2 + units * (std::nextafter(mu2, 1.0L) - mu2))});
      // The same at the decay constants of a set whose pair interconverts (l1 irrational).
      const CoefficientSet example = PrepareCoefficients(kExample.K);
      for (const auto& [name, lambda] :
           {std::pair{"MuAtExampleL1", example.Lambda1}, std::pair{"MuAtExampleL2", example.Lambda2}}) {
        sets.push_back({name + suffix, WithMu(kExample.K, lambda + units * (std::nextafter(lambda, 1.0L) - lambda))});
      }
    }
  }
  // Rates spread over fourteen decades, some of them zero.
  std::mt19937_64 random(20261207);
  std::uniform_real_distribution<double> decade(-12, 2);
  std::bernoulli_distribution zero(0.25);
  for (int n = 0; n < 24; ++n) {
    RateConstants k;
    for (int i = 1; i <= 16; ++i) k[i] = zero(random) ? 0 : std::pow(10.0L, static_cast<Real>(decade(random)));
    sets.push_back({"Spread" + std::to_string(n), k});
  }
  sets.push_back(
      {"FastAToBSlowDrain", Rates({1e2L, 1e-12L, 0, 0, 0, 1.0L, 0}, {1e-12L, 1e-12L, 0, 0, 0, 0, 0}, 1e-6L, 1e2L)});
  sets.push_back({"FastEquilibriumSlowDrain",
                  Rates({1e2L, 0, 0, 1e-12L, 0, 0, 0}, {1e2L, 0, 0, 0, 0, 1e-12L, 1e-12L}, 1e-3L, 1e-3L)});
  return sets;
}

class SolverDegenerate : public testing::TestWithParam<RateSet> {};

TEST_P(SolverDegenerate, MatchesExactSolution) {
  const Agreement a = CompareWithExact(GetParam().K, {0.0L, 100.0L, 1e3L, 1e4L, 1e5L, 1e6L, 1e9L});
  EXPECT_LE(a.MaxError, 1e-15L) << a.Worst;
  EXPECT_LE(a.MaxSumError, 1e-18L);
}

INSTANTIATE_TEST_SUITE_P(SolverDegenerateSets, SolverDegenerate, testing::ValuesIn(DegenerateSets()), SetName);

// A species that never reacts stays where it started.
TEST(SolverInert, StartSpeciesThatNeverReactsStaysPut) {
  const RateConstants aInert = Rates({0, 0, 0, 0, 0, 0, 0}, {3e-5L, 1e-5L, 2e-5L, 0, 0, 4e-5L, 1e-5L}, 2e-5L, 3e-4L);
  const CoefficientSet set = PrepareCoefficients(aInert);
  for (const Real t : {0.0L, 1800.0L, 1e9L}) {
    const Concentrations c = CalcConcLeft(set, t);
    EXPECT_NEAR(c[kA], 1.0L, 1e-18L) << "t = " << t;
    for (int s = 2; s <= 8; ++s) EXPECT_NEAR(c[s], 0.0L, 1e-18L) << "species " << s << " t = " << t;
  }
}

// Negative constants: a negative radicand is an invalid operation, a growing solution
// overflows the extended range.
TEST(SolverFailure, RaisesPlatformTexts) {
  const RateConstants negativeRadicand =
      Rates({1e-4L, 1e-4L, 0, 0, 0, 0, 0}, {-1e-4L, 3e-4L, 0, 0, 0, 0, 0}, 2e-5L, 3e-4L);
  EXPECT_EQ(FloatErrorText([&] { PrepareCoefficients(negativeRadicand); }), "Ungültige Gleitkommaoperation");
  const RateConstants growing = Rates({0, -1, 0, 0, 0, 0, 0}, {0, 1e-3L, 0, 0, 0, 0, 0}, 0, 0);
  const CoefficientSet set = PrepareCoefficients(growing);
  EXPECT_EQ(FloatErrorText([&] { CalcConcLeft(set, 11000); }), "no error");
  EXPECT_EQ(FloatErrorText([&] { CalcConcLeft(set, 12000); }), "Gleitkommaüberlauf");
}

}  // namespace
}  // namespace zamo

namespace zamo {
namespace {

// A row before the start (a negative time) runs the solution backwards; near degeneracies
// too, the divided differences measure their distances in units of 1/|t|.
TEST(SolverNegativeTime, RunsTheSolutionBackwards) {
  for (const RateSet& set : DegenerateSets()) {
    if (set.Name.rfind("Spread", 0) == 0 || set.Name.rfind("Fast", 0) == 0) continue;  // grow beyond range
    const CoefficientSet c = PrepareCoefficients(set.K);
    for (const Side side : {Side::Left, Side::Right}) {
      for (const Real t : {-100.0L, -1000.0L, -3e4L}) {
        const Concentrations x = CalcConc(c, side, t);
        const SpeciesValues exact = test::ExactConcentrations(set.K, side, t);
        for (int s = 1; s <= 8; ++s) {
          EXPECT_NEAR(x[s], exact[s], 1e-14L * (1 + std::fabs(exact[s]))) << set.Name << " species " << s << " t " << t;
        }
      }
    }
  }
}

}  // namespace
}  // namespace zamo
