#pragma once

#include <array>
#include <cassert>
#include <cstddef>

namespace zamo {

// A fixed-size array indexed 1..N, so that species 1..8 (A..H) and rate constants 1..16
// (k1..k16) are written with the indexes chemists use for them.
template <typename T, int N>
struct OneBased {
  static_assert(N > 0);

  std::array<T, N> Items{};

  static constexpr int First = 1;
  static constexpr int Last = N;

  constexpr T& operator[](int i) {
    assert(i >= 1 && i <= N);
    return Items[static_cast<std::size_t>(i - 1)];
  }
  constexpr const T& operator[](int i) const {
    assert(i >= 1 && i <= N);
    return Items[static_cast<std::size_t>(i - 1)];
  }

  constexpr auto begin() { return Items.begin(); }
  constexpr auto end() { return Items.end(); }
  constexpr auto begin() const { return Items.begin(); }
  constexpr auto end() const { return Items.end(); }

  constexpr void Fill(const T& value) { Items.fill(value); }

  friend constexpr bool operator==(const OneBased&, const OneBased&) = default;
};

}  // namespace zamo
