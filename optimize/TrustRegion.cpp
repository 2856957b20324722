#include "optimize/TrustRegion.h"

#include <ceres/ceres.h>

#include <limits>
#include <memory>

namespace zamo {

namespace {

// The residuals of a FitProblem for Ceres: one parameter block of size 1 per free constant,
// in multiples of its scale, so that the solver's steps and tolerances are relative.
class FitCost final : public ceres::CostFunction {
 public:
  FitCost(const FitProblem& problem, const std::vector<Real>& scale, int& evaluations)
      : problem_(problem),
        evaluator_(problem),
        scale_(scale),
        evaluations_(evaluations),
        residualCount_(problem.ResidualCount()) {
    set_num_residuals(residualCount_);
    mutable_parameter_block_sizes()->assign(problem.Free.size(), 1);
  }

  bool Evaluate(double const* const* parameters, double* residuals, double** jacobians) const override {
    ++evaluations_;
    std::vector<Real> free(problem_.Free.size());
    for (std::size_t n = 0; n < free.size(); ++n) free[n] = static_cast<Real>(parameters[n][0]) * scale_[n];
    if (jacobians == nullptr) {
      std::vector<Real> r(static_cast<std::size_t>(residualCount_));
      if (evaluator_.Residuals(free, r.data())) return false;
      for (int i = 0; i < residualCount_; ++i) residuals[i] = static_cast<double>(r[static_cast<std::size_t>(i)]);
      return true;
    }
    std::vector<FitJet> r(static_cast<std::size_t>(residualCount_));
    if (evaluator_.Residuals(free, r.data())) return false;
    for (int i = 0; i < residualCount_; ++i) {
      const FitJet& x = r[static_cast<std::size_t>(i)];
      residuals[i] = static_cast<double>(x.Value);
      for (std::size_t n = 0; n < free.size(); ++n) {
        if (jacobians[n] != nullptr) jacobians[n][i] = x.Slope[n] * static_cast<double>(scale_[n]);
      }
    }
    return true;
  }

 private:
  const FitProblem& problem_;
  mutable FitEvaluator evaluator_;  // scratch: Ceres evaluates from one thread
  const std::vector<Real>& scale_;
  int& evaluations_;
  int residualCount_;
};

class Reporter final : public ceres::IterationCallback {
 public:
  Reporter(const std::vector<double>& x, const std::vector<Real>& scale, const IterationSink& sink)
      : x_(x), scale_(scale), sink_(sink) {}

  ceres::CallbackReturnType operator()(const ceres::IterationSummary& summary) override {
    if (!sink_) return ceres::SOLVER_CONTINUE;
    std::vector<Real> free(x_.size());
    for (std::size_t n = 0; n < free.size(); ++n) free[n] = static_cast<Real>(x_[n]) * scale_[n];
    // Ceres minimises half the sum of squares. A stop ends the solve as a success, so that
    // it keeps the constants reached (a failure would restore the start).
    if (sink_(2 * static_cast<Real>(summary.cost), free)) return ceres::SOLVER_CONTINUE;
    stopped_ = true;
    return ceres::SOLVER_TERMINATE_SUCCESSFULLY;
  }

  bool Stopped() const { return stopped_; }

