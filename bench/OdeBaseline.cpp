#include "bench/OdeBaseline.h"

#include <boost/numeric/odeint.hpp>
#include <cassert>

namespace zamo::bench {

namespace {

constexpr int kA = 0, kB = 1, kC = 2, kG = 6, kH = 7;
constexpr Real kTolerance = 1e-10L;

using State = std::array<Real, kSpeciesCount>;

struct LinearSystem {
  const RateMatrix* M = nullptr;

  void operator()(const State& c, State& dcdt, Real /*t*/) const {
    for (std::size_t i = 0; i < c.size(); ++i) {
      Real sum = 0;
      for (std::size_t j = 0; j < c.size(); ++j) sum += (*M)[i][j] * c[j];
      dcdt[i] = sum;
    }
  }
};

// Copies the state at every requested time except the start.
struct Recorder {
  std::span<Concentrations> Out;
  std::size_t Calls = 0;

  void operator()(const State& c, Real /*t*/) {
    if (Calls > 0) {
      Concentrations& row = Out[Calls - 1];
      for (int s = 1; s <= kSpeciesCount; ++s) row[s] = c[static_cast<std::size_t>(s - 1)];
    }
    ++Calls;
  }
};

}  // namespace

RateMatrix BuildRateMatrix(const RateConstants& k) {
  RateMatrix m{};
  const auto flow = [&m](int from, int to, Real rate) {
    const auto f = static_cast<std::size_t>(from);
    const auto t = static_cast<std::size_t>(to);
    m[t][f] += rate;
    m[f][f] -= rate;
  };
  flow(kA, kB, k[1]);
  flow(kB, kA, k[8]);
  for (int product = kC; product <= kH; ++product) {
    flow(kA, product, k[2 + product - kC]);
    flow(kB, product, k[9 + product - kC]);
  }
  flow(kG, kH, k[16]);
  flow(kH, kG, k[15]);
  return m;
}

std::size_t IntegrateAtTimes(const RateMatrix& m, Side side, std::span<const Real> times,
                             std::span<Concentrations> out) {
  namespace odeint = boost::numeric::odeint;
  assert(times.size() <= static_cast<std::size_t>(kMaxRow) && out.size() >= times.size());

  if (times.empty()) return 0;
  // The observation times with the start in front, as integrate_times wants them.
  std::array<Real, kMaxRow + 1> grid{};
  std::size_t count = 1;
  for (const Real t : times) grid[count++] = t;

  State c{};
  c[side == Side::Left ? kA : kB] = 1;
  auto stepper =
      odeint::make_controlled(kTolerance, kTolerance, odeint::runge_kutta_dopri5<State, Real, State, Real>());
  const Real firstStep = grid[1] / 100;
  return odeint::integrate_times(stepper, LinearSystem{&m}, c, grid.begin(),
                                 grid.begin() + static_cast<std::ptrdiff_t>(count), firstStep, Recorder{out});
}

}  // namespace zamo::bench
