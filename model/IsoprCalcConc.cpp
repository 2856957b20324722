#include "model/IsoprCalcConc.h"

#include "model/ClosedForm.h"
#include "model/ZamoError.h"

namespace zamo {

CoefficientSet PrepareCoefficients(const RateConstants& k) {
  CoefficientSet c;
  if (const auto error = PrepareClosedForm<Real>(k, std::nullopt, c)) throw FloatError(*error);
  return c;
}

bool TryPrepareCoefficients(const RateConstants& k, CoefficientSet& set) {
  return !PrepareClosedForm<Real>(k, std::nullopt, set).has_value();
}

bool TryPrepareCoefficients(const RateConstants& k, Side side, CoefficientSet& set) {
  return !PrepareClosedForm<Real>(k, side, set).has_value();
}

Concentrations CalcConc(const CoefficientSet& set, Side side, Real t) {
  Concentrations c;
  if (const auto error = EvaluateClosedForm(set, side, t, c)) throw FloatError(*error);
  return c;
}

bool TryCalcConc(const CoefficientSet& set, Side side, Real t, Concentrations& c) {
  return !EvaluateClosedForm(set, side, t, c).has_value();
}

Concentrations CalcConcLeft(const CoefficientSet& set, Real t) { return CalcConc(set, Side::Left, t); }

Concentrations CalcConcRight(const CoefficientSet& set, Real t) { return CalcConc(set, Side::Right, t); }

}  // namespace zamo
