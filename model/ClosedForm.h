#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <optional>

#include "model/CoefficientSet.h"
#include "model/DividedDifferences.h"
#include "model/KineticProject.h"
#include "model/ZamoError.h"

// The exact solution of the network, written once over its number type T (Real, or a dual
// number for the exact Jacobian of the least-squares fit).
//
// With M the 2x2 rate matrix of A and B (d[A B]/dt = -M [A B]) and f(x) = exp(-x t):
//   [A B]   = f(M) x0
//   [IA IB] = g(M) x0, g(x) = -f[x, 0] = (1 - exp(-x t)) / x, the integrals of A and B
//   [JA JB] = F(M) x0, F(x) = f[x, mu, 0], the integrals of A and B seen through the G/H
//             relaxation: int_0^t A(u) (1 - exp(-mu (t - u))) / mu du
//   D = k3 IA + k10 IB, E and F alike, G = k6 IA + k13 IB - (a JA + b JB),
//   H = k7 IA + k14 IB + (a JA + b JB), with a = k6 k16 - k7 k15, b = k13 k16 - k14 k15,
//   C = 1 - A - B - D - E - F - G - H.
// Every term is a divided difference of f over the nodes 0, l2, l1 and mu, computed exactly
// whatever their distances: nothing divides by a small difference of rates, no degenerate
// rate set (l1 = l2, mu = 0, mu = l1 or l2, l2 = 0) needs a case of its own, and the result is
// continuous in the rate constants. Where r t is small the A/B pair is one node of the pair
// algebra, in which the solution depends on r^2 only, so that derivatives stay exact at r = 0.
// Where all four nodes lie far apart, the same divided differences are expanded once into
// the modal form, three exponentials and a few products per evaluation.
namespace zamo {

// The modal form is used where every two of the nodes 0, l2, l1, mu differ by at least this
// fraction of the larger: its coefficients then carry no cancellation worth a digit.
inline constexpr Real kModalSeparation = 0.25L;

// Which form an evaluation may use: the fastest exact one, or always the divided
// differences (for tests that compare the two).
enum class ClosedFormPath { Fastest, DividedDifferences };

// r t below this: the joint form. Half the cluster width, so that in the separate form the
// two decay constants are at least a cluster width apart.
inline constexpr Real kJointWidth = kClusterWidth / 2;

namespace detail {

template <typename T>
bool Finite(const T& x) {
  return std::isfinite(ValueOf(x));
}

// Collects coefficients and tells at the end whether they can be used: a NaN is an invalid
// operation, an infinity an overflow.
class RangeCheck {
 public:
  template <typename T>
  void Add(const T& x) {
    const Real v = ValueOf(x);
    nan_ = nan_ || v != v;
    probe_ += v - v;  // NaN for an infinity or a NaN
  }
  template <typename T>
  void Add(const Mix<T>& m) {
    Add(m.OnBase);
    Add(m.OnSlope);
  }
  template <typename T>
  void Add(const SpeciesMix<T>& m) {
    for (const Mix<T>* x : {&m.A, &m.B, &m.D, &m.E, &m.F, &m.G, &m.H, &m.Exchange}) Add(*x);
  }
  template <typename T>
  void Add(const ModalSpecies<T>& m) {
    Add(m.Constant);
    for (const T& x : m.OnDecay) Add(x);
  }

  std::optional<FloatError::Kind> Error() const {
    if (nan_) return FloatError::Kind::InvalidOperation;
    if (probe_ != probe_) return FloatError::Kind::Overflow;
    return std::nullopt;
  }

