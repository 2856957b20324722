#pragma once

#include <string>
#include <vector>

#include "optimize/SeriesFit.h"

namespace zamo {

// The results of a series fit as tables of text cells: what the series window shows and what
// it copies as tab-separated text for a spreadsheet. Values carry enough digits to recompute
// from (eight significant digits); a value the fit does not determine is empty.
struct SeriesTable {
  std::vector<std::string> Header;
  std::vector<std::vector<std::string>> Rows;
};

// One row per method and pathway: the method ("two-stage", "global"), the constant ("k2"),
// Ea (kJ/mol), log10 A (A in 1/s), Delta H (kJ/mol), Delta S (J/mol/K), Delta G (kJ/mol),
// each followed by its standard error, the correlation of Ea with ln A, T_ref (K), and for the
// two-stage lines chi-squared and dof.
SeriesTable ActivationTable(const SeriesResult& result);

// One row per project: T (K), the SSR of its single fit, then each constant fitted in any
// project with its standard error.
SeriesTable TemperatureTable(const SeriesResult& result);

// Both tables, tab-separated, a blank line between them, each line ending in "\n".
std::string SeriesResultTsv(const SeriesResult& result);

}  // namespace zamo
