#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <array>
#include <atomic>
#include <cmath>
#include <utility>
#include <vector>

#include "model/IsoprCalcConc.h"
#include "optimize/FitStatistics.h"
#include "optimize/ProfileLikelihood.h"
#include "optimize/TrustRegion.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

using Matrix = Eigen::Matrix<Real, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;
using Vector = Eigen::Matrix<Real, Eigen::Dynamic, 1>;

// r = y - X b: the minimum is the normal equations' solution, (J^T J)^-1 = (X^T X)^-1.
struct Linear final : ResidualFunction {
  Linear(Matrix x, Vector y) : X(std::move(x)), Y(std::move(y)) {}
  int ParameterCount() const override { return static_cast<int>(X.cols()); }
  int ResidualCount() const override { return static_cast<int>(X.rows()); }
  bool Evaluate(const std::vector<Real>& b, Real* r) override {
    return (Vector::Map(r, X.rows()) = Y - X * Vector::Map(b.data(), X.cols())).allFinite();
  }
  bool Evaluate(const std::vector<Real>& b, Real* r, double* jacobian) override {
    Eigen::Map<Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>>(jacobian, X.rows(), X.cols()) =
        -X.cast<double>();
    return Evaluate(b, r);
  }
  Matrix X;
  Vector Y;
};

// Two parameters eight decades apart in size (b ~ 2e-5 and 3e3), with a fixed scatter; data
// that want b1 < 0 end on the bound 0 within b >= 0, pinned there for the caller to hold.
TEST(FitSolverKnownMinimum, NormalEquationsTheirInverseAndTheBound) {
  Matrix x(8, 2);
  Vector noise(8);
  for (int i = 0; i < 8; ++i) x.row(i) << 1e5L * (1 + 0.3L * i), 1e-3L * (1 + (i * i) % 5);
  for (int i = 0; i < 8; ++i) noise(i) = 0.05L * std::sin(3.0L * i);
  const Vector y = x * Vector{{2e-5L, 3e3L}} + noise;
  const Matrix inverse = (x.transpose() * x).inverse();
  const Vector best = inverse * x.transpose() * y;
  Linear function(x, y);
  const std::vector<Real> scale = {1e-5L, 1e3L};
  int evaluations = 0;
  const Minimum m = SolveLeastSquares(function, scale, scale, ParameterBounds::None, nullptr, evaluations);
  EXPECT_TRUE(m.Converged);
  for (Eigen::Index n = 0; n < 2; ++n) EXPECT_NEAR(m.Free[n], best(n), 1e-9L * std::fabs(best(n))) << n;
  const auto analysis = AnalyseJacobian(function, m.Free, scale);
  ASSERT_TRUE(analysis && analysis->Undetermined.empty());
  for (Eigen::Index a = 0; a < 4; ++a) {
    EXPECT_NEAR(analysis->Inverse[a / 2][a % 2], inverse(a / 2, a % 2), 1e-9L * std::fabs(inverse(a / 2, a % 2))) << a;
  }
  Linear negative(x, x * Vector{{2e-5L, -3e2L}} + noise);
  const Minimum bound = SolveLeastSquares(negative, scale, scale, ParameterBounds::NonNegative, nullptr, evaluations);
  EXPECT_TRUE(bound.Free[1] == 0 && bound.PinnedAtBound);
}