 private:
  bool nan_ = false;
  Real probe_ = 0;
};

// The species of one experiment in one form, from what phi(M) x0 gives for A (a) and for
// B (b): A = a.OnBase phi.Base + a.OnSlope phi.Slope, and B alike.
template <typename T>
SpeciesMix<T> MixFor(const OneBased<T, kRateConstantCount>& k, const Mix<T>& a, const Mix<T>& b) {
  const auto fed = [&](const T& fromA, const T& fromB) {
    return Mix<T>{fromA * a.OnBase + fromB * b.OnBase, fromA * a.OnSlope + fromB * b.OnSlope};
  };
  const T alpha = k[6] * k[16] - k[7] * k[15];
  const T beta = k[13] * k[16] - k[14] * k[15];
  SpeciesMix<T> m;
  m.A = a;
  m.B = b;
  m.D = fed(k[3], k[10]);
  m.E = fed(k[4], k[11]);
  m.F = fed(k[5], k[12]);
  m.G = fed(k[6], k[13]);
  m.H = fed(k[7], k[14]);
  const Mix<T> exchange = fed(alpha, beta);
  m.Exchange = {-exchange.OnBase, -exchange.OnSlope};
  return m;
}

// exp(-(s + N) t) = exp(-s t) (cosh(r t) - N t sinh(r t) / (r t)), by the series of cosh and
// sinh(z) / z in z^2 = r^2 t^2 < kJointWidth^2, exact to the last place with 9 terms.
template <typename T>
MatrixFunction<T> PairExponential(const T& r2, const T& es, Real t) {
  const T z = r2 * (t * t);
  // Horner from the ninth term down: cosh = sum z^m / (2m)!, sinhc = sum z^m / (2m+1)!.
  constexpr auto kCoshFactors = [] {
    std::array<Real, 9> f{};
    for (int m = 1; m <= 8; ++m) f[m] = Real(1) / ((2 * m) * (2 * m - 1));
    return f;
  }();
  constexpr auto kSinhcFactors = [] {
    std::array<Real, 9> f{};
    for (int m = 1; m <= 8; ++m) f[m] = Real(1) / ((2 * m + 1) * (2 * m));
    return f;
  }();
  T cosh(1);
  T sinhc(1);
  for (int m = 8; m >= 1; --m) {
    cosh = T(1) + cosh * z * kCoshFactors[m];
    sinhc = T(1) + sinhc * z * kSinhcFactors[m];
  }
  return {es * cosh, -(es * sinhc) * t};
}

// The divided difference f[S] of the separate nodes 0, l2, l1, mu over the subset `mask` as
// a combination of 1 and exp(-x_i t) - 1: f[S] = sum_i W_i exp(-x_i t), W_i = 1 / prod_j (x_i - x_j),
// and sum_i W_i = 0 for two or more nodes.
template <typename T>
ModalSpecies<T> ModalOf(const DivisionNodes<ScalarAlgebra<T>, 4>& nodes, unsigned mask) {
  ModalSpecies<T> m;
  if (std::popcount(mask) == 1) m.Constant = T(1);
  for (int i = 1; i < 4; ++i) {
    if (!(mask & (1u << i))) continue;
    T weight(1);
    for (int j = 0; j < 4; ++j) {
      if (j != i && (mask & (1u << j))) weight = weight * nodes.Inverse[j][i];
    }
    m.OnDecay[static_cast<std::size_t>(i - 1)] = weight;
  }
  return m;
}

template <typename T>
ModalSpecies<T> Combined(const Mix<T>& mix, const ModalSpecies<T>& base, const ModalSpecies<T>& slope) {
  ModalSpecies<T> m;
  m.Constant = mix.OnBase * base.Constant + mix.OnSlope * slope.Constant;
  for (std::size_t i = 0; i < 3; ++i) m.OnDecay[i] = mix.OnBase * base.OnDecay[i] + mix.OnSlope * slope.OnDecay[i];
  return m;
}

// a + sign b.
template <typename T>
ModalSpecies<T> Sum(const ModalSpecies<T>& a, const ModalSpecies<T>& b, Real sign = 1) {
  ModalSpecies<T> m;
  m.Constant = a.Constant + b.Constant * sign;
  for (std::size_t i = 0; i < 3; ++i) m.OnDecay[i] = a.OnDecay[i] + b.OnDecay[i] * sign;
  return m;
}

// f(M), g(M) and the G/H kernel of the separate form as modal combinations.
template <typename T>
struct ModalFunctions {
  ModalSpecies<T> FBase, FSlope, GBase, GSlope, HBase, HSlope;

