#include "optimize/SeriesPlotData.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zamo {

namespace {

// y at x = 1000 K / T on the line of the parameters.
Real LineY(SeriesPlotKind kind, const ActivationParameters& p, Real x) {
  const Real inverseT = x / 1000;
  if (kind == SeriesPlotKind::Arrhenius) {
    return p.LnKRef - p.Ea / kGasConstant * (inverseT - 1 / p.ReferenceTemperature);
  }
  return std::log(kBoltzmann / kPlanck) + p.DeltaS / kGasConstant - p.DeltaH / kGasConstant * inverseT;
}

SeriesPlotLine MakeLine(SeriesPlotKind kind, SeriesMethod method, const ActivationParameters& p, Real x0, Real x1) {
  return {method, x0, LineY(kind, p, x0), x1, LineY(kind, p, x1)};
}

SeriesPlotPathway& PathwayOf(std::vector<SeriesPlotPathway>& pathways, int index) {
  const auto at =
      std::find_if(pathways.begin(), pathways.end(), [index](const SeriesPlotPathway& p) { return p.Index == index; });
  if (at != pathways.end()) return *at;
  pathways.push_back({index, {}, {}});
  return pathways.back();
}

}  // namespace

Real SeriesPlotY(SeriesPlotKind kind, Real k, Real kelvin) {
  return kind == SeriesPlotKind::Arrhenius ? std::log(k) : std::log(k / kelvin);
}

SeriesPlotData MakeSeriesPlotData(const SeriesResult& result, SeriesPlotKind kind) {
  SeriesPlotData data;
  data.Kind = kind;
  if (result.Temperatures.empty()) return data;
  const auto [coldest, hottest] = std::minmax_element(result.Temperatures.begin(), result.Temperatures.end());
  data.XMin = 1000 / *hottest;
  data.XMax = 1000 / *coldest;

  std::vector<SeriesPlotPathway> pathways;
  for (std::size_t n = 0; n < result.Single.size() && n < result.Temperatures.size(); ++n) {
    const FitResult& fit = result.Single[n];
    const Real kelvin = result.Temperatures[n];
    for (std::size_t m = 0; m < fit.Free.size(); ++m) {
      const int i = fit.Free[m];
      const Real k = fit.K[i];
      if (!(k > 0)) continue;  // ln 0: no point at this temperature
      const Real se = m < fit.StandardError.size() ? fit.StandardError[m] : std::numeric_limits<Real>::quiet_NaN();
      PathwayOf(pathways, i).Points.push_back({1000 / kelvin, SeriesPlotY(kind, k, kelvin), se / k});
    }
  }
  if (result.TwoStage && result.Method != SeriesMethod::Global) {
    for (const ArrheniusLine& line : result.TwoStage->Lines) {
      PathwayOf(pathways, line.Parameters.Index)
          .Lines.push_back(MakeLine(kind, SeriesMethod::TwoStage, line.Parameters, data.XMin, data.XMax));
    }
  }
  if (result.Global) {
    for (const ActivationParameters& p : result.Global->Parameters) {
      PathwayOf(pathways, p.Index).Lines.push_back(MakeLine(kind, SeriesMethod::Global, p, data.XMin, data.XMax));
    }
  }
  std::sort(pathways.begin(), pathways.end(),
            [](const SeriesPlotPathway& a, const SeriesPlotPathway& b) { return a.Index < b.Index; });
  data.Pathways = std::move(pathways);
  return data;
}

}  // namespace zamo
