#pragma once

#include <array>
#include <cstddef>
#include <span>

#include "model/IsoprCalcConc.h"
#include "model/KineticProject.h"

namespace zamo::bench {

// The general-purpose route to the concentrations the closed form gives: the network's rate
// equations as the linear system dc/dt = M c over A..H, integrated numerically. It exists
// only as the baseline the closed form is measured against.

// M[i][j] is the rate at which species j feeds species i (0-based, A = 0), in 1/s: A <-> B
// through k1 (A->B) and k8 (B->A), A -> C..H through k2..k7, B -> C..H through k9..k14,
// G <-> H through k16 (G->H) and k15 (H->G). Every column sums to 0.
using RateMatrix = std::array<std::array<Real, kSpeciesCount>, kSpeciesCount>;

RateMatrix BuildRateMatrix(const RateConstants& k);

// Integrates from the start composition of the experiment at t = 0 (A = 1 on the left,
// B = 1 on the right) with the adaptive Dormand-Prince 5(4) stepper of Boost.Odeint in
// extended precision, absolute and relative tolerance 1e-10, stepping exactly onto each of
// `times` (seconds, ascending, > 0, at most kMaxRow of them) and writing the fractions there
// to out[0..times.size()). Returns the number of steps taken. Allocates nothing.
std::size_t IntegrateAtTimes(const RateMatrix& m, Side side, std::span<const Real> times,
                             std::span<Concentrations> out);

}  // namespace zamo::bench