 private:
  const std::vector<double>& x_;
  const std::vector<Real>& scale_;
  const IterationSink& sink_;
  bool stopped_ = false;
};

}  // namespace

Real WeightedSsr(const FitProblem& problem, const std::vector<Real>& free) {
  std::vector<Real> r(static_cast<std::size_t>(problem.ResidualCount()));
  if (FitResiduals(problem, free, r.data())) return std::numeric_limits<Real>::infinity();
  Real sum = 0;
  for (const Real x : r) sum += x * x;
  return sum;
}

namespace {

// One run of the bounded trust-region solver.
Minimum SolveBounded(const FitProblem& problem, const std::vector<Real>& start, const std::vector<Real>& scale,
                     const IterationSink& iteration, int& evaluations) {
  const std::size_t p = problem.Free.size();
  std::vector<double> x(p);
  for (std::size_t n = 0; n < p; ++n) x[n] = static_cast<double>(start[n] / scale[n]);

  ceres::Problem solverProblem;
  std::vector<double*> blocks;
  blocks.reserve(p);
  for (double& value : x) blocks.push_back(&value);
  // The problem takes the cost function over.
  solverProblem.AddResidualBlock(std::make_unique<FitCost>(problem, scale, evaluations).release(), nullptr, blocks);
  for (double* block : blocks) solverProblem.SetParameterLowerBound(block, 0, 0.0);

  ceres::Solver::Options options;
  options.minimizer_type = ceres::TRUST_REGION;
  options.trust_region_strategy_type = ceres::LEVENBERG_MARQUARDT;
  options.linear_solver_type = ceres::DENSE_QR;
  options.max_num_iterations = 200;
  options.function_tolerance = 1e-14;
  options.gradient_tolerance = 1e-16;
  options.parameter_tolerance = 1e-12;
  options.num_threads = 1;
  options.logging_type = ceres::SILENT;
  options.minimizer_progress_to_stdout = false;
  options.update_state_every_iteration = true;
  Reporter reporter(x, scale, iteration);
  options.callbacks.push_back(&reporter);

  ceres::Solver::Summary summary;
  ceres::Solve(options, &solverProblem, &summary);

  Minimum m;
  m.Free.resize(p);
  for (std::size_t n = 0; n < p; ++n) m.Free[n] = static_cast<Real>(x[n]) * scale[n];
  m.WeightedSsr = WeightedSsr(problem, m.Free);
  m.Iterations = static_cast<int>(summary.iterations.size()) - 1;
  m.Stopped = reporter.Stopped();
  m.Converged = summary.termination_type == ceres::CONVERGENCE;
  return m;
}

// A constant within this many of its scale units of 0 is at its bound.
constexpr Real kAtBound = 1e-9L;
constexpr int kMaxActiveSetRounds = 8;

}  // namespace

// The trust-region solver projects each step onto k >= 0, which stalls in tiny steps when a
// constant sits on its bound while the others still have far to go. So constants that reach
// the bound are held at 0 and the others solved again; a held constant is let go when its
// gradient points back into the feasible side (until the Karush-Kuhn-Tucker conditions hold).
Minimum Minimize(const FitProblem& problem, const std::vector<Real>& start, const std::vector<Real>& scale,
                 const IterationSink& iteration, int& evaluations) {
  const std::size_t p = problem.Free.size();
  std::vector<Real> reached = start;
  std::vector<bool> held(p, false);
  Minimum result;
  for (int round = 0; round < kMaxActiveSetRounds; ++round) {
    FitProblem reduced = problem;
    reduced.Free.clear();
    std::vector<Real> reducedStart;
    std::vector<Real> reducedScale;
    for (std::size_t n = 0; n < p; ++n) {
      if (held[n]) {
        reduced.Constants[problem.Free[n]] = 0;
        reached[n] = 0;
      } else {
        reduced.Free.push_back(problem.Free[n]);
        reducedStart.push_back(reached[n]);
        reducedScale.push_back(scale[n]);
      }
    }
    const IterationSink expand = [&](Real weightedSsr, const std::vector<Real>& free) {
      if (!iteration) return true;
      std::vector<Real> all = reached;
      for (std::size_t n = 0, m = 0; n < p; ++n) {
        if (!held[n]) all[n] = free[m++];
      }
      return iteration(weightedSsr, all);
    };
    const Minimum m = reduced.Free.empty() ? Minimum{{}, WeightedSsr(reduced, {}), 0, true, false}
                                           : SolveBounded(reduced, reducedStart, reducedScale, expand, evaluations);
    result.Iterations += m.Iterations;
    result.Stopped = m.Stopped;
    result.Converged = m.Converged;
    for (std::size_t n = 0, i = 0; n < p; ++n) {
      if (!held[n]) reached[n] = m.Free[i++];
    }
    if (m.Stopped) break;
    bool changed = false;
    for (std::size_t n = 0; n < p; ++n) {
      if (!held[n] && reached[n] <= kAtBound * scale[n]) held[n] = changed = true;
    }
    if (changed) continue;
    // Let go of a held constant whose increase would lower the sum of squares.
    std::vector<FitJet> r(static_cast<std::size_t>(problem.ResidualCount()));
    if (FitResiduals(problem, reached, r.data())) break;
    for (std::size_t n = 0; n < p; ++n) {
      if (!held[n]) continue;
      double gradient = 0;
      for (const FitJet& x : r) gradient += static_cast<double>(x.Value) * x.Slope[n];
      if (gradient < 0) held[n] = !(changed = true);
    }
    if (!changed) break;
  }
  result.Free = reached;
  result.WeightedSsr = WeightedSsr(problem, reached);
  return result;
}

}  // namespace zamo
