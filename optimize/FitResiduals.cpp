#include "optimize/FitResiduals.h"

#include <algorithm>

#include "model/ClosedForm.h"
#include "model/MeasuredRows.h"

namespace zamo {

namespace {

template <typename T>
OneBased<T, kRateConstantCount> ConstantsFor(const FitProblem& problem, const std::vector<Real>& free) {
  OneBased<T, kRateConstantCount> k;
  for (int i = 1; i <= kRateConstantCount; ++i) k[i] = T(problem.Constants[i]);
  for (std::size_t n = 0; n < problem.Free.size(); ++n) {
    if constexpr (std::is_same_v<T, Real>) {
      k[problem.Free[n]] = free[n];
    } else {
      k[problem.Free[n]] = T::Parameter(free[n], static_cast<int>(n));
    }
  }
  return k;
}

template <typename T>
std::optional<FloatError::Kind> Residuals(const FitProblem& problem, const std::vector<Real>& free,
                                          BasicCoefficientSet<T>& set, T* out) {
  const OneBased<T, kRateConstantCount> k = ConstantsFor<T>(problem, free);
  std::optional<Side> only;
  if (problem.Experiments == FitExperiments::Left) only = Side::Left;
  if (problem.Experiments == FitExperiments::Right) only = Side::Right;
  if (auto error = PrepareClosedForm(k, only, set)) return error;
  for (const Side side : {Side::Left, Side::Right}) {
    if (!problem.Includes(side)) continue;
    const auto weigh = [&out, &problem](const MeasuredRow<T>& row) {
      for (int s = 1; s <= kSpeciesCount; ++s) *out++ = row.Residual[s] * (100 * problem.Weight[s]);
    };
    if (auto error = ForEachMeasuredRow(&set, side, side == Side::Left ? problem.Left : problem.Right, weigh)) {
      return error;
    }
  }
  return std::nullopt;
}

// The coefficients and residuals of one width of dual numbers, made on first use.
template <int N>
struct Differentiated {
  using Jet = Dual<N, double>;
  BasicCoefficientSet<Jet> Set;
  std::vector<Jet> Jets;
};

template <int N>
std::optional<FloatError::Kind> JacobianWith(const FitProblem& problem, const std::vector<Real>& free,
                                             std::unique_ptr<Differentiated<N>>& scratch, Real* residuals,
                                             double* jacobian) {
  if (!scratch) scratch = std::make_unique<Differentiated<N>>();
  std::vector<typename Differentiated<N>::Jet>& jets = scratch->Jets;
  jets.resize(static_cast<std::size_t>(problem.ResidualCount()));
  if (auto error = Residuals(problem, free, scratch->Set, jets.data())) return error;
  const std::size_t p = free.size();
  for (std::size_t i = 0; i < jets.size(); ++i) {
    residuals[i] = jets[i].Value;
    for (std::size_t n = 0; n < p; ++n) jacobian[i * p + n] = jets[i].Slope[n];
  }
  return std::nullopt;
}

}  // namespace

int FitProblem::RowCount() const {
  int rows = 0;
  for (const Side side : {Side::Left, Side::Right}) {
    if (Includes(side)) rows += std::clamp((side == Side::Left ? Left : Right).LastRow, 0, kMaxRow);
  }
  return rows;
}

struct FitEvaluator::Scratch {
  CoefficientSet Plain;
  std::unique_ptr<BasicCoefficientSet<FitJet>> Full;
  std::unique_ptr<Differentiated<4>> Four;
  std::unique_ptr<Differentiated<8>> Eight;
  std::unique_ptr<Differentiated<16>> Sixteen;
};

FitEvaluator::FitEvaluator(const FitProblem& problem) : problem_(problem), scratch_(std::make_unique<Scratch>()) {}

FitEvaluator::~FitEvaluator() = default;

std::optional<FloatError::Kind> FitEvaluator::Residuals(const std::vector<Real>& free, Real* out) {
  return zamo::Residuals(problem_, free, scratch_->Plain, out);
}

std::optional<FloatError::Kind> FitEvaluator::Residuals(const std::vector<Real>& free, FitJet* out) {
  if (!scratch_->Full) scratch_->Full = std::make_unique<BasicCoefficientSet<FitJet>>();
  return zamo::Residuals(problem_, free, *scratch_->Full, out);
}

std::optional<FloatError::Kind> FitEvaluator::Jacobian(const std::vector<Real>& free, Real* residuals,
                                                       double* jacobian) {
  if (free.size() <= 4) return JacobianWith(problem_, free, scratch_->Four, residuals, jacobian);
  if (free.size() <= 8) return JacobianWith(problem_, free, scratch_->Eight, residuals, jacobian);
  return JacobianWith(problem_, free, scratch_->Sixteen, residuals, jacobian);
}

bool FitProblemFunction::Evaluate(const std::vector<Real>& x, Real* residuals) {
  return !evaluator_.Residuals(x, residuals);
}

bool FitProblemFunction::Evaluate(const std::vector<Real>& x, Real* residuals, double* jacobian) {
  return !evaluator_.Jacobian(x, residuals, jacobian);
}

std::optional<FloatError::Kind> FitResiduals(const FitProblem& problem, const std::vector<Real>& free, Real* out) {
  return FitEvaluator(problem).Residuals(free, out);
}

std::optional<FloatError::Kind> FitResiduals(const FitProblem& problem, const std::vector<Real>& free, FitJet* out) {
  return FitEvaluator(problem).Residuals(free, out);
}

}  // namespace zamo
