#pragma once

#include <atomic>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "model/TemperatureSeries.h"

namespace zamo {
struct KineticProject;
struct SeriesResult;
struct PictureSize;
struct PlotOptions;
}  // namespace zamo

namespace zamo::cli {

// Writes the enlarged plot of the project's current experiment at a zoom bar position to a
// file as a BMP picture, as the window's "Save Graph" does (the windows library provides
// it). Throws FileError naming the file.
using GraphFunction = std::function<void(const std::string& path, const KineticProject& project, int zoomBarPosition)>;

// Writes the Arrhenius plot of a fitted series to a file (PNG, SVG or PDF by its extension).
using SeriesPlotFunction =
    std::function<void(const std::string& path, const TemperatureSeries& series, const SeriesResult& result)>;

// Writes the project's figure of the plot window as a PNG, SVG or PDF file (by the name's
// extension) of the size (the windows library provides it). Throws FileError naming the
// file.
using PlotFunction = std::function<void(const std::string& path, const KineticProject& project,
                                        const PlotOptions& options, const PictureSize& size)>;

// The name -o takes for standard output, and the path a picture for it is written to (the
// writer writes such a descriptor through, never replacing it).
inline constexpr const char* kStandardOutputName = "-";
inline constexpr const char* kStandardOutputPath = "/dev/stdout";

// What the tool gets from its surroundings besides the arguments.
struct Environment {
  // Set when the user asks a running optimization to stop (Ctrl+C).
  const std::atomic<bool>* Stop = nullptr;
  // Draw a progress bar on the error stream (it is a terminal).
  bool ProgressBar = false;
  // Pictures for "graph"; empty in a build without the windows.
  GraphFunction SaveGraph;
  // Pictures for "series --plot"; empty in a build without the windows.
  SeriesPlotFunction SaveArrheniusPlot;
  // Pictures for "plot"; empty in a build without the windows.
  PlotFunction SavePlot;
  // The system's reason (errno) why the output could not be written; 0 or empty when unknown.
  std::function<int()> OutputError;
};

// Runs zamo-cli with the arguments after the program name. Output goes to out, messages to
// err. Returns the exit status: 0 success, 1 error, 2 wrong usage. Every error message
// names the file it concerns (an error without one gets the file the command works on:
// the project, the example's name, or the data file whose rate constants an import took),
// with control characters escaped.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const Environment& env = {});

}  // namespace zamo::cli
