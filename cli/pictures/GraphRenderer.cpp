#include "cli/pictures/GraphRenderer.h"

#include <QApplication>

#include "cli/CliApp.h"
#include "ui/GraphExport.h"
#include "ui/PlotExport.h"
#include "ui/SeriesFigure.h"

namespace zamo::cli {

GraphRenderer::GraphRenderer(int& argc, char** argv) : argc_(argc), argv_(argv) {}

GraphRenderer::~GraphRenderer() = default;

// The plots are widgets, so the application is a widget application.
void GraphRenderer::Start() {
  if (application_) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  application_ = std::make_unique<QApplication>(argc_, argv_);
}

void GraphRenderer::Save(const std::string& path, const KineticProject& project, int zoomBarPosition) {
  Start();
  SaveGraphPicture(path == kStandardOutputName ? kStandardOutputPath : path, project, zoomBarPosition);
}

void GraphRenderer::SaveArrhenius(const std::string& path, const SeriesResult& result) {
  Start();
  SaveArrheniusPicture(path, result, PictureSize{});
}

void GraphRenderer::SavePlot(const std::string& path, const KineticProject& project, const PlotOptions& options,
                             const PictureSize& size) {
  Start();
  // Standard output has no name to tell the format: it gets a PNG.
  if (path == kStandardOutputName) {
    SavePlotPicture(kStandardOutputPath, project, options, size, PictureFormat::Png);
  } else {
    SavePlotPicture(path, project, options, size);
  }
}

}  // namespace zamo::cli
