#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/KineticProject.h"
#include "model/Limits.h"
#include "optimize/LeastSquaresFit.h"

namespace zamo {

// What the plot window and zamo-cli plot draw, computed without a toolkit: per experiment
// the calculated curves, the measured rows with their residuals and, after a least-squares
// fit whose constants the project holds, the fit's 95 % band. Times are seconds,
// concentrations percent, residuals and half-widths percentage points; the picture converts
// times to the chosen unit.

enum class TimeUnit { Seconds, Minutes, Hours };

// Which experiments are drawn: the shown one (following the main window), one of them, or
// both side by side.
enum class PlotExperiments { Shown, Left, Right, Both };

// The concentration axis in percent.
struct ConcentrationRange {
  Real Low = 0;
  Real High = 100;
};

struct PlotOptions {
  PlotExperiments Experiments = PlotExperiments::Shown;
  TimeUnit Unit = TimeUnit::Minutes;
  bool LogTime = false;
  bool Residuals = false;
  // The band of the fit, when the project's constants are the fit's.
  bool Band = true;
  // A zoom of the concentration axis; none: 0..100 %.
  std::optional<ConcentrationRange> Range;
};

// The exported picture: pixels of a PNG; for SVG and PDF the same size in inches
// (Width / Dpi by Height / Dpi).
struct PictureSize {
  int Width = kPictureWidthDefault;
  int Height = kPictureHeightDefault;
  int Dpi = kPictureDpiDefault;
};

enum class PictureFormat { Png, Svg, Pdf };

// Why a picture file is refused before it is touched.
inline constexpr const char* kPictureExtensionReason = "the name must end in .png, .svg or .pdf";
inline constexpr const char* kPictureOutOfMemory = "the picture cannot be encoded (out of memory)";

// The format a file name asks for by its extension (".png", ".svg", ".pdf", in any case).
std::optional<PictureFormat> PictureFormatOfPath(std::string_view path);

// Seconds per unit, and the unit's symbol ("s", "min", "h") and its reading back.
Real SecondsPer(TimeUnit unit);
std::string_view TimeUnitSymbol(TimeUnit unit);
std::optional<TimeUnit> TimeUnitOfSymbol(std::string_view symbol);

// One measured row of a present experiment.
struct PlotRow {
  Real Time = 0;
  SpeciesValues Observed{};
  SpeciesValues Calculated{};
  SpeciesValues Residual{};  // observed - calculated
  // Named an outlier by the current least-squares fit (|z| > 4).
  OneBased<bool, kSpeciesCount> Outlier{};
};

struct ExperimentPlot {
  Side Which = Side::Left;
  // The start reactant's name from the project; may be empty.
  std::string ReactantName;
  // The time axis: from 0 to the last reaction time and 4 % more on a linear axis; from a
  // tenth of the first positive reaction time to twice the last on a logarithmic one. An
  // experiment without a positive time gets 0..60 s (linear) or 1..600 s (logarithmic).
  std::array<Real, 2> TimeSpan{};
  // Curve samples over the time axis, evenly or (log axis) geometrically spaced.
  std::vector<Real> Times;
  // Percent at Times; empty when the constants cannot be evaluated.
  std::vector<SpeciesValues> Curves;
  // Half-widths of the 95 % band at Times; empty when there is no band to show.
  std::vector<SpeciesValues> Band;
  // Rows 1..LastRow (the start row is the reaction's definition, not a measurement).
  std::vector<PlotRow> Rows;
};

struct PlotData {
  std::string Title;        // the project's title
  std::string Temperature;  // degrees Celsius as the caption writes it
  // The project's names of A (the left reactant) and B (the right one); empty elsewhere.
  OneBased<std::string, kSpeciesCount> SpeciesNames;
  std::vector<ExperimentPlot> Experiments;
};

inline constexpr int kPlotSamples = 1000;

// A finished least-squares fit with the measurements it was fitted to.
struct PlotFit {
  FitResult Fit;
  Experiment Left;
  Experiment Right;
};

PlotFit FitOfProject(FitResult fit, const KineticProject& project);

// The fit's constants are exactly the project's (the fit was applied, or found the
// constants the project holds) and so are its measurements: only then does its band belong
// to the curves.
bool FitIsCurrent(const PlotFit& fit, const KineticProject& project);

// The plot of the project. Uses K, not the curve store, so that both experiments can be
// drawn whatever the main window shows. `fit` may be null; its band is computed only when
// options.Band is set and FitIsCurrent holds. `samples` >= 2.
PlotData BuildPlotData(const KineticProject& project, const PlotOptions& options, const PlotFit* fit,
                       int samples = kPlotSamples);

}  // namespace zamo
