#pragma once

#include <memory>

#include "model/OneBased.h"
#include "model/Real.h"

namespace zamo {

// Calculated fractions of the eight species of the current experiment at evenly spaced
// times, sample 0 at t = 0. The capacity is fixed and covers any real screen; nothing grows
// after construction. The buffers are allocated untouched, and a copy takes only the
// samples in use, so that projects stay cheap to create and copy.
class CurveStore {
 public:
  static constexpr int kMaxIntervals = 8192;
  static constexpr int kCapacity = kMaxIntervals + 1;

  CurveStore();
  CurveStore(const CurveStore& other);
  CurveStore& operator=(const CurveStore& other);
  CurveStore(CurveStore&&) noexcept = default;
  CurveStore& operator=(CurveStore&&) noexcept = default;
  ~CurveStore() = default;

  // Samples in use; 0 until the first recalculation.
  int Count() const { return count_; }
  Real Value(int species, int sample) const;

  // The recalculation writes a complete new set into a spare buffer and publishes it only
  // at the end, so a failure half way leaves the published curves as they were.
  void SetPending(int sample, const OneBased<Real, 8>& values);
  void Publish(int count);

 private:
  static std::size_t Index(int species, int sample);

  int count_ = 0;
  std::unique_ptr<Real[]> published_;
  std::unique_ptr<Real[]> pending_;
};

}  // namespace zamo
