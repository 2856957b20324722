#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

#include "model/PairAlgebra.h"
#include "model/Real.h"

namespace zamo {

// Nodes whose distance times t is below this are expanded in series around the lowest of
// them; farther apart, the divided-difference recursion divides by their distance. At this
// width the recursion loses at most (1 + e^-w) / (1 - e^-w) = 4.1 per level to cancellation,
// and the series needs at most 22 terms.
inline constexpr Real kClusterWidth = 0.5L;

// The nodes of the divided differences of f(x) = exp(-x t): quantities that depend on the
// rate constants only. A node is a number, or in the pair algebra the A/B pair s + N, whose
// centre is s.
template <typename Algebra, int Count>
struct DivisionNodes {
  using Scalar = typename Algebra::Scalar;
  using Value = typename Algebra::Value;

  // Position of each node's centre on the rate axis: for ordering and cluster tests.
  std::array<Real, Count> Key{};
  // Offset[i][k] = node k - centre of node i: the expansion variables of a series around i.
  std::array<std::array<Value, Count>, Count> Offset{};
  // Inverse[i][j] = 1 / (node j - node i), the divisors of the recursion.
  std::array<std::array<Value, Count>, Count> Inverse{};
  // The node that differs from its centre (the pair), or -1.
  int PairNode = -1;
  // Per subset (bit mask): its lowest and highest node and the distance of their keys.
  std::array<int, 1u << Count> Lowest{};
  std::array<int, 1u << Count> Highest{};
  std::array<Real, 1u << Count> Spread{};

  void Set(const Algebra& algebra, const std::array<Value, Count>& node, const std::array<Scalar, Count>& centre,
           int pairNode = -1) {
    SetInverses(algebra, node);
    PairNode = pairNode;
    for (int i = 0; i < Count; ++i) {
      Key[i] = ValueOf(centre[i]);
      for (int j = 0; j < Count; ++j) Offset[i][j] = node[j] - Algebra::Constant(centre[i]);
    }
    // Ties: the first node of the lowest key and the last of the highest, so that a subset
    // of two or more nodes has two different ends.
    for (unsigned mask = 1; mask < (1u << Count); ++mask) {
      int lo = -1;
      int hi = -1;
      for (int k = 0; k < Count; ++k) {
        if (!(mask & (1u << k))) continue;
        if (lo < 0 || Key[k] < Key[lo]) lo = k;
        if (hi < 0 || Key[k] >= Key[hi]) hi = k;
      }
      Lowest[mask] = lo;
      Highest[mask] = hi;
      Spread[mask] = Key[hi] - Key[lo];
    }
  }

  // Inverse alone, which is all that the modal form needs.
  void SetInverses(const Algebra& algebra, const std::array<Value, Count>& node) {
    for (int i = 0; i < Count; ++i) {
      for (int j = i + 1; j < Count; ++j) {
        Inverse[i][j] = algebra.Inverse(node[j] - node[i]);
        Inverse[j][i] = -Inverse[i][j];
      }
    }
  }

  friend bool operator==(const DivisionNodes&, const DivisionNodes&) = default;
};

namespace detail {

// 1 / m! for m = 0..kMaxFactorial.
inline constexpr int kMaxFactorial = 40;
inline constexpr std::array<Real, kMaxFactorial + 1> kInverseFactorial = [] {
  std::array<Real, kMaxFactorial + 1> f{};
  f[0] = 1;
  for (int m = 1; m <= kMaxFactorial; ++m) f[m] = f[m - 1] / m;
  return f;
}();

}  // namespace detail

// The divided differences f[x_i, ..., x_j] of f(x) = exp(-x t) over any subset of the nodes,
// exact to a few units of the last place for every configuration of nodes: coinciding,
// nearly coinciding or far apart. A subset is a bit mask over the node indexes; each one is
// computed once.
template <typename Algebra, int Count>
class DividedDifferences {
 public:
  using Scalar = typename Algebra::Scalar;
  using Value = typename Algebra::Value;

  // atNode[i] = f(node i); base[i] = exp(-centre i t), a number also for the pair node.
  DividedDifferences(const Algebra& algebra, const DivisionNodes<Algebra, Count>& nodes,
                     const std::array<Value, Count>& atNode, const std::array<Scalar, Count>& base, Real t)
      : algebra_(algebra), nodes_(nodes), atNode_(atNode), base_(base), t_(t) {}

