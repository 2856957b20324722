#include "model/CurveStore.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace zamo {

namespace {

constexpr std::size_t kSize = static_cast<std::size_t>(8) * CurveStore::kCapacity;

}  // namespace

CurveStore::CurveStore()
    : published_(std::make_unique_for_overwrite<Real[]>(kSize)),
      pending_(std::make_unique_for_overwrite<Real[]>(kSize)) {}

CurveStore::CurveStore(const CurveStore& other) : CurveStore() { *this = other; }

CurveStore& CurveStore::operator=(const CurveStore& other) {
  if (this == &other) return *this;
  if (!published_) {
    published_ = std::make_unique_for_overwrite<Real[]>(kSize);
    pending_ = std::make_unique_for_overwrite<Real[]>(kSize);
  }
  for (int s = 1; s <= 8; ++s) {
    const Real* from = other.published_.get() + Index(s, 0);
    std::copy(from, from + other.count_, published_.get() + Index(s, 0));
  }
  count_ = other.count_;
  return *this;
}

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
