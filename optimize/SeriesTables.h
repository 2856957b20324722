#pragma once

#include <array>
#include <string>
#include <vector>

#include "optimize/SeriesFit.h"

namespace zamo {

// A value of a pathway's activation parameters in the unit of its column, with its standard
// error.
struct SeriesQuantity {
  Real Value = 0;
  Real Error = 0;
};

// One pathway's result as every rendering shows it (the window, the clipboard, the text and
// the JSON of zamo-cli series): the method ("two-stage", "global"), the constant, Ea
// (kJ/mol), log10 A (A in 1/s), Delta H (kJ/mol), Delta S (J/mol/K) and Delta G (kJ/mol)
// with their errors, the correlation of Ea with ln A, T_ref (K), the two-stage line it came
// from (none for the global fit) and its flags (PathwayFlags).
struct PathwayCells {
  std::string Method;
  int Index = 0;
  std::array<SeriesQuantity, 5> Quantities{};
  Real CorrEaLnA = 0;
  Real ReferenceTemperature = 0;
  const ArrheniusLine* Line = nullptr;  // into the result
  std::vector<std::string> Flags;
};

// The pathways of both methods, the two-stage lines first; those of the two-stage method only
// where the method asked for it (the global method starts from them without showing them).
std::vector<PathwayCells> PathwayResults(const SeriesResult& result);

// The results of a series fit as tables of text cells, made once for every rendering: the
// series window, its tab-separated copy and the text of zamo-cli series. A value the fit does
// not determine is kMissing in text and empty in a spreadsheet.
struct SeriesTable {
  std::vector<std::string> Header;
  std::vector<std::vector<std::string>> Rows;
};

// How the values of a table are written: with eight significant digits, enough to
// recompute from (a spreadsheet), or rounded to the precision their standard errors support
// (two significant digits of the error; for reading).
enum class SeriesDigits { Full, BySe };

// One row per method and pathway: the method ("two-stage", "global"), the constant ("k2"),
// Ea (kJ/mol), log10 A (A in 1/s), Delta H (kJ/mol), Delta S (J/mol/K), Delta G (kJ/mol),
// each followed by its standard error, the correlation of Ea with ln A, T_ref (K), for the
// two-stage lines chi-squared and dof, and the pathway's flags (PathwayFlags).
SeriesTable ActivationTable(const SeriesResult& result, SeriesDigits digits = SeriesDigits::Full);

// One row per project: T (K), the SSR of its single fit, then each constant fitted in any
// project with its standard error.
SeriesTable TemperatureTable(const SeriesResult& result, SeriesDigits digits = SeriesDigits::Full);

// The lines of the readable text: per method the pathways with "value ± SE" cells and
// flags, the global fit's statistics and outcome, and the constants per temperature.
std::vector<std::string> SeriesText(const SeriesResult& result);

// Both tables, tab-separated, a blank line between them, each line ending in "\n".
std::string SeriesResultTsv(const SeriesResult& result);

}  // namespace zamo
