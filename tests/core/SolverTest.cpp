#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>

#include "model/IsoprCalcConc.h"
#include "model/ZamoError.h"

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

// Independent reference: the network as the linear system x' = M x, solved by the matrix
// exponential exp(M t) with scaling and squaring of a Taylor series, in extended precision.
// C is integrated like every other species here, not taken from the mass balance.
using Matrix = std::array<std::array<Real, 8>, 8>;

Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix c{};
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 8; ++j)
      for (int m = 0; m < 8; ++m) c[i][j] += a[i][m] * b[m][j];
  return c;
}

Matrix RateMatrix(const RateConstants& k) {
  Matrix m{};
  const Real ka = k[1] + k[2] + k[3] + k[4] + k[5] + k[6] + k[7];
  const Real kb = k[8] + k[9] + k[10] + k[11] + k[12] + k[13] + k[14];
  m[0][0] = -ka;
  m[0][1] = k[8];
  m[1][0] = k[1];
  m[1][1] = -kb;
  for (int product = 3; product <= 8; ++product) {  // C..H are fed by k2..k7 from A, k9..k14 from B
    m[product - 1][0] = k[product - 1];
    m[product - 1][1] = k[product + 6];
  }
  m[6][6] = -k[16];
  m[6][7] = k[15];
  m[7][6] = k[16];
  m[7][7] = -k[15];
  return m;
}

SpeciesValues Reference(const RateConstants& k, Side side, Real t) {
  Matrix a = RateMatrix(k);
  Real norm = 0;
  for (const auto& row : a) {
    Real sum = 0;
    for (const Real v : row) sum += std::fabs(v) * t;
    norm = std::max(norm, sum);
  }
  int squarings = 0;
  Real scale = t;
  while (norm > 0.125L) {
    norm /= 2;
    scale /= 2;
    ++squarings;
  }
  for (auto& row : a)
    for (Real& v : row) v *= scale;
  Matrix result{};
  Matrix term{};
  for (int i = 0; i < 8; ++i) result[i][i] = term[i][i] = 1;
  for (int n = 1; n <= 30; ++n) {
    term = Multiply(term, a);
    for (auto& row : term)
      for (Real& v : row) v /= n;
    for (int i = 0; i < 8; ++i)
      for (int j = 0; j < 8; ++j) result[i][j] += term[i][j];
  }
  for (int i = 0; i < squarings; ++i) result = Multiply(result, result);
  const int start = side == Side::Left ? 0 : 1;
  SpeciesValues x;
  for (int s = 1; s <= 8; ++s) x[s] = result[s - 1][start];
  return x;
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
  const char* Name;
  RateConstants K;
};

template <typename Param>
std::string ParamName(const testing::TestParamInfo<Param>& info) {
  return info.param.Name;
}

const RateSet kExample = {"Example",
                          Rates({1.260E-06L, 1.030E-05L, 8.500E-08L, 3.100E-07L, 2.335E-05L, 0, 1.980E-05L},
                                {3.623E-05L, 1.740E-05L, 9.930E-07L, 0, 0, 0, 7.320E-05L}, 2.154E-05L, 2.659E-04L)};

