#include "optimize/FitResiduals.h"

#include <algorithm>

#include "model/ClosedForm.h"

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
  OneBased<T, kSpeciesCount> c;
  for (const Side side : {Side::Left, Side::Right}) {
    if (!problem.Includes(side)) continue;
    const Experiment& e = side == Side::Left ? problem.Left : problem.Right;
    const int last = std::clamp(e.LastRow, 0, kMaxRow);
    for (int j = 1; j <= last; ++j) {
      const auto row = static_cast<std::size_t>(j);
      if (auto error = EvaluateClosedForm(set, side, static_cast<Real>(e.Times[row]), c)) return error;
      for (int s = 1; s <= kSpeciesCount; ++s) {
        *out++ = (T(e.Observed[row][s]) - c[s]) * (100 * problem.Weight[s]);
      }
    }
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
  BasicCoefficientSet<FitJet> Differentiated;
};

FitEvaluator::FitEvaluator(const FitProblem& problem) : problem_(problem), scratch_(std::make_unique<Scratch>()) {}

FitEvaluator::~FitEvaluator() = default;

std::optional<FloatError::Kind> FitEvaluator::Residuals(const std::vector<Real>& free, Real* out) {
  return zamo::Residuals(problem_, free, scratch_->Plain, out);
}

std::optional<FloatError::Kind> FitEvaluator::Residuals(const std::vector<Real>& free, FitJet* out) {
  return zamo::Residuals(problem_, free, scratch_->Differentiated, out);
}

bool FitProblemFunction::Evaluate(const std::vector<Real>& x, Real* residuals) {
  return !evaluator_.Residuals(x, residuals);
}

bool FitProblemFunction::Evaluate(const std::vector<Real>& x, Real* residuals, double* jacobian) {
  jets_.resize(static_cast<std::size_t>(ResidualCount()));
  if (evaluator_.Residuals(x, jets_.data())) return false;
  const std::size_t p = x.size();
  for (std::size_t i = 0; i < jets_.size(); ++i) {
    residuals[i] = jets_[i].Value;
    for (std::size_t n = 0; n < p; ++n) jacobian[i * p + n] = jets_[i].Slope[n];
  }
  return true;
}

std::optional<FloatError::Kind> FitResiduals(const FitProblem& problem, const std::vector<Real>& free, Real* out) {
  return FitEvaluator(problem).Residuals(free, out);
}

std::optional<FloatError::Kind> FitResiduals(const FitProblem& problem, const std::vector<Real>& free, FitJet* out) {
  return FitEvaluator(problem).Residuals(free, out);
}

}  // namespace zamo
