#include "model/TemperatureSeries.h"

#include <cmath>

#include "model/NumberFormat.h"

namespace zamo {

void CheckSeriesTemperatures(const TemperatureSeries& series) {
  const std::size_t n = series.size();
  if (n < 2) {
    throw SeriesError("A temperature series needs projects at two or more temperatures; it holds " + std::to_string(n) +
                          (n == 1 ? " project" : " projects"),
                      std::nullopt);
  }
  for (std::size_t j = 0; j < n; ++j) CheckSeriesProject(series, j);
}

void CheckSeriesProject(const TemperatureSeries& series, std::size_t j) {
  const ProjectData& data = series[j].Data;
  if (!(data.AbsoluteTemperature > 0)) {
    SeriesError error("The temperature " + FloatToText(data.Temperature) + " °C is not above absolute zero", j);
    error.SetFile(series[j].File);
    throw error;
  }
  if (!(data.AbsoluteTemperature >= kSeriesKelvinMin && data.AbsoluteTemperature <= kSeriesKelvinMax)) {
    SeriesError error("The temperature " + FloatToText(data.Temperature) + " °C (" +
                          FloatToText(data.AbsoluteTemperature) + " K) lies outside 1 to 5000 K",
                      j);
    error.SetFile(series[j].File);
    throw error;
  }
  for (std::size_t i = 0; i < j; ++i) {
    const Real other = series[i].Data.AbsoluteTemperature;
    if (other == data.AbsoluteTemperature) {
      throw SeriesError(series[j].File + " has the same temperature as " + series[i].File + " (" +
                            FloatToText(data.Temperature) + " °C); a series holds one project per temperature",
                        j);
    }
    if (std::fabs(other - data.AbsoluteTemperature) < kSeriesKelvinSpacing) {
      throw SeriesError(series[j].File + " (" + FloatToText(data.Temperature) + " °C) lies within 0.01 K of " +
                            series[i].File + " (" + FloatToText(series[i].Data.Temperature) +
                            " °C); temperatures so close give no slope of ln k against 1/T",
                        j);
    }
  }
}

Real ReferenceTemperature(const TemperatureSeries& series) {
  Real sum = 0;
  for (const SeriesProject& project : series) sum += 1 / project.Data.AbsoluteTemperature;
  return static_cast<Real>(series.size()) / sum;
}

Real ArrheniusRate(Real lnKRef, Real ea, Real referenceTemperature, Real kelvin) {
  return std::exp(lnKRef + ea / kGasConstant * (1 / referenceTemperature - 1 / kelvin));
}

}  // namespace zamo
