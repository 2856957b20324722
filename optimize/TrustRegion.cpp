#include "optimize/TrustRegion.h"

#include <ceres/ceres.h>
#include <glog/logging.h>

#include <limits>
#include <memory>
#include <mutex>

namespace zamo {

namespace {

// The residuals of a ResidualFunction for Ceres: one parameter block of all the parameters,
// each in multiples of its scale.
class ScaledCost final : public ceres::CostFunction {
 public:
  ScaledCost(ResidualFunction& function, const std::vector<Real>& scale, int& evaluations)
      : function_(function),
        scale_(scale),
        evaluations_(evaluations),
        x_(static_cast<std::size_t>(function.ParameterCount())),
        r_(static_cast<std::size_t>(function.ResidualCount())),
        jacobian_(r_.size() * x_.size()),
        unit_(x_.size()) {
    set_num_residuals(function.ResidualCount());
    mutable_parameter_block_sizes()->assign(1, static_cast<int>(x_.size()));
  }

  bool Evaluate(double const* const* parameters, double* residuals, double** jacobians) const override {
    ++evaluations_;
    for (std::size_t n = 0; n < x_.size(); ++n) x_[n] = static_cast<Real>(parameters[0][n]) * scale_[n];
    const bool ok =
        jacobians == nullptr ? function_.Evaluate(x_, r_.data()) : function_.Evaluate(x_, r_.data(), jacobian_.data());
    if (!ok) return false;
    for (std::size_t i = 0; i < r_.size(); ++i) residuals[i] = static_cast<double>(r_[i]);
    if (jacobians == nullptr || jacobians[0] == nullptr) return true;
    const std::size_t p = x_.size();
    for (std::size_t n = 0; n < p; ++n) unit_[n] = static_cast<double>(scale_[n]);
    for (std::size_t i = 0; i < r_.size(); ++i) {
      for (std::size_t n = 0; n < p; ++n) jacobians[0][i * p + n] = jacobian_[i * p + n] * unit_[n];
    }
    return true;
  }

 private:
  ResidualFunction& function_;  // Ceres evaluates from one thread
  const std::vector<Real>& scale_;
  int& evaluations_;
  mutable std::vector<Real> x_;
  mutable std::vector<Real> r_;
  mutable std::vector<double> jacobian_;
  mutable std::vector<double> unit_;
};

// A parameter pinned at its lower bound for this many iterations in a row ends the solve: the
// projected steps of the trust region crawl there (the radius shrinks at every step while
// the other parameters still have far to go), and Minimize holds the parameter at the bound
// and solves the others again.
constexpr int kPinnedIterations = 3;

class Reporter final : public ceres::IterationCallback {
 public:
  Reporter(const std::vector<double>& x, const std::vector<Real>& scale, const IterationSink& sink, bool bounded)
      : x_(x), scale_(scale), sink_(sink), pinned_(bounded ? x.size() : 0, 0) {}

  ceres::CallbackReturnType operator()(const ceres::IterationSummary& summary) override {
    if (sink_) {
      std::vector<Real> free(x_.size());
      for (std::size_t n = 0; n < free.size(); ++n) free[n] = static_cast<Real>(x_[n]) * scale_[n];
      // Ceres minimises half the sum of squares. A stop ends the solve as a success, so that
      // it keeps the constants reached (a failure would restore the start).
      if (!sink_(2 * static_cast<Real>(summary.cost), free)) {
        stopped_ = true;
        return ceres::SOLVER_TERMINATE_SUCCESSFULLY;
      }
    }
    for (std::size_t n = 0; n < pinned_.size(); ++n) {
      pinned_[n] = x_[n] <= static_cast<double>(kAtBound) ? pinned_[n] + 1 : 0;
      if (pinned_[n] >= kPinnedIterations && summary.iteration > 0) {
        pinnedAtBound_ = true;
        return ceres::SOLVER_TERMINATE_SUCCESSFULLY;
      }
    }
    return ceres::SOLVER_CONTINUE;
  }

  bool Stopped() const { return stopped_; }
  bool PinnedAtBound() const { return pinnedAtBound_; }

