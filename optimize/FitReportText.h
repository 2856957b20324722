#pragma once

#include <array>
#include <optional>
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

// One number of a fit's result as every rendering shows it: the value (what the JSON
// writes), its text in the tables with `Digits` digits, and whether it is missing (not
// finite: the tables then write kMissing, the dialog a dash, the JSON null).
struct FitNumberCell {
  Real Value = 0;
  std::string Text;
  int Digits = 0;
  bool Missing = false;
};

FitNumberCell ScientificCell(Real value, int digits);

// The cells of one free constant. The relative standard error is in percent of the fitted
// value ("12.3 %"), missing where the constant is 0 or has no standard error.
struct FitConstantCells {
  int Index = 0;  // 1..16
  FitNumberCell Start;
  FitNumberCell Fitted;
  FitNumberCell StandardError;
  std::array<FitNumberCell, 2> Interval95;  // missing without a standard error
  FitNumberCell RelativeError;
  std::optional<std::array<ProfileEnd, 2>> Profile;  // with profile intervals
  std::vector<std::string> Flags;
};

std::vector<FitConstantCells> MakeFitConstantCells(const FitResult& fit);

// "[1.00000e-03, 2.00000e-03]", or kMissing.
std::string IntervalText(const std::array<FitNumberCell, 2>& interval);

// "[1.00000e-03, open]".
std::string ProfileIntervalText(const std::array<ProfileEnd, 2>& interval);

// The cells of a fit's result, made once for every rendering (the text of zamo-cli fit, the
// dialog, the tab-separated copy). Tables hold their header row first; units stand in the
// heads.
struct FitReport {
  std::string Headline;                              // the experiments, the weighting and the outcome
  std::vector<std::string> Notes;                    // the starts, undetermined constants
  std::vector<FitConstantCells> ConstantCells;       // per free constant
  std::vector<std::vector<std::string>> Constants;   // the text of ConstantCells
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
