#include "model/CurveStore.h"

#include <cassert>
#include <utility>

namespace zamo {

CurveStore::CurveStore() : published_(Index(8, kCapacity - 1) + 1, 0), pending_(published_.size(), 0) {}

std::size_t CurveStore::Index(int species, int sample) {
  assert(species >= 1 && species <= 8);
  assert(sample >= 0 && sample < kCapacity);
  return static_cast<std::size_t>(species - 1) * kCapacity + static_cast<std::size_t>(sample);
}

Real CurveStore::Value(int species, int sample) const {
  assert(sample < count_);
  return published_[Index(species, sample)];
}

void CurveStore::SetPending(int sample, const OneBased<Real, 8>& values) {
  for (int s = 1; s <= 8; ++s) pending_[Index(s, sample)] = values[s];
}

void CurveStore::Publish(int count) {
  assert(count >= 0 && count <= kCapacity);
  std::swap(published_, pending_);
  count_ = count;
}

}  // namespace zamo
