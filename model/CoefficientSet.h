#pragma once

#include <array>

#include "model/DividedDifferences.h"
#include "model/PairAlgebra.h"
#include "model/Real.h"

namespace zamo {

// A function phi of the A/B rate matrix M, phi(M) = Base I + Slope (M - b I), with
// Slope = phi[l1, l2]. The separate form takes b = l1 and Base = phi(l1); the joint form
// takes b = s and Base = (phi(l1) + phi(l2)) / 2, so that M - b I = N.
template <typename T>
struct MatrixFunction {
  T Base{};
  T Slope{};
};

// One species as a combination of phi(M) applied to the start vector:
// OnBase * Base + OnSlope * Slope.
template <typename T>
struct Mix {
  T OnBase{};
  T OnSlope{};

  T Of(const MatrixFunction<T>& phi) const { return OnBase * phi.Base + OnSlope * phi.Slope; }
  friend bool operator==(const Mix&, const Mix&) = default;
};

// The species of one experiment in one form. A and B are exp(-M t) applied to the start
// vector; D..H are fed by the integrals of A and B, and G and H also exchange the part
// Exchange of the G/H kernel (G gains it, H loses it). C is the mass balance.
template <typename T>
struct SpeciesMix {
  Mix<T> A, B;           // on f = exp(-x t)
  Mix<T> D, E, F, G, H;  // on g = (1 - exp(-x t)) / x, the integral
  Mix<T> Exchange;       // on the G/H kernel f[x, mu, 0]

  friend bool operator==(const SpeciesMix&, const SpeciesMix&) = default;
};

// One species in the modal form X(t) = Constant + sum_i OnDecay[i] (exp(-x_i t) - 1) over the
// nodes x = l2, l1, mu: exact where every two of 0, l2, l1, mu lie far apart (see
// kModalSeparation), and the cheapest form there.
template <typename T>
struct ModalSpecies {
  T Constant{};
  std::array<T, 3> OnDecay{};

  friend bool operator==(const ModalSpecies&, const ModalSpecies&) = default;
};

// Everything of the closed-form solution that depends on the rate constants only, for one
// or both experiments. T is Real, or a dual number for exact derivatives.
template <typename T>
struct BasicCoefficientSet {
  T Ka{};  // total rate out of A
  T Kb{};  // total rate out of B
  T S{};   // (ka + kb) / 2
  T R2{};  // ((ka - kb) / 2)^2 + k1 k8
  T R{};   // sqrt(R2): the decay constants are S +- R
  T P{};   // ka kb - k1 k8 = l1 l2
  T Mu{};  // k15 + k16, the relaxation rate of the G/H pair
  T Lambda1{};
  T Lambda2{};

  // The separate form, used where R t is at least kJointWidth: nodes 0, l2, l1, mu.
  ScalarAlgebra<T> SeparateAlgebra;
  DivisionNodes<ScalarAlgebra<T>, 4> SeparateNodes;
  // The joint form, used where R t is smaller: nodes 0, s + N, mu. Exact at R = 0.
  PairAlgebra<T> JointAlgebra;
  DivisionNodes<PairAlgebra<T>, 3> JointNodes;

  // By experiment: [0] left (start from pure A), [1] right (start from pure B).
  std::array<SpeciesMix<T>, 2> Separate{};
  std::array<SpeciesMix<T>, 2> Joint{};
  // The modal form of A, B, D..H (index 1..8, C unused) by experiment, where Modal is set.
  bool Modal = false;
  std::array<std::array<ModalSpecies<T>, 9>, 2> ModalTerms{};
  std::array<bool, 2> Prepared{};

  friend bool operator==(const BasicCoefficientSet&, const BasicCoefficientSet&) = default;
};

using CoefficientSet = BasicCoefficientSet<Real>;

}  // namespace zamo
