#pragma once

#include "model/KineticProject.h"

namespace zamo {

// What the coordinate search sees of its problem: the objective at a set of constants.
class SearchObjective {
 public:
  virtual ~SearchObjective() = default;
  virtual Real Evaluate(const RateConstants& k) = 0;
};

// The most evaluations one search starts; a search makes at most three more.
inline constexpr int kSearchEvaluationLimit = 30;

// The one-dimensional step search of constant i. `current` is the objective at `work` on
// entry and on return; `step` is the constant's step size, which the search shrinks and
// finally grows for the next search of the same constant. A constant that is 0 is left
// alone. A result counts as worse only when it is strictly greater than the one it is
// compared with.
//
// While evaluations < 30: a step forward; if not worse, keep stepping forward until the
// limit or a worse result; if worse, turn back to one step below the start and keep
// stepping down while not worse (if that first step down is worse too, stay there and
// divide the step by 2.5). A run of steps that ends worse moves half a step back and
// divides the step by 2.5. Afterwards the step grows 10000 times, at most to work[i] / 1000.
void SearchConstant(int i, RateConstants& work, Real& step, Real& current, SearchObjective& objective);

}  // namespace zamo
