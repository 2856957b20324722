#pragma once

#include <memory>
#include <string>

class QApplication;

#include "model/TemperatureSeries.h"

namespace zamo {
struct KineticProject;
struct SeriesResult;
struct PictureSize;
struct PlotOptions;
}  // namespace zamo

namespace zamo::cli {

// The windows library's pictures for zamo-cli: "Save Graph", the Arrhenius plot of a
// series and the plot window's figure. It starts an application on first use, on the
// offscreen platform unless QT_QPA_PLATFORM says otherwise, so that it works without a
// display; the application ends with this object. A path of kStandardOutputName writes to
// standard output (a plot as a PNG).
class GraphRenderer {
 public:
  GraphRenderer(int& argc, char** argv);
  ~GraphRenderer();
  GraphRenderer(const GraphRenderer&) = delete;
  GraphRenderer& operator=(const GraphRenderer&) = delete;

  // Writes the picture as the window's "Save Graph" does (SaveGraphPicture).
  void Save(const std::string& path, const KineticProject& project, int zoomBarPosition);
  // Writes the Arrhenius plot of a fitted series (SaveArrheniusPicture, default size).
  void SaveArrhenius(const std::string& path, const SeriesResult& result);
  // Writes the plot window's figure (SavePlotPicture).
  void SavePlot(const std::string& path, const KineticProject& project, const PlotOptions& options,
                const PictureSize& size);

 private:
  int& argc_;
  char** argv_;
  void Start();

  std::unique_ptr<QApplication> application_;
};

}  // namespace zamo::cli
