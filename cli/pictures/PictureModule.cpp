#include "cli/PictureModule.h"

#include "cli/pictures/GraphRenderer.h"

extern "C" __attribute__((visibility("default"))) void ZamoCliPictureFunctions(int* argc, char** argv,
                                                                               zamo::cli::PictureFunctions* functions) {
  auto renderer = std::make_shared<zamo::cli::GraphRenderer>(*argc, argv);
  zamo::cli::GraphRenderer* r = renderer.get();
  functions->SaveGraph = [r](const std::string& path, const zamo::KineticProject& project, int zoomBarPosition) {
    r->Save(path, project, zoomBarPosition);
  };
  functions->SaveArrheniusPlot = [r](const std::string& path, const zamo::TemperatureSeries&,
                                     const zamo::SeriesResult& result) { r->SaveArrhenius(path, result); };
  functions->SavePlot = [r](const std::string& path, const zamo::KineticProject& project,
                            const zamo::PlotOptions& options,
                            const zamo::PictureSize& size) { r->SavePlot(path, project, options, size); };
  functions->Application = std::move(renderer);
}
