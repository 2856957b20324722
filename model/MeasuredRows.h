#pragma once

#include <algorithm>
#include <limits>
#include <optional>

#include "model/ClosedForm.h"
#include "model/KineticProject.h"

namespace zamo {

// One row of an experiment compared with the model: its time in seconds, the observed and the
// calculated fractions of A..H and observed - calculated. T is Real, or a dual number where
// the comparison is differentiated by the rate constants.
template <typename T>
struct MeasuredRow {
  int Row = 0;
  Real Time = 0;
  const SpeciesValues* Observed = nullptr;
  OneBased<T, kSpeciesCount> Calculated;
  OneBased<T, kSpeciesCount> Residual;
};

// Row 0 is the reaction's start, its definition rather than a measurement: comparisons start
// after it, tables that list the data include it.
inline constexpr int kFirstMeasuredRow = 1;

// What a row whose fractions cannot be evaluated does: it ends the walk, which answers the
// error's kind, or it is passed on with not-a-number in every calculated value (a picture
// leaves such points out).
enum class UnevaluatedRow { EndWalk, NotANumber };

// Calls visit(const MeasuredRow<T>&) for the rows firstRow..LastRow (LastRow held to
// 0..kMaxRow) of `experiment`, in order, with the fractions of the prepared `set` at each
// row's time. A null set evaluates nothing: every row is unevaluated. The one walk over the
// measured rows behind the deviation sums, the report, the result table, the plot and the
// residuals of the fit; it allocates nothing.
template <typename T, typename Visit>
std::optional<FloatError::Kind> ForEachMeasuredRow(const BasicCoefficientSet<T>* set, Side side,
                                                   const Experiment& experiment, Visit&& visit,
                                                   int firstRow = kFirstMeasuredRow,
                                                   UnevaluatedRow unevaluated = UnevaluatedRow::EndWalk) {
  const int last = std::clamp(experiment.LastRow, 0, kMaxRow);
  MeasuredRow<T> row;
  for (int j = firstRow; j <= last; ++j) {
    const auto index = static_cast<std::size_t>(j);
    row.Row = j;
    row.Time = static_cast<Real>(experiment.Times[index]);
    row.Observed = &experiment.Observed[index];
    const std::optional<FloatError::Kind> error =
        set != nullptr ? EvaluateClosedForm(*set, side, row.Time, row.Calculated)
                       : std::optional<FloatError::Kind>(FloatError::Kind::InvalidOperation);
    if (error) {
      if (unevaluated == UnevaluatedRow::EndWalk) return error;
      row.Calculated.Fill(T(std::numeric_limits<Real>::quiet_NaN()));
    }
    for (int s = 1; s <= kSpeciesCount; ++s) row.Residual[s] = T((*row.Observed)[s]) - row.Calculated[s];
    visit(static_cast<const MeasuredRow<T>&>(row));
  }
  return std::nullopt;
}

}  // namespace zamo