// A column that is a multiple of another, rounded as data are: the null singular value is
// rounding noise of the large entries, far above any absolute tolerance, and both are
// undetermined; the third keeps the inverse of its own. Apart by 1e-7 the pair is determined.
TEST(FitSolverRank, RankDeficientAtRoundingLevelAndNearSingularDetermined) {
  Matrix x(6, 3);
  for (int i = 0; i < 6; ++i) x.row(i) << 1e6L * (1 + 0.7L * i), 1e5L * (1 + 0.7L * i), 1e6L * ((i * i) % 4);
  x.col(1) = 0.1L * x.col(0);
  Linear deficient(x, Vector::Zero(6));
  const auto a = AnalyseJacobian(deficient, {1, 1, 1}, {1, 1, 1});
  ASSERT_TRUE(a && a->Determined == std::vector<std::size_t>{2});
  EXPECT_EQ(a->Undetermined, (std::vector<std::size_t>{0, 1}));
  EXPECT_NEAR(a->Inverse[0][0], 1 / x.col(2).squaredNorm(), 1e-12L / x.col(2).squaredNorm());
  x(5, 1) *= 1 + 1e-7L;
  Linear near(x, Vector::Zero(6));
  const auto n = AnalyseJacobian(near, {1, 1, 1}, {1, 1, 1});
  ASSERT_TRUE(n && n->Undetermined.empty());
  EXPECT_NEAR(n->Inverse[1][1], (x.transpose() * x).inverse()(1, 1), 1e-3L * n->Inverse[1][1]);
}

// A constant that reaches its bound on the way is held at 0 while the others are solved, and
// let go again where the data want it back: from k5 fifty times too large, on data that the
// example's constants make exactly, k5 stays at 0 for many iterations and ends at its value.
TEST(FitSolverBound, AConstantHeldAtZeroIsReleasedAgain) {
  const KineticProject example = Example();
  FitProblem problem;
  problem.Constants = example.K, problem.Left = example.Left, problem.Right = example.Right;
  const CoefficientSet set = PrepareCoefficients(example.K);
  for (auto [e, side] : {std::pair{&problem.Left, Side::Left}, std::pair{&problem.Right, Side::Right}}) {
    for (std::size_t j = 1; j <= static_cast<std::size_t>(e->LastRow); ++j) {
      const Concentrations c = CalcConc(set, side, e->Times[j]);
      for (int s = 1; s <= kSpeciesCount; ++s) e->Observed[j][s] = c[s];
    }
  }
  std::vector<Real> truth;
  for (int i = 1; i <= 14; ++i) {
    if (example.K[i] > 0) problem.Free.push_back(i), truth.push_back(example.K[i]);
  }
  ASSERT_EQ(problem.Free[4], 5);
  std::vector<Real> start = truth;
  start[4] *= 50;
  int heldIterations = 0;
  int evaluations = 0;
  const IterationSink seen = [&](Real, const std::vector<Real>& x) { return (heldIterations += x[4] == 0), true; };
  const Minimum m = Minimize(problem, start, truth, seen, evaluations);
  EXPECT_GE(heldIterations, 4);
  for (std::size_t n = 0; n < truth.size(); ++n) EXPECT_NEAR(m.Free[n] / truth[n], 1, 1e-6L) << problem.Free[n];
}

// One free constant, none to refit, threshold F sigma^2 ~ 4. k3 at 1e-7 adds less than that
// down to 0 (far more below 0, never to be tried): the lower side is open, the upper closes; so
// at its bound, unsearched. k15 changes nothing where H never forms: neither side closes.
TEST(FitSolverProfile, SidesThatDoNotCloseAreOpen) {
  const KineticProject example = Example();
  FitProblem problem;
  problem.Constants = example.K, problem.Left = example.Left, problem.Right = example.Right;
  FitResult fit;
  fit.Dof = 74, fit.Sigma = 1, fit.StandardError = {std::numeric_limits<Real>::quiet_NaN()};
  const std::atomic<bool> stop{false};
  const auto sides = [&](int index, Real best) {
    problem.Free = {index};
    fit.WeightedSsr = WeightedSsr(problem, {best});
    const auto ends = ProfileIntervals(problem, {best}, {1e-7L}, fit, nullptr, stop);
    return std::array{ends[0][0].Kind, ends[0][1].Kind};
  };
  const std::array openClosed{ProfileEndKind::Open, ProfileEndKind::Closed};
  EXPECT_EQ(sides(3, 1e-7L), openClosed);
  EXPECT_EQ(sides(3, 0), openClosed);
  for (const int i : {7, 14, 16}) problem.Constants[i] = 0;
  EXPECT_EQ(sides(15, 1e-7L), (std::array{ProfileEndKind::Open, ProfileEndKind::Open}));
}

}  // namespace
}  // namespace zamo
