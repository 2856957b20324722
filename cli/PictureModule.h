#pragma once

#include <memory>

#include "cli/CliApp.h"

namespace zamo::cli {

// The picture commands' functions as the picture module hands them to zamo-cli. The module
// holds the windows library and Qt, which every other command does without: zamo-cli loads
// it on the first picture, so that a fit or a calculation starts without them.
struct PictureFunctions {
  // The module's application; the functions hold on to it, and zamo-cli releases it before
  // its own end.
  std::shared_ptr<void> Application;
  GraphFunction SaveGraph;
  SeriesPlotFunction SaveArrheniusPlot;
  PlotFunction SavePlot;
};

}  // namespace zamo::cli

// The module's entry point: fills `functions`. argc must live as long as the functions
// (Qt keeps a reference to it).
extern "C" void ZamoCliPictureFunctions(int* argc, char** argv, zamo::cli::PictureFunctions* functions);

// The entry point's name, for dlsym.
inline constexpr const char* kPictureEntryPoint = "ZamoCliPictureFunctions";
