#pragma once

#include <vector>

#include "model/OneBased.h"
#include "model/Real.h"

namespace zamo {

// Calculated fractions of the eight species of the current experiment at evenly spaced
// times, sample 0 at t = 0. The capacity is fixed and covers any real screen; nothing grows
// after construction.
class CurveStore {
 public:
  static constexpr int kMaxIntervals = 8192;
  static constexpr int kCapacity = kMaxIntervals + 1;

  CurveStore();

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
  std::vector<Real> published_;
  std::vector<Real> pending_;
};

}  // namespace zamo
