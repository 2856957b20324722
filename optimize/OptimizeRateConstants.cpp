#include "optimize/OptimizeRateConstants.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "model/Conversions.h"
#include "model/IsoprCalcConc.h"
#include "model/Limits.h"
#include "optimize/ConstantSearch.h"

namespace zamo {

namespace {

constexpr int kA = 1, kB = 2;

class Optimizer {
 public:
  Optimizer(const OptimizationSettings& settings, const OptimizationRunData& data, StartObjectives& starts,
            const ProgressSink& progress, const std::atomic<bool>& stop)
      : settings_(settings), data_(data), work_(data.K), starts_(starts), progress_(progress), stop_(stop) {}

  RateConstants Run() {
    cyclesTotal_ = settings_.Steps * (settings_.Steps + 1);
    cyclesDone_ = 0;
    priority_.Fill(false);
    if (settings_.Withoutk6k7k13k14) {
      leftLast_ = 5;
      rightLast_ = 12;
      for (const int i : {6, 7, 13, 14}) work_[i] = 0;
    }
    for (int pass = 1; pass <= 2 * settings_.Steps; ++pass) {
      const Side side = pass % 2 == 1 ? Side::Left : Side::Right;
      if (settings_.HighPr_k1k8) {
        priority_[kB] = side == Side::Left;
        priority_[kA] = side == Side::Right;
      }
      RunPass(pass, side);
      if (Stopped()) break;
    }
    return work_;
  }

 private:
  bool Stopped() const { return stop_.load(std::memory_order_relaxed); }

  void RunPass(int pass, Side side) {
    if (Stopped()) return;
    const int cycles = settings_.Steps - (pass + 1) / 2 + 1;
    // An experiment the project does not hold has nothing to compare with (its rows are
    // only a time axis): its passes count as done without searching, and the progress
    // reports what the other experiment reached.
    if (!(side == Side::Left ? data_.Left : data_.Right).Present) {
      cyclesDone_ += cycles;
      if (progress_)
        progress_(nearest(static_cast<Real>(cyclesDone_) * 1000 / cyclesTotal_), RelativeOptimization(), work_);
      return;
    }
    side_ = side;
    current_ = ExperimentObjective();
    Real& start = side == Side::Left ? starts_.Left : starts_.Right;
    if (start == 0) start = current_;
    for (int i = 1; i <= kRateConstantCount; ++i) stepSize_[i] = work_[i] / 1000;

    const int first = side == Side::Left ? 1 : 8;
    const int last = side == Side::Left ? leftLast_ : rightLast_;
    for (int cycle = 0; cycle < cycles; ++cycle) {
      for (int i = first; i <= last; ++i) SearchConstant(i);
      if (settings_.VaryK15K16) {
        SearchConstant(15);
        SearchConstant(16);
      }
      ++cyclesDone_;
      if (progress_) {
        // The exact ratio, so that a position of x.5 is a true half (rounded to even).
        progress_(nearest(static_cast<Real>(cyclesDone_) * 1000 / cyclesTotal_), RelativeOptimization(), work_);
      }
      if (Stopped()) break;
    }
    (side == Side::Left ? latestLeft_ : latestRight_) = current_;
  }

  // The decrease of the objectives, in percent of the start objectives of both experiments:
  // 100 * (1 - (objective now + latest objective of the other experiment) / (start sum)).
  // The other experiment's latest objective is its value at the end of its last pass in
  // this run, or its start objective while it has had none. 0 while the start sum is 0.
  Real RelativeOptimization() const {
    const Real startSum = starts_.Left + starts_.Right;
    if (startSum == 0) return 0;
    const bool left = side_ == Side::Left;
    const std::optional<Real>& latestOther = left ? latestRight_ : latestLeft_;
    const Real other = latestOther ? *latestOther : (left ? starts_.Right : starts_.Left);
    return 100 * (1 - (current_ + other) / startSum);
  }

  // The objective of the running pass's experiment, as the search sees it.
  class PassObjective : public SearchObjective {
   public:
    explicit PassObjective(Optimizer& run) : run_(run) {}
    Real Evaluate(const RateConstants& k) override {
      const Experiment& e = run_.side_ == Side::Left ? run_.data_.Left : run_.data_.Right;
      return zamo::ExperimentObjective(k, e, run_.side_, run_.priority_, run_.settings_.AllSpecies, run_.set_);
    }

   private:
    Optimizer& run_;
  };

  Real ExperimentObjective() { return objective_.Evaluate(work_); }

  void SearchConstant(int i) { zamo::SearchConstant(i, work_, stepSize_[i], current_, objective_); }

  const OptimizationSettings& settings_;
  const OptimizationRunData& data_;
  RateConstants work_;
  StartObjectives& starts_;
  const ProgressSink& progress_;
  const std::atomic<bool>& stop_;

  CoefficientSet set_;
  RateConstants stepSize_{};
  SpeciesFlags priority_{};
  int leftLast_ = 7;
  int rightLast_ = 14;
  Side side_ = Side::Left;
  Real current_ = 0;
  PassObjective objective_{*this};
  int cyclesDone_ = 0;
  int cyclesTotal_ = 0;
  std::optional<Real> latestLeft_;
  std::optional<Real> latestRight_;
};

// Whether a species counts in the selective objective: see ExperimentObjective.
bool Included(int species, const RateConstants& k, Side side) {
  const bool left = side == Side::Left;
  if (species == (left ? kA : kB)) return false;
  if (species == (left ? kB : kA)) return k[left ? 1 : 8] != 0;
  return k[(left ? 0 : 7) + species - 1] != 0;
}

}  // namespace

Real ExperimentObjective(const RateConstants& k, const Experiment& experiment, Side side, const SpeciesFlags& priority,
                         bool allSpecies, CoefficientSet& scratch) {
  constexpr Real kFailed = std::numeric_limits<Real>::infinity();
  if (!TryPrepareCoefficients(k, side, scratch)) return kFailed;
  SpeciesValues sums{};
  Concentrations calc;
  const int lastRow = std::min(experiment.LastRow, kMaxRow);
  for (int j = 1; j <= lastRow; ++j) {
    const auto row = static_cast<std::size_t>(j);
    if (!TryCalcConc(scratch, side, static_cast<Real>(experiment.Times[row]), calc)) return kFailed;
    for (int s = 1; s <= kSpeciesCount; ++s) {
      const Real d = experiment.Observed[row][s] - calc[s];
      sums[s] += priority[s] ? d * 10000 * 10 : d * 10000;
    }
  }
  Real objective = 0;
  for (int s = 1; s <= kSpeciesCount; ++s) {
    if (allSpecies || Included(s, k, side)) objective += sums[s] * sums[s];
  }
  return objective;
}

bool JudgeEverySpecies(const KineticProject& project) {
  return project.LeftDeviation.TotalSquares > 100 || project.RightDeviation.TotalSquares > 100;
}

OptimizationSettings DefaultOptimizationSettings(const KineticProject& project) {
  OptimizationSettings settings;
  settings.AllSpecies = JudgeEverySpecies(project);
  return settings;
}

RateConstants OptimizeRateConstants(const OptimizationSettings& settings, const OptimizationRunData& data,
                                    StartObjectives& starts, const ProgressSink& progress,
                                    const std::atomic<bool>& stop) {
  OptimizationSettings checked = settings;
  checked.Steps = std::clamp(settings.Steps, kOptimizationStepsMin, kOptimizationStepsMax);
  return Optimizer(checked, data, starts, progress, stop).Run();
}

}  // namespace zamo
