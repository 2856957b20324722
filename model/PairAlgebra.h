#pragma once

#include <cmath>

#include "model/Dual.h"
#include "model/Real.h"

namespace zamo {

// Functions of the 2x2 rate matrix of the A/B pair. Written M = s I + N, its part N satisfies
// N^2 = r^2 I, so every function phi of M is phi(M) = Mean I + Slope N with
//   Mean = (phi(l1) + phi(l2)) / 2 and Slope = phi[l1, l2] = (phi(l1) - phi(l2)) / (l1 - l2),
// l1,2 = s +- r. Both are even in r: in this basis the solution is an analytic function of r^2
// and stays exact, derivatives included, where the two decay constants meet (r = 0).
template <typename T>
struct Pair {
  T Mean{};
  T Slope{};

  friend Pair operator+(const Pair& a, const Pair& b) { return {a.Mean + b.Mean, a.Slope + b.Slope}; }
  friend Pair operator-(const Pair& a, const Pair& b) { return {a.Mean - b.Mean, a.Slope - b.Slope}; }
  friend Pair operator-(const Pair& a) { return {-a.Mean, -a.Slope}; }
  // By a number: T, or a constant.
  template <typename X>
  friend Pair operator*(const Pair& a, const X& x) {
    return {a.Mean * x, a.Slope * x};
  }
  friend bool operator==(const Pair&, const Pair&) = default;
};

// Arithmetic of plain numbers, with the interface of PairAlgebra.
template <typename T>
struct ScalarAlgebra {
  using Scalar = T;
  using Value = T;

  static T Constant(const T& x) { return x; }
  static const T& Number(const T& x) { return x; }
  static T Product(const T& a, const T& b) { return a * b; }
  // 1/a, or 0 where a is 0 (a quotient that is never used: coinciding nodes are expanded
  // in series, never divided by their distance).
  static T Inverse(const T& a) { return ValueOf(a) != 0 ? T(1) / a : T(0); }
  // An upper bound of |a|.
  static Real Reach(const T& a) { return std::fabs(ValueOf(a)); }

  friend bool operator==(const ScalarAlgebra&, const ScalarAlgebra&) = default;
};

// Arithmetic of Mean + Slope N with N^2 = R2.
template <typename T>
struct PairAlgebra {
  using Scalar = T;
  using Value = Pair<T>;

  T R2{};
  Real R = 0;  // sqrt(R2), for bounds only

  static Pair<T> Constant(const T& x) { return {x, T(0)}; }
  // The number of a value known to have no N part.
  static const T& Number(const Pair<T>& x) { return x.Mean; }
  Pair<T> Product(const Pair<T>& a, const Pair<T>& b) const {
    return {a.Mean * b.Mean + R2 * (a.Slope * b.Slope), a.Mean * b.Slope + a.Slope * b.Mean};
  }
  // (m + n N)^-1 = (m - n N) / (m^2 - n^2 r^2); 0 where that is not positive (such a node
  // distance is never divided by: see ScalarAlgebra::Inverse).
  Pair<T> Inverse(const Pair<T>& a) const {
    const T det = a.Mean * a.Mean - R2 * (a.Slope * a.Slope);
    if (!(ValueOf(det) > 0)) return {};
    const T inverse = T(1) / det;
    return {a.Mean * inverse, -(a.Slope * inverse)};
  }
  Real Reach(const Pair<T>& a) const { return std::fabs(ValueOf(a.Mean)) + std::fabs(ValueOf(a.Slope)) * R; }

  friend bool operator==(const PairAlgebra&, const PairAlgebra&) = default;
};

}  // namespace zamo
