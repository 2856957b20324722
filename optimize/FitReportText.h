#pragma once

#include <string>
#include <vector>

#include "optimize/LeastSquaresFit.h"

namespace zamo {

// The words for a constant's flags: "at bound", "not determined by the data", "interval
// contains 0", "r = 0.99 with k16".
std::vector<std::string> FitFlags(const FitResult& fit, std::size_t n);

// What a flag means, for a tooltip or a legend.
std::string FitFlagExplanation(const std::string& flag);

// "both experiments", "the left experiment", "the right experiment".
std::string FittedExperimentsText(FitExperiments experiments);

// "converged after 5 iterations", "stopped after 3 iterations: ...", "not converged ...".
std::string FitOutcomeText(const FitResult& fit);

// The text of one end of a profile interval: the number, "open" or "not computed".
std::string ProfileEndText(const ProfileEnd& end);

// The cells of a fit's result, made once for every rendering (the text of zamo-cli fit, the
// dialog, the tab-separated copy). Tables hold their header row first; units stand in the
// heads.
struct FitReport {
  std::string Headline;                              // the experiments, the weighting and the outcome
  std::vector<std::string> Notes;                    // the starts, undetermined constants
  std::vector<std::vector<std::string>> Constants;   // per free constant
  std::vector<std::vector<std::string>> Sums;        // SSR before and after, R^2, per experiment
  std::vector<std::vector<std::string>> Statistics;  // name and value
  std::vector<std::vector<std::string>> Outliers;    // only the header where there are none
  std::vector<std::string> Correlated;               // "k15-k16 0.9921"
};

FitReport MakeFitReport(const FitSettings& settings, const FitResult& fit);

// The report as readable text: the headline and notes, the constants, the sums, the
// statistics, the correlations beyond 0.95 and the outliers.
std::vector<std::string> FitTable(const FitSettings& settings, const FitResult& fit);

// The same as tab-separated text for a spreadsheet, with the correlation matrix.
std::string FitTabSeparated(const FitSettings& settings, const FitResult& fit);

}  // namespace zamo
