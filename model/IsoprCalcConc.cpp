#include "model/IsoprCalcConc.h"

#include <cmath>
#include <optional>

#include "model/ZamoError.h"

namespace zamo {

namespace {

constexpr int kA = 1, kB = 2, kC = 3, kD = 4, kE = 5, kF = 6, kG = 7, kH = 8;

// (w + d) / (2w) and (w - d) / (2w) for d = ka - kb, w^2 = d^2 + 4 k1 k8. The part whose
// numerator would cancel is taken from (w + d)(w - d) = 4 k1 k8 instead.
struct Split {
  Real Plus = 0;
  Real Minus = 0;
};

Split SplitByDifference(Real w, Real d, Real k1k8) {
  Split split;
  if (d >= 0) {
    split.Plus = (w + d) / (2 * w);
    split.Minus = 2 * k1k8 / (w * (w + d));
  } else {
    split.Minus = (w - d) / (2 * w);
    split.Plus = 2 * k1k8 / (w * (w - d));
  }
  return split;
}

// Amplitudes of A and B on exp(-l1 t) (index 0) and exp(-l2 t) (index 1).
struct Amplitudes {
  Real A0 = 0, B0 = 0;
  Real A[2] = {0, 0};
  Real B[2] = {0, 0};
};

OneBased<ModalTerms, 8> TermsFor(const RateConstants& k, const CoefficientSet& c, const Amplitudes& amp) {
  OneBased<ModalTerms, 8> t;
  if (c.DegenerateAB) return t;
  const Real inverseLambda[2] = {1 / c.Lambda1, 1 / c.Lambda2};

  t[kA] = {amp.A0, amp.A[0], amp.A[1], 0};
  t[kB] = {amp.B0, amp.B[0], amp.B[1], 0};

  // D, E, F: k_a * integral of A + k_b * integral of B, with integral of exp(-l t) from 0
  // to t equal to -(exp(-l t) - 1) / l.
  const auto endProduct = [&](Real fromA, Real fromB) {
    ModalTerms m;
    m.Fast = -(fromA * amp.A[0] + fromB * amp.B[0]) * inverseLambda[0];
    m.Slow = -(fromA * amp.A[1] + fromB * amp.B[1]) * inverseLambda[1];
    return m;
  };
  t[kD] = endProduct(k[3], k[10]);
  t[kE] = endProduct(k[4], k[11]);
  t[kF] = endProduct(k[5], k[12]);

  if (c.DegenerateGH) return t;
  // G + H = S grows like an end product; U = k16 G - k15 H relaxes with mu towards what A
  // and B feed it: U = mu * sum_i (alpha a_i + beta b_i)(exp(-l_i t) - exp(-mu t)) / (mu - l_i).
  const Real mu = c.Mu;
  const Real alpha = (k[6] * k[16] - k[7] * k[15]) / mu;
  const Real beta = (k[13] * k[16] - k[14] * k[15]) / mu;
  const Real lambda[2] = {c.Lambda1, c.Lambda2};
  Real sum[2];
  Real exchange[2];
  for (int i = 0; i < 2; ++i) {
    sum[i] = -((k[6] + k[7]) * amp.A[i] + (k[13] + k[14]) * amp.B[i]) * inverseLambda[i];
    exchange[i] = (alpha * amp.A[i] + beta * amp.B[i]) / (mu - lambda[i]);
  }
  const Real shareG = k[15] / mu;
  const Real shareH = k[16] / mu;
  t[kG] = {0, shareG * sum[0] + exchange[0], shareG * sum[1] + exchange[1], -(exchange[0] + exchange[1])};
  t[kH] = {0, shareH * sum[0] - exchange[0], shareH * sum[1] - exchange[1], exchange[0] + exchange[1]};
  return t;
}

bool Finite(const ModalTerms& m) {
  return std::isfinite(m.Constant) && std::isfinite(m.Fast) && std::isfinite(m.Slow) && std::isfinite(m.Exchange);
}

bool HasNaN(const ModalTerms& m) {
  return std::isnan(m.Constant) || std::isnan(m.Fast) || std::isnan(m.Slow) || std::isnan(m.Exchange);
}

// Fills c; answers the kind of floating-point error instead of raising it, so that the
// optimizer can judge a failed trial without the cost of an exception.
std::optional<FloatError::Kind> Prepare(const RateConstants& k, CoefficientSet& c) {
  c = CoefficientSet{};
  const Real outOfA = k[2] + k[3] + k[4] + k[5] + k[6] + k[7];  // A to C..H
  const Real outOfB = k[9] + k[10] + k[11] + k[12] + k[13] + k[14];
  c.Ka = k[1] + k[2] + k[3] + k[4] + k[5] + k[6] + k[7];
  c.Kb = k[8] + k[9] + k[10] + k[11] + k[12] + k[13] + k[14];
  c.S = (c.Ka + c.Kb) / 2;

  const Real d = c.Ka - c.Kb;
  const Real k1k8 = k[1] * k[8];
  const Real radicand = d * d + 4 * k1k8;
  if (std::isnan(radicand) || radicand < 0) return FloatError::Kind::InvalidOperation;
  c.W = std::sqrt(radicand);

  // ka kb - k1 k8 expanded, so that no term cancels: k1 outOfB + k8 outOfA + outOfA outOfB.
  c.P = k[1] * outOfB + k[8] * outOfA + outOfA * outOfB;
  if (c.P == 0) return FloatError::Kind::DivisionByZero;

  c.Lambda1 = c.S + c.W / 2;
  // l2 = P / l1 avoids the cancellation of s - r when one decay is much slower.
  c.Lambda2 = c.Lambda1 != 0 ? c.P / c.Lambda1 : c.S - c.W / 2;
  c.Mu = k[15] + k[16];
  c.Dg = c.Mu * c.P * (c.Mu * c.Mu - (c.Ka + c.Kb) * c.Mu + c.P);

  c.DegenerateAB = c.W == 0;
  // Dg == 0 is the defined case; equal computed rates are treated alike so that no term
  // ever divides by an exact zero.
  c.DegenerateGH = c.Dg == 0 || c.Mu == c.Lambda1 || c.Mu == c.Lambda2;

  if (!c.DegenerateAB) {
    const Split split = SplitByDifference(c.W, d, k1k8);
    Amplitudes left;
    left.A0 = 1;
    left.A[0] = split.Plus;
    left.A[1] = split.Minus;
    left.B[0] = -k[1] / c.W;
    left.B[1] = k[1] / c.W;
    Amplitudes right;
    right.B0 = 1;
    right.A[0] = -k[8] / c.W;
    right.A[1] = k[8] / c.W;
    right.B[0] = split.Minus;
    right.B[1] = split.Plus;
    c.Terms[0] = TermsFor(k, c, left);
    c.Terms[1] = TermsFor(k, c, right);
  }

  for (const auto& side : c.Terms) {
    for (const ModalTerms& m : side) {
      if (HasNaN(m)) return FloatError::Kind::InvalidOperation;
      if (!Finite(m)) return FloatError::Kind::Overflow;
    }
  }
  if (!std::isfinite(c.Lambda1) || !std::isfinite(c.Lambda2) || !std::isfinite(c.Mu)) {
    return FloatError::Kind::Overflow;
  }
  return std::nullopt;
}

// Fills c; answers the kind of error when a fraction is not finite.
std::optional<FloatError::Kind> Evaluate(const CoefficientSet& set, Side side, Real t, Concentrations& c) {
  const Real fast = std::expm1(-set.Lambda1 * t);
  const Real slow = std::expm1(-set.Lambda2 * t);
  const Real exchange = std::expm1(-set.Mu * t);
  const OneBased<ModalTerms, 8>& terms = set.Terms[side == Side::Left ? 0 : 1];

  for (const int s : {kA, kB, kD, kE, kF, kG, kH}) {
    const ModalTerms& m = terms[s];
    c[s] = m.Constant + m.Fast * fast + m.Slow * slow + m.Exchange * exchange;
  }
  c[kC] = 1 - c[kA] - c[kB] - c[kD] - c[kE] - c[kF] - c[kG] - c[kH];
  // Any fraction that is not finite makes C not finite too, so one test guards all eight.
  if (std::isfinite(c[kC])) return std::nullopt;
  bool overflow = std::isinf(fast) || std::isinf(slow) || std::isinf(exchange);
  for (const Real value : c) overflow = overflow || std::isinf(value);
  return overflow ? FloatError::Kind::Overflow : FloatError::Kind::InvalidOperation;
}

}  // namespace

CoefficientSet PrepareCoefficients(const RateConstants& k) {
  CoefficientSet c;
  if (const auto error = Prepare(k, c)) throw FloatError(*error);
  return c;
}

bool TryPrepareCoefficients(const RateConstants& k, CoefficientSet& set) { return !Prepare(k, set).has_value(); }

Concentrations CalcConc(const CoefficientSet& set, Side side, Real t) {
  Concentrations c;
  if (const auto error = Evaluate(set, side, t, c)) throw FloatError(*error);
  return c;
}

bool TryCalcConc(const CoefficientSet& set, Side side, Real t, Concentrations& c) {
  return !Evaluate(set, side, t, c).has_value();
}

Concentrations CalcConcLeft(const CoefficientSet& set, Real t) { return CalcConc(set, Side::Left, t); }

Concentrations CalcConcRight(const CoefficientSet& set, Real t) { return CalcConc(set, Side::Right, t); }

}  // namespace zamo
