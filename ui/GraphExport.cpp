#include "ui/GraphExport.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>
#include <new>

#include "document/FileWriter.h"
#include "model/PlatformTexts.h"
#include "model/ZamoError.h"
#include "ui/PlotPainter.h"

namespace zamo {

QImage RenderGraph(const KineticProject& project, int zoomBarPosition) {
  QImage picture(kGraphWidth, kGraphHeight, QImage::Format_RGB32);
  if (picture.isNull()) return picture;
  picture.fill(Qt::white);
  QPainter painter(&picture);
  painter.setFont(QGuiApplication::font());
  DrawPlot(painter, project, PictureLayout(picture.size(), zoomBarPosition));
  return picture;
}

void WritePicture(const std::string& path, const QImage& picture) {
  std::string bytes;
  try {
    QByteArray encoded;
    QBuffer buffer(&encoded);
    if (!picture.isNull() && buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "BMP")) {
      bytes = encoded.toStdString();
    }
  } catch (const std::bad_alloc&) {
    bytes.clear();
  }
  if (bytes.empty()) {
    throw FileError(path, texts::CannotCreateFile(path, "the picture cannot be encoded (out of memory)"));
  }
  WriteFileAtomically(path, bytes);
}

void SaveGraphPicture(const std::string& path, const KineticProject& project, int zoomBarPosition) {
  WritePicture(path, RenderGraph(project, zoomBarPosition));
}

}  // namespace zamo