  explicit ModalFunctions(const DivisionNodes<ScalarAlgebra<T>, 4>& nodes)
      : FBase(ModalOf(nodes, 0b0100)),
        FSlope(ModalOf(nodes, 0b0110)),
        GBase(Sum(ModalSpecies<T>{}, ModalOf(nodes, 0b0101), -1)),
        GSlope(Sum(ModalSpecies<T>{}, ModalOf(nodes, 0b0111), -1)),
        HBase(ModalOf(nodes, 0b1101)),
        HSlope(ModalOf(nodes, 0b1111)) {}

  // The modal terms of the species of one experiment from their separate form.
  std::array<ModalSpecies<T>, 9> Terms(const SpeciesMix<T>& mix) const {
    const ModalSpecies<T> exchange = Combined(mix.Exchange, HBase, HSlope);
    std::array<ModalSpecies<T>, 9> terms{};
    terms[1] = Combined(mix.A, FBase, FSlope);
    terms[2] = Combined(mix.B, FBase, FSlope);
    terms[4] = Combined(mix.D, GBase, GSlope);
    terms[5] = Combined(mix.E, GBase, GSlope);
    terms[6] = Combined(mix.F, GBase, GSlope);
    terms[7] = Sum(Combined(mix.G, GBase, GSlope), exchange);
    terms[8] = Sum(Combined(mix.H, GBase, GSlope), exchange, -1);
    return terms;
  }
};

template <typename T>
bool FarApart(const T& a, const T& b) {
  const Real x = ValueOf(a);
  const Real y = ValueOf(b);
  return std::fabs(x - y) >= kModalSeparation * std::max(std::fabs(x), std::fabs(y));
}

}  // namespace detail

// Fills c for the rate constants k and the experiment `only`, or both; what c held before
// and this preparation does not use stays as it was, unused. Answers the kind of
// floating-point error where the set cannot be used: a negative radicand r^2 (negative
// constants only) or a coefficient out of the extended range.
template <typename T>
std::optional<FloatError::Kind> PrepareClosedForm(const OneBased<T, kRateConstantCount>& k, std::optional<Side> only,
                                                  BasicCoefficientSet<T>& c,
                                                  ClosedFormPath path = ClosedFormPath::Fastest) {
  using std::sqrt;
  c.Prepared = {};
  const T outOfA = k[2] + k[3] + k[4] + k[5] + k[6] + k[7];  // A to C..H
  const T outOfB = k[9] + k[10] + k[11] + k[12] + k[13] + k[14];
  c.Ka = k[1] + outOfA;
  c.Kb = k[8] + outOfB;
  c.S = (c.Ka + c.Kb) / Real(2);
  const T delta = (c.Ka - c.Kb) / Real(2);
  const T k1k8 = k[1] * k[8];
  c.R2 = delta * delta + k1k8;
  if (!(ValueOf(c.R2) >= 0)) return FloatError::Kind::InvalidOperation;
  c.R = ValueOf(c.R2) > 0 ? sqrt(c.R2) : T(0);
  // ka kb - k1 k8 expanded, so that no term cancels.
  c.P = k[1] * outOfB + k[8] * outOfA + outOfA * outOfB;
  c.Mu = k[15] + k[16];
  c.Lambda1 = c.S + c.R;
  // l2 = P / l1 avoids the cancellation of s - r when one decay is much slower.
  c.Lambda2 = ValueOf(c.Lambda1) != 0 ? c.P / c.Lambda1 : c.S - c.R;
  detail::RangeCheck range;
  for (const T* x : {&c.Ka, &c.Kb, &c.S, &c.R2, &c.R, &c.P, &c.Mu, &c.Lambda1, &c.Lambda2}) range.Add(*x);
  if (auto error = range.Error()) return error;

  // Every two of 0, l2, l1, mu far apart: the modal form (l1 - l2 = 2r).
  c.Modal = path == ClosedFormPath::Fastest && ValueOf(c.Lambda2) > 0 && ValueOf(c.Mu) > 0 &&
            2 * ValueOf(c.R) >= kModalSeparation * ValueOf(c.Lambda1) && detail::FarApart(c.Mu, c.Lambda1) &&
            detail::FarApart(c.Mu, c.Lambda2);

  const T zero(0);
  const std::array<T, 4> separate = {zero, c.Lambda2, c.Lambda1, c.Mu};
  if (c.Modal) {
    c.SeparateNodes.SetInverses(c.SeparateAlgebra, separate);
  } else {
    c.SeparateNodes.Set(c.SeparateAlgebra, separate, separate);
    // l1 - l2 is 2r, without the rounding of l2.
    c.SeparateNodes.Offset[1][2] = Real(2) * c.R;
    c.SeparateNodes.Offset[2][1] = -c.SeparateNodes.Offset[1][2];
    c.JointAlgebra.R2 = c.R2;
    c.JointAlgebra.R = ValueOf(c.R);
    c.JointNodes.Set(c.JointAlgebra, {Pair<T>{}, Pair<T>{c.S, T(1)}, Pair<T>{c.Mu, T(0)}}, {zero, c.S, c.Mu}, 1);
  }

  // The diagonal of M - l1 I: delta - r and -delta - r, the one that cancels taken from
  // (delta - r)(-delta - r) = -k1 k8.
  T leftDiagonal;
  T rightDiagonal;
  if (ValueOf(delta) >= 0) {
    rightDiagonal = -(delta + c.R);
    leftDiagonal = ValueOf(rightDiagonal) != 0 ? k1k8 / rightDiagonal : T(0);
  } else {
    leftDiagonal = delta - c.R;
    rightDiagonal = k1k8 / leftDiagonal;
  }
  c.SeparateNodes.Inverse[1][2] = ScalarAlgebra<T>::Inverse(Real(2) * c.R);
  c.SeparateNodes.Inverse[2][1] = -c.SeparateNodes.Inverse[1][2];
  const std::optional<detail::ModalFunctions<T>> modal =
      c.Modal ? std::optional(detail::ModalFunctions<T>(c.SeparateNodes)) : std::nullopt;
  const T one(1);
  for (const Side side : {Side::Left, Side::Right}) {
    if (only && *only != side) continue;
    const auto index = static_cast<std::size_t>(side == Side::Left ? 0 : 1);
    const bool left = side == Side::Left;
    const Mix<T> a = left ? Mix<T>{one, leftDiagonal} : Mix<T>{zero, -k[8]};
    const Mix<T> b = left ? Mix<T>{zero, -k[1]} : Mix<T>{one, rightDiagonal};
    c.Separate[index] = detail::MixFor<T>(k, a, b);
    range.Add(c.Separate[index]);
    if (c.Modal) {
      c.ModalTerms[index] = modal->Terms(c.Separate[index]);
      for (const ModalSpecies<T>& m : c.ModalTerms[index]) range.Add(m);
    } else {
      c.Joint[index] =
          detail::MixFor<T>(k, {a.OnBase, left ? delta : a.OnSlope}, {b.OnBase, left ? b.OnSlope : -delta});
      range.Add(c.Joint[index]);
    }
    if (auto error = range.Error()) return error;
    c.Prepared[index] = true;
  }
  return std::nullopt;
}

namespace detail {

// A, B and D..H in the modal form: three exponentials and 21 products.
template <typename T>
void ModalFractions(const std::array<ModalSpecies<T>, 9>& terms, const BasicCoefficientSet<T>& c, Real t,
                    OneBased<T, kSpeciesCount>& x) {
  using std::expm1;
  const std::array<T, 3> decay = {expm1(-c.Lambda2 * t), expm1(-c.Lambda1 * t), expm1(-c.Mu * t)};
  for (const int s : {1, 2, 4, 5, 6, 7, 8}) {
    const ModalSpecies<T>& m = terms[static_cast<std::size_t>(s)];
    x[s] = m.Constant + m.OnDecay[0] * decay[0] + m.OnDecay[1] * decay[1] + m.OnDecay[2] * decay[2];
  }
}

// A, B and D..H from the divided differences, in the separate or the joint form.
template <typename T>
void DividedFractions(const BasicCoefficientSet<T>& c, std::size_t index, Real t, OneBased<T, kSpeciesCount>& x) {
  using std::exp;
  MatrixFunction<T> f;  // exp(-M t)
  MatrixFunction<T> g;  // its integral
  MatrixFunction<T> h;  // the G/H kernel
  const SpeciesMix<T>* mix;
  // Distances count in units of 1/|t|: a negative time (a row before the start) runs the
  // solution backwards, with the same divided differences.
  if (ValueOf(c.R) * std::fabs(t) >= kJointWidth) {
    const std::array<T, 4> e = {T(1), exp(-c.Lambda2 * t), exp(-c.Lambda1 * t), exp(-c.Mu * t)};
    DividedDifferences<ScalarAlgebra<T>, 4> dd(c.SeparateAlgebra, c.SeparateNodes, e, e, t);
    // Largest subsets first: a series over one gives its subsets with the same lowest node.
    h.Slope = dd.Of(0b1111);
    h.Base = dd.Of(0b1101);
    g = {-dd.Of(0b0101), -dd.Of(0b0111)};
    f = {e[2], dd.Of(0b0110)};
    mix = &c.Separate[index];
  } else {
    const T es = exp(-c.S * t);
    const T em = exp(-c.Mu * t);
    f = PairExponential(c.R2, es, t);
    const std::array<Pair<T>, 3> atNode = {Pair<T>{T(1), T(0)}, Pair<T>{f.Base, f.Slope}, Pair<T>{em, T(0)}};
    const std::array<T, 3> base = {T(1), es, em};
    DividedDifferences<PairAlgebra<T>, 3> dd(c.JointAlgebra, c.JointNodes, atNode, base, t);
    const Pair<T> kernel = dd.Of(0b111);
    const Pair<T> integral = dd.Of(0b011);
    g = {-integral.Mean, -integral.Slope};
    h = {kernel.Mean, kernel.Slope};
    mix = &c.Joint[index];
  }
  x[1] = mix->A.Of(f);
  x[2] = mix->B.Of(f);
  x[4] = mix->D.Of(g);
  x[5] = mix->E.Of(g);
  x[6] = mix->F.Of(g);
  const T exchange = mix->Exchange.Of(h);
  x[7] = mix->G.Of(g) + exchange;
  x[8] = mix->H.Of(g) - exchange;
}

}  // namespace detail

// The eight fractions at time t for a prepared experiment; C is the mass balance.
// Answers the kind of error where a fraction is not finite (only negative constants make the
// solution grow).
template <typename T>
std::optional<FloatError::Kind> EvaluateClosedForm(const BasicCoefficientSet<T>& c, Side side, Real t,
                                                   OneBased<T, kSpeciesCount>& x) {
  const auto index = static_cast<std::size_t>(side == Side::Left ? 0 : 1);
  if (c.Modal) {
    detail::ModalFractions(c.ModalTerms[index], c, t, x);
  } else {
    detail::DividedFractions(c, index, t, x);
  }
  x[3] = T(1) - x[1] - x[2] - x[4] - x[5] - x[6] - x[7] - x[8];
  // Any fraction that is not finite makes C not finite too, so one test guards all eight.
  if (detail::Finite(x[3])) return std::nullopt;
  for (const T& value : x) {
    if (std::isinf(ValueOf(value))) return FloatError::Kind::Overflow;
  }
  return FloatError::Kind::InvalidOperation;
}

}  // namespace zamo