  const Value& Of(unsigned mask) {
    if (known_ & (1u << mask)) return memo_[mask];
    const int lo = nodes_.Lowest[mask];
    const int hi = nodes_.Highest[mask];
    if (lo == hi) {
      Remember(mask, atNode_[lo]);
    } else if (nodes_.Spread[mask] * std::fabs(t_) < kClusterWidth) {
      Series(mask, lo);
    } else {
      const Value upper = Of(mask & ~(1u << lo));
      const Value lower = Of(mask & ~(1u << hi));
      Remember(mask, algebra_.Product(upper - lower, nodes_.Inverse[lo][hi]));
    }
    return memo_[mask];
  }

 private:
  void Remember(unsigned mask, const Value& value) {
    memo_[mask] = value;
    known_ |= 1u << mask;
  }

  // f[x_0..x_n] = exp(-c t) (-t)^n sum_q (-1)^q h_q(u) / (n + q)!, u_k = (x_k - c) t, with c the
  // centre of node lo and h_q the complete homogeneous symmetric polynomial of degree q. The
  // variables enter h one by one; each intermediate h gives the series of a subset with the
  // same lowest node, which is remembered as well.
  void Series(unsigned mask, int lo) {
    constexpr int kMaxTerms = detail::kMaxFactorial - Count;
    // Terms are bounded by reach^q / q!: stop below a hundredth of the last place.
    Real reach = 0;
    for (int k = 0; k < Count; ++k) {
      if (mask & (1u << k)) reach = std::max(reach, algebra_.Reach(nodes_.Offset[lo][k]) * std::fabs(t_));
    }
    int terms = 1;
    for (Real power = reach; terms < kMaxTerms && power * detail::kInverseFactorial[terms] > 1e-22L; ++terms) {
      power *= reach;
    }
    // Derivatives of a term fall off one power of reach slower than its value, and nodes that
    // meet (reach 0) still differ in their derivatives, through the first powers. Plain
    // numbers take the same terms, so that a value is the same with or without derivatives.
    terms = std::min(std::max(terms + 1, 3), kMaxTerms);
    std::array<Value, kMaxTerms + 1> h;  // NOLINT(cppcoreguidelines-pro-type-member-init): filled to `terms`
    h[0] = Algebra::Constant(Scalar(1));
    for (int q = 1; q <= terms; ++q) h[q] = Value{};
    Scalar scale = base_[lo];
    unsigned subset = 1u << lo;
    if (lo == nodes_.PairNode) {
      // The pair differs from its own centre by N.
      const Value u = nodes_.Offset[lo][lo] * t_;
      for (int q = 1; q <= terms; ++q) h[q] = algebra_.Product(u, h[q - 1]);
      if (!(known_ & (1u << subset))) Remember(subset, atNode_[lo]);
    }
    for (int k = 0; k < Count; ++k) {
      if (k == lo || !(mask & (1u << k))) continue;
      const Value u = nodes_.Offset[lo][k] * t_;
      if (k == nodes_.PairNode) {
        for (int q = 1; q <= terms; ++q) h[q] = h[q] + algebra_.Product(u, h[q - 1]);
      } else {
        const Scalar& number = Algebra::Number(u);
        for (int q = 1; q <= terms; ++q) h[q] = h[q] + h[q - 1] * number;
      }
      subset |= 1u << k;
      scale = scale * -t_;
      if (known_ & (1u << subset)) continue;
      const int n = std::popcount(subset) - 1;
      Value sum{};
      for (int q = terms; q >= 0; --q) {
        const Value term = h[q] * detail::kInverseFactorial[n + q];
        sum = q % 2 == 0 ? sum + term : sum - term;
      }
      Remember(subset, sum * scale);
    }
  }

  const Algebra& algebra_;
  const DivisionNodes<Algebra, Count>& nodes_;
  const std::array<Value, Count>& atNode_;
  const std::array<Scalar, Count>& base_;
  Real t_;
  std::array<Value, 1u << Count> memo_;  // NOLINT(cppcoreguidelines-pro-type-member-init): see known_
  unsigned known_ = 0;                   // bit m: memo_[m] holds the divided difference over subset m
};

}  // namespace zamo
