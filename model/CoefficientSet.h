#pragma once

#include <array>

#include "model/OneBased.h"
#include "model/Real.h"

namespace zamo {

// The concentration of one species in the modal form
//   X(t) = Constant + Fast*(exp(-l1*t) - 1) + Slow*(exp(-l2*t) - 1) + Exchange*(exp(-mu*t) - 1),
// where l1 >= l2 are the decay constants of the A/B pair and mu = k15 + k16 the relaxation
// rate of the G/H pair. Writing the exponentials as exp(x) - 1 keeps small times exact and
// large times finite.
struct ModalTerms {
  Real Constant = 0;
  Real Fast = 0;
  Real Slow = 0;
  Real Exchange = 0;
};

// Everything of the closed-form solution that depends on the rate constants only.
struct CoefficientSet {
  Real Ka = 0;  // total rate out of A
  Real Kb = 0;  // total rate out of B
  Real S = 0;   // (ka + kb) / 2
  Real W = 0;   // sqrt((ka - kb)^2 + 4 k1 k8)
  Real P = 0;   // ka kb - k1 k8 = l1 l2
  Real Mu = 0;  // k15 + k16
  Real Dg = 0;  // mu P (mu - l1)(mu - l2)
  Real Lambda1 = 0;
  Real Lambda2 = 0;
  // W == 0: A, B, D..H are 0 at every time, C is 1.
  bool DegenerateAB = false;
  // Dg == 0: G and H are 0 at every time, C takes their share.
  bool DegenerateGH = false;
  // Terms of species A, B, D..H for the left [0] and right [1] experiment; C is never
  // stored, it is the mass balance.
  std::array<OneBased<ModalTerms, 8>, 2> Terms{};
};

}  // namespace zamo
