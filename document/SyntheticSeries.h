#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/KineticProject.h"
#include "model/TemperatureSeries.h"

namespace zamo {

// What a synthetic temperature series is made from: the Arrhenius parameters of every
// pathway, the temperatures, and the noise of the measurements.
struct SyntheticSeriesRecipe {
  std::vector<Real> Temperatures;  // degrees Celsius, as on a project's "Temperature:" line
  RateConstants Ea{};              // J/mol
  RateConstants A{};               // 1/s; a constant with A = 0 is 0 at every temperature
  // Standard deviation of the Gaussian noise added to each measured percentage.
  Real Noise = 0;
  std::uint64_t Seed = 1;
};

// The series of examples/temperature-series: the constants of the built-in example near
// 210 degrees Celsius (k3 larger, so that noise leaves it determined) as Arrhenius laws of
// typical activation energies, at 200, 205, ..., 220 degrees Celsius, with noise of 0.1
// percentage points, seed 1.
SyntheticSeriesRecipe ExampleSeriesRecipe();

// The projects of the series in memory, fractions not rounded: each has the example's
// descriptive fields and time grid, its temperature, the constants k = A exp(-Ea / (R T))
// the data were made with, and as observations the exact concentrations at the measured
// times. With noise, every fraction of rows 1..LastRow gets Gaussian noise of the given
// standard deviation, correlated only so far that the row still sums to 1 (a fraction near 0
// may then read slightly negative, as a baseline-corrected signal does). The noise is a fixed
// sequence of the seed. Each project's File is "STEM-<T>C.zam" in the folder of `seriesPath`, STEM the
// series file's name without its extension.
TemperatureSeries MakeSyntheticSeries(const SyntheticSeriesRecipe& recipe, const std::string& seriesPath);

// Writes the projects of MakeSyntheticSeries as project files (their percentages rounded as
// the format writes them, their deviation sections computed from what is written) and the
// series file listing them, with `comments` at its top.
TemperatureSeries WriteSyntheticSeries(const SyntheticSeriesRecipe& recipe, const std::string& seriesPath,
                                       const std::vector<std::string>& comments);

}  // namespace zamo
