#pragma once

#include <optional>
#include <vector>

#include "optimize/SeriesFit.h"

namespace zamo {

// What the Arrhenius and Eyring plots of a series show, in the plots' own coordinates:
// x = 1000 K / T, and y = ln(k s) (Arrhenius) or ln(k s / T K^-1) (Eyring). The points are
// the single fits' constants with error bars of one standard error of y, SE(ln k) = SE / k;
// the lines are the fitted activation parameters of each method, straight in the plot's
// coordinates: ln k = ln k(T_ref) - Ea / R (1 / T - 1 / T_ref) and
// ln(k / T) = ln(kB / h) + Delta S / R - Delta H / (R T).
enum class SeriesPlotKind { Arrhenius, Eyring };

struct SeriesPlotPoint {
  Real X = 0;
  Real Y = 0;
  Real YError = 0;  // NaN where the fit gives no standard error
};

struct SeriesPlotLine {
  SeriesMethod Method = SeriesMethod::TwoStage;  // TwoStage or Global
  Real X0 = 0;
  Real Y0 = 0;
  Real X1 = 0;
  Real Y1 = 0;
};

struct SeriesPlotPathway {
  int Index = 0;                        // the constant, 1..16
  std::vector<SeriesPlotPoint> Points;  // the temperatures where its fit left k > 0
  std::vector<SeriesPlotLine> Lines;    // two-stage first, then global, those present
};

struct SeriesPlotData {
  SeriesPlotKind Kind = SeriesPlotKind::Arrhenius;
  Real XMin = 0;  // the series' range of 1000 K / T, where the lines start and end
  Real XMax = 0;
  std::vector<SeriesPlotPathway> Pathways;  // those with a point or a line
};

// The plot of a fitted series. Lines span the series' range of 1000 K / T.
SeriesPlotData MakeSeriesPlotData(const SeriesResult& result, SeriesPlotKind kind);

// The y of the plot for k (1/s) at T (K).
Real SeriesPlotY(SeriesPlotKind kind, Real k, Real kelvin);

}  // namespace zamo
