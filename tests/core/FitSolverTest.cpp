// The solver wrapper and the statistics on small objectives whose minimum and covariance
// are known, and the profile's open sides.

#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <array>
#include <atomic>
#include <cmath>
#include <limits>
#include <vector>

#include "optimize/FitStatistics.h"
#include "optimize/LeastSquaresFit.h"
#include "optimize/ProfileLikelihood.h"
#include "optimize/TrustRegion.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

using Matrix = Eigen::Matrix<Real, Eigen::Dynamic, Eigen::Dynamic>;
using Vector = Eigen::Matrix<Real, Eigen::Dynamic, 1>;

// r = y - X b: the minimum is the normal equations' solution, (J^T J)^-1 = (X^T X)^-1.
class Linear final : public ResidualFunction {
 public:
  Linear(Matrix x, Vector y) : x_(std::move(x)), y_(std::move(y)) {}
  int ParameterCount() const override { return static_cast<int>(x_.cols()); }
  int ResidualCount() const override { return static_cast<int>(x_.rows()); }
  bool Evaluate(const std::vector<Real>& b, Real* r) override {
    const Vector residual = y_ - x_ * Eigen::Map<const Vector>(b.data(), static_cast<Eigen::Index>(b.size()));
    for (Eigen::Index i = 0; i < residual.size(); ++i) r[i] = residual(i);
    return true;
  }
  bool Evaluate(const std::vector<Real>& b, Real* r, double* jacobian) override {
    const auto p = static_cast<std::size_t>(x_.cols());
    for (Eigen::Index i = 0; i < x_.rows(); ++i) {
      for (Eigen::Index n = 0; n < x_.cols(); ++n) {
        jacobian[static_cast<std::size_t>(i) * p + static_cast<std::size_t>(n)] = -static_cast<double>(x_(i, n));
      }
    }
    return Evaluate(b, r);
  }

 private:
  Matrix x_;
  Vector y_;
};

// Two parameters eight decades apart in size (b ~ 2e-5 and 3e3), with a fixed scatter.
Matrix Design() {
  Matrix x(8, 2);
  for (int i = 0; i < 8; ++i) {
    x(i, 0) = 1e5L * (1 + 0.3L * i);
    x(i, 1) = 1e-3L * (1 + (i * i) % 5);
  }
  return x;
}

Vector Observations(const Matrix& x, Real b0, Real b1) {
  Vector y = x * (Vector(2) << b0, b1).finished();
  for (int i = 0; i < 8; ++i) y(i) += 0.05L * std::sin(3.0L * i);
  return y;
}

TEST(FitSolverKnownMinimum, LinearProblemReachesTheNormalEquationsAndTheirInverse) {
  const Matrix x = Design();
  const Vector y = Observations(x, 2e-5L, 3e3L);
  const Matrix inverse = (x.transpose() * x).inverse();
  const Vector best = inverse * x.transpose() * y;
  Linear function(x, y);
  const std::vector<Real> scale = {1e-5L, 1e3L};
  int evaluations = 0;
  const Minimum m = SolveLeastSquares(function, {1e-5L, 1e3L}, scale, ParameterBounds::None, nullptr, evaluations);
  EXPECT_TRUE(m.Converged);
  for (Eigen::Index n = 0; n < 2; ++n) EXPECT_NEAR(m.Free[n], best(n), 1e-9L * std::fabs(best(n))) << n;
  EXPECT_NEAR(m.WeightedSsr, (y - x * best).squaredNorm(), 1e-9L * m.WeightedSsr);

  const auto analysis = AnalyseJacobian(function, m.Free, scale);
  ASSERT_TRUE(analysis && analysis->Undetermined.empty());
  for (Eigen::Index a = 0; a < 2; ++a) {
    for (Eigen::Index b = 0; b < 2; ++b) {
      EXPECT_NEAR(analysis->Inverse[a][b], inverse(a, b), 1e-9L * std::fabs(inverse(a, b))) << a << b;
    }
  }
}

