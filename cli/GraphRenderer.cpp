#include "cli/GraphRenderer.h"

#include <QGuiApplication>

#include "ui/GraphExport.h"

namespace zamo::cli {

GraphRenderer::GraphRenderer(int& argc, char** argv) : argc_(argc), argv_(argv) {}

GraphRenderer::~GraphRenderer() = default;

void GraphRenderer::Save(const std::string& path, const KineticProject& project, int zoomBarPosition) {
  if (!application_) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    application_ = std::make_unique<QGuiApplication>(argc_, argv_);
  }
  SaveGraphPicture(path, project, zoomBarPosition);
}

}  // namespace zamo::cli