// Well-conditioned sets: w, Dg and mu - lambda_i far from 0.
const RateSet kRateSets[] = {
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

class SolverRateSet : public testing::TestWithParam<RateSet> {};

// Closed form against the matrix exponential, t = 0 included; the eight fractions sum to 1.
TEST_P(SolverRateSet, MatchesMatrixExponential) {
  const RateConstants& k = GetParam().K;
  const CoefficientSet set = PrepareCoefficients(k);
  for (const Side side : {Side::Left, Side::Right}) {
    for (const Real t : {0.0L, 0.5L, 60.0L, 1800.0L, 36000.0L, 2e5L, 1e6L}) {
      const Concentrations c = Solve(set, side, t);
      const SpeciesValues ref = Reference(k, side, t);
      Real sum = 0;
      for (int s = 1; s <= 8; ++s) {
        EXPECT_NEAR(c[s], ref[s], 1e-12L) << "species " << s << " at t = " << t;
        sum += c[s];
      }
      EXPECT_NEAR(sum, 1.0L, 1e-15L) << "t = " << t;
    }
  }
}

// After every decay A and B are gone; the integrals of A and B over all time solve
// ka IA - k8 IB = a0 and kb IB - k1 IA = b0, which fix the end products.
TEST_P(SolverRateSet, ReachesEndCompositionForLargeTimes) {
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
    // 1e12 s and 1e20 s put r t far beyond the range of exp(r t).
    for (const Real t : {1e7L, 1e12L, 1e20L}) {
      const Concentrations c = Solve(set, side, t);
      for (int s = 1; s <= 8; ++s) {
        ASSERT_TRUE(std::isfinite(c[s])) << "species " << s << " at t = " << t;
        EXPECT_NEAR(c[s], end[s], 1e-14L) << "species " << s << " at t = " << t;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(SolverRateSets, SolverRateSet, testing::ValuesIn(kRateSets), ParamName<RateSet>);

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

// ka = kb with k1 k8 = 0 makes w = 0: every species but C is exactly 0, C exactly 1.
const RateSet kEqualTotalRates[] = {
    {"NoAToB",
     Rates({0, 1e-5L, 2e-5L, 0, 3e-5L, 4e-5L, 5e-5L}, {2e-5L, 1e-5L, 0, 0, 3e-5L, 4e-5L, 5e-5L}, 1e-4L, 2e-4L)},
    {"NoBToA",
     Rates({2e-5L, 1e-5L, 0, 0, 3e-5L, 4e-5L, 5e-5L}, {0, 1e-5L, 2e-5L, 0, 3e-5L, 4e-5L, 5e-5L}, 1e-4L, 2e-4L)},
};

class SolverEqualTotalRates : public testing::TestWithParam<RateSet> {};

TEST_P(SolverEqualTotalRates, LeavesEverythingInC) {
  const CoefficientSet set = PrepareCoefficients(GetParam().K);
  for (const Side side : {Side::Left, Side::Right}) {
    for (const Real t : {0.0L, 1.0L, 1800.0L, 1e6L}) {
      const Concentrations c = Solve(set, side, t);
      for (int s = 1; s <= 8; ++s) EXPECT_EQ(c[s], s == kC ? 1.0L : 0.0L) << "species " << s << " at t = " << t;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(SolverDegenerate, SolverEqualTotalRates, testing::ValuesIn(kEqualTotalRates),
                         ParamName<RateSet>);

// Dg = 0: G and H are exactly 0, the others as usual, and C takes up the share of G and H.
// The sets with mu = l1 or mu = l2 use powers of two, so that the equality is exact:
// ka = 2^-10, kb = 2^-12, k1 = k8 = 0.
RateConstants Dyadic(Real mu) {
  const Real u = std::ldexp(1.0L, -14);
  return Rates({0, 4 * u, 4 * u, 0, 4 * u, 2 * u, 2 * u}, {0, 2 * u, 0, 0, 0, u, u}, mu / 2, mu / 2);
}

RateConstants ExampleWithoutGHExchange() {
  RateConstants k = kExample.K;
  k[15] = k[16] = 0;
  return k;
}

const RateSet kResonantGH[] = {
    {"NoExchange", ExampleWithoutGHExchange()},
    {"MuEqualsFastDecay", Dyadic(std::ldexp(1.0L, -10))},
    {"MuEqualsSlowDecay", Dyadic(std::ldexp(1.0L, -12))},
};

class SolverDegenerateGH : public testing::TestWithParam<RateSet> {};

TEST_P(SolverDegenerateGH, PutsShareOfGAndHIntoC) {
  const RateConstants& k = GetParam().K;
  const CoefficientSet set = PrepareCoefficients(k);
  for (const Side side : {Side::Left, Side::Right}) {
    for (const Real t : {0.0L, 60.0L, 1800.0L, 36000.0L}) {
      const Concentrations c = Solve(set, side, t);
      const SpeciesValues ref = Reference(k, side, t);
      EXPECT_EQ(c[kG], 0.0L) << "t = " << t;
      EXPECT_EQ(c[kH], 0.0L) << "t = " << t;
      for (const int s : {kA, kB, kD, kE, kF}) EXPECT_NEAR(c[s], ref[s], 1e-12L) << "species " << s << " t = " << t;
      EXPECT_NEAR(c[kC], ref[kC] + ref[kG] + ref[kH], 1e-12L) << "t = " << t;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(SolverDegenerate, SolverDegenerateGH, testing::ValuesIn(kResonantGH), ParamName<RateSet>);

struct FailingSet {
  const char* Name;
  RateConstants K;
  const char* Text;
};

// P = ka kb - k1 k8 = 0 divides by zero; a negative radicand of w is an invalid operation.
const FailingSet kFailingSets[] = {
    {"AllZero", RateConstants{}, "Gleitkommadivision durch Null"},
    {"ANeverReacts", Rates({0, 0, 0, 0, 0, 0, 0}, {3e-5L, 1e-5L, 2e-5L, 0, 0, 4e-5L, 1e-5L}, 2e-5L, 3e-4L),
     "Gleitkommadivision durch Null"},
    {"BNeverReacts", Rates({1e-5L, 2e-5L, 0, 3e-5L, 0, 1e-5L, 1e-5L}, {0, 0, 0, 0, 0, 0, 0}, 2e-5L, 3e-4L),
     "Gleitkommadivision durch Null"},
    {"OnlyInterconversion", Rates({1e-5L, 0, 0, 0, 0, 0, 0}, {3e-5L, 0, 0, 0, 0, 0, 0}, 2e-5L, 3e-4L),
     "Gleitkommadivision durch Null"},
    {"NegativeRadicand", Rates({1e-4L, 1e-4L, 0, 0, 0, 0, 0}, {-1e-4L, 3e-4L, 0, 0, 0, 0, 0}, 2e-5L, 3e-4L),
     "Ungültige Gleitkommaoperation"},
};

class SolverFailure : public testing::TestWithParam<FailingSet> {};

TEST_P(SolverFailure, RaisesPlatformText) {
  EXPECT_EQ(FloatErrorText([this] { PrepareCoefficients(GetParam().K); }), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(SolverFailures, SolverFailure, testing::ValuesIn(kFailingSets), ParamName<FailingSet>);

}  // namespace
}  // namespace zamo
