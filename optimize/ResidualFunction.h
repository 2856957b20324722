#pragma once

#include <vector>

#include "model/Real.h"

namespace zamo {

// A least-squares problem as the trust-region solver and the covariance see it: the
// residuals r(x) of ParameterCount() parameters and their exact Jacobian. The single fit of
// one project and the global fit of a temperature series are both given to the solver in
// this form. An evaluation may keep scratch in the object, so it is used from one thread.
class ResidualFunction {
 public:
  virtual ~ResidualFunction() = default;

  virtual int ParameterCount() const = 0;
  virtual int ResidualCount() const = 0;

  // r(x) into `residuals` (ResidualCount() values); false where x cannot be evaluated.
  virtual bool Evaluate(const std::vector<Real>& x, Real* residuals) = 0;
  // r(x) and dr_i/dx_n into jacobian[i * ParameterCount() + n]; false where x cannot be
  // evaluated.
  virtual bool Evaluate(const std::vector<Real>& x, Real* residuals, double* jacobian) = 0;
};

}  // namespace zamo
