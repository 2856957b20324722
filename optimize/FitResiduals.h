#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "model/Dual.h"
#include "model/KineticProject.h"
#include "model/ZamoError.h"
#include "optimize/ResidualFunction.h"

namespace zamo {

// Which experiments a least-squares fit compares with.
enum class FitExperiments { Both, Left, Right };

// The residuals of the least-squares fit: r = 100 (observed - calculated), in percentage
// points, of A..H at rows 1..LastRow of every included experiment, each times the weight of
// its species; C and H from the mass balances as everywhere. Ordered by experiment (left
// first), row and species.
struct FitProblem {
  RateConstants Constants{};  // the fixed constants; the free ones are given per evaluation
  std::vector<int> Free;      // indexes 1..16 of the free constants
  Experiment Left;
  Experiment Right;
  FitExperiments Experiments = FitExperiments::Both;
  SpeciesValues Weight = [] {
    SpeciesValues w;
    w.Fill(1);
    return w;
  }();

  bool Includes(Side side) const {
    return Experiments == FitExperiments::Both || (Experiments == FitExperiments::Left) == (side == Side::Left);
  }
  // Rows 1..LastRow of the included experiments.
  int RowCount() const;
  int ResidualCount() const { return kSpeciesCount * RowCount(); }
};

// The derivatives carry one slope per free constant, at most sixteen, in double: they go to
// the solver, which works in double.
using FitJet = Dual<kRateConstantCount, double>;

// Evaluates the residuals of one problem again and again, reusing its coefficient sets.
class FitEvaluator {
 public:
  explicit FitEvaluator(const FitProblem& problem);
  ~FitEvaluator();
  FitEvaluator(const FitEvaluator&) = delete;
  FitEvaluator& operator=(const FitEvaluator&) = delete;

  // Residuals for the free constants `free` (in the order of problem.Free) into `out`,
  // which holds ResidualCount() values. Answers the kind of error where the closed form
  // cannot be evaluated for these constants.
  std::optional<FloatError::Kind> Residuals(const std::vector<Real>& free, Real* out);
  // The same with the derivatives of every residual with respect to each free constant.
  std::optional<FloatError::Kind> Residuals(const std::vector<Real>& free, FitJet* out);
  // The residuals and their Jacobian, row by row (jacobian[i * p + n] = dr_i / dk_n with p
  // free constants), with dual numbers no wider than needed: the work of the derivatives
  // grows with their number.
  std::optional<FloatError::Kind> Jacobian(const std::vector<Real>& free, Real* residuals, double* jacobian);

 private:
  struct Scratch;
  const FitProblem& problem_;
  std::unique_ptr<Scratch> scratch_;
};

// A FitProblem for the solver: the parameters are its free constants, in the order of Free.
class FitProblemFunction final : public ResidualFunction {
 public:
  explicit FitProblemFunction(const FitProblem& problem) : problem_(problem), evaluator_(problem) {}

  int ParameterCount() const override { return static_cast<int>(problem_.Free.size()); }
  int ResidualCount() const override { return problem_.ResidualCount(); }
  bool Evaluate(const std::vector<Real>& x, Real* residuals) override;
  bool Evaluate(const std::vector<Real>& x, Real* residuals, double* jacobian) override;

 private:
  const FitProblem& problem_;
  FitEvaluator evaluator_;
};

// One evaluation, for callers that need only a few.
std::optional<FloatError::Kind> FitResiduals(const FitProblem& problem, const std::vector<Real>& free, Real* out);
std::optional<FloatError::Kind> FitResiduals(const FitProblem& problem, const std::vector<Real>& free, FitJet* out);

}  // namespace zamo
