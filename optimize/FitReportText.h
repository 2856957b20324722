#pragma once

#include <string>
#include <vector>

#include "optimize/LeastSquaresFit.h"

namespace zamo {

// The words for a constant's flags: "at bound", "interval contains 0", "r = 0.99 with k16".
std::vector<std::string> FitFlags(const FitResult& fit, std::size_t n);

// What a flag means, for a tooltip or a legend.
std::string FitFlagExplanation(const std::string& flag);

// A readable table of a fit: per free constant the start and fitted value, SE, 95 %
// interval, relative SE and flags (and the profile interval where computed); then the sums
// of squares before and after per experiment, sigma, dof and the iterations, and the pairs
// of constants correlated beyond 0.95.
std::vector<std::string> FitTable(const FitSettings& settings, const FitResult& fit);

// The same table and statistics as tab-separated text, for a spreadsheet.
std::string FitTabSeparated(const FitSettings& settings, const FitResult& fit);

}  // namespace zamo
