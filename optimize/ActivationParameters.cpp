#include "optimize/ActivationParameters.h"

#include <Eigen/Dense>
#include <cmath>

#include "model/TemperatureSeries.h"

namespace zamo {

namespace {

using Matrix2 = Eigen::Matrix<Real, 2, 2>;
using Vector2 = Eigen::Matrix<Real, 2, 1>;

Real Correlation(const Matrix2& c) { return c(0, 1) / std::sqrt(c(0, 0) * c(1, 1)); }

}  // namespace

Real ActivationParameters::RateAt(Real kelvin) const { return ArrheniusRate(LnKRef, Ea, ReferenceTemperature, kelvin); }

ActivationParameters MakeActivationParameters(int index, Real referenceTemperature, Real lnKRef, Real ea,
                                              const std::array<std::array<Real, 2>, 2>& covariance) {
  const Real t = referenceTemperature;
  const Real rt = kGasConstant * t;
  Matrix2 centred;  // over (ln k_ref, Ea)
  centred << covariance[0][0], covariance[0][1], covariance[1][0], covariance[1][1];
  // (Ea, ln A) = M (ln k_ref, Ea) with ln A = ln k_ref + Ea / (R T_ref).
  Matrix2 m;
  m << 0, 1, 1, 1 / rt;
  const Matrix2 usual = m * centred * m.transpose();

  ActivationParameters a;
  a.Index = index;
  a.ReferenceTemperature = t;
  a.LnKRef = lnKRef;
  a.LnKRefSe = std::sqrt(centred(0, 0));
  a.Ea = ea;
  a.EaSe = std::sqrt(centred(1, 1));
  a.CorrEaLnKRef = Correlation(centred);
  a.LnA = lnKRef + ea / rt;
  a.LnASe = std::sqrt(usual(1, 1));
  a.CorrEaLnA = Correlation(usual);
  // Delta H and Delta S are Ea and ln A shifted and scaled; Delta G = -R T_ref (ln k_ref -
  // ln(kB T_ref / h)) depends on ln k_ref alone.
  const Real lnFrequency = std::log(kBoltzmann * t / kPlanck);
  a.DeltaH = ea - rt;
  a.DeltaHSe = a.EaSe;
  a.DeltaS = kGasConstant * (a.LnA - lnFrequency - 1);
  a.DeltaSSe = kGasConstant * a.LnASe;
  a.DeltaG = a.DeltaH - t * a.DeltaS;
  a.DeltaGSe = rt * a.LnKRefSe;
  return a;
}

std::optional<ArrheniusLine> FitArrheniusLine(int index, const std::vector<RatePoint>& points,
                                              Real referenceTemperature) {
  // Rows (1, x) with x = 1 / T_ref - 1 / T, so that ln k = ln k_ref + (Ea / R) x.
  Matrix2 normal = Matrix2::Zero();
  Vector2 moment = Vector2::Zero();
  struct Used {
    Real X, Y, W;
  };
  std::vector<Used> used;
  for (const RatePoint& p : points) {
    if (!(p.K > 0) || !std::isfinite(p.Se) || !(p.Se > 0)) continue;
    const Real x = 1 / referenceTemperature - 1 / p.Kelvin;
    const Real y = std::log(p.K);
    const Real w = (p.K / p.Se) * (p.K / p.Se);
    used.push_back({x, y, w});
    const Vector2 row(1, x);
    normal += w * row * row.transpose();
    moment += w * y * row;
  }
  if (used.size() < 2) return std::nullopt;
  const Eigen::LDLT<Matrix2> solver(normal);
  const Vector2 line = solver.solve(moment);
  Matrix2 covariance = solver.solve(Matrix2::Identity());

  ArrheniusLine result;
  result.Points = static_cast<int>(used.size());
  result.Dof = result.Points - 2;
  for (const Used& u : used) {
    const Real r = u.Y - line(0) - line(1) * u.X;
    result.ChiSquared += u.W * r * r;
  }
  if (result.Dof > 0 && result.ChiSquared > result.Dof) {
    result.SeScale = std::sqrt(result.ChiSquared / result.Dof);
    covariance *= result.ChiSquared / result.Dof;
  }
  // Ea = R x slope: var Ea = R^2 var slope, cov(ln k_ref, Ea) = R cov(intercept, slope).
  const Real r = kGasConstant;
  result.Parameters = MakeActivationParameters(
      index, referenceTemperature, line(0), r * line(1),
      {{{covariance(0, 0), r * covariance(0, 1)}, {r * covariance(1, 0), r * r * covariance(1, 1)}}});
  return result;
}

}  // namespace zamo