// Data that want b1 < 0: within b >= 0 it ends on 0, and the solve ends there, pinned, for
// the caller to hold it and solve the others.
TEST(FitSolverKnownMinimum, MinimumOnTheBoundEndsAtZero) {
  const Matrix x = Design();
  const Vector y = Observations(x, 2e-5L, -3e2L);
  Linear function(x, y);
  int evaluations = 0;
  const Minimum m =
      SolveLeastSquares(function, {1e-5L, 1e3L}, {1e-5L, 1e3L}, ParameterBounds::NonNegative, nullptr, evaluations);
  EXPECT_EQ(m.Free[1], 0);
  EXPECT_TRUE(m.PinnedAtBound);
}

// A column that is a multiple of another, rounded as data are: the null singular value is
// rounding noise of the large entries, far above any absolute tolerance, and both are
// undetermined; the third column keeps the inverse of its own.
TEST(FitSolverRank, RankDeficientAtRoundingLevelAndNearSingularDetermined) {
  Matrix x(6, 3);
  for (int i = 0; i < 6; ++i) {
    x(i, 0) = 1e6L * (1 + 0.7L * i);
    x(i, 1) = 0.1L * x(i, 0);
    x(i, 2) = 1e6L * ((i * i) % 4);
  }
  Linear deficient(x, Vector::Zero(6));
  const auto a = AnalyseJacobian(deficient, {1, 1, 1}, {1, 1, 1});
  ASSERT_TRUE(a);
  EXPECT_EQ(a->Undetermined, (std::vector<std::size_t>{0, 1}));
  ASSERT_EQ(a->Determined, (std::vector<std::size_t>{2}));
  EXPECT_NEAR(a->Inverse[0][0], 1 / x.col(2).squaredNorm(), 1e-12L / x.col(2).squaredNorm());

  // The same pair apart by 1e-7 relative is determined, with its large exact inverse.
  x(5, 1) *= 1 + 1e-7L;
  Linear near(x, Vector::Zero(6));
  const auto n = AnalyseJacobian(near, {1, 1, 1}, {1, 1, 1});
  ASSERT_TRUE(n && n->Undetermined.empty());
  const Matrix inverse = (x.transpose() * x).inverse();
  EXPECT_NEAR(n->Inverse[1][1], inverse(1, 1), 1e-3L * inverse(1, 1));
}

OptimizationRunData ExampleData() {
  const KineticProject project = Example();
  return {project.K, project.Left, project.Right};
}

// One free constant and none to refit: the profile is the sum of squares along it, with a
// threshold F sigma^2 of about 4. k3 at 1e-7 adds less than that down to 0 (and far more
// below 0, which must not be tried): the lower side is open, the upper closes. k3 at its
// bound has an open lower side without a search. k15 changes nothing where H never forms:
// neither side closes before 0 or the search limit.
TEST(FitSolverProfile, SidesThatDoNotCloseAreOpen) {
  const OptimizationRunData data = ExampleData();
  FitProblem problem;
  problem.Constants = data.K;
  problem.Left = data.Left;
  problem.Right = data.Right;
  FitResult fit;
  fit.Dof = 74;
  fit.Sigma = 1;
  fit.StandardError = {std::numeric_limits<Real>::quiet_NaN()};
  const std::atomic<bool> stop{false};
  const auto sides = [&](int index, Real best) {
    problem.Free = {index};
    fit.WeightedSsr = WeightedSsr(problem, {best});
    const auto ends = ProfileIntervals(problem, {best}, {1e-7L}, fit, nullptr, stop);
    return std::array{ends[0][0].Kind, ends[0][1].Kind};
  };
  using Kinds = std::array<ProfileEndKind, 2>;
  EXPECT_EQ(sides(3, 1e-7L), (Kinds{ProfileEndKind::Open, ProfileEndKind::Closed}));
  EXPECT_EQ(sides(3, 0), (Kinds{ProfileEndKind::Open, ProfileEndKind::Closed}));
  for (const int i : {7, 14, 16}) problem.Constants[i] = 0;
  EXPECT_EQ(sides(15, 1e-7L), (Kinds{ProfileEndKind::Open, ProfileEndKind::Open}));
}

}  // namespace
}  // namespace zamo
