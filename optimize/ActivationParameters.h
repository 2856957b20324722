#pragma once

#include <array>
#include <optional>
#include <vector>

#include "model/Real.h"

namespace zamo {

// The activation parameters of one pathway (rate constant) in every form a chemist quotes,
// all at the same reference temperature, with standard errors. A standard error or
// correlation is NaN where the fit does not determine it.
struct ActivationParameters {
  int Index = 0;                  // the constant, 1..16
  Real ReferenceTemperature = 0;  // T_ref, kelvin
  // The centred Arrhenius form k(T) = k(T_ref) exp(Ea / R (1 / T_ref - 1 / T)).
  Real LnKRef = 0;  // ln(k(T_ref) s)
  Real LnKRefSe = 0;
  Real Ea = 0;  // J/mol
  Real EaSe = 0;
  Real CorrEaLnKRef = 0;
  // The usual form k(T) = A exp(-Ea / (R T)).
  Real LnA = 0;  // ln(A s)
  Real LnASe = 0;
  Real CorrEaLnA = 0;
  // The Eyring form k(T) = kB T / h exp(Delta S / R) exp(-Delta H / (R T)) at T_ref:
  // Delta H = Ea - R T_ref, Delta S = R (ln A - ln(kB T_ref / h) - 1), Delta G = Delta H -
  // T_ref Delta S.
  Real DeltaH = 0;  // J/mol
  Real DeltaHSe = 0;
  Real DeltaS = 0;  // J/(mol K)
  Real DeltaSSe = 0;
  Real DeltaG = 0;  // J/mol
  Real DeltaGSe = 0;

  // k(T) in 1/s.
  Real RateAt(Real kelvin) const;
};

// Every form from the centred pair (ln k(T_ref), Ea) and its covariance
// [[var ln k_ref, cov], [cov, var Ea]], the standard errors propagated linearly (each form is
// linear in the pair).
ActivationParameters MakeActivationParameters(int index, Real referenceTemperature, Real lnKRef, Real ea,
                                              const std::array<std::array<Real, 2>, 2>& covariance);

// One rate constant measured at one temperature, with its standard error.
struct RatePoint {
  Real Kelvin = 0;
  Real K = 0;
  Real Se = 0;
};

// The weighted straight line ln k = ln k(T_ref) - Ea / R (1 / T - 1 / T_ref) through the
// points, each weighted by 1 / SE(ln k)^2 = (k / SE)^2. Its covariance is (X^T W X)^-1, the
// weights being the variances the fits estimated; where the points scatter about the line
// more than those allow (chi-squared / dof > 1, dof = points - 2), it is scaled by
// chi-squared / dof, so that the standard errors reflect the scatter (SeScale = its root).
struct ArrheniusLine {
  ActivationParameters Parameters;
  Real ChiSquared = 0;
  int Dof = 0;
  int Points = 0;    // points on the line
  Real SeScale = 1;  // sqrt(chi-squared / dof) where that exceeds 1, else 1
};

// The line through the points with k > 0 and a finite SE > 0. None with fewer than two
// such points.
std::optional<ArrheniusLine> FitArrheniusLine(int index, const std::vector<RatePoint>& points,
                                              Real referenceTemperature);

}  // namespace zamo
