#include "tests/core/ExactReference.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace zamo::test {
namespace {

using Quad = __float128;
using Matrix = std::array<std::array<Quad, 8>, 8>;

Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix c{};
  for (int i = 0; i < 8; ++i)
    for (int m = 0; m < 8; ++m) {
      if (a[i][m] == 0) continue;
      for (int j = 0; j < 8; ++j) c[i][j] += a[i][m] * b[m][j];
    }
  return c;
}

Quad Abs(Quad x) { return x < 0 ? -x : x; }

using QuadRates = std::array<Quad, 17>;  // k1..k16 at 1..16

// d x / dt = K x for x = (A, B, C, D, E, F, G, H).
Matrix RateMatrix(const QuadRates& k) {
  Matrix m{};
  Quad ka = 0;
  Quad kb = 0;
  for (std::size_t i = 1; i <= 7; ++i) {
    ka += k[i];
    kb += k[i + 7];
  }
  m[0][0] = -ka;
  m[0][1] = k[8];
  m[1][0] = k[1];
  m[1][1] = -kb;
  for (std::size_t product = 3; product <= 8; ++product) {  // C..H are fed by k2..k7 from A, k9..k14 from B
    m[product - 1][0] = k[product - 1];
    m[product - 1][1] = k[product + 6];
  }
  m[6][6] = -k[16];
  m[6][7] = k[15];
  m[7][6] = k[16];
  m[7][7] = -k[15];
  return m;
}

QuadRates ToQuad(const RateConstants& k) {
  QuadRates q{};
  for (int i = 1; i <= 16; ++i) q[static_cast<std::size_t>(i)] = static_cast<Quad>(k[i]);
  return q;
}

std::array<Quad, 8> Solve(const QuadRates& k, Side side, Real t);

}  // namespace

SpeciesValues ExactConcentrations(const RateConstants& k, Side side, Real t) {
  const std::array<Quad, 8> x = Solve(ToQuad(k), side, t);
  SpeciesValues result;
  for (int s = 1; s <= 8; ++s) result[s] = static_cast<Real>(x[static_cast<std::size_t>(s - 1)]);
  return result;
}

SpeciesValues ExactDerivatives(const RateConstants& k, int index, Side side, Real t) {
  // Central differences in quadruple precision, with a step that keeps the truncation
  // ((h t)^2, (h / k)^2) and the rounding (1e-34 / h) both far below the extended last place.
  Real scale = 0;
  for (const Real x : k) scale = std::max(scale, std::fabs(x));
  const Real horizon = std::max(t, scale > 0 ? 1 / scale : 1);
  const Quad h = static_cast<Quad>(1e-9L / horizon);
  QuadRates up = ToQuad(k);
  QuadRates down = up;
  up[static_cast<std::size_t>(index)] += h;
  down[static_cast<std::size_t>(index)] -= h;
  const std::array<Quad, 8> a = Solve(up, side, t);
  const std::array<Quad, 8> b = Solve(down, side, t);
  SpeciesValues result;
  for (int s = 1; s <= 8; ++s) {
    const auto i = static_cast<std::size_t>(s - 1);
    result[s] = static_cast<Real>((a[i] - b[i]) / (2 * h));
  }
  return result;
}

namespace {

std::array<Quad, 8> Solve(const QuadRates& k, Side side, Real t) {
  Matrix a = RateMatrix(k);
  Quad norm = 0;
  for (const auto& row : a) {
    Quad sum = 0;
    for (const Quad v : row) sum += Abs(v);
    if (sum > norm) norm = sum;
  }
  norm *= Abs(static_cast<Quad>(t));
  int squarings = 0;
  Quad scale = static_cast<Quad>(t);
  while (norm > Quad(1) / 8) {
    norm /= 2;
    scale /= 2;
    ++squarings;
  }
  for (auto& row : a)
    for (Quad& v : row) v *= scale;
  // Terms of norm <= 1/8 fall below 1e-40 after 24 orders.
  Matrix result{};
  Matrix term{};
  for (int i = 0; i < 8; ++i) result[i][i] = term[i][i] = 1;
  for (int n = 1; n <= 24; ++n) {
    term = Multiply(term, a);
    for (auto& row : term)
      for (Quad& v : row) v /= n;
    for (int i = 0; i < 8; ++i)
      for (int j = 0; j < 8; ++j) result[i][j] += term[i][j];
  }
  for (int i = 0; i < squarings; ++i) result = Multiply(result, result);
  const std::size_t start = side == Side::Left ? 0 : 1;
  std::array<Quad, 8> x{};
  for (std::size_t s = 0; s < 8; ++s) x[s] = result[s][start];
  return x;
}

}  // namespace

}  // namespace zamo::test
