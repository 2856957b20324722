#include "optimize/FitStarts.h"

#include <algorithm>
#include <cmath>

namespace zamo {

namespace {

// The last measured time of the problem's experiments, at least 1 s.
Real LastTime(const FitProblem& problem) {
  Real last = 1;
  for (const Side side : {Side::Left, Side::Right}) {
    if (!problem.Includes(side)) continue;
    const Experiment& e = side == Side::Left ? problem.Left : problem.Right;
    for (int j = 1; j <= std::clamp(e.LastRow, 0, kMaxRow); ++j) {
      last = std::max(last, static_cast<Real>(e.Times[static_cast<std::size_t>(j)]));
    }
  }
  return last;
}

bool Negligible(Real k, Real lastTime) { return !(k * lastTime >= kNegligibleTurnover); }

// The generalised golden ratio of dimension d: the positive root of x^(d+1) = x + 1. Its
// powers 1/phi, 1/phi^2, ... 1/phi^d step the additive recurrence whose points cover the
// unit cube evenly for every count of points (Roberts' R sequence).
Real GoldenRatio(std::size_t d) {
  Real x = 2;
  const auto power = static_cast<Real>(d + 1);
  for (int i = 0; i < 60; ++i) x -= (std::pow(x, power) - x - 1) / (power * std::pow(x, power - 1) - 1);
  return x;
}

}  // namespace

std::vector<Real> FitScales(const FitProblem& problem, const std::vector<Real>& start) {
  const Real lastTime = LastTime(problem);
  Real logSum = 0;
  int count = 0;
  for (const Real k : start) {
    if (Negligible(k, lastTime)) continue;
    logSum += std::log(k);
    ++count;
  }
  const Real typical = count > 0 ? std::exp(logSum / count) : 1 / lastTime;
  std::vector<Real> scale;
  scale.reserve(start.size());
  for (const Real k : start) scale.push_back(Negligible(k, lastTime) ? typical : std::max(k, typical * 1e-6L));
  return scale;
}

std::vector<std::vector<Real>> StartPoints(const FitProblem& problem, const std::vector<Real>& own,
                                           const std::vector<Real>& scale, int count) {
  std::vector<std::vector<Real>> starts{own};
  if (count <= 1) return starts;
  const Real lastTime = LastTime(problem);
  const std::size_t d = own.size();
  const Real phi = GoldenRatio(d);
  for (int i = 1; i < count; ++i) {
    std::vector<Real> point(d);
    Real step = 1;
    for (std::size_t n = 0; n < d; ++n) {
      step /= phi;
      const Real u = std::fmod(0.5L + i * step, Real(1));
      const Real centre = Negligible(own[n], lastTime) ? scale[n] : own[n];
      point[n] = centre * std::pow(Real(10), 2 * u - 1);
    }
    starts.push_back(std::move(point));
  }
  return starts;
}

}  // namespace zamo
