#pragma once

#include <array>
#include <cmath>

#include "model/Real.h"

namespace zamo {

// A forward-mode dual number: a value and its derivatives with respect to N parameters.
// The closed form is written once over its number type; evaluated with Dual it gives the
// exact derivatives of the same arithmetic, so value and Jacobian cannot drift apart. The
// value is always extended; the derivatives are of type S: extended for tests that check
// them to the last place, double for a solver that works in double anyway (and then in
// vector registers, several times faster). There are no comparison operators: a branch
// decides on ValueOf(x) explicitly.
template <int N, typename S = Real>
struct Dual {
  Real Value;
  std::array<S, N> Slope;

  Dual() : Value(0), Slope{} {}
  Dual(Real value) : Value(value), Slope{} {}  // NOLINT(google-explicit-constructor): constants mix in freely

  // The parameter with the given index (0..N-1) at the given value.
  static Dual Parameter(Real value, int index) {
    Dual d(value);
    d.Slope[static_cast<std::size_t>(index)] = 1;
    return d;
  }

  friend Dual operator-(const Dual& a) {
    Dual d(Unset{});
    d.Value = -a.Value;
    for (int i = 0; i < N; ++i) d.Slope[i] = -a.Slope[i];
    return d;
  }
  friend Dual operator+(const Dual& a, const Dual& b) {
    Dual d(Unset{});
    d.Value = a.Value + b.Value;
    for (int i = 0; i < N; ++i) d.Slope[i] = a.Slope[i] + b.Slope[i];
    return d;
  }
  friend Dual operator-(const Dual& a, const Dual& b) {
    Dual d(Unset{});
    d.Value = a.Value - b.Value;
    for (int i = 0; i < N; ++i) d.Slope[i] = a.Slope[i] - b.Slope[i];
    return d;
  }
  friend Dual operator*(const Dual& a, const Dual& b) {
    Dual d(Unset{});
    d.Value = a.Value * b.Value;
    const S av = static_cast<S>(a.Value);
    const S bv = static_cast<S>(b.Value);
    for (int i = 0; i < N; ++i) d.Slope[i] = a.Slope[i] * bv + av * b.Slope[i];
    return d;
  }
  friend Dual operator/(const Dual& a, const Dual& b) {
    Dual d(Unset{});
    d.Value = a.Value / b.Value;
    const S inverse = static_cast<S>(1 / b.Value);
    const S quotient = static_cast<S>(d.Value);
    for (int i = 0; i < N; ++i) d.Slope[i] = (a.Slope[i] - quotient * b.Slope[i]) * inverse;
    return d;
  }
  friend Dual operator+(const Dual& a, Real b) {
    Dual d = a;
    d.Value += b;
    return d;
  }
  friend Dual operator+(Real a, const Dual& b) { return b + a; }
  friend Dual operator-(const Dual& a, Real b) { return a + -b; }
  friend Dual operator-(Real a, const Dual& b) { return -b + a; }
  friend Dual operator*(const Dual& a, Real b) { return Chain(a, a.Value * b, b); }
  friend Dual operator*(Real a, const Dual& b) { return Chain(b, a * b.Value, a); }
  friend Dual operator/(const Dual& a, Real b) { return Chain(a, a.Value / b, 1 / b); }
  friend Dual exp(const Dual& a) { return Chain(a, std::exp(a.Value), std::exp(a.Value)); }
  friend Dual expm1(const Dual& a) { return Chain(a, std::expm1(a.Value), std::exp(a.Value)); }
  // sqrt(0) has no derivative; callers take the root only of a positive value.
  friend Dual sqrt(const Dual& a) {
    const Real root = std::sqrt(a.Value);
    return Chain(a, root, 1 / (2 * root));
  }

 private:
  // A result whose slopes the operator writes in full: not zeroed first (the zeroing of
  // every temporary's slopes was a sixth of a fit's time).
  struct Unset {};
  // NOLINTNEXTLINE(cppcoreguidelines-pro-type-member-init): every slope is written next
  explicit Dual(Unset) : Value(0) {}

  // f(a) from f(a.Value) and f'(a.Value).
  static Dual Chain(const Dual& a, Real value, Real derivative) {
    Dual d(Unset{});
    d.Value = value;
    const S factor = static_cast<S>(derivative);
    for (int i = 0; i < N; ++i) d.Slope[i] = factor * a.Slope[i];
    return d;
  }
};

inline Real ValueOf(Real x) { return x; }
template <int N, typename S>
Real ValueOf(const Dual<N, S>& x) {
  return x.Value;
}

}  // namespace zamo