 private:
  const std::vector<double>& x_;
  const std::vector<Real>& scale_;
  const IterationSink& sink_;
  std::vector<int> pinned_;
  bool stopped_ = false;
  bool pinnedAtBound_ = false;
};

// The solver reports through its logging library on standard error (parameters that are not
// finite, failed evaluations): what the user needs to know of a solve is in its result.
void SilenceSolverLog() {
  static std::once_flag once;
  std::call_once(once, [] { FLAGS_minloglevel = google::GLOG_FATAL; });
}

}  // namespace

Real SumOfSquares(ResidualFunction& function, const std::vector<Real>& x) {
  std::vector<Real> r(static_cast<std::size_t>(function.ResidualCount()));
  if (!function.Evaluate(x, r.data())) return std::numeric_limits<Real>::infinity();
  Real sum = 0;
  for (const Real v : r) sum += v * v;
  return sum;
}

Real WeightedSsr(const FitProblem& problem, const std::vector<Real>& free) {
  FitProblemFunction function(problem);
  return SumOfSquares(function, free);
}

Minimum SolveLeastSquares(ResidualFunction& function, const std::vector<Real>& start, const std::vector<Real>& scale,
                          ParameterBounds bounds, const IterationSink& iteration, int& evaluations, Real ssrTolerance) {
  SilenceSolverLog();
  const std::size_t p = start.size();
  std::vector<double> x(p);
  for (std::size_t n = 0; n < p; ++n) x[n] = static_cast<double>(start[n] / scale[n]);

  ceres::Problem solverProblem;
  // The problem takes the cost function over.
  solverProblem.AddResidualBlock(std::make_unique<ScaledCost>(function, scale, evaluations).release(), nullptr,
                                 x.data());
  if (bounds == ParameterBounds::NonNegative) {
    for (std::size_t n = 0; n < p; ++n) solverProblem.SetParameterLowerBound(x.data(), static_cast<int>(n), 0.0);
  }

  ceres::Solver::Options options;
  options.minimizer_type = ceres::TRUST_REGION;
  options.trust_region_strategy_type = ceres::LEVENBERG_MARQUARDT;
  options.linear_solver_type = ceres::DENSE_QR;
  options.max_num_iterations = 200;
  // No projected line search along a step cut by the bounds: it evaluates the Jacobian at
  // every trial and the held constants of Minimize make it unnecessary.
  options.max_num_line_search_step_size_iterations = 0;
  options.function_tolerance = static_cast<double>(ssrTolerance);
  options.gradient_tolerance = 1e-16;
  options.parameter_tolerance = 1e-12;
  options.num_threads = 1;
  options.logging_type = ceres::SILENT;
  options.minimizer_progress_to_stdout = false;
  options.update_state_every_iteration = true;
  Reporter reporter(x, scale, iteration, bounds == ParameterBounds::NonNegative);
  options.callbacks.push_back(&reporter);

  ceres::Solver::Summary summary;
  ceres::Solve(options, &solverProblem, &summary);

  Minimum m;
  m.Free.resize(p);
  for (std::size_t n = 0; n < p; ++n) m.Free[n] = static_cast<Real>(x[n]) * scale[n];
  m.WeightedSsr = SumOfSquares(function, m.Free);
  m.Iterations = static_cast<int>(summary.iterations.size()) - 1;
  m.SuccessfulSteps = summary.num_successful_steps;
  m.Stopped = reporter.Stopped();
  m.PinnedAtBound = reporter.PinnedAtBound();
  m.Converged = summary.termination_type == ceres::CONVERGENCE;
  return m;
}

namespace {

constexpr int kMaxActiveSetRounds = 3 * kRateConstantCount;

}  // namespace

// The trust-region solver projects each step onto k >= 0, which stalls in tiny steps when a
// constant sits on its bound while the others still have far to go. So constants that reach
// the bound are held at 0 and the others solved again; a held constant is let go when its
// gradient points back into the feasible side (until the Karush-Kuhn-Tucker conditions hold).
Minimum Minimize(const FitProblem& problem, const std::vector<Real>& start, const std::vector<Real>& scale,
                 const IterationSink& iteration, int& evaluations, Real ssrTolerance) {
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
    FitProblemFunction function(reduced);
    const Minimum m = reduced.Free.empty()
                          ? Minimum{{}, WeightedSsr(reduced, {}), 0, 0, true, false, false}
                          : SolveLeastSquares(function, reducedStart, reducedScale, ParameterBounds::NonNegative,
                                              expand, evaluations, ssrTolerance);
    result.Iterations += m.Iterations;
    result.SuccessfulSteps += m.SuccessfulSteps;
    result.Stopped = m.Stopped;
    result.Converged = m.Converged;
    for (std::size_t n = 0, i = 0; n < p; ++n) {
      if (!held[n]) reached[n] = m.Free[i++];
    }
    if (m.Stopped) break;
    bool changed = false;
    for (std::size_t n = 0; n < p; ++n) {
      if (!held[n] && IsAtLowerBound(reached[n], scale[n])) held[n] = changed = true;
    }
    if (changed) continue;
    // Let go of a held constant whose increase would lower the sum of squares.
    const auto rows = static_cast<std::size_t>(problem.ResidualCount());
    std::vector<Real> r(rows);
    std::vector<double> jacobian(rows * p);
    FitProblemFunction all(problem);
    if (!all.Evaluate(reached, r.data(), jacobian.data())) break;
    for (std::size_t n = 0; n < p; ++n) {
      if (!held[n]) continue;
      double gradient = 0;
      for (std::size_t i = 0; i < rows; ++i) gradient += static_cast<double>(r[i]) * jacobian[i * p + n];
      if (gradient < 0) held[n] = !(changed = true);
    }
    if (!changed) break;
  }
  result.Free = reached;
  result.WeightedSsr = WeightedSsr(problem, reached);
  return result;
}

}  // namespace zamo
