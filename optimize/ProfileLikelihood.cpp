#include "optimize/ProfileLikelihood.h"

#include <boost/math/tools/roots.hpp>
#include <cmath>
#include <limits>

#include "optimize/FitStatistics.h"
#include "optimize/TrustRegion.h"

namespace zamo {

namespace {

// The refitted sum of squares along one constant, as the excess over the threshold.
class Profile {
 public:
  Profile(const FitProblem& problem, const std::vector<Real>& best, const std::vector<Real>& scale, std::size_t n,
          Real minimum, Real sigma2, Real threshold, const IterationSink& iteration)
      : problem_(problem),
        minimum_(minimum),
        sigma2_(sigma2),
        threshold_(threshold),
        index_(problem.Free[n]),
        iteration_(iteration) {
    problem_.Free.erase(problem_.Free.begin() + static_cast<std::ptrdiff_t>(n));
    for (std::size_t m = 0; m < best.size(); ++m) {
      if (m == n) continue;
      start_.push_back(best[m]);
      scale_.push_back(scale[m]);
    }
  }

  // (SSR(k = v) - SSR_min) / sigma^2 - F; each refit starts where the last one ended.
  Real operator()(Real v) {
    problem_.Constants[index_] = v;
    Real ssr;
    if (start_.empty()) {
      ssr = WeightedSsr(problem_, start_);
    } else {
      int evaluations = 0;
      const Minimum m = Minimize(problem_, start_, scale_, iteration_, evaluations);
      ssr = m.WeightedSsr;
      if (std::isfinite(ssr)) start_ = m.Free;
    }
    return (ssr - minimum_) / sigma2_ - threshold_;
  }

 private:
  FitProblem problem_;
  std::vector<Real> start_;
  std::vector<Real> scale_;
  Real minimum_;
  Real sigma2_;
  Real threshold_;
  int index_;
  const IterationSink& iteration_;
};

// Walks from the fitted value towards `limit` in doubling steps until the profile crosses
// the threshold, then finds the crossing; open where it does not cross before the limit.
ProfileEnd ProfileSide(Profile& profile, Real best, Real step, Real limit, const std::atomic<bool>& stop) {
  Real inside = best;
  Real insideExcess = -1;  // below the threshold at the fit by construction
  const Real direction = limit >= best ? 1 : -1;
  for (int m = 0; m < 60; ++m) {
    if (stop.load()) return {};
    Real v = best + direction * step * std::ldexp(Real(1), m);
    if ((v - limit) * direction >= 0) v = limit;
    const Real excess = profile(v);
    if (stop.load()) return {};
    if (excess > 0) {
      boost::uintmax_t iterations = 50;
      const auto root = boost::math::tools::toms748_solve(
          std::ref(profile), std::min(inside, v), std::max(inside, v), direction > 0 ? insideExcess : excess,
          direction > 0 ? excess : insideExcess, boost::math::tools::eps_tolerance<Real>(40), iterations);
      if (stop.load()) return {};
      return {ProfileEndKind::Closed, (root.first + root.second) / 2};
    }
    if (v == limit) break;
    inside = v;
    insideExcess = excess;
  }
  return {ProfileEndKind::Open, 0};
}

}  // namespace

std::vector<std::array<ProfileEnd, 2>> ProfileIntervals(const FitProblem& problem, const std::vector<Real>& best,
                                                        const std::vector<Real>& scale, const FitResult& fit,
                                                        const IterationSink& iteration, const std::atomic<bool>& stop) {
  std::vector<std::array<ProfileEnd, 2>> intervals(best.size());
  if (fit.Dof <= 0 || fit.Sigma <= 0) {
    for (auto& sides : intervals) sides = {ProfileEnd{ProfileEndKind::Open, 0}, ProfileEnd{ProfileEndKind::Open, 0}};
    return intervals;
  }
  const Real t = StudentQuantile(0.975L, fit.Dof);
  const Real threshold = t * t;
  const Real sigma2 = fit.Sigma * fit.Sigma;
  for (std::size_t n = 0; n < best.size() && !stop.load(); ++n) {
    const Real se = fit.StandardError[n];
    const Real size = std::max(best[n], scale[n]);
    const Real step = std::isfinite(se) && se > 0 ? se : size / 10;
    Profile profile(problem, best, scale, n, fit.WeightedSsr, sigma2, threshold, iteration);
    intervals[n][1] = ProfileSide(profile, best[n], step, 100 * size, stop);
    if (stop.load()) break;
    if (best[n] > 0) {
      Profile lower(problem, best, scale, n, fit.WeightedSsr, sigma2, threshold, iteration);
      intervals[n][0] = ProfileSide(lower, best[n], step, 0, stop);
    } else {
      intervals[n][0] = {ProfileEndKind::Open, 0};
    }
  }
  return intervals;
}

}  // namespace zamo
