#include "tests/core/ExactReference.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace zamo::test {
namespace {

using Quad = __float128;
using Matrix = std::array<std::array<Quad, 8>, 8>;
using QuadRates = std::array<Quad, 17>;  // k1..k16 at 1..16

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

// d x / dt = K x for x = (A, B, C, D, E, F, G, H): C..H are fed by k2..k7 from A and k9..k14
// from B, G and H exchange by k15 (H to G) and k16 (G to H).
Matrix RateMatrix(const QuadRates& k) {
  Matrix m{};
  for (std::size_t product = 3; product <= 8; ++product) {
    m[product - 1][0] = k[product - 1];
    m[product - 1][1] = k[product + 6];
    m[0][0] -= k[product - 1];
    m[1][1] -= k[product + 6];
  }
  m[0][0] -= k[1], m[1][1] -= k[8], m[0][1] = k[8], m[1][0] = k[1];
  m[6][6] = -k[16], m[6][7] = k[15], m[7][6] = k[16], m[7][7] = -k[15];
  return m;
}

QuadRates ToQuad(const RateConstants& k) {
  QuadRates q{};
  for (int i = 1; i <= 16; ++i) q[static_cast<std::size_t>(i)] = static_cast<Quad>(k[i]);
  return q;
}

// exp(K t) applied to the start (pure A or B): scaled to a norm of at most 1/8, where 24
// Taylor terms fall below 1e-40, then squared back.
std::array<Quad, 8> Solve(const QuadRates& k, Side side, Real t) {
  Matrix a = RateMatrix(k);
  Quad norm = 0;
  for (const auto& row : a) {
    Quad sum = 0;
    for (const Quad v : row) sum += Abs(v);
    norm = std::max(norm, sum * Abs(static_cast<Quad>(t)));
  }
  int squarings = 0;
  Quad scale = static_cast<Quad>(t);
  for (; norm > Quad(1) / 8; ++squarings) norm /= 2, scale /= 2;
  for (auto& row : a)
    for (Quad& v : row) v *= scale;
  Matrix result{};
  Matrix term{};
  for (int i = 0; i < 8; ++i) result[i][i] = term[i][i] = 1;
  for (int n = 1; n <= 24; ++n) {
    term = Multiply(term, a);
    for (int i = 0; i < 8; ++i)
      for (int j = 0; j < 8; ++j) result[i][j] += term[i][j] /= n;
  }
  for (int i = 0; i < squarings; ++i) result = Multiply(result, result);
  std::array<Quad, 8> x{};
  for (std::size_t s = 0; s < 8; ++s) x[s] = result[s][side == Side::Left ? 0 : 1];
  return x;
}

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
  const Quad h = static_cast<Quad>(1e-9L / std::max(t, scale > 0 ? 1 / scale : 1));
  QuadRates up = ToQuad(k);
  QuadRates down = up;
  up[static_cast<std::size_t>(index)] += h;
  down[static_cast<std::size_t>(index)] -= h;
  const std::array<Quad, 8> a = Solve(up, side, t);
  const std::array<Quad, 8> b = Solve(down, side, t);
  SpeciesValues result;
  for (std::size_t s = 0; s < 8; ++s) result[static_cast<int>(s) + 1] = static_cast<Real>((a[s] - b[s]) / (2 * h));
  return result;
}

}  // namespace zamo::test
