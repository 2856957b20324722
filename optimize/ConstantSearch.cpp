#include "optimize/ConstantSearch.h"

namespace zamo {

namespace {

class Search {
 public:
  Search(int i, RateConstants& work, Real& step, Real& current, SearchObjective& objective)
      : i_(i), work_(work), step_(step), current_(current), objective_(objective) {}

  void Run() {
    if (work_[i_] == 0) return;
    do {
      work_[i_] += step_;
      previous_ = current_;
      current_ = Evaluate();
      if (!(current_ > previous_)) {
        Climb(+1);
      } else {
        work_[i_] = (work_[i_] - step_) - step_;
        current_ = Evaluate();  // previous_ keeps the objective from before the forward trial
        if (current_ > previous_) {
          step_ /= 2.5L;
        } else {
          Climb(-1);
        }
      }
    } while (evaluations_ < kSearchEvaluationLimit);
    step_ *= 10000;
    if (step_ > work_[i_] / 1000) step_ = work_[i_] / 1000;
  }

 private:
  Real Evaluate() {
    ++evaluations_;
    return objective_.Evaluate(work_);
  }

  // Keeps stepping in one direction until the limit or a worse result; after a worse one,
  // half a step back, not to the best point seen.
  void Climb(int direction) {
    do {
      work_[i_] += direction * step_;
      previous_ = current_;
      current_ = Evaluate();
    } while (!(evaluations_ >= kSearchEvaluationLimit || current_ > previous_));
    if (current_ > previous_) {
      work_[i_] -= direction * 0.5L * step_;
      current_ = Evaluate();
      step_ /= 2.5L;
    }
  }

  const int i_;
  RateConstants& work_;
  Real& step_;
  Real& current_;
  SearchObjective& objective_;
  Real previous_ = 0;
  int evaluations_ = 0;
};

}  // namespace

void SearchConstant(int i, RateConstants& work, Real& step, Real& current, SearchObjective& objective) {
  Search(i, work, step, current, objective).Run();
}

}  // namespace zamo
